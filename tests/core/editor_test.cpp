#include "core/editor.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "core/commands.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::After;
using testing::Count;
using testing::Holds;
using testing::kSmallRc;
using testing::Live;
using testing::Padded;
using testing::RunSession;
using testing::SlotBytes;
using testing::TempDir;
using testing::WriteRc;

constexpr const char* kStartOutput =
    "\nBrenik 1.03.2 by the Brenik developers\n"
    "Making RC file: .brenik_rc\n"
    "\nEnter 'h' for help or 'q' to quit\n";
constexpr const char* kFirstView = "\nEditing 1:1 \n\n[1] \n 2\n 3\n 4\n 5\n 6\n 7\n 8\n  > ";
constexpr const char* kQuitPrompt = "Enter 'q' again to quit or anything else to continue\n";

TEST(StartUp, BannerHintAndAnEmptyGrid) {
  TempDir dir;
  const testing::Session s = RunSession("q\nq\n");
  EXPECT_EQ(s.output, std::string(kStartOutput) + kFirstView + kQuitPrompt);
  EXPECT_EQ(s.status, 0);
}

TEST(StartUp, HintNamesTheReboundKeysAndQuitStillWantsTheLetterQ) {
  TempDir dir;
  WriteRc("help=?\nquit=Q\n");
  const testing::Session quit = RunSession("Q\nq\n");
  EXPECT_NE(quit.output.find("\nEnter '?' for help or 'Q' to quit\n"), std::string::npos);
  EXPECT_EQ(quit.status, 0);
  EXPECT_EQ(quit.output.substr(quit.output.size() - std::strlen(kQuitPrompt)), kQuitPrompt);
  const testing::Session stay = RunSession("Q\nQ\nQ\nq\n");
  EXPECT_EQ(Count(stay.output, kQuitPrompt), 2);
  EXPECT_EQ(stay.status, 0);
}

TEST(StartUp, RefusesAGridTooLargeToAllocate) {
#if defined(__SANITIZE_ADDRESS__)
  const char* options = std::getenv("ASAN_OPTIONS");
  if (options == nullptr || std::strstr(options, "allocator_may_return_null=1") == nullptr) {
    GTEST_SKIP() << "needs ASAN_OPTIONS=allocator_may_return_null=1 (see core.grid_too_large)";
  }
#endif
  for (const char* rc : {"max_lines=2147483647\nmax_char=2147483646\n",
                         "max_lines=100000000\nmax_char=100000000\n"}) {
    TempDir dir;
    WriteRc(rc);
    const testing::Session s = RunSession("q\nq\n");
    EXPECT_EQ(s.status, 1) << rc;
    const std::string after_hint = After(s.output, "for help or 'q' to quit\n");
    EXPECT_NE(after_hint, "") << "no message: " << s.output;
    EXPECT_EQ(s.output.find("Editing"), std::string::npos) << "the editor ran: " << rc;
  }
}

TEST(StartUp, RefusesAFirstArgumentLongerThan255) {
  TempDir dir;
  const testing::Session s = RunSession("q\nq\n", {std::string(256, 'n')});
  EXPECT_EQ(s.status, 1);
  EXPECT_NE(After(s.output, "for help or 'q' to quit\n"), "");
  EXPECT_EQ(s.output.find("Editing"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(std::string(255, 'n')));

  // 255 characters is a name like any other; the missing file only gets a message.
  const testing::Session fits = RunSession("q\nq\n", {std::string(255, 'n')});
  EXPECT_EQ(fits.status, 0);
  EXPECT_NE(fits.output.find("\nEditing 1:1 " + std::string(255, 'n') + "\n"), std::string::npos);
}

// Starts the real binary with some standard descriptors closed and its input on a pipe; returns
// what /proc shows for descriptor `look_at` while it waits for input, then its exit status.
int RunWithClosed(const std::vector<int>& closed, int look_at, std::string& target) {
  int pipe_fds[2];
  if (pipe(pipe_fds) != 0) {
    return -1;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(pipe_fds[0], 0);
    close(pipe_fds[0]);
    close(pipe_fds[1]);
    for (const int fd : closed) {
      close(fd);
    }
    execl(BRENIK_BINARY, BRENIK_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(pipe_fds[0]);
  const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(look_at);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  target.clear();
  // The prompt is up once .brenik_rc exists and the descriptor points somewhere for good.
  while (std::chrono::steady_clock::now() < deadline) {
    char buffer[256];
    const ssize_t n = readlink(link.c_str(), buffer, sizeof buffer);
    if (n > 0 && std::filesystem::exists(".brenik_rc")) {
      target.assign(buffer, static_cast<std::size_t>(n));
      if (target == "/dev/null") {
        break;
      }
    }
    usleep(10000);
  }
  const char script[] = "q\nq\n";
  if (write(pipe_fds[1], script, sizeof script - 1) < 0) {
    target = "write failed";
  }
  close(pipe_fds[1]);
  int status = 0;
  for (int i = 0; i < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++i) {
    usleep(10000);
  }
  if (waitpid(pid, &status, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -2;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
}

TEST(Main, ClosedStandardDescriptorsAreReopenedOnDevNull) {
  // Otherwise the first file the editor opens would take the place of its output.
  for (const int fd : {1, 2}) {
    TempDir dir;
    std::string target;
    EXPECT_EQ(RunWithClosed({1, 2}, fd, target), 0);
    EXPECT_EQ(target, "/dev/null") << "descriptor " << fd;
    std::ifstream rc(".brenik_rc");
    const std::string content((std::istreambuf_iterator<char>(rc)), {});
    EXPECT_EQ(content.rfind("position_back=b\n", 0), 0u) << content;
  }
}

TEST(Loop, QuitOnlyOnTheLetterQAndItsLineEnd) {
  const struct {
    const char* answer;
    bool quits;
  } cases[] = {
      {"q\n", true},   {"Q\n", false}, {"q \n", false},  {" q\n", false},
      {"qq\n", false}, {"\n", false},  {"q\r\n", false}, {"hello\n", false},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const testing::Session s = RunSession(std::string("q\n") + c.answer + "q\nq\n");
    EXPECT_EQ(s.status, 0) << c.answer;
    const std::string after = After(s.output, kQuitPrompt);
    if (c.quits) {
      EXPECT_EQ(after, "") << "the loop went on after " << c.answer;
    } else {
      // The answer was spent on the question: it neither moved the cursor nor became text.
      EXPECT_EQ(after, std::string(kFirstView) + kQuitPrompt) << c.answer;
    }
  }
  TempDir dir;
  // An answer longer than a slot: what does not fit is the next input.
  WriteRc(kSmallRc);
  const testing::Session long_answer = RunSession("q\nABCDEFGHIJKLMNOPQRST\nq\nq\n");
  EXPECT_NE(long_answer.output.find("\nEditing 2:1 \n\n 1  PQRST\n"), std::string::npos)
      << long_answer.output;
  const testing::Session unfinished = RunSession("q\nq");
  EXPECT_EQ(unfinished.status, 0);
  EXPECT_EQ(After(unfinished.output, kQuitPrompt), kFirstView);
}

// Every prompt meeting the end of input is in end_of_input_test.cpp.
TEST(Loop, EndOfInputRunsTheLastInputOnceWithOrWithoutItsLineEnd) {
  for (const char* script : {".\n.\n", ".\n."}) {
    Live live;
    EXPECT_EQ(live.Loop(script), 0);
    EXPECT_EQ(live.ed.line, 2) << script;
  }
}

TEST(Loop, EnterMovesDownAndKeepsTheColumn) {
  Live live;
  live.Loop("G\n6\n\n\n");
  EXPECT_EQ(live.ed.line, 2);
  EXPECT_EQ(live.ed.column, 5);
  EXPECT_EQ(live.Grid(), std::string(12 * 16, '\0'));

  // On the last slot Enter is empty text: it fills the line with spaces up to the column.
  Live last;
  last.Seed({"", "", "", "", "", "", "", "", "", "", "", "ab"});
  last.Loop("g\n12\nG\n6\n\n\n");
  EXPECT_EQ(last.ed.line, 11);
  EXPECT_EQ(last.ed.column, 5);
  EXPECT_EQ(SlotBytes(last.ed.grid, 11), Padded("ab   ", 16));
}

TEST(Loop, NavigationCommands) {
  const std::vector<std::string> doc = {
      "abcabc", "", "hello world", "xyz", "0123456789ABCDE", "", "", "", "", "", "", "end of grid",
  };
  const struct {
    int line;
    int column;
    const char* input;
    const char* answers;
    int to_line;
    int to_column;
    const char* printed;
  } cases[] = {
      // "," moves up and "." down, whatever their names say; both go to column 0.
      {3, 4, ",", "", 2, 0, ""},
      {0, 4, ",", "", 0, 0, ""},
      {3, 4, ".", "", 4, 0, ""},
      {11, 4, ".", "", 11, 0, ""},
      {0, 3, "n", "", 0, 4, ""},
      {0, 15, "n", "", 0, 15, ""},
      {0, 3, "b", "", 0, 2, ""},
      {0, 0, "b", "", 0, 0, ""},
      {0, 5, ">", "", 8, 5, ""},
      {5, 5, ">", "", 11, 5, ""},
      {11, 5, ">", "", 11, 5, ""},
      {10, 5, "<", "", 2, 5, ""},
      {3, 5, "<", "", 0, 5, ""},
      {2, 7, "l", "", 2, 0, ""},
      {2, 2, "e", "", 2, 11, ""},
      {2, 11, "e", "", 2, 11, ""},
      {1, 3, "e", "", 1, 3, ""},
      {4, 0, "e", "", 4, 15, ""},
      {0, 5, "g", "5\n", 4, 5, "Go to which line?\n"},
      {0, 5, "g", "12\n", 11, 5, "Go to which line?\n"},
      {3, 5, "g", "1\n", 0, 5, "Go to which line?\n"},
      {3, 5, "g", "0\n", 3, 5, "Go to which line?\n"},
      {3, 5, "g", "13\n", 3, 5, "Go to which line?\n"},
      {3, 5, "g", "-3\n", 3, 5, "Go to which line?\n"},
      {3, 5, "g", "abc\n", 3, 5, "Go to which line?\n"},
      {3, 5, "g", "\n", 3, 5, "Go to which line?\n"},
      {3, 5, "g", "  7\n", 6, 5, "Go to which line?\n"},
      {3, 5, "g", "+7\n", 6, 5, "Go to which line?\n"},
      {3, 5, "g", "7xy\n", 6, 5, "Go to which line?\n"},
      {3, 5, "G", "16\n", 3, 15, "Go to which position?\n"},
      {3, 5, "G", "1\n", 3, 0, "Go to which position?\n"},
      {3, 5, "G", "17\n", 3, 5, "Go to which position?\n"},
      {3, 5, "G", "0\n", 3, 5, "Go to which position?\n"},
      {3, 5, "G", "-1\n", 3, 5, "Go to which position?\n"},
      {0, 0, "j", "bc\n", 0, 1, "Enter jump string\n"},
      {0, 1, "j", "bc\n", 0, 1, "Enter jump string\n"},
      {0, 2, "j", "bc\n", 0, 4, "Enter jump string\n"},
      {0, 5, "j", "a\n", 0, 5, "Enter jump string\nString not found in line 1\n"},
      {2, 0, "j", "zz\n", 2, 0, "Enter jump string\nString not found in line 3\n"},
      {0, 2, "j", "\n", 0, 2, "Enter jump string\n"},
      {2, 0, "j", "world\n", 2, 6, "Enter jump string\n"},
      {0, 4, "J", "a\n", 0, 0, "Enter jump string\n"},
      {0, 0, "J", "xyz\n", 3, 0, "Enter jump string\n"},
      {0, 0, "J", "yz\n", 3, 1, "Enter jump string\n"},
      {0, 0, "J", "grid\n", 11, 7, "Enter jump string\n"},
      {4, 0, "J", "abc\n", 4, 0, "Enter jump string\nString not found\n"},
      {0, 3, "J", "nowhere\n", 0, 3, "Enter jump string\nString not found\n"},
      {2, 5, "J", "\n", 2, 0, "Enter jump string\n"},
      {0, 0, "L", "", 0, 0, "Line Lock On\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.line) + ":" + std::to_string(c.column) + " " + c.input + " " +
                 c.answers);
    Live live;
    live.Seed(doc);
    const std::string before = live.Grid();
    live.ed.line = c.line;
    live.ed.column = c.column;
    EXPECT_EQ(live.Do(c.input, c.answers), Flow::kContinue);
    EXPECT_EQ(live.ed.line, c.to_line);
    EXPECT_EQ(live.ed.column, c.to_column);
    EXPECT_EQ(live.Printed(), c.printed);
    EXPECT_EQ(live.Grid(), before);
    EXPECT_EQ(live.ed.undo.mode, 0);
  }
}

TEST(Loop, TogglesAnchorAndPageLength) {
  Live live;
  live.ed.column = 7;
  live.Do("A");
  live.Do("l");
  ASSERT_EQ(live.ed.column, 0);
  live.Do("a");
  EXPECT_EQ(live.ed.column, 7);

  live.Do("L");
  EXPECT_TRUE(live.ed.line_lock);
  live.Do("L");
  EXPECT_FALSE(live.ed.line_lock);
  EXPECT_EQ(live.Printed(), "Line Lock On\nLine Lock Off\n");

  live.Do("#");
  EXPECT_EQ(live.ed.settings.show_numbers, 0);
  live.Do("#");
  EXPECT_EQ(live.ed.settings.show_numbers, 1);
  Live off(std::string(kSmallRc) + "show_numbers=off\n");
  off.Do("#");
  EXPECT_EQ(off.ed.settings.show_numbers, 1);

  const struct {
    const char* answer;
    int page_length;
  } lengths[] = {{"3\n", 3},
                 {"1\n", 1},
                 {"0\n", 8},
                 {"-3\n", 8},
                 {"abc\n", 8},
                 {"\n", 8},
                 {"9999999\n", 9999999}};
  for (const auto& c : lengths) {
    Live p;
    p.Do("p", c.answer);
    EXPECT_EQ(p.ed.settings.page_length, c.page_length) << c.answer;
    const std::string printed = p.Printed();
    EXPECT_EQ(printed.rfind("Enter number of lines to display\n", 0), 0u) << c.answer;
    if (c.page_length == 8) {
      EXPECT_GT(printed.size(), std::strlen("Enter number of lines to display\n"))
          << "a refused page length needs a message: " << c.answer;
    }
  }
  // A huge page still keeps the cursor inside the grid.
  Live huge;
  huge.Do("p", "9999999\n");
  huge.Do(">");
  EXPECT_EQ(huge.ed.line, 11);
  huge.Do("<");
  EXPECT_EQ(huge.ed.line, 0);
}

// The comparison order of the loop; the commands of other parts of the editor are left out.
constexpr Command kOrder[] = {
    kPositionDown, kPositionUp, kPositionForw, kPositionBack, kPageForw,  kPageBack,   kPositionBeg,
    kLockTog,      kNumTog,     kJumpLine,     kJumpDoc,      kGoToLine,  kGoToPos,    kPositionEnd,
    kClipCopy,     kClipInsert, kClipPaste,    kLineClear,    kNewInsert, kClipCut,    kTrimEnd,
    kTrimWrap,     kLineMove,   kLineCopy,     kAnchorSet,    kAnchorGo,  kLineInsert, kLineDelete,
    kPageLength,   kUndo,       kQuit,
};

// Everything a command can change, after running input "k" with the given commands bound to it.
std::string RunBoundTo(const std::vector<Command>& bound) {
  Live live;
  live.Seed({"", "", "", "", "", "", "", "", "", "nine", "0123456789"});
  live.ed.line = 9;
  live.Do("!Q");  // an undo record to take back, and the cursor on line 10
  live.ed.column = 3;
  live.ed.settings.anchor = 6;
  std::strcpy(live.ed.clip.data(), "AB");
  for (const Command c : bound) {
    live.ed.settings.keys[c] = {'k', '\0'};
  }
  live.Printed();
  live.Do("k", "2\n");
  const Editor& ed = live.ed;
  return live.Grid() + "|" + std::to_string(ed.line) + ":" + std::to_string(ed.column) + "|" +
         std::to_string(ed.line_lock) + std::to_string(ed.settings.show_numbers) + "|" +
         std::to_string(ed.settings.anchor) + "|" + std::to_string(ed.settings.page_length) + "|" +
         ed.clip.data() + "|" + std::to_string(ed.undo.mode) + "|" + live.Printed();
}

TEST(Loop, SharedKeyRunsTheCommandComparedFirst) {
  const int n = static_cast<int>(std::size(kOrder));
  std::vector<std::string> alone;
  for (const Command c : kOrder) {
    alone.push_back(RunBoundTo({c}));
  }
  // Each command must leave a different trace, or the order could not be told apart.
  ASSERT_EQ(std::set<std::string>(alone.begin(), alone.end()).size(), alone.size());
  for (int i = 0; i < n; ++i) {
    std::vector<Command> from_here(kOrder + i, kOrder + n);
    EXPECT_EQ(RunBoundTo(from_here), alone[static_cast<std::size_t>(i)])
        << "command index " << kOrder[i] << " should have won";
  }
}

TEST(Loop, KeysFromTheSettingsFileMayBeSharedOrBeEqualsOrHash) {
  // Each of these keys now belongs to two commands; the one compared first runs.
  Live live(std::string(kSmallRc) + "undo=b\njump_line=#\nlock_tog==\n");
  const CommandKeys& keys = live.ed.settings.keys;
  for (const auto& [command, key] : {std::pair{kUndo, "b"},
                                     {kPositionBack, "b"},
                                     {kJumpLine, "#"},
                                     {kNumTog, "#"},
                                     {kLockTog, "="},
                                     {kCommandExec, "="}}) {
    EXPECT_STREQ(keys[command].data(), key) << command;
  }
  live.Do("hello");
  live.ed.line = 0;
  live.ed.column = 3;
  live.Do("b");
  EXPECT_EQ(live.ed.column, 2);
  EXPECT_TRUE(Holds(live.ed.grid, {"hello"})) << "undo ran";
  live.Do("#");
  EXPECT_EQ(live.ed.settings.show_numbers, 0);
  live.Do("=");
  EXPECT_TRUE(live.ed.line_lock);
  EXPECT_EQ(live.Printed(), "Line Lock On\n");
}

TEST(Loop, ExclamationMarkEntersTheNextCharacterAsText) {
  const struct {
    const char* input;
    int column;
    const char* slot;
    int line;
  } cases[] = {
      {"!b", 0, "b", 1},        {"!bx", 0, "b", 1}, {"!!", 0, "!", 1},  {"!hello", 0, "h", 1},
      {"!z", 0, "z", 1},        {"!", 0, "", 1},    {"!", 3, "   ", 1}, {"bb", 0, "bb", 1},
      {"hello", 0, "hello", 1}, {" q", 0, " q", 1}, {"q ", 0, "q ", 1}, {"b", 3, "", 0},
      {"!q", 2, "  q", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.input) + " at " + std::to_string(c.column));
    Live live;
    live.ed.column = c.column;
    EXPECT_EQ(live.Do(c.input), Flow::kContinue);
    EXPECT_TRUE(Holds(live.ed.grid, {c.slot}));
    EXPECT_EQ(live.ed.line, c.line);
    EXPECT_EQ(live.Printed(), "");
  }
}

TEST(Loop, OnlyUndoAnswersToAKeyBehindAnExclamationMark) {
  // Bound to "!", undo still runs, even when a command compared earlier has "!" too.
  for (const char* rc : {"undo=!\n", "position_back=!\nundo=!\n"}) {
    SCOPED_TRACE(rc);
    Live live(std::string(kSmallRc) + rc);
    live.ed.column = 2;
    live.Do("abc");
    ASSERT_EQ(live.ed.line, 1);
    live.Do("!");
    EXPECT_EQ(SlotBytes(live.ed.grid, 0), Padded("", 16));
    EXPECT_EQ(live.ed.line, 0);
    EXPECT_EQ(live.ed.column, 2);
    live.Do("!x");  // not the key: the escape still enters text
    EXPECT_EQ(SlotBytes(live.ed.grid, 0), Padded("  x", 16));
  }
  // Any other command bound to "!" is out of reach: "!" is empty text.
  Live clear(std::string(kSmallRc) + "line_clear=!\n");
  clear.Seed({"keep"});
  clear.Do("!");
  EXPECT_EQ(SlotBytes(clear.ed.grid, 0), Padded("keep", 16));
  EXPECT_EQ(clear.ed.line, 1);
}

TEST(Loop, TextEntryOverwritesAndMovesDown) {
  Live live;
  live.Seed({"abcdef"});
  live.ed.column = 2;
  live.Do("XY");
  EXPECT_EQ(SlotBytes(live.ed.grid, 0), Padded("abXYef", 16));
  EXPECT_EQ(live.ed.line, 1);
  EXPECT_EQ(live.ed.column, 2);
  live.Do("0123456789abcdefgh");  // room for 13 from column 2
  EXPECT_EQ(SlotBytes(live.ed.grid, 1), Padded("  0123456789abc", 16));

  // Refused at the slot's last byte, and the cursor still moves on.
  live.ed.column = 15;
  live.Do("xy");
  EXPECT_EQ(live.Printed(), "At End Of Line\n");
  EXPECT_EQ(SlotBytes(live.ed.grid, 2), Padded("", 16));
  EXPECT_EQ(live.ed.line, 3);

  // The last slot keeps the cursor.
  live.ed.line = 11;
  live.ed.column = 0;
  live.Do("one");
  live.Do("tw");
  EXPECT_EQ(live.ed.line, 11);
  EXPECT_EQ(SlotBytes(live.ed.grid, 11), Padded("twe", 16));
}

TEST(Loop, LineLockKeepsOverwritingTheSameLine) {
  Live live;
  live.Do("L");
  live.Do("abc");
  live.Do("xy");
  EXPECT_EQ(live.ed.line, 0);
  EXPECT_EQ(SlotBytes(live.ed.grid, 0), Padded("xyc", 16));
  // Enter is not text: it still moves down under the lock.
  Live enter;
  enter.Loop("L\nabc\n\nxy\n");
  EXPECT_EQ(enter.ed.line, 1);
  EXPECT_EQ(SlotBytes(enter.ed.grid, 0), Padded("abc", 16));
  EXPECT_EQ(SlotBytes(enter.ed.grid, 1), Padded("xy", 16));
  live.Do("L");
  live.Do("zz");
  EXPECT_EQ(live.ed.line, 1);
  EXPECT_EQ(SlotBytes(live.ed.grid, 0), Padded("zzc", 16));
  EXPECT_EQ(live.Printed(), "Line Lock On\nLine Lock Off\n");
}

TEST(Loop, AnyBytesOnStandardInput) {
  const std::string fifteen = "ABCDEFGHIJKLMNO";
  const struct {
    const char* name;
    std::string script;
    std::vector<std::string> slots;
    int line;
  } cases[] = {
      {"NUL inside a line", std::string("ab\0cd\nxy\n", 9), {"ab", "xy"}, 2},
      {"NUL alone", std::string("\0\nxy\n", 5), {"", "xy"}, 2},
      {"NUL in an answer", std::string("i\nX\0Y\n", 6), {"X"}, 0},
      {"carriage return is text", "abc\r\n", {"abc\r"}, 1},
      {"q with a carriage return is text", "q\r\nq\r\n", {"q\r", "q\r"}, 2},
      {"longer than a slot: the rest is the next line",
       "ABCDEFGHIJKLMNOPQRST\n",
       {fifteen, "PQRST"},
       2},
      {"exactly lsize - 1: the line end comes as Enter",
       fifteen + "\nxy\n",
       {fifteen, "", "xy"},
       3},
      {"one less fits whole", "ABCDEFGHIJKLMN\nxy\n", {"ABCDEFGHIJKLMN", "xy"}, 2},
      {"answer longer than a slot", "i\n" + fifteen + "XYZ\n", {"XYZ" + fifteen.substr(3)}, 1},
      {"jump string longer than a slot", "j\n" + fifteen + "XY\n", {"XY"}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Live live;
    live.Loop(c.script);
    EXPECT_TRUE(Holds(live.ed.grid, c.slots));
    EXPECT_EQ(live.ed.line, c.line);
    EXPECT_TRUE(SlotsZeroFilled(live.ed.grid));
    EXPECT_EQ(live.Printed().find(kQuitPrompt), std::string::npos);
  }
}

TEST(Loop, BinaryInputKeepsTheGridSound) {
  std::string noise;
  unsigned state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1103515245u + 12345u;
    noise += static_cast<char>((state >> 16) & 0xff);
  }
  Live live;
  live.Loop(noise);
  EXPECT_TRUE(SlotsZeroFilled(live.ed.grid));
  EXPECT_GE(live.ed.line, 0);
  EXPECT_LT(live.ed.line, 12);
  EXPECT_GE(live.ed.column, 0);
  EXPECT_LT(live.ed.column, 16);
}

TEST(Loop, NumericAnswersHoldSevenCharacters) {
  const struct {
    const char* name;
    const char* script;
    int line;
    int column;
    std::vector<std::string> slots;
  } cases[] = {
      {"the eighth character is the next input", "g\n00000034\n", 3, 0, {"", "", "4"}},
      {"seven digits leave their line end as Enter", "g\n0000003\nxy\n", 4, 0, {"", "", "", "xy"}},
      {"too large after seven characters", "G\n12345678\n", 1, 0, {"8"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Live live;
    live.Loop(c.script);
    EXPECT_EQ(live.ed.line, c.line);
    EXPECT_EQ(live.ed.column, c.column);
    EXPECT_TRUE(Holds(live.ed.grid, c.slots));
  }
}

}  // namespace
}  // namespace brenik

#include "settings/rc.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "core/commands.h"
#include "fake_filesystem.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::FakeFileSystem;
using testing::ScriptedIo;
using testing::TempDir;
using testing::WriteFile;
using Op = FakeFileSystem::Op;

constexpr const char* kRc = ".brenik_rc";

Settings Defaults() {
  Settings s;
  MakeKeys(s.names);
  SetDefaultValues(s.keys);
  return s;
}

Settings Apply(const std::string& text) {
  Settings s = Defaults();
  ApplyRC(text.data(), text.size(), s);
  return s;
}

std::string Key(const Settings& s, Command command) { return s.keys[command].data(); }

// Every key and setting, so one comparison shows any field that moved.
std::string Describe(const Settings& s) {
  std::ostringstream text;
  for (int i = 0; i < kCommandCount; ++i) {
    text << s.names[i].data() << '=' << s.keys[i].data() << '\n';
  }
  text << "lines=" << s.lines << " lsize=" << s.lsize << " anchor=" << s.anchor
       << " numbers=" << s.show_numbers << " page=" << s.page_length << " launch=["
       << s.launch_command << "]\n";
  return text.str();
}

struct RcRun {
  int result = 0;
  std::string output;
  Settings settings;
};

RcRun RunReadRC(FileSystem& fs) {
  RcRun run;
  run.settings = Defaults();
  ScriptedIo console("");
  run.result = ReadRC(run.settings, console.io().out, fs);
  run.output = console.output();
  return run;
}

TEST(ReadRC, CreatesTheDefaultFileThenReadsItBackUnchanged) {
  // The created file's bytes are compared by the settings_created transcript.
  FakeFileSystem fs;
  const RcRun first = RunReadRC(fs);
  EXPECT_EQ(first.result, 0);
  EXPECT_EQ(first.output, "Making RC file: .brenik_rc\n");
  EXPECT_EQ(Describe(first.settings), Describe(Defaults()));
  const std::optional<std::string> made = fs.Content(kRc);
  ASSERT_TRUE(made);
  const RcRun second = RunReadRC(fs);
  EXPECT_EQ(second.result, 1);
  EXPECT_EQ(second.output, "Reading RC file: .brenik_rc\n");
  EXPECT_EQ(Describe(second.settings), Describe(Defaults()));
  EXPECT_EQ(fs.Content(kRc), made);
}

TEST(ReadRC, FilesReadWithoutChangingThem) {
  const std::string rejected = "max_char=0\nquit=too long\nQUIT=k\nnothing here\n";
  for (const std::string& text : {std::string(), rejected}) {
    FakeFileSystem fs;
    fs.AddFile(kRc, text);
    const RcRun run = RunReadRC(fs);
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(run.output, "Reading RC file: .brenik_rc\n");
    EXPECT_EQ(Describe(run.settings), Describe(Defaults())) << text;
    EXPECT_EQ(fs.Content(kRc), text);
    EXPECT_EQ(fs.Calls(Op::kOpen), 1) << "the file was written again";
  }
  // In pieces of 16 bytes, so that lines straddle them.
  FakeFileSystem fs;
  fs.AddFile(kRc, "lines_per_page=12\nposition_forw=N\nlaunch_command=make all\n");
  fs.AddFault({Op::kRead, 1, true, 0, 16, ""});
  const RcRun run = RunReadRC(fs);
  EXPECT_EQ(run.settings.page_length, 12);
  EXPECT_EQ(Key(run.settings, kPositionForw), "N");
  EXPECT_EQ(run.settings.launch_command, "make all");
}

TEST(ReadRC, AFileThatCannotBeReadGivesTheDefaultsAndIsKept) {
  const auto refused = [](const char* why) {
    return std::string("Cannot read RC file .brenik_rc: ") + why + "; using the defaults\n";
  };
  const struct {
    const char* what;
    std::function<void(FakeFileSystem&)> setup;
    std::string output;
  } cases[] = {
      {"unreadable", [](FakeFileSystem& fs) { fs.AddFile(kRc, "quit=k\n", 0200); },
       refused("Permission denied")},
      {"a directory", [](FakeFileSystem& fs) { fs.AddDirectory(kRc); }, refused("Is a directory")},
      // A device such as /dev/zero would never end.
      {"a device", [](FakeFileSystem& fs) { fs.AddSpecial(kRc, S_IFCHR | 0666); },
       refused("not a regular file")},
      {"its size cannot be found",
       [](FakeFileSystem& fs) {
         fs.AddFile(kRc, "quit=k\n");
         fs.FailNth(Op::kFstat, 1, EOVERFLOW);
       },
       refused("Value too large for defined data type")},
      {"a read fails after the first piece: nothing of it applies",
       [](FakeFileSystem& fs) {
         fs.AddFile(kRc, "quit=k\nmax_lines=20\nhelp=?\n");
         fs.LimitNth(Op::kRead, 1, 16);
         fs.FailNth(Op::kRead, 2, EIO);
       },
       "Reading RC file: .brenik_rc\n" + refused("Input/output error")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    c.setup(fs);
    const std::optional<struct stat> before = fs.Info(kRc, false);
    const RcRun run = RunReadRC(fs);
    EXPECT_EQ(run.output, c.output);
    EXPECT_EQ(Describe(run.settings), Describe(Defaults()));
    ASSERT_EQ(fs.Calls(Op::kOpen), 1) << "the file was replaced";
    EXPECT_EQ(fs.calls()[0].flags & O_ACCMODE, O_RDONLY);
    EXPECT_EQ(fs.Info(kRc, false)->st_ino, before->st_ino);
  }
}

// On the real disk, where the kernel decides what a link does.
TEST(ReadRC, LinksAreReadButNeverMadeOrFollowedToMakeAFile) {
  TempDir dir;
  PosixFileSystem posix;
  ASSERT_EQ(symlink("target_that_is_missing", kRc), 0);
  RcRun run = RunReadRC(posix);
  EXPECT_EQ(run.output, "Making RC file: .brenik_rc\nCannot make RC file\n");
  EXPECT_EQ(Describe(run.settings), Describe(Defaults()));
  EXPECT_FALSE(std::filesystem::exists("target_that_is_missing"));
  EXPECT_EQ(std::filesystem::read_symlink(kRc), "target_that_is_missing");

  WriteFile("target_that_is_missing", "quit=k\n");
  run = RunReadRC(posix);
  EXPECT_EQ(run.output, "Reading RC file: .brenik_rc\n");
  EXPECT_EQ(Key(run.settings, kQuit), "k");
}

TEST(MakeRC, NeverOverAnExistingFileAndNothingLeftAfterAFailedWrite) {
  FakeFileSystem fs;
  fs.AddFile("kept", "mine\n");
  ScriptedIo console("");
  MakeRC(Defaults(), "kept", console.io().out, fs);
  EXPECT_EQ(console.output(), "Cannot make RC file\n");
  EXPECT_EQ(fs.Content("kept"), "mine\n");

  // On the real disk, which is full: the file begun is removed again.
  struct FullDisk : PosixFileSystem {
    ssize_t Write(int, const void*, std::size_t) override {
      errno = ENOSPC;
      return -1;
    }
  } full;
  TempDir dir;
  const RcRun run = RunReadRC(full);
  EXPECT_EQ(run.output, "Making RC file: .brenik_rc\nCannot make RC file\n");
  EXPECT_FALSE(std::filesystem::exists(kRc));
}

TEST(ApplyRC, CommandNamesMatchAnywhereInTheLine) {
  struct Case {
    const char* text;
    Command command;
    const char* key;
  };
  const Case cases[] = {
      {"quit=k\n", kQuit, "k"},
      {"my_quit=k\n", kQuit, "k"},
      {"quit_now=k\n", kQuit, "k"},
      {"QUIT=k\n", kQuit, "q"},
      {"quit= k\n", kQuit, "q"},         // the value is " k": two characters
      {"quit=k \n", kQuit, "q"},         // "k "
      {"quit =k\n", kQuit, "k"},         // the value starts after the "=", so it is "k"
      {"quit=\n", kQuit, "q"},           // an empty value
      {"quit\n", kQuit, "q"},            // no "=" at all
      {"quit=k\nquit=j\n", kQuit, "j"},  // the later line wins
      {"command_exec==\n", kCommandExec, "="},
      {"num_tog=#\n", kNumTog, "#"},
      {"help==\n", kHelp, "="},
      {"undo=#\n", kUndo, "#"},
      {"open=o\n", kOpen, "o"},
      {"position_up=,\n", kPositionUp, ","},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Key(Apply(c.text), c.command), c.key) << c.text;
  }
}

TEST(ApplyRC, LineNamingTwoCommandsBindsBoth) {
  const Settings s = Apply("undoquit=k\n");
  EXPECT_EQ(Key(s, kUndo), "k");
  EXPECT_EQ(Key(s, kQuit), "k");
  Settings expected = Defaults();
  expected.keys[kUndo] = {'k', '\0'};
  expected.keys[kQuit] = {'k', '\0'};
  EXPECT_EQ(Describe(s), Describe(expected));
}

TEST(ApplyRC, BindingLinesAreNeverReadAsOtherSettings) {
  // "help" inside the value makes it a binding line; its value is too long for a key.
  Settings s = Apply("launch_command=make help\n");
  EXPECT_EQ(s.launch_command, "");
  EXPECT_EQ(Key(s, kHelp), "h");
  // A name in the key part wins over max_lines in the same line.
  s = Apply("quitmax_lines=5\n");
  EXPECT_EQ(s.lines, kDefaultLines);
  EXPECT_EQ(Key(s, kQuit), "5");
}

TEST(ApplyRC, FirstOtherKeyInTestOrderTakesTheLine) {
  struct Case {
    const char* text;
    std::string expected;  // Describe() of the settings the line should leave
  };
  Settings numbers_off = Defaults();
  numbers_off.show_numbers = 0;
  Settings page_40 = Defaults();
  page_40.page_length = 40;
  Settings equals = Defaults();
  equals.launch_command = "a=b c=d";
  Settings three_lines = Defaults();
  three_lines.lines = 3;
  const Case cases[] = {
      // strtol of "echo max_lines" gives 0, which max_lines refuses.
      {"launch_command=echo max_lines\n", Describe(Defaults())},
      {"launch_command=echo max_char 9\n", Describe(Defaults())},
      {"launch_command=echo anchor_position\n", Describe(Defaults())},
      {"launch_command= 40 lines_per_page\n", Describe(page_40)},
      {"launch_command=show_numbers\n", Describe(numbers_off)},
      // max_lines comes before lines_per_page in the test order.
      {"lines_per_page max_lines=3\n", Describe(three_lines)},
      {"launch_command=a=b c=d\n", Describe(equals)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(Apply(c.text)), c.expected) << c.text;
  }
}

TEST(ApplyRC, LimitsAcceptOnlyPositive32BitValues) {
  struct Case {
    const char* text;
    int lines;
    int lsize;
  };
  const Case cases[] = {
      {"max_lines=500\n", 500, kDefaultLsize},
      {"max_lines= 40\n", 40, kDefaultLsize},
      {"max_lines=+40\n", 40, kDefaultLsize},
      {"max_lines=40abc\n", 40, kDefaultLsize},
      {"max_lines=1\n", 1, kDefaultLsize},
      {"max_lines=0\n", kDefaultLines, kDefaultLsize},
      {"max_lines=-5\n", kDefaultLines, kDefaultLsize},
      {"max_lines=abc\n", kDefaultLines, kDefaultLsize},
      {"max_lines=\n", kDefaultLines, kDefaultLsize},
      {"max_lines=2147483647\n", INT_MAX, kDefaultLsize},
      {"max_lines=2147483648\n", kDefaultLines, kDefaultLsize},
      {"max_lines=-2147483649\n", kDefaultLines, kDefaultLsize},
      {"max_lines=4294967297\n", kDefaultLines, kDefaultLsize},  // 2^32 + 1 must not wrap to 1
      {"max_lines=99999999999999999999999\n", kDefaultLines, kDefaultLsize},
      {"max_char=79\n", kDefaultLines, 80},
      {"max_char=2\n", kDefaultLines, 3},
      {"max_char=1\n", kDefaultLines, kDefaultLsize},
      {"max_char=0\n", kDefaultLines, kDefaultLsize},
      {"max_char=-1\n", kDefaultLines, kDefaultLsize},
      {"max_char=2147483646\n", kDefaultLines, INT_MAX},
      {"max_char=2147483647\n", kDefaultLines, kDefaultLsize},  // lsize would overflow
      {"max_char=4294967298\n", kDefaultLines, kDefaultLsize},
      {"max_lines=40\nmax_lines=0\n", 40, kDefaultLsize},
      {"max_lines=40\nmax_lines=50\n", 50, kDefaultLsize},
  };
  for (const Case& c : cases) {
    const Settings s = Apply(c.text);
    EXPECT_EQ(s.lines, c.lines) << c.text;
    EXPECT_EQ(s.lsize, c.lsize) << c.text;
  }
}

TEST(ApplyRC, RangesUseTheLimitsAsEarlierLinesLeftThem) {
  struct Case {
    const char* text;
    int anchor;
    int page_length;
  };
  const Case cases[] = {
      {"anchor_position=80\n", 79, kDefaultPageLength},
      {"anchor_position=255\n", 254, kDefaultPageLength},
      {"anchor_position=256\n", 0, kDefaultPageLength},
      {"anchor_position=1\n", 0, kDefaultPageLength},
      {"anchor_position=0\n", 0, kDefaultPageLength},
      {"max_char=79\nanchor_position=80\n", 0, kDefaultPageLength},
      {"max_char=79\nanchor_position=79\n", 78, kDefaultPageLength},
      // Accepted first; the later max_char leaves column 79 inside the 80-byte slot.
      {"anchor_position=80\nmax_char=79\n", 79, kDefaultPageLength},
      // Column 80 would be past the last byte of the slot: reset.
      {"anchor_position=81\nmax_char=79\n", 0, kDefaultPageLength},
      {"anchor_position=200\nmax_char=79\n", 0, kDefaultPageLength},
      {"lines_per_page=32767\n", 0, kDefaultPageLength},
      {"lines_per_page=32766\n", 0, 32766},
      {"lines_per_page=1\n", 0, 1},
      {"lines_per_page=0\n", 0, kDefaultPageLength},
      {"lines_per_page=-3\n", 0, kDefaultPageLength},
      {"max_lines=10\nlines_per_page=10\n", 0, kDefaultPageLength},
      {"max_lines=10\nlines_per_page=9\n", 0, 9},
      {"lines_per_page=20\nmax_lines=10\n", 0, 20},  // stays, though no longer below lines
      {"max_lines=1\nlines_per_page=1\n", 0, kDefaultPageLength},
      // Past 32 bits: refused, not wrapped to 1 or 2.
      {"lines_per_page=2147483647\nanchor_position=2147483647\n", 0, kDefaultPageLength},
      {"lines_per_page=4294967298\nanchor_position=4294967298\n", 0, kDefaultPageLength},
  };
  for (const Case& c : cases) {
    const Settings s = Apply(c.text);
    EXPECT_EQ(s.anchor, c.anchor) << c.text;
    EXPECT_EQ(s.page_length, c.page_length) << c.text;
  }
}

TEST(ApplyRC, ShowNumbersIsOnOnlyForExactlyOn) {
  const struct {
    const char* text;
    int show_numbers;
  } cases[] = {
      {"show_numbers=on\n", 1},
      {"show_numbers=off\n", 0},
      {"show_numbers=ON\n", 0},
      {"show_numbers= on\n", 0},
      {"show_numbers=on \n", 0},
      {"show_numbers=\n", 0},
      {"show_numbers\n", 1},  // no "=": the line is ignored, not read as an empty value
      {"show_numbers=off\nshow_numbers=on\n", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Apply(c.text).show_numbers, c.show_numbers) << c.text;
  }
}

TEST(ApplyRC, LaunchCommandTakesTheWholeValueUpTo255Characters) {
  EXPECT_EQ(Apply("launch_command=make all\n").launch_command, "make all");
  EXPECT_EQ(Apply("launch_command=make all").launch_command, "make all");
  EXPECT_EQ(Apply("launch_command=ls\nlaunch_command=\n").launch_command, "ls");
  EXPECT_EQ(Apply("launch_command= ls -l \n").launch_command, " ls -l ");
  const std::string exact(255, 'a');
  EXPECT_EQ(Apply("launch_command=" + exact + "\n").launch_command, exact);
  EXPECT_EQ(Apply("launch_command=" + exact + "bcd\n").launch_command, exact);
}

TEST(ApplyRC, CarriageReturnsStayInTheValues) {
  const Settings s = Apply(
      "quit=k\r\nhelp=?\r\nmax_lines=40\r\nmax_char=79\r\nlines_per_page=12\r\n"
      "anchor_position=5\r\nshow_numbers=on\r\nlaunch_command=make\r\n");
  Settings expected = Defaults();
  expected.lines = 40;
  expected.lsize = 80;
  expected.page_length = 12;
  expected.anchor = 4;
  expected.show_numbers = 0;
  expected.launch_command = "make\r";
  EXPECT_EQ(Describe(s), Describe(expected));
}

TEST(ApplyRC, TextEndsAtTheFirstZeroByte) {
  const std::string text("quit=k\n\0help=j\n", 15);
  const Settings s = Apply(text);
  EXPECT_EQ(Key(s, kQuit), "k");
  EXPECT_EQ(Key(s, kHelp), "h");
}

TEST(ApplyRC, EmptyLinesAndStrayTextAreSkipped) {
  const Settings s = Apply("\n\n\nnothing=here\n\n  \nquit=k\n\n");
  Settings expected = Defaults();
  expected.keys[kQuit] = {'k', '\0'};
  EXPECT_EQ(Describe(s), Describe(expected));
  EXPECT_EQ(Describe(Apply("")), Describe(Defaults()));
}

}  // namespace
}  // namespace brenik

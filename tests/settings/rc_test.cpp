#include "settings/rc.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/commands.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::ReadFile;
using testing::WriteFile;

using testing::After;
using testing::RunSession;
using testing::TempDir;

const char kCreated[] =
    "position_back=b\nposition_forw=n\nposition_down=,\nposition_up=.\nposition_beg=l\n"
    "position_end=e\npage_back=<\npage_forw=>\npage_length=p\njump_line=j\njump_doc=J\n"
    "lock_tog=L\ngo_to_line=g\ngo_to_pos=G\nanchor_go=a\nanchor_set=A\nline_clear=d\n"
    "line_move=m\nline_insert=w\nline_delete=D\nline_copy=C\nclip_copy=c\nclip_cut=x\n"
    "clip_paste=v\nclip_insert=V\nnew_insert=i\ntrim_end=t\ntrim_wrap=T\nundo=z\n"
    "save_prompt=s\nsave_overwrite=S\nopen=O\nhelp=h\nnum_tog=#\ncommand_exec==\n"
    "command_edit=+\nquit=q\nmax_lines=32767\nmax_char=255\n\nanchor_position=0\n"
    "lines_per_page=8\nshow_numbers=on\nlaunch_command=\n";

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
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  run.result = ReadRC(run.settings, out, fs);
  std::fclose(out);
  run.output.assign(buffer, size);
  std::free(buffer);
  return run;
}

RcRun RunReadRC() {
  PosixFileSystem fs;
  return RunReadRC(fs);
}

TEST(ReadRC, CreatesTheDefaultFileWhenMissing) {
  TempDir dir;
  const RcRun run = RunReadRC();
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.output, "Making RC file: .brenik_rc\n");
  const std::string made = ReadFile(".brenik_rc");
  EXPECT_EQ(made, kCreated);
  EXPECT_EQ(made.size(), 561u);
  EXPECT_EQ(std::count(made.begin(), made.end(), '\n'), 44);
  EXPECT_EQ(Describe(run.settings), Describe(Defaults()));
}

TEST(ReadRC, ReadingTheCreatedFileBackChangesNothing) {
  TempDir dir;
  RunReadRC();
  const RcRun second = RunReadRC();
  EXPECT_EQ(second.result, 1);
  EXPECT_EQ(second.output, "Reading RC file: .brenik_rc\n");
  EXPECT_EQ(Describe(second.settings), Describe(Defaults()));
  EXPECT_EQ(ReadFile(".brenik_rc"), kCreated);
}

TEST(ReadRC, EmptyFileIsReadAndKept) {
  TempDir dir;
  WriteFile(".brenik_rc", "");
  const RcRun run = RunReadRC();
  EXPECT_EQ(run.result, 1);
  EXPECT_EQ(run.output, "Reading RC file: .brenik_rc\n");
  EXPECT_EQ(Describe(run.settings), Describe(Defaults()));
  EXPECT_EQ(ReadFile(".brenik_rc"), "");
}

TEST(ReadRC, FileWithOnlyRejectedLinesIsLeftAsItIs) {
  TempDir dir;
  const std::string text = "max_char=0\nquit=too long\nQUIT=k\nnothing here\n";
  WriteFile(".brenik_rc", text);
  const RcRun run = RunReadRC();
  EXPECT_EQ(Describe(run.settings), Describe(Defaults()));
  EXPECT_EQ(ReadFile(".brenik_rc"), text);
}

TEST(ReadRC, LargeFileIsReadWhole) {
  TempDir dir;
  std::string text;
  while (text.size() < 100 * 1024) {
    text += "a line that names no setting at all, only to take up room\n";
  }
  text += "max_lines=77\nquit=k";  // the last line has no line end
  WriteFile(".brenik_rc", text);
  const RcRun run = RunReadRC();
  EXPECT_EQ(run.settings.lines, 77);
  EXPECT_EQ(Key(run.settings, kQuit), "k");
}

TEST(ReadRC, DanglingLinkIsNeitherFollowedNorReplaced) {
  TempDir dir;
  ASSERT_EQ(symlink("target_that_is_missing", ".brenik_rc"), 0);
  const RcRun run = RunReadRC();
  EXPECT_EQ(run.output, "Making RC file: .brenik_rc\nCannot make RC file\n");
  EXPECT_EQ(Describe(run.settings), Describe(Defaults()));
  EXPECT_FALSE(std::filesystem::exists("target_that_is_missing"));
  EXPECT_TRUE(std::filesystem::is_symlink(".brenik_rc"));
  EXPECT_EQ(std::filesystem::read_symlink(".brenik_rc"), "target_that_is_missing");
}

TEST(ReadRC, LinkToARegularFileIsRead) {
  TempDir dir;
  WriteFile("shared_rc", "quit=k\n");
  ASSERT_EQ(symlink("shared_rc", ".brenik_rc"), 0);
  const RcRun run = RunReadRC();
  EXPECT_EQ(run.output, "Reading RC file: .brenik_rc\n");
  EXPECT_EQ(Key(run.settings, kQuit), "k");
}

// Runs as the real file system, except that chosen calls fail with a chosen errno.
class FailingFileSystem : public PosixFileSystem {
 public:
  int open_errno = 0;   // every open of .brenik_rc fails with this, when set
  int read_errno = 0;   // every read after the first fails with this, when set
  int write_errno = 0;  // every write fails with this, when set
  int opens_for_writing = 0;

  int Open(const char* path, int flags, mode_t mode) override {
    if ((flags & O_ACCMODE) != O_RDONLY) {
      ++opens_for_writing;
    }
    if (open_errno != 0 && std::string(path) == ".brenik_rc") {
      errno = open_errno;
      return -1;
    }
    return PosixFileSystem::Open(path, flags, mode);
  }
  ssize_t Read(int fd, void* buffer, std::size_t size) override {
    if (read_errno != 0 && reads_++ > 0) {
      errno = read_errno;
      return -1;
    }
    return PosixFileSystem::Read(fd, buffer, size < 16 ? size : 16);
  }
  ssize_t Write(int fd, const void* buffer, std::size_t size) override {
    if (write_errno != 0) {
      errno = write_errno;
      return -1;
    }
    return PosixFileSystem::Write(fd, buffer, size);
  }

 private:
  int reads_ = 0;
};

// Permission bits do not stop root from reading, so an unreadable file is simulated: the open
// fails as it would for an ordinary user without read permission.
TEST(ReadRC, UnreadableFileUsesTheDefaultsAndIsNotReplaced) {
  TempDir dir;
  WriteFile(".brenik_rc", "quit=k\n");
  FailingFileSystem fs;
  fs.open_errno = EACCES;
  const RcRun run = RunReadRC(fs);
  EXPECT_EQ(run.output, "Cannot read RC file .brenik_rc: Permission denied; using the defaults\n");
  EXPECT_EQ(Describe(run.settings), Describe(Defaults()));
  EXPECT_EQ(fs.opens_for_writing, 0);
  EXPECT_EQ(ReadFile(".brenik_rc"), "quit=k\n");
}

TEST(ReadRC, ReadErrorAppliesNothingOfWhatWasRead) {
  TempDir dir;
  WriteFile(".brenik_rc", "quit=k\nmax_lines=20\nhelp=?\n");
  FailingFileSystem fs;
  fs.read_errno = EIO;
  const RcRun run = RunReadRC(fs);
  EXPECT_EQ(run.output,
            "Reading RC file: .brenik_rc\n"
            "Cannot read RC file .brenik_rc: Input/output error; using the defaults\n");
  EXPECT_EQ(Describe(run.settings), Describe(Defaults()));
  EXPECT_EQ(fs.opens_for_writing, 0);
}

TEST(ReadRC, FileReadInSmallPiecesIsJoined) {
  TempDir dir;
  // The fake hands out 16 bytes a read, so the lines straddle the pieces.
  WriteFile(".brenik_rc", "lines_per_page=12\nposition_forw=N\nlaunch_command=make all\n");
  FailingFileSystem fs;
  const RcRun run = RunReadRC(fs);
  EXPECT_EQ(run.settings.page_length, 12);
  EXPECT_EQ(Key(run.settings, kPositionForw), "N");
  EXPECT_EQ(run.settings.launch_command, "make all");
}

TEST(ReadRC, NonRegularFilesAreRefusedAndKept) {
  TempDir dir;
  std::filesystem::create_directory(".brenik_rc");
  RcRun run = RunReadRC();
  EXPECT_EQ(run.output, "Cannot read RC file .brenik_rc: Is a directory; using the defaults\n");
  EXPECT_TRUE(std::filesystem::is_directory(".brenik_rc"));

  // A device would read as empty (or, like /dev/zero, never end).
  std::filesystem::remove(".brenik_rc");
  ASSERT_EQ(symlink("/dev/null", ".brenik_rc"), 0);
  run = RunReadRC();
  EXPECT_EQ(run.output, "Cannot read RC file .brenik_rc: not a regular file; using the defaults\n");
  EXPECT_EQ(std::filesystem::read_symlink(".brenik_rc"), "/dev/null");
}

TEST(MakeRC, FailedWriteLeavesNoFileBehind) {
  TempDir dir;
  FailingFileSystem fs;
  fs.write_errno = ENOSPC;
  const RcRun run = RunReadRC(fs);
  EXPECT_EQ(run.output, "Making RC file: .brenik_rc\nCannot make RC file\n");
  EXPECT_FALSE(std::filesystem::exists(".brenik_rc"));
}

TEST(MakeRC, RefusesAnExistingFile) {
  TempDir dir;
  WriteFile("kept", "mine\n");
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  PosixFileSystem fs;
  MakeRC(Defaults(), "kept", out, fs);
  std::fclose(out);
  EXPECT_EQ(std::string(buffer, size), "Cannot make RC file\n");
  std::free(buffer);
  EXPECT_EQ(ReadFile("kept"), "mine\n");
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

// Whole runs: the file is read before the grid exists, and the keys it binds are the ones
// the loop, the hint and the help menu use.
TEST(ReadRC, LimitsAndKeysReachTheWholeEditor) {
  TempDir dir;
  WriteFile(".brenik_rc",
            "max_lines=5\nmax_char=79\nhelp=?\nquit=Q\nshow_numbers=off\nlines_per_page=3\n");
  const testing::Session session = RunSession("?\nx\n.\n.\n.\n.\n.\n.\nQ\nq\n");
  EXPECT_EQ(session.status, 0);
  EXPECT_NE(session.output.find("Reading RC file: .brenik_rc\n\nEnter '?' for help or 'Q' to "
                                "quit\n"),
            std::string::npos);
  EXPECT_NE(session.output.find("Limits:  Line length = 79     Total Lines = 5\n"),
            std::string::npos);
  // Six moves down stop at the fifth and last slot; three lines without numbers are shown.
  EXPECT_NE(session.output.find("\nEditing 5:1 \n\n\n\n>\n> "), std::string::npos);
  EXPECT_EQ(session.output.find("Editing 6:"), std::string::npos);
}

TEST(ReadRC, SharedKeyRunsTheCommandComparedFirst) {
  TempDir dir;
  // jump_line has the lower index, but num_tog is compared first.
  WriteFile(".brenik_rc", "jump_line=#\n");
  const testing::Session session = RunSession("#\nq\nq\n");
  EXPECT_EQ(session.output.find("Enter jump string"), std::string::npos);
  EXPECT_NE(After(session.output, "Editing 1:1", 2).find("\n>\n"), std::string::npos);
}

TEST(ReadRC, KeysBoundToEqualsAndHashRun) {
  TempDir dir;
  // "=" is also command_exec's default key; lock_tog is compared first.
  WriteFile(".brenik_rc", "lock_tog==\nundo=#\nnum_tog=N\n");
  const testing::Session session = RunSession("=\nN\nq\nq\n");
  EXPECT_NE(session.output.find("Line Lock On\n"), std::string::npos);
  EXPECT_EQ(session.output.find("command in memory"), std::string::npos);
  // "N" hid the numbers, so the cursor line is printed as ">".
  EXPECT_NE(After(session.output, "Line Lock On\n").find("\n>\n"), std::string::npos);
}

TEST(ReadRC, LaunchCommandFromTheFileIsNotRunAtStartUp) {
  TempDir dir;
  WriteFile(".brenik_rc", "launch_command=touch started\n");
  const testing::Session session = RunSession("q\nq\n");
  EXPECT_EQ(session.status, 0);
  EXPECT_FALSE(std::filesystem::exists("started"));
}

}  // namespace
}  // namespace brenik

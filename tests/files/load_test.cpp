#include "files/load.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fake_filesystem.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::After;
using testing::FakeFileSystem;
using testing::Holds;
using testing::MakeGrid;
using testing::ScriptedIo;
using Op = FakeFileSystem::Op;

struct Result {
  OpenResult result;
  std::string output;
  bool saved = false;
  std::string rest;  // input left unread
};

// Runs Open on the fake file system, as the command loop would.
Result RunOpen(FakeFileSystem& fs, LineGrid& grid, int mode, std::string& open_path,
               std::string& file_name, const std::string& script = "") {
  ScriptedIo console(script);
  Result run;
  run.result = Open(mode, open_path, grid, file_name, console.io(), fs, run.saved);
  run.output = console.output();
  run.rest = console.rest();
  return run;
}

Result StartUpLoad(FakeFileSystem& fs, LineGrid& grid, const std::string& name,
                   const std::string& script = "") {
  std::string open_path = name;
  std::string file_name = name;
  return RunOpen(fs, grid, kStartUpMode, open_path, file_name, script);
}

// The line start table behind a load; what a load makes of it is checked through Open below.
TEST(MarkLines, FillsTheLineStartTable) {
  const struct {
    int lines;
    std::string text;
    std::vector<std::pair<std::size_t, int>> entries;  // entry 0 left out
    std::size_t looked;
  } cases[] = {
      {10, "abcdefg", {{3, kSplitStart}, {6, kSplitStart}, {7, kSplitStart}}, 7},
      // Exactly lsize - 1 characters before a newline: no split.
      {10, "abc\nd", {{3, kNewlineStart}, {5, kSplitStart}}, 5},
      // A last line that is empty gets no end record.
      {10, "a\nb\n", {{1, kNewlineStart}, {3, kNewlineStart}}, 4},
      // The scan stops once entry `lines` exists.
      {3, "a\nb\nc\ndd", {{1, kNewlineStart}, {3, kNewlineStart}, {5, kNewlineStart}}, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ScriptedIo console("");
    std::vector<std::size_t> starts(static_cast<std::size_t>(c.lines) + 1, 999);
    std::vector<unsigned char> kinds(static_cast<std::size_t>(c.lines) + 1, 0);
    std::size_t looked = 12345;
    const long long n = MarkLines(c.text.data(), c.text.size(), c.lines, 4, starts.data(),
                                  kinds.data(), console.io().out, looked);
    ASSERT_EQ(n, static_cast<long long>(c.entries.size()) + 1);
    EXPECT_EQ(starts[0], 0u);
    for (std::size_t k = 0; k < c.entries.size(); ++k) {
      EXPECT_EQ(starts[k + 1], c.entries[k].first) << "entry " << k + 1;
      EXPECT_EQ(kinds[k + 1], c.entries[k].second) << "entry " << k + 1;
    }
    EXPECT_EQ(looked, c.looked);
  }
}

TEST(Open, LoadsTheEdgeCasesOfTheFormat) {
  const auto split = [](int line) {
    return "WARNING!  Line " + std::to_string(line) + " is being split\n";
  };
  const std::string lost = "Warning! The last 1 byte(s) of the text did not fit into ";
  const std::string x255(255, 'x');
  const struct {
    const char* what;
    int lines;
    int lsize;
    std::string file;
    std::string output;  // after "Opened f\nRead N bytes, "
    std::vector<std::string> slots;
  } cases[] = {
      {"a full line", 5, 256, x255 + "\n", "0 Lines Generated\n", {x255}},
      {"one too many", 5, 256, x255 + "y\n", split(1) + "1 Lines Generated\n", {x255, "y"}},
      {"cut twice",
       5,
       4,
       "abcdefg\n",
       split(1) + split(2) + "2 Lines Generated\n",
       {"abc", "def", "g"}},
      {"no final newline keeps the last character",
       5,
       8,
       "ab\ncd",
       "1 Lines Generated\n",
       {"ab", "cd"}},
      {"one character without newline", 5, 8, "a", "0 Lines Generated\n", {"a"}},
      {"two final newlines", 5, 8, "a\n\n", "1 Lines Generated\n", {"a"}},
      {"one newline", 5, 8, "\n", "0 Lines Generated\n", {}},
      {"empty file", 5, 8, "", "0 Lines Generated\n", {}},
      {"carriage returns stay", 5, 8, "a\r\nb\r\n", "1 Lines Generated\n", {"a\r", "b\r"}},
      {"empty lines inside", 5, 8, "\n\nc\n", "2 Lines Generated\n", {"", "", "c"}},
      {"a zero byte ends the text",
       5,
       8,
       std::string("ab\0cd\nef\n", 9),
       "0 Lines Generated\nWarning! A zero byte at offset 2 ends the text; the 6 bytes from there "
       "on are not loaded\n",
       {"ab"}},
      {"a single byte left over",
       3,
       8,
       "a\nb\nc\nd\n",
       "3 Lines Generated\n" + lost + "3 lines and are not loaded\n",
       {"a", "b", "c"}},
      {"a split piece without a slot",
       2,
       4,
       "abcdefg\n",
       split(1) + split(2) + "2 Lines Generated\n" + lost + "2 lines and are not loaded\n",
       {"abc", "def"}},
      {"an empty last line beyond the slots is no loss",
       3,
       8,
       "a\nb\nc\n\n",
       "3 Lines Generated\n",
       {"a", "b", "c"}},
      {"the warnings number the lines of the grid",
       10,
       3,
       "x\nabcde\ny\n",
       split(2) + split(3) + "4 Lines Generated\n",
       {"x", "ab", "cd", "e", "y"}},
      {"every slot filled", 3, 4, "abc\ndef\nghi\n", "2 Lines Generated\n", {"abc", "def", "ghi"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    fs.AddFile("f", c.file);
    LineGrid grid = MakeGrid(c.lines, c.lsize, {});
    const Result run = StartUpLoad(fs, grid, "f");
    EXPECT_EQ(run.result, OpenResult::kLoaded);
    EXPECT_EQ(run.output,
              "Opened f\nRead " + std::to_string(c.file.size()) + " bytes, " + c.output);
    EXPECT_TRUE(Holds(grid, c.slots));
    EXPECT_EQ(fs.Calls(Op::kRead), c.file.empty() ? 0 : 1) << "one read for the whole file";
    EXPECT_EQ(fs.OpenDescriptors(), 0);
  }
}

TEST(Open, ReplacesTheWholeOldDocument) {
  FakeFileSystem fs;
  fs.AddFile("short", "x\n\nyz\n");
  LineGrid grid = MakeGrid(6, 10, {"long one", "", "and more", "tail", "", "last"});
  ASSERT_EQ(StartUpLoad(fs, grid, "short").result, OpenResult::kLoaded);
  EXPECT_TRUE(Holds(grid, {"x", "", "yz"}));
  // The grid still knows where its text ends: the slots past the new file are usable.
  EXPECT_EQ(DocLength(grid), 2);
}

TEST(Open, PartialLoadWarningKeepsTheGridUnlessAnsweredY) {
  const std::string warning =
      "Read 10 bytes, 3 Lines Generated\n"
      "\nWarning!! Only 66.7 percent of the data was loaded!\n"
      "The unloaded data will be lost if you save to the same filename!\n"
      "Do you wish to continue (Y,n)?\n"
      "If not, restart with more lines by editing the .brenik_rc file.\n";
  struct Case {
    std::string answer;
    bool loads;
    std::string rest;
  };
  const Case cases[] = {
      {"Y\n", true, ""},
      {"Y\nmore\n", true, "more\n"},
      {"\n", false, ""},
      {"y\n", false, ""},
      {"Yes\n", false, ""},
      {"Y \n", false, ""},
      {"Y", false, ""},  // the line end is part of the answer
      {"", false, ""},
      // Only 15 characters are read; the rest waits for the next read.
      {"nnnnnnnnnnnnnnnnnnnn\n", false, "nnnnn\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    for (const int mode : {kStartUpMode, kPromptMode}) {
      SCOPED_TRACE(mode == kStartUpMode ? "start-up" : "prompt");
      FakeFileSystem fs;
      fs.AddFile("big", "a\nb\nc\nd\ne\n");
      LineGrid grid = MakeGrid(3, 8, {"old", "doc"});
      std::string open_path = "before";
      std::string file_name = "current";
      const std::string script = (mode == kPromptMode ? "big\n" : "") + c.answer;
      if (mode == kStartUpMode) {
        open_path = "big";
      }
      const Result run = RunOpen(fs, grid, mode, open_path, file_name, script);
      EXPECT_NE(run.output.find("Opened big\n" + warning), std::string::npos) << run.output;
      EXPECT_EQ(run.rest, c.rest);
      EXPECT_EQ(file_name, "current");
      if (c.loads) {
        EXPECT_EQ(run.result, OpenResult::kLoaded);
        EXPECT_TRUE(Holds(grid, {"a", "b", "c"}));
        EXPECT_EQ(open_path, "big");
        continue;
      }
      EXPECT_TRUE(Holds(grid, {"old", "doc"}));
      if (mode == kStartUpMode) {
        EXPECT_EQ(run.result, OpenResult::kFatal);
      } else {
        EXPECT_EQ(run.result, OpenResult::kRefused);
        EXPECT_EQ(open_path, "before");
        EXPECT_TRUE(run.output.ends_with("File big was not opened\n")) << run.output;
      }
    }
  }
}

TEST(Open, PartialLoadWarningShowsTheShareLookedAt) {
  FakeFileSystem fs;
  fs.AddFile("f", "a\nb\nc\ndd\n");
  LineGrid grid = MakeGrid(3, 8, {});
  const Result run = StartUpLoad(fs, grid, "f", "Y\n");
  EXPECT_NE(run.output.find("Only 75.0 percent"), std::string::npos) << run.output;
  EXPECT_TRUE(Holds(grid, {"a", "b", "c"}));
}

TEST(Open, RefusesWhatCannotBeReadWhole) {
  struct Case {
    const char* what;
    std::function<void(FakeFileSystem&)> setup;
    std::string output;
    OpenResult result;
    bool opened;  // whether the name may be opened at all
  };
  const Case cases[] = {
      {"missing", [](FakeFileSystem&) {}, "File f not found!\n", OpenResult::kNotFound, false},
      {"dangling link", [](FakeFileSystem& fs) { fs.AddSymlink("f", "nowhere"); },
       "File f not found!\n", OpenResult::kNotFound, false},
      {"directory", [](FakeFileSystem& fs) { fs.AddDirectory("f"); },
       "Cannot open f: Is a directory\n", OpenResult::kRefused, false},
      {"named pipe", [](FakeFileSystem& fs) { fs.AddSpecial("f", S_IFIFO | 0644); },
       "Cannot open f: not a regular file\n", OpenResult::kRefused, false},
      {"device", [](FakeFileSystem& fs) { fs.AddSpecial("f", S_IFCHR | 0666); },
       "Cannot open f: not a regular file\n", OpenResult::kRefused, false},
      {"unreadable", [](FakeFileSystem& fs) { fs.AddFile("f", "secret\n", 0200); },
       "Cannot open f: Permission denied\n", OpenResult::kRefused, true},
      {"stat fails",
       [](FakeFileSystem& fs) {
         fs.AddFile("f", "text\n");
         fs.FailNth(Op::kStat, 1, EIO);
       },
       "Cannot open f: Input/output error\n", OpenResult::kRefused, false},
      {"size unknown",
       [](FakeFileSystem& fs) {
         fs.AddFile("f", "text\n");
         fs.FailNth(Op::kFstat, 1, EOVERFLOW);
       },
       "Cannot open f: Value too large for defined data type\n", OpenResult::kRefused, true},
      {"read fails",
       [](FakeFileSystem& fs) {
         fs.AddFile("f", "text\n");
         fs.FailNth(Op::kRead, 1, EIO);
       },
       "Cannot open f: Input/output error\n", OpenResult::kRefused, true},
      {"file ends early",
       [](FakeFileSystem& fs) {
         fs.AddFile("f", "0123456789");
         fs.LimitNth(Op::kRead, 1, 4);
         fs.LimitNth(Op::kRead, 2, 0);
       },
       "Cannot open f: only 4 of its 10 bytes could be read\n", OpenResult::kRefused, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    c.setup(fs);
    LineGrid grid = MakeGrid(4, 8, {"keep", "me"});
    std::string open_path = "before";
    std::string file_name = "current";
    const Result run = RunOpen(fs, grid, kPromptMode, open_path, file_name, "f\n");
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(After(run.output, "return\n"), c.output);
    EXPECT_TRUE(Holds(grid, {"keep", "me"}));
    EXPECT_EQ(file_name, "current");
    EXPECT_EQ(open_path, c.result == OpenResult::kNotFound ? "f" : "before");
    EXPECT_EQ(fs.OpenDescriptors(), 0);
    if (!c.opened) {
      EXPECT_EQ(fs.Calls(Op::kOpen), 0) << "a name that is not a regular file is never opened";
    }
  }
}

TEST(Open, ShortReadsAreContinued) {
  FakeFileSystem fs;
  fs.AddFile("f", "abc\ndef\n");
  fs.LimitNth(Op::kRead, 1, 3);
  fs.LimitNth(Op::kRead, 2, 1);
  LineGrid grid = MakeGrid(4, 8, {});
  EXPECT_EQ(StartUpLoad(fs, grid, "f").result, OpenResult::kLoaded);
  EXPECT_TRUE(Holds(grid, {"abc", "def"}));
}

TEST(Open, DialogAnswers) {
  using enum OpenResult;
  // Every file here holds its own name and a newline.
  const auto opened = [](const std::string& name) {
    return "Opened " + name + "\nRead " + std::to_string(name.size() + 1) +
           " bytes, 0 Lines Generated\n";
  };
  const std::string next = "Next, enter a new filename to open\n";
  const std::string ask = "Enter a filename to save to\n";
  struct Case {
    const char* what;
    std::string script;
    std::string file_name;  // before the dialog
    OpenResult result;
    std::string output;  // after the dialog's three lines
    std::string open_path;
    std::string file_name_after;
    std::vector<std::string> slots;
    bool saved;
  };
  const std::vector<std::string> old = {"old", "doc"};
  const Case cases[] = {
      {"x returns", "x\nnext\n", "cur", kCancelled, "", "before", "cur", old, false},
      {"end of input", "", "cur", kCancelled, "", "before", "cur", old, false},
      {"xy is a name", "xy\n", "cur", kLoaded, opened("xy"), "xy", "cur", {"xy"}, false},
      {"X is a name", "X\n", "cur", kLoaded, opened("X"), "X", "cur", {"X"}, false},
      {"x and a blank is a name", "x \n", "cur", kNotFound, "File x  not found!\n", "x ", "cur",
       old, false},
      {"empty answer is a name", "\n", "cur", kNotFound, "File  not found!\n", "", "cur", old,
       false},
      {"s saves without asking, then opens even x",
       "s\nx\n",
       "cur",
       kLoaded,
       "Saved to cur\n" + next + opened("x"),
       "x",
       "cur",
       {"x"},
       true},
      {"s asks for a missing name",
       "s\n\nnew\ns\n",
       "",
       kLoaded,
       ask + ask + "Saved to new\n" + next + opened("s"),
       "s",
       "new",
       {"s"},
       true},
      {"s then end of input at the name prompt", "s\n", "", kCancelled, ask, "before", "", old,
       false},
      {"s then end of input at the next name", "s\n", "cur", kCancelled, "Saved to cur\n" + next,
       "before", "cur", old, true},
      {"s with a failing save stops", "s\nxy\n", "dir", kCancelled,
       "Cannot save to dir: Is a directory\n", "before", "dir", old, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    fs.AddFile("cur", "on disk\n");
    fs.AddFile("x", "x\n");
    fs.AddFile("X", "X\n");
    fs.AddFile("xy", "xy\n");
    fs.AddFile("s", "s\n");
    fs.AddDirectory("dir");
    LineGrid grid = MakeGrid(4, 8, old);
    std::string open_path = "before";
    std::string file_name = c.file_name;
    const Result run = RunOpen(fs, grid, kPromptMode, open_path, file_name, c.script);
    EXPECT_EQ(run.result, c.result);
    EXPECT_EQ(run.output,
              "Enter a filename to open a new file and discard the buffer in memory\n"
              "Enter 's' to first save the current buffer in memory\n"
              "Enter 'x' to not open a file and return\n" +
                  c.output);
    EXPECT_EQ(open_path, c.open_path);
    EXPECT_EQ(file_name, c.file_name_after);
    EXPECT_TRUE(Holds(grid, c.slots));
    EXPECT_EQ(run.saved, c.saved);
    if (c.script[0] != 's') {
      EXPECT_EQ(fs.calls().empty(), c.result == kCancelled) << "x touched the disk";
    }
    if (c.saved) {
      EXPECT_EQ(fs.Content(c.file_name_after), "old\ndoc\n");
    }
  }
}

// The open command as the command loop runs it: the current file name, which the next save
// uses, changes only when a name is loaded or found missing.
TEST(OpenCommand, OnlyALoadOrAMissingNameReplacesTheFileName) {
  FakeFileSystem fs;
  fs.AddFile("first.txt", "one\n");
  fs.AddDirectory("folder");
  // The save under a new name makes the name the open dialog remembers a different one.
  const testing::Session s = testing::RunSession(
      "edited\ns\nsecond.txt\nO\nx\nO\nfolder\nmore\nS\nO\nfresh.txt\nS\nq\nq\n", {"first.txt"},
      &fs);
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.output.find("Cannot open folder: Is a directory\n"), std::string::npos);
  EXPECT_NE(s.output.find("File fresh.txt not found!\n"), std::string::npos);
  EXPECT_EQ(fs.Content("first.txt"), "one\n");
  EXPECT_EQ(fs.Content("second.txt"), "edited\nmore\n");
  EXPECT_EQ(fs.Content("fresh.txt"), "edited\nmore\n");
}

TEST(OpenCommand, DecliningThePartialLoadKeepsTheDocumentAndItsName) {
  FakeFileSystem fs;
  fs.AddFile(".brenik_rc", "max_lines=3\n");
  fs.AddFile("mine.txt", "kept\n");
  fs.AddFile("big.txt", "1\n2\n3\n4\n5\n");
  const testing::Session s =
      testing::RunSession("changed\nO\nbig.txt\nn\nS\nq\nq\n", {"mine.txt"}, &fs);
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.output.find("File big.txt was not opened\n"), std::string::npos) << s.output;
  EXPECT_EQ(fs.Content("mine.txt"), "changed\n");
  EXPECT_EQ(fs.Content("big.txt"), "1\n2\n3\n4\n5\n");
}

TEST(OpenCommand, StartUpWithAMissingOrRefusedFile) {
  FakeFileSystem fs;
  fs.AddDirectory("folder");
  const testing::Session refused = testing::RunSession("q\nq\n", {"folder"}, &fs);
  EXPECT_EQ(refused.status, 0);
  const std::string after = testing::After(refused.output, "Cannot open folder: Is a directory\n");
  EXPECT_NE(after.find("\n\n[1] \n 2\n"), std::string::npos) << refused.output;
  const testing::Session missing = testing::RunSession("new text\nS\nq\nq\n", {"new.txt"}, &fs);
  EXPECT_NE(missing.output.find("File new.txt not found!\n"), std::string::npos);
  EXPECT_EQ(fs.Content("new.txt"), "new text\n");
}

}  // namespace
}  // namespace brenik

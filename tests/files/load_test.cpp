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
using testing::MakeGrid;
using testing::Padded;
using testing::ScriptedIo;
using testing::SlotBytes;
using Op = FakeFileSystem::Op;

// Every slot of the grid as its full bytes: a stale byte anywhere shows up in a comparison.
std::vector<std::string> AllSlots(const LineGrid& grid) {
  std::vector<std::string> slots;
  for (int k = 0; k < grid.lines(); ++k) {
    slots.push_back(SlotBytes(grid, k));
  }
  return slots;
}

// What a grid of these limits holding exactly `text` from slot 0 on looks like.
std::vector<std::string> Expected(int lines, int lsize, const std::vector<std::string>& text) {
  std::vector<std::string> slots(static_cast<std::size_t>(lines), std::string(lsize, '\0'));
  for (std::size_t k = 0; k < text.size(); ++k) {
    slots[k] = Padded(text[k], lsize);
  }
  return slots;
}

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

TEST(MarkLines, FillsTheLineStartTable) {
  struct Case {
    int lines;
    int lsize;
    std::string text;
    std::string output;
    std::vector<std::pair<std::size_t, int>> entries;  // entry 0 left out
    std::size_t looked;
  };
  const Case cases[] = {
      {10,
       4,
       "abcdefg",
       "WARNING!  Line 1 is being split\nWARNING!  Line 2 is being split\n2 Lines Generated\n",
       {{3, kSplitStart}, {6, kSplitStart}, {7, kSplitStart}},
       7},
      // Exactly lsize - 1 characters before a newline: no split.
      {10, 4, "abc\nd", "1 Lines Generated\n", {{3, kNewlineStart}, {5, kSplitStart}}, 5},
      {10, 4, "abc", "0 Lines Generated\n", {{3, kSplitStart}}, 3},
      {10, 4, "", "0 Lines Generated\n", {}, 0},
      // A last line that is empty gets no end record.
      {10, 4, "a\nb\n", "2 Lines Generated\n", {{1, kNewlineStart}, {3, kNewlineStart}}, 4},
      {10, 4, "\n\n", "2 Lines Generated\n", {{0, kNewlineStart}, {1, kNewlineStart}}, 2},
      // The scan stops once entry `lines` exists.
      {3,
       4,
       "a\nb\nc\ndd",
       "3 Lines Generated\n",
       {{1, kNewlineStart}, {3, kNewlineStart}, {5, kNewlineStart}},
       6},
      // The last entry is a split start numbered `lines`: no end record for its piece.
      {2,
       4,
       "abcdefg",
       "WARNING!  Line 1 is being split\nWARNING!  Line 2 is being split\n2 Lines Generated\n",
       {{3, kSplitStart}, {6, kSplitStart}},
       7},
      // A line cut twice within a longer text; the numbers follow the grid's lines.
      {10,
       3,
       "x\nabcde\ny",
       "WARNING!  Line 2 is being split\nWARNING!  Line 3 is being split\n4 Lines Generated\n",
       {{1, kNewlineStart},
        {4, kSplitStart},
        {6, kSplitStart},
        {7, kNewlineStart},
        {9, kSplitStart}},
       9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ScriptedIo console("");
    std::vector<std::size_t> starts(static_cast<std::size_t>(c.lines) + 1, 999);
    std::vector<unsigned char> kinds(static_cast<std::size_t>(c.lines) + 1, 0);
    std::size_t looked = 12345;
    const long long n = MarkLines(c.text.data(), c.text.size(), c.lines, c.lsize, starts.data(),
                                  kinds.data(), console.io().out, looked);
    EXPECT_EQ(console.output(), c.output);
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
  struct Case {
    const char* what;
    int lines;
    int lsize;
    std::string file;
    std::string output;  // after "Opened f\n"
    std::vector<std::string> slots;
  };
  const std::string x255(255, 'x');
  const Case cases[] = {
      {"a full line", 5, 256, x255 + "\n", "Read 256 bytes, 0 Lines Generated\n", {x255}},
      {"one character too many",
       5,
       256,
       x255 + "y\n",
       "Read 257 bytes, WARNING!  Line 1 is being split\n1 Lines Generated\n",
       {x255, "y"}},
      {"cut twice",
       5,
       4,
       "abcdefg\n",
       "Read 8 bytes, WARNING!  Line 1 is being split\nWARNING!  Line 2 is being split\n"
       "2 Lines Generated\n",
       {"abc", "def", "g"}},
      {"no final newline keeps the last character",
       5,
       8,
       "ab\ncd",
       "Read 5 bytes, 1 Lines Generated\n",
       {"ab", "cd"}},
      {"a single character without newline", 5, 8, "a", "Read 1 bytes, 0 Lines Generated\n", {"a"}},
      {"two final newlines", 5, 8, "a\n\n", "Read 3 bytes, 1 Lines Generated\n", {"a"}},
      {"one newline", 5, 8, "\n", "Read 1 bytes, 0 Lines Generated\n", {}},
      {"empty file", 5, 8, "", "Read 0 bytes, 0 Lines Generated\n", {}},
      {"carriage returns stay",
       5,
       8,
       "a\r\nb\r\n",
       "Read 6 bytes, 1 Lines Generated\n",
       {"a\r", "b\r"}},
      {"empty lines inside", 5, 8, "\n\nc\n", "Read 4 bytes, 2 Lines Generated\n", {"", "", "c"}},
      {"a zero byte ends the text",
       5,
       8,
       std::string("ab\0cd\nef\n", 9),
       "Read 9 bytes, 0 Lines Generated\nWarning! A zero byte at offset 2 ends the text; the 6 "
       "bytes from there on are not loaded\n",
       {"ab"}},
      {"a single byte left over",
       3,
       8,
       "a\nb\nc\nd\n",
       "Read 8 bytes, 3 Lines Generated\nWarning! The last 1 byte(s) of the text did not fit "
       "into 3 lines and are not loaded\n",
       {"a", "b", "c"}},
      {"a split piece without a slot",
       2,
       4,
       "abcdefg\n",
       "Read 8 bytes, WARNING!  Line 1 is being split\nWARNING!  Line 2 is being split\n"
       "2 Lines Generated\nWarning! The last 1 byte(s) of the text did not fit into 2 lines and "
       "are not loaded\n",
       {"abc", "def"}},
      {"an empty last line beyond the slots is no loss",
       3,
       8,
       "a\nb\nc\n\n",
       "Read 7 bytes, 3 Lines Generated\n",
       {"a", "b", "c"}},
      {"every slot filled",
       3,
       4,
       "abc\ndef\nghi\n",
       "Read 12 bytes, 2 Lines Generated\n",
       {"abc", "def", "ghi"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    fs.AddFile("f", c.file);
    LineGrid grid = MakeGrid(c.lines, c.lsize, {});
    const Result run = StartUpLoad(fs, grid, "f");
    EXPECT_EQ(run.result, OpenResult::kLoaded);
    EXPECT_EQ(run.output, "Opened f\n" + c.output);
    EXPECT_EQ(AllSlots(grid), Expected(c.lines, c.lsize, c.slots));
    EXPECT_EQ(fs.Calls(Op::kRead), c.file.empty() ? 0 : 1) << "one read for the whole file";
    EXPECT_EQ(fs.OpenDescriptors(), 0);
  }
}

TEST(Open, ReplacesTheWholeOldDocument) {
  FakeFileSystem fs;
  fs.AddFile("short", "x\n\nyz\n");
  LineGrid grid = MakeGrid(6, 10, {"long one", "", "and more", "tail", "", "last"});
  ASSERT_EQ(StartUpLoad(fs, grid, "short").result, OpenResult::kLoaded);
  EXPECT_EQ(AllSlots(grid), Expected(6, 10, {"x", "", "yz"}));
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
        EXPECT_EQ(AllSlots(grid), Expected(3, 8, {"a", "b", "c"}));
        EXPECT_EQ(open_path, "big");
        continue;
      }
      EXPECT_EQ(AllSlots(grid), Expected(3, 8, {"old", "doc"}));
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
  EXPECT_EQ(AllSlots(grid), Expected(3, 8, {"a", "b", "c"}));
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
    EXPECT_EQ(AllSlots(grid), Expected(4, 8, {"keep", "me"}));
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
  EXPECT_EQ(AllSlots(grid), Expected(4, 8, {"abc", "def"}));
}

TEST(Open, DialogAnswers) {
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
      {"x returns", "x\nnext\n", "cur", OpenResult::kCancelled, "", "before", "cur", old, false},
      {"end of input", "", "cur", OpenResult::kCancelled, "", "before", "cur", old, false},
      {"xy is a name",
       "xy\n",
       "cur",
       OpenResult::kLoaded,
       "Opened xy\nRead 3 bytes, 0 Lines Generated\n",
       "xy",
       "cur",
       {"xy"},
       false},
      {"X is a name",
       "X\n",
       "cur",
       OpenResult::kLoaded,
       "Opened X\nRead 2 bytes, 0 Lines Generated\n",
       "X",
       "cur",
       {"X"},
       false},
      {"x and a blank is a name", "x \n", "cur", OpenResult::kNotFound, "File x  not found!\n",
       "x ", "cur", old, false},
      {"empty answer is a name", "\n", "cur", OpenResult::kNotFound, "File  not found!\n", "",
       "cur", old, false},
      {"s saves without asking, then opens even x",
       "s\nx\n",
       "cur",
       OpenResult::kLoaded,
       "Saved to cur\nNext, enter a new filename to open\nOpened x\nRead 2 bytes, 0 Lines "
       "Generated\n",
       "x",
       "cur",
       {"x"},
       true},
      {"s asks for a missing name",
       "s\n\nnew\ns\n",
       "",
       OpenResult::kLoaded,
       "Enter a filename to save to\nEnter a filename to save to\nSaved to new\n"
       "Next, enter a new filename to open\nOpened s\nRead 2 bytes, 0 Lines Generated\n",
       "s",
       "new",
       {"s"},
       true},
      {"s then end of input at the name prompt", "s\n", "", OpenResult::kCancelled,
       "Enter a filename to save to\n", "before", "", old, false},
      {"s then end of input at the next name", "s\n", "cur", OpenResult::kCancelled,
       "Saved to cur\nNext, enter a new filename to open\n", "before", "cur", old, true},
      {"s with a failing save stops", "s\nxy\n", "dir", OpenResult::kCancelled,
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
    EXPECT_EQ(AllSlots(grid), Expected(4, 8, c.slots));
    EXPECT_EQ(run.saved, c.saved);
    if (c.saved) {
      EXPECT_EQ(fs.Content(c.file_name_after), "old\ndoc\n");
    }
  }
}

TEST(Open, XTouchesNothing) {
  FakeFileSystem fs;
  LineGrid grid = MakeGrid(4, 8, {"a"});
  std::string open_path = "before";
  std::string file_name = "cur";
  const Result run = RunOpen(fs, grid, kPromptMode, open_path, file_name, "x\n");
  EXPECT_EQ(run.result, OpenResult::kCancelled);
  EXPECT_TRUE(fs.calls().empty());
}

// The open command as the command loop runs it, on the fake file system.
class OpenCommand : public ::testing::Test {
 protected:
  testing::Session Run(const std::string& script, const std::vector<std::string>& args = {}) {
    return testing::RunSession(script, args, &fs_);
  }
  FakeFileSystem fs_;
};

TEST_F(OpenCommand, XKeepsTheFileNameForTheNextSave) {
  fs_.AddFile("first.txt", "one\n");
  fs_.AddFile("other.txt", "two\n");
  // Edit, try to open other.txt but answer x, then save: the text must go to first.txt.
  const testing::Session s = Run("edited\nO\nx\nS\nq\nq\n", {"first.txt"});
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.output.find("Saved to first.txt\n"), std::string::npos) << s.output;
  EXPECT_EQ(fs_.Content("first.txt"), "edited\n");
  EXPECT_EQ(fs_.Content("other.txt"), "two\n");
}

TEST_F(OpenCommand, DecliningThePartialLoadKeepsEverything) {
  fs_.AddFile(".brenik_rc", "max_lines=3\n");
  fs_.AddFile("mine.txt", "kept\n");
  fs_.AddFile("big.txt", "1\n2\n3\n4\n5\n");
  const testing::Session s = Run("changed\nO\nbig.txt\nn\nS\nq\nq\n", {"mine.txt"});
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.output.find("File big.txt was not opened\n"), std::string::npos) << s.output;
  EXPECT_EQ(fs_.Content("mine.txt"), "changed\n");
  EXPECT_EQ(fs_.Content("big.txt"), "1\n2\n3\n4\n5\n");
}

TEST_F(OpenCommand, DecliningThePartialLoadAtStartUpEndsWithStatusOne) {
  fs_.AddFile(".brenik_rc", "max_lines=3\n");
  fs_.AddFile("big.txt", "1\n2\n3\n4\n5\n");
  const testing::Session s = Run("n\nS\nq\nq\n", {"big.txt"});
  EXPECT_EQ(s.status, 1);
  EXPECT_EQ(fs_.Content("big.txt"), "1\n2\n3\n4\n5\n");
}

TEST_F(OpenCommand, ARefusedNameKeepsTheFileNameAndAMissingOneTakesIt) {
  fs_.AddFile("mine.txt", "one\n");
  fs_.AddDirectory("folder");
  const testing::Session s = Run("O\nfolder\nS\nO\nfresh.txt\nS\nq\nq\n", {"mine.txt"});
  EXPECT_NE(s.output.find("Cannot open folder: Is a directory\n"), std::string::npos);
  EXPECT_NE(s.output.find("Saved to mine.txt\n"), std::string::npos);
  EXPECT_NE(s.output.find("File fresh.txt not found!\n"), std::string::npos);
  // The document was kept and the first save after "not found" creates the file.
  EXPECT_EQ(fs_.Content("fresh.txt"), "one\n");
}

TEST_F(OpenCommand, StartUpWithAMissingOrRefusedFile) {
  fs_.AddDirectory("folder");
  const testing::Session refused = Run("S\nq\nq\n", {"folder"});
  EXPECT_EQ(refused.status, 0);
  EXPECT_NE(refused.output.find("Cannot open folder: Is a directory\n"), std::string::npos);
  EXPECT_NE(refused.output.find("Cannot save to folder: Is a directory\n"), std::string::npos);
  const testing::Session missing = Run("new text\nS\nq\nq\n", {"new.txt"});
  EXPECT_NE(missing.output.find("File new.txt not found!\n"), std::string::npos);
  EXPECT_EQ(fs_.Content("new.txt"), "new text\n");
}

}  // namespace
}  // namespace brenik

#include "core/undo.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "buffer/grid.h"
#include "core/editor.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::kSmallRc;
using testing::Live;
using testing::MakeGrid;
using testing::Padded;
using testing::SlotBytes;
using testing::TempDir;
using testing::WriteRc;

TEST(UndoRecord, StoreAndRecallCopyWholeSlots) {
  LineGrid grid = MakeGrid(4, 16, {"zero", "abc", "abcdefghijk"});
  // A copy buffer with stale bytes: storing must leave zeros behind the text.
  std::vector<char> copy(16, 'Z');
  int record_line = -1;
  StoreUndo(1, record_line, copy.data(), grid);
  EXPECT_EQ(record_line, 1);
  EXPECT_EQ(std::string(copy.data(), 16), Padded("abc", 16));

  // Recalling a short copy over a long line leaves nothing of the long line behind.
  RecallUndo(2, copy.data(), grid);
  EXPECT_EQ(SlotBytes(grid, 2), Padded("abc", 16));
  // Bytes behind a copy's terminator never reach the slot.
  const std::string stale = std::string("xy\0ZZZZZZZZZZZZZ", 16);
  RecallUndo(0, stale.data(), grid);
  EXPECT_EQ(SlotBytes(grid, 0), Padded("xy", 16));
  // A full copy (lsize - 1 characters) keeps the slot's last zero.
  const std::string full = std::string(15, 'F') + '\0';
  RecallUndo(3, full.data(), grid);
  EXPECT_EQ(SlotBytes(grid, 3), Padded(std::string(15, 'F'), 16));
  EXPECT_EQ(SlotBytes(grid, 1), Padded("abc", 16));
}

TEST(UndoRecord, StoreDoubleUndoOnlyForAValidSecondLine) {
  const LineGrid grid = MakeGrid(4, 16, {"zero", "one", "two", "three"});
  const struct {
    int first;
    int second;
    const char* copy1;
    const char* copy2;
  } cases[] = {
      {1, 3, "one", "three"}, {2, 2, "two", "two"}, {3, 0, "three", "zero"},
      {1, -1, "old", "old"},  {1, 4, "old", "old"}, {1, 100, "old", "old"},
  };
  for (const auto& c : cases) {
    std::vector<char> copy1(16, '\0');
    std::vector<char> copy2(16, '\0');
    std::strcpy(copy1.data(), "old");
    std::strcpy(copy2.data(), "old");
    StoreDoubleUndo(c.first, c.second, copy1.data(), copy2.data(), grid);
    EXPECT_EQ(std::string(copy1.data(), 16), Padded(c.copy1, 16)) << c.first << "," << c.second;
    EXPECT_EQ(std::string(copy2.data(), 16), Padded(c.copy2, 16)) << c.first << "," << c.second;
  }
}

TEST(UndoRecord, ApplyTakesBackEachMode) {
  const std::vector<std::string> doc = {"zero", "one", "two", "three", "four", "five"};
  const struct {
    const char* name;
    int mode;
    int first;
    int second;
    const char* copy1;
    const char* copy2;
    std::vector<std::string> expected;
    int cursor;
  } cases[] = {
      {"1: the copy goes back",
       kLineEdit,
       2,
       0,
       "TWO",
       "",
       {"zero", "one", "TWO", "three", "four", "five"},
       2},
      {"2: the wedged line goes",
       kWedged,
       1,
       0,
       "",
       "",
       {"zero", "two", "three", "four", "five", ""},
       1},
      {"3: a line comes back in",
       kDeleted,
       1,
       0,
       "ONE",
       "",
       {"zero", "ONE", "one", "two", "three", "four"},
       1},
      {"4: both lines",
       kMoved,
       4,
       1,
       "FOUR",
       "ONE",
       {"zero", "ONE", "two", "three", "FOUR", "five"},
       4},
      {"5: only the destination",
       kCopied,
       4,
       1,
       "FOUR",
       "ONE",
       {"zero", "ONE", "two", "three", "four", "five"},
       4},
      {"6: both lines",
       kWrapped,
       2,
       3,
       "TWO",
       "THREE",
       {"zero", "one", "TWO", "THREE", "four", "five"},
       2},
      {"4 on one line", kMoved, 3, 3, "X", "X", {"zero", "one", "two", "X", "four", "five"}, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LineGrid grid = MakeGrid(6, 16, doc);
    Undo undo;
    undo.mode = c.mode;
    undo.first = c.first;
    undo.second = c.second;
    undo.copy1.assign(16, '\0');
    undo.copy2.assign(16, '\0');
    std::strcpy(undo.copy1.data(), c.copy1);
    std::strcpy(undo.copy2.data(), c.copy2);
    int cursor = 5;
    EXPECT_TRUE(ApplyUndo(undo, grid, cursor));
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(SlotBytes(grid, i), Padded(c.expected[static_cast<std::size_t>(i)], 16))
          << "slot " << i;
    }
    EXPECT_EQ(cursor, c.cursor);
    EXPECT_EQ(undo.mode, kNone);
    // Applying it again does nothing.
    const std::string after = SlotBytes(grid, 0) + SlotBytes(grid, 1) + SlotBytes(grid, 2);
    EXPECT_FALSE(ApplyUndo(undo, grid, cursor));
    EXPECT_EQ(SlotBytes(grid, 0) + SlotBytes(grid, 1) + SlotBytes(grid, 2), after);
    EXPECT_EQ(cursor, c.cursor);
  }
  for (const int mode : {0, 7, -1}) {
    LineGrid grid = MakeGrid(6, 16, doc);
    Undo undo;
    undo.mode = mode;
    undo.copy1.assign(16, '\0');
    undo.copy2.assign(16, '\0');
    int cursor = 5;
    EXPECT_FALSE(ApplyUndo(undo, grid, cursor)) << mode;
    EXPECT_EQ(cursor, 5);
    EXPECT_EQ(SlotBytes(grid, 0), Padded("zero", 16));
  }
}

TEST(UndoRecord, WedgedOutTextDoesNotComeBack) {
  // The grid operation itself still drops the last slot; only the command refuses to.
  LineGrid grid = MakeGrid(3, 16, {"a", "b", "c"});
  Wedge(0, grid);
  Undo undo;
  undo.mode = kWedged;
  undo.first = 0;
  int cursor = 0;
  ASSERT_TRUE(ApplyUndo(undo, grid, cursor));
  EXPECT_EQ(SlotBytes(grid, 0), Padded("a", 16));
  EXPECT_EQ(SlotBytes(grid, 1), Padded("b", 16));
  EXPECT_EQ(SlotBytes(grid, 2), Padded("", 16));
}

// Lines of many lengths, so that a restore which stops at the terminator would leave stale bytes.
const std::vector<std::string> kDoc = {
    "zero", "one one",     "two",   "three three", "four",        "five fi",
    "six",  "seven seven", "eight", "n",           "ten ten ten",
};

struct EditCase {
  const char* name;
  int line;
  int column;
  const char* input;
  const char* answers;
  int undo_line;  // the cursor line after the undo
  bool changes;   // false: the edit leaves every byte as it was
};

// Each kind of edit, then undo: the whole grid is back byte for byte.
TEST(Undo, RestoresTheGridBeforeEveryKindOfEdit) {
  std::vector<std::string> full = kDoc;
  full.push_back("last line");
  std::vector<std::string> open = kDoc;
  open.push_back("");
  const struct {
    const std::vector<std::string>* doc;
    EditCase edit;
  } cases[] = {
      {&open, {"1 text entry moves down", 4, 2, "XYZWVUT", "", 4, true}},
      {&open, {"1 text entry on the last slot", 11, 3, "abc", "", 11, true}},
      {&open, {"1 text entry past the end", 2, 9, "ab", "", 2, true}},
      {&open, {"1 empty text entry", 2, 9, "!", "", 2, true}},
      {&open, {"1 line_clear", 3, 0, "d", "", 3, true}},
      {&open, {"1 clip_cut", 3, 2, "x", "4\n", 3, true}},
      {&open, {"1 clip_paste", 1, 5, "v", "", 1, true}},
      {&open, {"1 clip_insert", 2, 1, "V", "", 2, true}},
      {&open, {"1 new_insert", 0, 4, "i", "+++\n", 0, true}},
      {&open, {"1 trim_end", 3, 5, "t", "", 3, true}},
      {&open, {"2 line_insert", 2, 0, "w", "", 2, true}},
      {&open, {"2 line_insert at the first slot", 0, 0, "w", "", 0, true}},
      {&full, {"3 line_delete with every slot used", 2, 0, "D", "", 2, true}},
      {&full, {"3 line_delete of the first slot", 0, 0, "D", "", 0, true}},
      {&full, {"3 line_delete of the last slot", 11, 0, "D", "", 11, true}},
      {&full, {"4 line_move onto a longer line", 2, 0, "m", "8\n", 2, true}},
      {&full, {"4 line_move onto a shorter line", 7, 0, "m", "3\n", 7, true}},
      {&full, {"4 line_move onto its own line", 5, 0, "m", "6\n", 5, false}},
      {&full, {"5 line_copy onto a longer line", 2, 0, "C", "4\n", 2, true}},
      {&full, {"5 line_copy onto a shorter line", 1, 0, "C", "10\n", 1, true}},
      {&full, {"5 line_copy onto its own line", 3, 0, "C", "4\n", 3, false}},
      {&full, {"6 trim_wrap", 3, 4, "T", "", 3, true}},
      {&full, {"6 trim_wrap at column 0", 5, 0, "T", "", 5, true}},
      {&full, {"6 trim_wrap that loses text", 10, 0, "T", "", 10, true}},
  };
  for (const auto& [doc, c] : cases) {
    SCOPED_TRACE(c.name);
    Live live;
    live.Seed(*doc);
    live.ed.line = c.line;
    live.ed.column = c.column;
    std::strcpy(live.ed.clip.data(), "LONGCLIPBOARD");
    const std::string before = live.Grid();
    live.Do(c.input, c.answers);
    if (c.changes) {
      ASSERT_NE(live.Grid(), before) << "the edit changed nothing";
    }
    ASSERT_NE(live.ed.undo.mode, kNone);
    const int column = live.ed.column;
    const std::string clip = live.ed.clip.data();
    live.Printed();
    live.Do("z");
    EXPECT_EQ(live.Grid(), before);
    EXPECT_EQ(live.ed.line, c.undo_line);
    EXPECT_EQ(live.ed.column, column) << "undo moved the column";
    EXPECT_EQ(live.ed.undo.mode, kNone);
    EXPECT_EQ(live.ed.clip.data(), clip) << "undo touched the clip memory";
    // A second undo finds nothing.
    live.ed.line = 1;
    live.Do("z");
    EXPECT_EQ(live.Grid(), before);
    EXPECT_EQ(live.ed.line, 1);
    EXPECT_EQ(live.Printed(), "");
  }
}

TEST(Undo, TextEntryOnLineFiveComesBackWithTheCursor) {
  Live live;
  live.Loop("g\n5\nhello\n");
  ASSERT_EQ(live.ed.line, 5);  // line 6, shown 1-based
  EXPECT_EQ(SlotBytes(live.ed.grid, 4), Padded("hello", 16));
  live.Printed();
  live.Do("z");
  EXPECT_EQ(live.ed.line, 4);
  EXPECT_EQ(SlotBytes(live.ed.grid, 4), Padded("", 16));
  EXPECT_EQ(live.Printed(), "");
}

TEST(Undo, SkipsCommandsThatDoNotEdit) {
  const struct {
    const char* name;
    std::vector<std::pair<const char*, const char*>> between;
  } cases[] = {
      {"navigation", {{">", ""}, {"l", ""}, {"n", ""}, {"<", ""}, {"g", "9\n"}, {"G", "3\n"}}},
      {"jumps", {{"j", "e\n"}, {"J", "zzz\n"}}},
      {"toggles", {{"#", ""}, {"L", ""}, {"L", ""}, {"p", "3\n"}, {"A", ""}, {"a", ""}}},
      {"clip_copy", {{"c", "3\n"}}},
      {"refused edits",
       {{"m", "0\n"},
        {"C", "99\n"},
        {"x", "-1\n"},
        {"x", "99\n"},
        {"c", "-1\n"},
        {"i", "\n"},
        {"v", ""}}},
      {"quit declined", {{"q", "n\n"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Live live;
    live.Seed({"abcdef", "ghijkl"});
    const std::string before = live.Grid();
    live.ed.column = 2;
    live.Do("XY");  // overwrites line 1, the cursor goes to line 2
    live.ed.column = 0;
    live.ed.clip[0] = '\0';
    for (const auto& [input, answers] : c.between) {
      live.Do(input, answers);
    }
    const std::string clip = live.ed.clip.data();
    const int column = live.ed.column;
    live.Do("z");
    EXPECT_EQ(live.Grid(), before);
    EXPECT_EQ(live.ed.line, 0);
    EXPECT_EQ(live.ed.column, column);
    EXPECT_EQ(live.ed.clip.data(), clip) << "undo touched the clip memory";
  }
}

TEST(Undo, NothingToUndoPrintsNothing) {
  Live live;
  live.Seed({"abc"});
  const std::string before = live.Grid();
  live.ed.line = 3;
  live.ed.column = 4;
  live.Do("z");
  EXPECT_EQ(live.Grid(), before);
  EXPECT_EQ(live.ed.line, 3);
  EXPECT_EQ(live.ed.column, 4);
  EXPECT_EQ(live.Printed(), "");
}

TEST(Undo, ARefusedLineInsertKeepsTheRecord) {
  Live live;
  live.Seed({"a", "", "", "", "", "", "", "", "", "", "", "last"});
  live.Do("hello");
  const std::string edited = live.Grid();
  live.ed.line = 3;
  live.Do("w");
  EXPECT_EQ(live.Grid(), edited);
  live.Do("z");
  EXPECT_EQ(SlotBytes(live.ed.grid, 0), Padded("a", 16));
  EXPECT_EQ(live.ed.line, 0);
}

}  // namespace
}  // namespace brenik

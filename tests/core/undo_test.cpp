#include "core/undo.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "buffer/grid.h"
#include "core/editor.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::Holds;
using testing::Live;
using testing::MakeGrid;
using testing::Padded;

TEST(UndoRecord, StoreDoubleUndoSkipsAnInvalidSecondLine) {
  const LineGrid grid = MakeGrid(4, 16, {"zero", "one", "two", "three"});
  for (const int second : {-1, 4, 100}) {
    std::string copy1 = Padded("old", 16);
    std::string copy2 = copy1;
    StoreDoubleUndo(1, second, copy1.data(), copy2.data(), grid);
    EXPECT_EQ(copy1 + copy2, Padded("old", 16) + Padded("old", 16)) << second;
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
  EXPECT_TRUE(Holds(grid, {"a", "b"}));
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
    // A second undo finds nothing and says nothing.
    live.ed.line = 1;
    live.Do("z");
    EXPECT_EQ(live.Grid(), before);
    EXPECT_EQ(live.ed.line, 1);
    EXPECT_EQ(live.ed.column, column);
    EXPECT_EQ(live.Printed(), "");
  }
}

TEST(Undo, TextEntryOnLineFiveComesBackWithTheCursor) {
  Live live;
  live.Loop("g\n5\nhello\n");
  ASSERT_EQ(live.ed.line, 5);  // line 6, shown 1-based
  EXPECT_TRUE(Holds(live.ed.grid, {"", "", "", "", "hello"}));
  live.Printed();
  live.Do("z");
  EXPECT_EQ(live.ed.line, 4);
  EXPECT_TRUE(Holds(live.ed.grid, {}));
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

TEST(Undo, AfterOpenTheRecordAppliesByLineToTheNewText) {
  Live live;
  testing::WriteFile("other.txt", "new one\nnew two\n");
  live.Seed({"abcdef"});
  live.Do("XY");
  live.Do("O", "other.txt\n");
  ASSERT_TRUE(Holds(live.ed.grid, {"new one", "new two"}));
  live.Do("z");
  EXPECT_TRUE(Holds(live.ed.grid, {"abcdef", "new two"}));
  EXPECT_EQ(live.ed.line, 0);
}

}  // namespace
}  // namespace brenik

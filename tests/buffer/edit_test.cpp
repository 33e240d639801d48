#include "buffer/edit.h"

#include <gtest/gtest.h>

#include <string>

#include "fake_filesystem.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::MakeGrid;
using testing::ScriptedIo;

std::string Spaces(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
std::string Chars(int n, char c = 'a') { return std::string(static_cast<std::size_t>(n), c); }

// The edited line sits between neighbours that no operation may touch.
constexpr int kLine = 1;
LineGrid Around(const std::string& text, int lsize) {
  return MakeGrid(4, lsize, {"above", text, "below", "last"});
}
::testing::AssertionResult LineIs(const LineGrid& grid, const std::string& text) {
  return testing::Holds(grid, {"above", text, "below", "last"});
}

TEST(Replace, OverwritesFromTheColumn) {
  const struct {
    std::string line;
    int column;
    std::string text;
    std::string expected;
    int lsize = 256;
  } cases[] = {
      {"abc", 6, "XY", "abc   XY"},
      {"hello world", 0, "HE", "HEllo world"},
      {"abcdef", 1, "X", "aXcdef"},
      {"ab", 1, "XYZ", "aXYZ"},
      {"abc", 3, "XY", "abcXY"},
      {"", 254, "XY", Spaces(254) + "X"},
      {"", 250, "0123456789", Spaces(250) + "01234"},
      {"abc", 5, "", "abc  "},
      {Chars(255), 0, "Z", "Z" + Chars(254)},
      {"abc", 6, "XYZ", "abc   X", 8},
      {"abcdefg", 6, "XYZ", "abcdefX", 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("'" + c.line + "' at " + std::to_string(c.column) + " with '" + c.text + "'");
    LineGrid grid = Around(c.line, c.lsize);
    ScriptedIo out("");
    Replace(kLine, c.column, grid.lines(), c.text.c_str(), grid, out.io().out);
    EXPECT_TRUE(LineIs(grid, c.expected));
    EXPECT_EQ(out.output(), "");
  }
}

TEST(Replace, RefusesABadLineOrTheSlotsLastByte) {
  const struct {
    int line;
    int column;
    int lsize;
    const char* message;
  } cases[] = {
      {kLine, 255, 256, "At End Of Line\n"}, {kLine, 7, 8, "At End Of Line\n"},
      {kLine, 8, 8, "At End Of Line\n"},     {-1, 0, 256, "Invalid Line Number\n"},
      {4, 0, 256, "Invalid Line Number\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.line) + ":" + std::to_string(c.column));
    LineGrid grid = Around("abc", c.lsize);
    ScriptedIo out("");
    Replace(c.line, c.column, grid.lines(), "XY", grid, out.io().out);
    EXPECT_EQ(out.output(), c.message);
    EXPECT_TRUE(LineIs(grid, "abc"));
  }
}

const std::string kTooLongForPosition =
    "Insert was truncated because it is too long for the position\n";

TEST(Insert, CheckSettlesTheCountThenInsertShiftsTheRest) {
  const std::string exceeded = "Insert was truncated because the line would have exceeded 256\n";
  const struct {
    std::string line;
    int column;
    std::string text;
    int count;  // 0: the check refuses, and the line stays as it was
    std::string message;
    std::string expected = {};  // after Insert
    int lsize = 256;
  } cases[] = {
      {"abcd", 2, "XY", 2, "", "abXYcd"},
      {"abc", 6, "XY", 2, "", "abc   XY"},
      {"abc", 3, "XY", 2, "", "abcXY"},
      {"", 0, "XY", 2, "", "XY"},
      {Chars(250), 0, "0123456789", 5, exceeded, "01234" + Chars(250)},
      {Chars(10), 250, "0123456789", 5, kTooLongForPosition, Chars(10) + Spaces(240) + "01234"},
      // Both bounds at once: the smaller one wins.
      {Chars(252), 248, "0123456789", 3, kTooLongForPosition + exceeded,
       Chars(248) + "012" + Chars(4)},
      {Chars(245), 245, "0123456789", 10, "", Chars(245) + "0123456789"},
      {"abcdef", 1, "XYZ", 1, "Insert was truncated because the line would have exceeded 8\n",
       "aXbcdef", 8},
      {"ab", 5, "XYZ", 2, kTooLongForPosition, "ab   XY", 8},
      {"abc", 255, "XY", 0, kTooLongForPosition},
      {"abc", 1, "", 0, ""},
      {Chars(255), 0, "X", 0, exceeded},
      {Chars(255), 255, "X", 0, kTooLongForPosition + exceeded},
      {Chars(7), 3, "X", 0, "Insert was truncated because the line would have exceeded 8\n", "", 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("'" + c.line.substr(0, 12) + "' at " + std::to_string(c.column) + " with '" +
                 c.text + "'");
    LineGrid grid = Around(c.line, c.lsize);
    ScriptedIo out("");
    int count = -99;
    EXPECT_EQ(CheckInsert(kLine, c.column, count, c.text.c_str(), grid, out.io().out),
              c.count > 0 ? 1 : 0);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(out.output(), c.message);
    EXPECT_TRUE(LineIs(grid, c.line)) << "the check changed the line";
    if (c.count > 0) {
      Insert(kLine, c.column, count, c.text.c_str(), grid);
      EXPECT_TRUE(LineIs(grid, c.expected));
    }
  }
}

constexpr int kRefused = -1;

TEST(Cut, CheckSettlesTheSizeThenCutClosesTheGap) {
  const std::string nothing = "There is nothing to cut at this position\n";
  const struct {
    std::string line;
    int column;
    int size;
    int settled;  // kRefused: the check refuses, and the line stays as it was
    std::string message;
    std::string expected = {};  // after Cut
    int lsize = 256;
  } cases[] = {
      {"abcdef", 1, 3, 3, "", "aef"},
      {"abc", 0, 10, 3, "Cut size will be shortened to 3\n", ""},
      {"abc", 0, 256, 3, "Cut size will be shortened to 3\n", ""},  // at the maximum: shortened
      {"abcdef", 4, 5, 2, "Cut size will be shortened to 2\n", "abcd"},
      {"abcdef", 0, 0, 0, "", "abcdef"},
      {"abcdef", 5, 1, 1, "", "abcde"},
      {Chars(255, 'x'), 0, 1, 1, "", Chars(254, 'x')},
      {Chars(7, 'x'), 6, 2, 1, "Cut size will be shortened to 1\n", Chars(6, 'x'), 8},
      {"abc", 0, 300, kRefused, "Maximum cut size is 256\n"},
      {"abc", 0, 257, kRefused, "Maximum cut size is 256\n"},
      {"abcdef", 250, 10, kRefused, "Maximum cut size is 6\n"},  // the maximum is tested first
      {"abc", 3, 1, kRefused, nothing},
      {"abc", 10, 1, kRefused, nothing},
      {"", 0, 0, kRefused, nothing},
      {"abcdef", 2, 7, kRefused, "Maximum cut size is 6\n", "", 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("'" + c.line.substr(0, 12) + "' at " + std::to_string(c.column) + " size " +
                 std::to_string(c.size));
    LineGrid grid = Around(c.line, c.lsize);
    ScriptedIo out("");
    int size = c.size;
    EXPECT_EQ(CheckCut(kLine, c.column, size, grid, out.io().out), c.settled == kRefused ? 0 : 1);
    EXPECT_EQ(out.output(), c.message);
    if (c.settled == kRefused) {
      EXPECT_TRUE(LineIs(grid, c.line));
      continue;
    }
    EXPECT_EQ(size, c.settled);
    Cut(kLine, c.column, size, grid);
    EXPECT_TRUE(LineIs(grid, c.expected));
  }
}

TEST(Cut, RemovedCharactersNeverComeBack) {
  LineGrid grid = Around("abcdef", 256);
  Cut(kLine, 1, 3, grid);
  ScriptedIo out("");
  Replace(kLine, 3, grid.lines(), "X", grid, out.io().out);
  EXPECT_TRUE(LineIs(grid, "aefX"));
  Insert(kLine, 6, 1, "Y", grid);
  EXPECT_TRUE(LineIs(grid, "aefX  Y"));
}

TEST(Paste, CheckSettlesTheCountThenPasteOverwrites) {
  const struct {
    std::string line;
    int column;
    std::string text;
    int count;
    std::string message;
    std::string expected;
    int lsize = 256;
  } cases[] = {
      {"abcdef", 0, "XY", 2, "", "XYcdef"},
      {"abc", 6, "XY", 2, "", "abc   XY"},
      {"abc", 2, "XYZ", 3, "", "abXYZ"},
      {"", 240, Chars(20, 'p'), 15, "Paste string was shortened to fit onto line\n",
       Spaces(240) + Chars(15, 'p')},
      {"", 235, Chars(20, 'p'), 20, "", Spaces(235) + Chars(20, 'p')},
      {"", 236, Chars(20, 'p'), 19, "Paste string was shortened to fit onto line\n",
       Spaces(236) + Chars(19, 'p')},
      // Count 0 still fills the line up to the column.
      {"abc", 255, "XY", 0, "Paste string was shortened to fit onto line\n", "abc" + Spaces(252)},
      {Chars(255), 255, "XY", 0, "Paste string was shortened to fit onto line\n", Chars(255)},
      {"abcdefg", 5, "XYZ", 2, "Paste string was shortened to fit onto line\n", "abcdeXY", 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("'" + c.line.substr(0, 12) + "' at " + std::to_string(c.column) + " with '" +
                 c.text + "'");
    LineGrid grid = Around(c.line, c.lsize);
    ScriptedIo out("");
    int count = -99;
    ASSERT_EQ(CheckPaste(c.column, count, c.text.c_str(), c.lsize, out.io().out), 1);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(out.output(), c.message);
    Paste(kLine, c.column, count, c.text.c_str(), grid);
    EXPECT_TRUE(LineIs(grid, c.expected));
  }
}

TEST(Paste, CheckRefusesAnEmptyClip) {
  for (const int column : {0, 10, 255}) {
    ScriptedIo out("");
    int count = -99;
    EXPECT_EQ(CheckPaste(column, count, "", 256, out.io().out), 0) << column;
    EXPECT_EQ(out.output(), "There is nothing to paste\n") << column;
  }
}

TEST(Trim, CutsTheLineOffAtTheColumn) {
  const struct {
    std::string line;
    int column;
    std::string expected;
  } cases[] = {
      {"abcdef", 3, "abc"},
      {"abcdef", 0, ""},
      {"abcdef", 6, "abcdef"},
      {"abc", 10, "abc"},
      {"", 0, ""},
      {Chars(255), 255, Chars(255)},
      {Chars(255), 254, Chars(254)},
  };
  for (const auto& c : cases) {
    LineGrid grid = Around(c.line, 256);
    Trim(kLine, c.column, grid);
    EXPECT_TRUE(LineIs(grid, c.expected)) << "column " << c.column;
  }
}

TEST(CheckCopy, SettlesTheCountOrRefuses) {
  const struct {
    std::string line;
    int column;
    int count;
    int result;
    int settled;
    std::string message;
  } cases[] = {
      {"abcdef", 1, 2, 1, 2, ""},
      {"abcdef", 1, 5, 1, 5, ""},
      {"abcdef", 1, 10, 1, 5, "Copy size will be shortened to 5\n"},
      {"abcdef", 0, 100000, 1, 6, "Copy size will be shortened to 6\n"},
      {"abcdef", 2, 0, 1, 0, ""},
      {"abcdef", 6, 1, 0, 1, "There is nothing to copy\n"},
      {"abc", 10, 1, 0, 1, "There is nothing to copy\n"},
      {"", 0, 1, 0, 1, "There is nothing to copy\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("at " + std::to_string(c.column) + " count " + std::to_string(c.count));
    LineGrid grid = Around(c.line, 256);
    ScriptedIo out("");
    int count = c.count;
    EXPECT_EQ(CheckCopy(kLine, c.column, count, grid, out.io().out), c.result);
    if (c.result == 1) {
      EXPECT_EQ(count, c.settled);
    }
    EXPECT_EQ(out.output(), c.message);
    EXPECT_TRUE(LineIs(grid, c.line));
  }
}

}  // namespace
}  // namespace brenik

#include "buffer/grid.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "buffer/edit.h"
#include "fake_filesystem.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::Holds;
using testing::MakeGrid;

// Lines of different lengths, line 3 full (lsize - 1 characters), so that a shorter text
// copied over a longer one, or a lost terminator, leaves a stale byte behind.
const std::vector<std::string> kTen = {"zero",  "one one", "two",  "three three 333", "four",
                                       "five5", "six",     "7777", "eight eight",     "nine"};

// The lines of kTen named by `digits`, slot by slot; "_" is an empty line.
std::vector<std::string> Lines(const std::string& digits) {
  std::vector<std::string> lines;
  for (const char digit : digits) {
    lines.push_back(digit == '_' ? "" : kTen[static_cast<std::size_t>(digit - '0')]);
  }
  return lines;
}

TEST(LineGrid, AllocateRefusesALimitBelowOne) {
  for (const auto& [lines, lsize] :
       {std::pair{0, 16}, {-1, 16}, {16, 0}, {16, -256}, {INT_MIN, INT_MIN}}) {
    LineGrid grid;
    EXPECT_FALSE(grid.Allocate(lines, lsize)) << lines << " x " << lsize;
  }
}

TEST(LineGrid, WholeLineOperations) {
  const struct {
    const char* name;
    std::function<void(LineGrid&)> op;
    const char* lines;
  } cases[] = {
      {"Clear 3", [](LineGrid& g) { Clear(3, g); }, "012_456789"},
      {"Move 2 to 7: nothing in between shifts", [](LineGrid& g) { Move(2, 7, g); }, "01_3456289"},
      {"Move a short line over a long one", [](LineGrid& g) { Move(6, 8, g); }, "012345_769"},
      {"Move the full line upwards", [](LineGrid& g) { Move(3, 0, g); }, "312_456789"},
      {"Move onto its own line leaves it", [](LineGrid& g) { Move(4, 4, g); }, "0123456789"},
      {"Copy 2 to 7", [](LineGrid& g) { Copy(2, 7, g); }, "0123456289"},
      {"Copy a short line over the full one", [](LineGrid& g) { Copy(2, 3, g); }, "0122456789"},
      {"Copy the full line", [](LineGrid& g) { Copy(3, 8, g); }, "0123456739"},
      {"Copy onto itself", [](LineGrid& g) { Copy(5, 5, g); }, "0123456789"},
      {"Copy the last slot to the first", [](LineGrid& g) { Copy(9, 0, g); }, "9123456789"},
      {"Delete 3: the rest moves up, the last slot empties", [](LineGrid& g) { Delete(3, g); },
       "012456789_"},
      {"Delete 0", [](LineGrid& g) { Delete(0, g); }, "123456789_"},
      {"Delete the last slot only empties it", [](LineGrid& g) { Delete(9, g); }, "012345678_"},
      {"Wedge 3: the rest moves down, the last text is lost", [](LineGrid& g) { Wedge(3, g); },
       "012_345678"},
      {"Wedge 0", [](LineGrid& g) { Wedge(0, g); }, "_012345678"},
      {"Wedge the last slot only empties it", [](LineGrid& g) { Wedge(9, g); }, "012345678_"},
  };
  for (const auto& c : cases) {
    LineGrid grid = MakeGrid(10, 16, kTen);
    c.op(grid);
    EXPECT_TRUE(Holds(grid, Lines(c.lines))) << c.name;
  }
}

TEST(LineGrid, DeletedSlotHoldsOnlyTheNextLine) {
  // Stale text of the longer deleted line would reappear once the line is extended over it.
  for (const auto& [column, expected] : {std::pair{2, "hiX"}, {5, "hi   X"}}) {
    testing::ScriptedIo console("");
    LineGrid grid = MakeGrid(4, 256, {"hello world", "hi"});
    Delete(0, grid);
    ASSERT_TRUE(Holds(grid, {"hi"}));
    Replace(0, column, grid.lines(), "X", grid, console.io().out);
    EXPECT_TRUE(Holds(grid, {expected})) << "column " << column;
  }
}

TEST(LineGrid, DocLengthIsTheLastUsedIndex) {
  const struct {
    std::vector<std::string> text;
    int expected;
  } cases[] = {
      {{}, 0},
      {{"a"}, 0},
      {{"", "", "", "", "", "five"}, 5},
      {{"zero", "", "", "", "", "", "", "", "", "nine"}, 9},
      {{"", "", "", "", "", "", "", "", "", "", "", "last"}, 11},
  };
  for (const auto& c : cases) {
    LineGrid grid = MakeGrid(12, 8, c.text);
    EXPECT_EQ(DocLength(grid), c.expected) << c.text.size() << " lines given";
  }
}

}  // namespace
}  // namespace brenik

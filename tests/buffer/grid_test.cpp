#include "buffer/grid.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "buffer/edit.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::MakeGrid;
using testing::Padded;
using testing::SlotBytes;

// Every slot, all of its bytes, against the text it should hold and zeros behind it.
void ExpectGrid(const LineGrid& grid, const std::vector<std::string>& expected) {
  ASSERT_EQ(static_cast<int>(expected.size()), grid.lines());
  for (int i = 0; i < grid.lines(); ++i) {
    EXPECT_EQ(SlotBytes(grid, i), Padded(expected[static_cast<std::size_t>(i)], grid.lsize()))
        << "slot " << i;
  }
}

// Lines of different lengths, so a shorter text copied over a longer one would leave stale bytes.
// Refusal messages are not under test here; they go nowhere.
class NullOut {
 public:
  NullOut() : file_(std::fopen("/dev/null", "w")) {}
  ~NullOut() { std::fclose(file_); }
  NullOut(const NullOut&) = delete;
  NullOut& operator=(const NullOut&) = delete;
  std::FILE* get() const { return file_; }

 private:
  std::FILE* file_;
};

const std::vector<std::string> kTen = {"zero",  "one one", "two",  "three three", "four",
                                       "five5", "six",     "7777", "eight eight", "nine"};

TEST(LineGrid, AllocateGivesZeroFilledSlotsOrRefuses) {
  LineGrid grid;
  ASSERT_TRUE(grid.Allocate(5, 16));
  EXPECT_EQ(grid.lines(), 5);
  EXPECT_EQ(grid.lsize(), 16);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(SlotBytes(grid, i), std::string(16, '\0'));
  }
  // A one-byte slot holds only the terminator: every line is empty, but the grid works.
  LineGrid tiny;
  ASSERT_TRUE(tiny.Allocate(2, 1));
  EXPECT_EQ(DocLength(tiny), 0);

  const struct {
    int lines;
    int lsize;
  } refused[] = {{0, 16}, {-1, 16}, {16, 0}, {16, -256}, {INT_MIN, INT_MIN}};
  for (const auto& c : refused) {
    LineGrid bad;
    EXPECT_FALSE(bad.Allocate(c.lines, c.lsize)) << c.lines << " x " << c.lsize;
  }
}

// Under AddressSanitizer a refused allocation aborts unless the allocator may return null; the
// ctest entry core.grid_too_large runs this test with that option set.
TEST(LineGrid, RefusesAGridTooLargeToAllocate) {
#if defined(__SANITIZE_ADDRESS__)
  const char* options = std::getenv("ASAN_OPTIONS");
  if (options == nullptr || std::strstr(options, "allocator_may_return_null=1") == nullptr) {
    GTEST_SKIP() << "needs ASAN_OPTIONS=allocator_may_return_null=1 (see core.grid_too_large)";
  }
#endif
  LineGrid grid;
  EXPECT_FALSE(grid.Allocate(INT_MAX, INT_MAX));
  EXPECT_FALSE(grid.Allocate(100000000, 100000001));
}

TEST(LineGrid, WholeLineOperations) {
  const struct {
    const char* name;
    std::function<void(LineGrid&)> op;
    std::vector<std::string> expected;
  } cases[] = {
      {"Clear 3",
       [](LineGrid& g) { Clear(3, g); },
       {"zero", "one one", "two", "", "four", "five5", "six", "7777", "eight eight", "nine"}},
      {"Move 2 to 7: nothing in between shifts",
       [](LineGrid& g) { Move(2, 7, g); },
       {"zero", "one one", "", "three three", "four", "five5", "six", "two", "eight eight",
        "nine"}},
      {"Move a short line over a long one",
       [](LineGrid& g) { Move(6, 8, g); },
       {"zero", "one one", "two", "three three", "four", "five5", "", "7777", "six", "nine"}},
      {"Move upwards",
       [](LineGrid& g) { Move(8, 0, g); },
       {"eight eight", "one one", "two", "three three", "four", "five5", "six", "7777", "",
        "nine"}},
      {"Move onto its own line leaves it", [](LineGrid& g) { Move(4, 4, g); }, kTen},
      {"Copy 2 to 7",
       [](LineGrid& g) { Copy(2, 7, g); },
       {"zero", "one one", "two", "three three", "four", "five5", "six", "two", "eight eight",
        "nine"}},
      {"Copy a short line over a long one",
       [](LineGrid& g) { Copy(2, 3, g); },
       {"zero", "one one", "two", "two", "four", "five5", "six", "7777", "eight eight", "nine"}},
      {"Copy onto itself", [](LineGrid& g) { Copy(5, 5, g); }, kTen},
      {"Copy the last slot to the first",
       [](LineGrid& g) { Copy(9, 0, g); },
       {"nine", "one one", "two", "three three", "four", "five5", "six", "7777", "eight eight",
        "nine"}},
      {"Delete 3: the rest moves up, the full last slot empties",
       [](LineGrid& g) { Delete(3, g); },
       {"zero", "one one", "two", "four", "five5", "six", "7777", "eight eight", "nine", ""}},
      {"Delete 0",
       [](LineGrid& g) { Delete(0, g); },
       {"one one", "two", "three three", "four", "five5", "six", "7777", "eight eight", "nine",
        ""}},
      {"Delete the last slot only empties it",
       [](LineGrid& g) { Delete(9, g); },
       {"zero", "one one", "two", "three three", "four", "five5", "six", "7777", "eight eight",
        ""}},
      {"Wedge 3: the rest moves down, the last text is lost",
       [](LineGrid& g) { Wedge(3, g); },
       {"zero", "one one", "two", "", "three three", "four", "five5", "six", "7777",
        "eight eight"}},
      {"Wedge 0",
       [](LineGrid& g) { Wedge(0, g); },
       {"", "zero", "one one", "two", "three three", "four", "five5", "six", "7777",
        "eight eight"}},
      {"Wedge the last slot only empties it",
       [](LineGrid& g) { Wedge(9, g); },
       {"zero", "one one", "two", "three three", "four", "five5", "six", "7777", "eight eight",
        ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LineGrid grid = MakeGrid(10, 16, kTen);
    c.op(grid);
    ExpectGrid(grid, c.expected);
  }
}

TEST(LineGrid, OperationsInTurnKeepEveryLineInPlace) {
  // Each step starts from the grid the step before left, on both sides of removed lines.
  NullOut out;
  LineGrid grid = MakeGrid(8, 8, {"a", "bb", "ccc", "dddd", "eeeee", "ffffff"});
  const struct {
    const char* name;
    std::function<void(LineGrid&)> op;
    std::vector<std::string> expected;
    int doc_length;
  } steps[] = {
      {"Delete 2",
       [](LineGrid& g) { Delete(2, g); },
       {"a", "bb", "dddd", "eeeee", "ffffff", "", "", ""},
       4},
      {"Replace before the removed line",
       [&](LineGrid& g) { Replace(1, 2, 8, "X", g, out.get()); },
       {"a", "bbX", "dddd", "eeeee", "ffffff", "", "", ""},
       4},
      {"Replace after it",
       [&](LineGrid& g) { Replace(3, 0, 8, "Z", g, out.get()); },
       {"a", "bbX", "dddd", "Zeeee", "ffffff", "", "", ""},
       4},
      {"Copy upwards",
       [](LineGrid& g) { Copy(3, 1, g); },
       {"a", "Zeeee", "dddd", "Zeeee", "ffffff", "", "", ""},
       4},
      {"Move beyond the text",
       [](LineGrid& g) { Move(0, 6, g); },
       {"", "Zeeee", "dddd", "Zeeee", "ffffff", "", "a", ""},
       6},
      {"Wedge 2",
       [](LineGrid& g) { Wedge(2, g); },
       {"", "Zeeee", "", "dddd", "Zeeee", "ffffff", "", "a"},
       7},
      {"Wedge 0 drops the last line",
       [](LineGrid& g) { Wedge(0, g); },
       {"", "", "Zeeee", "", "dddd", "Zeeee", "ffffff", ""},
       6},
      {"Delete 0",
       [](LineGrid& g) { Delete(0, g); },
       {"", "Zeeee", "", "dddd", "Zeeee", "ffffff", "", ""},
       5},
      {"Insert",
       [](LineGrid& g) { Insert(3, 1, 2, "YY", g); },
       {"", "Zeeee", "", "dYYddd", "Zeeee", "ffffff", "", ""},
       5},
      {"Cut",
       [](LineGrid& g) { Cut(4, 0, 2, g); },
       {"", "Zeeee", "", "dYYddd", "eee", "ffffff", "", ""},
       5},
      {"Trim",
       [](LineGrid& g) { Trim(5, 3, g); },
       {"", "Zeeee", "", "dYYddd", "eee", "fff", "", ""},
       5},
      {"Clear", [](LineGrid& g) { Clear(1, g); }, {"", "", "", "dYYddd", "eee", "fff", "", ""}, 5},
      {"Delete everything",
       [](LineGrid& g) {
         for (int i = 0; i < 3; ++i) {
           Delete(3, g);
         }
       },
       {"", "", "", "", "", "", "", ""},
       0},
      {"Replace the last slot",
       [&](LineGrid& g) { Replace(7, 2, 8, "q", g, out.get()); },
       {"", "", "", "", "", "", "", "  q"},
       7},
      {"Paste in the middle",
       [](LineGrid& g) { Paste(3, 1, 3, "PPP", g); },
       {"", "", "", " PPP", "", "", "", "  q"},
       7},
      {"Wedge 3", [](LineGrid& g) { Wedge(3, g); }, {"", "", "", "", " PPP", "", "", ""}, 4},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    step.op(grid);
    ExpectGrid(grid, step.expected);
    EXPECT_EQ(DocLength(grid), step.doc_length);
    // Asking for the extent changes nothing either.
    ExpectGrid(grid, step.expected);
  }
}

TEST(LineGrid, FullLinesKeepTheirTerminatorWhereverTheyGo) {
  // lsize - 1 characters: the slot's last byte is its only zero.
  const std::string full(15, 'F');
  const std::string also(15, 'G');
  const struct {
    const char* name;
    std::function<void(LineGrid&)> op;
    std::vector<std::string> expected;
  } cases[] = {
      {"Move", [](LineGrid& g) { Move(0, 3, g); }, {"", "x", full, full, also}},
      {"Copy", [](LineGrid& g) { Copy(4, 1, g); }, {full, also, full, "", also}},
      {"Delete", [](LineGrid& g) { Delete(1, g); }, {full, full, "", also, ""}},
      {"Wedge", [](LineGrid& g) { Wedge(0, g); }, {"", full, "x", full, ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LineGrid grid = MakeGrid(5, 16, {full, "x", full, "", also});
    c.op(grid);
    ExpectGrid(grid, c.expected);
    for (int i = 0; i < grid.lines(); ++i) {
      EXPECT_EQ(grid.Slot(i)[15], '\0') << "slot " << i;
    }
  }
}

TEST(LineGrid, DeletedSlotHoldsOnlyTheNextLine) {
  // Stale text of the longer deleted line would reappear once the line is extended over it.
  const struct {
    int column;
    const char* expected;
  } cases[] = {{2, "hiX"}, {5, "hi   X"}};
  for (const auto& c : cases) {
    NullOut out;
    LineGrid grid = MakeGrid(4, 256, {"hello world", "hi"});
    Delete(0, grid);
    ASSERT_EQ(SlotBytes(grid, 0), Padded("hi", 256));
    Replace(0, c.column, grid.lines(), "X", grid, out.get());
    EXPECT_EQ(SlotBytes(grid, 0), Padded(c.expected, 256)) << "column " << c.column;
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

TEST(LineGrid, DocLengthFollowsLinesPushedOutAndPulledBack) {
  LineGrid grid = MakeGrid(6, 8, {"only"});
  for (int i = 1; i <= 5; ++i) {
    Wedge(0, grid);
    EXPECT_EQ(DocLength(grid), i);
  }
  EXPECT_EQ(SlotBytes(grid, 5), Padded("only", 8));
  Wedge(0, grid);  // pushes it out of the last slot
  EXPECT_EQ(DocLength(grid), 0);
  EXPECT_EQ(SlotBytes(grid, 5), Padded("", 8));

  LineGrid other = MakeGrid(6, 8, {"", "", "", "", "", "end"});
  EXPECT_EQ(DocLength(other), 5);
  Delete(2, other);
  EXPECT_EQ(DocLength(other), 4);
  Clear(4, other);
  EXPECT_EQ(DocLength(other), 0);
  Copy(3, 5, other);  // copying an empty line changes nothing
  EXPECT_EQ(DocLength(other), 0);
  NullOut out;
  Replace(5, 0, 6, "z", other, out.get());
  EXPECT_EQ(DocLength(other), 5);
  Move(5, 1, other);
  EXPECT_EQ(DocLength(other), 1);
}

}  // namespace
}  // namespace brenik

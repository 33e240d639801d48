// The grid against a plain list of lines: whatever the gap does inside, every line reads back
// as a simple model of the same operations says it should, with zeros behind its text.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "buffer/grid.h"
#include "harness.h"

namespace brenik {
namespace {

void ExpectSame(const LineGrid& grid, const std::vector<std::string>& model) {
  ASSERT_TRUE(testing::Holds(grid, model));
  for (int k = grid.bound(); k < grid.lines(); ++k) {
    ASSERT_TRUE(model[k].empty()) << "line " << k << " lies past the bound but holds text";
  }
}

TEST(GridModel, RandomOperationsMatchAPlainListOfLines) {
  std::mt19937 rng(7);
  for (int run = 0; run < 300; ++run) {
    const int lines = std::uniform_int_distribution<int>(1, 9)(rng);
    const int lsize = std::uniform_int_distribution<int>(2, 6)(rng);
    LineGrid grid;
    ASSERT_TRUE(grid.Allocate(lines, lsize));
    std::vector<std::string> model(static_cast<std::size_t>(lines));
    auto any_line = [&] { return std::uniform_int_distribution<int>(0, lines - 1)(rng); };
    for (int step = 0; step < 200; ++step) {
      const int a = any_line();
      const int b = any_line();
      switch (std::uniform_int_distribution<int>(0, 7)(rng)) {
        case 0: {  // write text over a line, as the in-line edits do through the slot
          const std::string text(std::uniform_int_distribution<int>(0, lsize - 1)(rng),
                                 static_cast<char>('a' + step % 26));
          char* slot = grid.Slot(a);
          std::memset(slot, 0, static_cast<std::size_t>(lsize));
          std::memcpy(slot, text.data(), text.size());
          model[a] = text;
          break;
        }
        case 1:
          Delete(a, grid);
          model.erase(model.begin() + a);
          model.emplace_back();
          break;
        case 2:
          Wedge(a, grid);
          model.insert(model.begin() + a, std::string());
          model.pop_back();
          break;
        case 3:
          Move(a, b, grid);
          if (a != b) {
            model[b] = model[a];
            model[a].clear();
          }
          break;
        case 4:
          Copy(a, b, grid);
          model[b] = model[a];
          break;
        case 5:
          Clear(a, grid);
          model[a].clear();
          break;
        case 6: {
          int last = 0;
          for (int k = 0; k < lines; ++k) {
            if (!model[k].empty()) {
              last = k;
            }
          }
          ASSERT_EQ(DocLength(grid), last);
          break;
        }
        default:
          if (step % 50 == 0) {
            grid.EmptyAll();
            model.assign(static_cast<std::size_t>(lines), std::string());
          }
          break;
      }
      ASSERT_NO_FATAL_FAILURE(ExpectSame(grid, model)) << "run " << run << " step " << step;
    }
  }
}

TEST(GridModel, RepeatedDeletesAtOnePlaceLeaveTheRestInOrder) {
  LineGrid grid;
  ASSERT_TRUE(grid.Allocate(1000, 8));
  for (int k = 0; k < 900; ++k) {
    std::snprintf(grid.Slot(k), 8, "%d", k);
  }
  for (int n = 0; n < 100; ++n) {
    Delete(3, grid);
  }
  EXPECT_STREQ(grid.Slot(2), "2");
  EXPECT_STREQ(grid.Slot(3), "103");
  EXPECT_STREQ(grid.Slot(799), "899");
  EXPECT_STREQ(grid.Slot(800), "");
  EXPECT_EQ(DocLength(grid), 799);
  Wedge(0, grid);
  EXPECT_STREQ(grid.Slot(0), "");
  EXPECT_STREQ(grid.Slot(800), "899");
}

}  // namespace
}  // namespace brenik

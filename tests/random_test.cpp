// Random work against simple truths: the grid against a plain list of lines, and whole sessions
// whose every command keeps the grid sound and undo exact, and whose loads place every line.
#include <gtest/gtest.h>

#include <random>

#include "session_check.h"

namespace brenik::testing {
namespace {

TEST(Random, GridOperationsMatchAPlainListOfLines) {
  std::mt19937 rng(7);
  for (int run = 0; run < 300; ++run) {
    const int lines = std::uniform_int_distribution<int>(1, 9)(rng);
    const int lsize = std::uniform_int_distribution<int>(2, 6)(rng);
    LineGrid grid;
    ASSERT_TRUE(grid.Allocate(lines, lsize));
    std::vector<std::string> model(static_cast<std::size_t>(lines));
    for (int step = 0; step < 200; ++step) {
      const int a = std::uniform_int_distribution<int>(0, lines - 1)(rng);
      const int b = std::uniform_int_distribution<int>(0, lines - 1)(rng);
      switch (std::uniform_int_distribution<int>(0, 6)(rng)) {
        case 0: {  // text written into a slot, as the in-line edits write it
          const std::string text(std::uniform_int_distribution<int>(0, lsize - 1)(rng),
                                 static_cast<char>('a' + step % 26));
          std::memset(grid.Slot(a), 0, static_cast<std::size_t>(lsize));
          std::memcpy(grid.Slot(a), text.data(), text.size());
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
        default:
          if (step % 40 == 0) {
            grid.EmptyAll();
            model.assign(static_cast<std::size_t>(lines), "");
          }
      }
      std::string want;
      int last = 0;
      for (int k = 0; k < lines; ++k) {
        want += model[k] + std::string(static_cast<std::size_t>(lsize) - model[k].size(), '\0');
        last = model[k].empty() ? last : k;
      }
      ASSERT_EQ(GridBytes(grid), want) << "run " << run << " step " << step;
      if (step % 7 == 0) {
        ASSERT_EQ(DocLength(grid), last);
      }
    }
  }
}

TEST(Random, SessionsKeepTheGridSoundAndUndoExact) {
  TempDir dir;
  std::mt19937 rng(20261207);
  const std::vector<std::string> words = {
      "b", "n",  ",", ".", "l", "e", "<", ">",  "p",    "j",     "J",
      "L", "g",  "G", "a", "A", "d", "m", "w",  "D",    "C",     "c",
      "x", "v",  "V", "i", "t", "T", "z", "#",  "Y",    "!",     "q",
      "",  "-1", "0", "1", "2", "3", "7", "ab", "b\tc", "\x01x", "zzzzzzzzzzzzzzzzzzzzzzzzzzzzz"};
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  for (int run = 0; run < 400; ++run) {
    std::string input(4, '\0');
    for (char& byte : input) {
      byte = static_cast<char>(pick(256));
    }
    const std::string alphabet("ab\n\n\n\0", 6);
    std::string doc(static_cast<std::size_t>(pick(60)), 'a');
    for (char& c : doc) {
      c = pick(20) == 0 ? alphabet[static_cast<std::size_t>(pick(6))] : "xy\n"[pick(3)];
    }
    input[3] = static_cast<char>(doc.size());
    input += doc;
    for (int k = pick(120); k > 0; --k) {
      input += words[static_cast<std::size_t>(pick(static_cast<int>(words.size())))] + "\n";
    }
    ASSERT_EQ(SessionFault(reinterpret_cast<const std::uint8_t*>(input.data()), input.size()), "")
        << "run " << run;
  }
}

}  // namespace
}  // namespace brenik::testing

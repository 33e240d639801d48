// SPDX-License-Identifier: MIT
// Random sessions on small grids, checked after every command (see session_check.h).
#include <gtest/gtest.h>

#include <random>

#include "files/parse.h"
#include "session_check.h"

namespace brenik::testing {
namespace {

// The grid against a plain list of lines: long and short texts, texts of its own lines, lines
// removed, opened and reached far down, loads, and enough dead text for many compactions. Few
// loads let the text of many edits pile up between them; many find the index in every state. A
// grid larger than its first index of records (65,536) starts with that index full, reaches a
// line far beyond it and then opens one, so that the index grows both ways; its lines are
// compared every 50th step.
struct Shape {
  int lines;
  int lsize;
  int steps;
  int loads_one_in;
};

void HoldsWhatAListHolds(const Shape& shape) {
  const int lines = shape.lines;
  const int lsize = shape.lsize;
  std::mt19937 rng(7);
  auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
  LineGrid grid;
  ASSERT_TRUE(grid.Allocate(lines, lsize));
  std::vector<std::string> model(lines);
  auto load = [&](const std::string& file) {
    TextBlock text = AllocateText(file.size());
    file.copy(text.get(), file.size());
    PlaceLines(std::move(text), file.size(), grid);
    model = ExpectedLines(file, lsize);
    model.resize(lines);
  };
  if (lines > 150000) {
    std::string file;
    for (int k = 0; k < 1 << 16; ++k) {
      file += std::string(static_cast<std::size_t>(k % 7), 'F') + "\n";
    }
    load(file);
    grid.SetText(150000, "far");
    model[150000] = "far";
    Wedge(1, grid);
    model.insert(model.begin() + 1, "");
    model.pop_back();
  }
  for (int step = 0; step < shape.steps; ++step) {
    const int line = pick(lines);
    const int kind = pick(shape.loads_one_in) == 0 ? 9 : pick(9);
    if (kind < 5) {
      const std::string text(static_cast<std::size_t>(pick(4) == 0 ? pick(lsize) : pick(9)),
                             static_cast<char>('a' + step % 26));
      grid.SetText(line, text);
      model[line] = text;
    } else if (kind == 5) {
      const int to = pick(lines);
      Move(line, to, grid);
      const std::string moved = model[line];
      model[line].clear();
      model[to] = moved;
    } else if (kind == 6) {
      const int to = pick(lines);
      Copy(line, to, grid);
      model[to] = model[line];
    } else if (kind == 7) {
      Delete(line, grid);
      model.erase(model.begin() + line);
      model.emplace_back();
    } else if (kind == 8) {
      Wedge(line, grid);
      model.insert(model.begin() + line, "");
      model.pop_back();
    } else {
      std::string file;
      for (int k = pick(lines); k > 0; --k) {
        file += std::string(static_cast<std::size_t>(pick(50)), 'L') + "\n";
      }
      load(file);
    }
    if (lines > 1000 && step % 50 != 0) {
      continue;
    }
    for (int k = 0; k < lines; ++k) {
      ASSERT_EQ(grid.Text(k), model[k]) << "step " << step << ", line " << k;
    }
  }
}

TEST(Random, TheGridHoldsWhatAListOfLinesHolds) {
  for (const Shape& shape : {Shape{40, 3000, 30000, 10000}, Shape{40, 3000, 5000, 20},
                             Shape{200000, 1 << 20, 401, 100}}) {
    HoldsWhatAListHolds(shape);
  }
}

TEST(Random, SessionsKeepTheGridSoundAndUndoExact) {
  TempDir dir;
  std::mt19937 rng(20261207);
  std::vector<std::string> words = {
      "b", "n",  ",", ".", "l", "e", "<", ">",  "p",    "j",     "J",
      "L", "g",  "G", "a", "A", "d", "m", "w",  "D",    "C",     "c",
      "x", "v",  "V", "i", "t", "T", "z", "#",  "Y",    "!",     "q",
      "",  "-1", "0", "1", "2", "3", "7", "ab", "b\tc", "\x01x", "zzzzzzzzzzzzzzzzzzzzzzzzzzzzz"};
  // Text after "!", the keys a terminal sends, known or not, and a line with a zero byte.
  words.insert(words.end(),
               {"!ab", "\x1b[A", "\x1bOF", "\x1b[5;2~", "\x1b[3~", std::string("d\0x", 3)});
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

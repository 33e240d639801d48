// Long random command sequences on small grids: the grid's rules hold after every command, and
// undo gives back exactly the bytes that the last edit changed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "core/commands.h"
#include "core/editor.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::GridBytes;

// Commands that touch neither files nor the shell, each with answers it may ask for.
constexpr Command kCommands[] = {
    kPositionBack, kPositionForw, kPositionDown, kPositionUp, kPositionBeg, kPositionEnd,
    kPageBack,     kPageForw,     kPageLength,   kJumpLine,   kJumpDoc,     kLockTog,
    kGoToLine,     kGoToPos,      kAnchorGo,     kAnchorSet,  kLineClear,   kLineMove,
    kLineInsert,   kLineDelete,   kLineCopy,     kClipCopy,   kClipCut,     kClipPaste,
    kClipInsert,   kNewInsert,    kTrimEnd,      kTrimWrap,   kUndo,        kNumTog,
};

std::string RandomText(std::mt19937& rng, int max_length) {
  const char alphabet[] = "ab !\t\x01zq\xc3";
  std::string text(std::uniform_int_distribution<int>(0, max_length)(rng), 'a');
  for (char& c : text) {
    c = alphabet[std::uniform_int_distribution<int>(0, sizeof alphabet - 2)(rng)];
  }
  return text;
}

TEST(Invariants, RandomSequencesKeepTheGridSoundAndUndoExact) {
  std::mt19937 rng(20261206);
  for (int run = 0; run < 200; ++run) {
    Editor ed;
    ed.io.out = std::fopen("/dev/null", "w");
    ASSERT_NE(ed.io.out, nullptr);
    MakeKeys(ed.settings.names);
    SetDefaultValues(ed.settings.keys);
    const int lines = std::uniform_int_distribution<int>(1, 12)(rng);
    const int lsize = std::uniform_int_distribution<int>(3, 24)(rng);
    ASSERT_TRUE(ed.grid.Allocate(lines, lsize));
    for (auto* buffer :
         {&ed.input, &ed.insert_text, &ed.jump, &ed.clip, &ed.undo.copy1, &ed.undo.copy2}) {
      buffer->assign(static_cast<std::size_t>(lsize), '\0');
    }
    for (int step = 0; step < 400; ++step) {
      std::string answers;
      for (int a = 0; a < 2; ++a) {
        answers += std::uniform_int_distribution<int>(0, 1)(rng) == 0
                       ? std::to_string(std::uniform_int_distribution<int>(-3, lsize + 3)(rng))
                       : RandomText(rng, lsize + 4);
        answers += '\n';
      }
      std::FILE* in = fmemopen(answers.data(), answers.size(), "r");
      ASSERT_NE(in, nullptr);
      ed.io.in = in;
      ed.io.ended = false;

      std::string input;
      if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) {
        input = RandomText(rng, lsize + 4);
      } else {
        const Command command = kCommands[std::uniform_int_distribution<int>(
            0, static_cast<int>(std::size(kCommands)) - 1)(rng)];
        input = ed.settings.keys[command].data();
      }
      const std::string before = GridBytes(ed.grid);
      ed.undo.mode = kNone;
      const bool undo_key = input == ed.settings.keys[kUndo].data();
      // Typed text may be the quit key; confirming it only ends the loop, which is not run here.
      ASSERT_NE(RunCommand(ed, input.c_str()), Flow::kFatal);
      std::fclose(in);

      SCOPED_TRACE("run " + std::to_string(run) + " step " + std::to_string(step) + " input '" +
                   input + "'");
      ASSERT_TRUE(SlotsZeroFilled(ed.grid));
      ASSERT_GE(ed.line, 0);
      ASSERT_LT(ed.line, lines);
      ASSERT_GE(ed.column, 0);
      ASSERT_LT(ed.column, lsize);
      if (!undo_key && ed.undo.mode != kNone) {
        ASSERT_TRUE(ed.modified);
        if (std::uniform_int_distribution<int>(0, 3)(rng) == 0) {
          ASSERT_EQ(RunCommand(ed, ed.settings.keys[kUndo].data()), Flow::kContinue);
          ASSERT_EQ(GridBytes(ed.grid), before);
          ASSERT_EQ(ed.undo.mode, kNone);
        }
      } else if (!undo_key) {
        ASSERT_EQ(GridBytes(ed.grid), before) << "an edit changed the grid without an undo record";
      }
    }
    std::fclose(ed.io.out);
  }
}

}  // namespace
}  // namespace brenik

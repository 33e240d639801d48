// SPDX-License-Identifier: MIT
#include "core/undo.h"

#include <cstring>

namespace brenik {

namespace {

// Keeps a line's text and its terminating zero. Nothing behind them is written or read, so a
// copy costs what the text costs and the rest of the buffer may stay untouched.
void KeepCopy(std::string_view text, char* copy) {
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
}

// Puts a saved copy back as the line's text; a line holds no zero byte, so the copy's zero
// ends it.
void RecallUndo(int line, const char* copy, LineGrid& grid) { grid.SetText(line, copy); }

}  // namespace

void StoreUndo(Undo& undo, int line, const LineGrid& grid) {
  undo.first = line;
  KeepCopy(grid.Text(line), undo.copy1.get());
}

void StoreDoubleUndo(Undo& undo, int first, int second, const LineGrid& grid) {
  if (second < 0 || second >= grid.lines()) {
    return;
  }
  KeepCopy(grid.Text(first), undo.copy1.get());
  KeepCopy(grid.Text(second), undo.copy2.get());
}

std::optional<int> ApplyUndo(Undo& undo, LineGrid& grid) {
  // Room for both copies first: a change of two lines must not stop after the first.
  if (undo.mode != UndoMode::kNone) {
    grid.ReserveText(std::strlen(undo.copy1.get()) + std::strlen(undo.copy2.get()));
  }
  switch (undo.mode) {
    case UndoMode::kLineEdit:
      RecallUndo(undo.first, undo.copy1.get(), grid);
      break;
    case UndoMode::kWedged:
      Delete(undo.first, grid);
      break;
    case UndoMode::kDeleted:
      Wedge(undo.first, grid);
      RecallUndo(undo.first, undo.copy1.get(), grid);
      break;
    case UndoMode::kMoved:
    case UndoMode::kWrapped:
      RecallUndo(undo.first, undo.copy1.get(), grid);
      RecallUndo(undo.second, undo.copy2.get(), grid);
      break;
    case UndoMode::kCopied:
      RecallUndo(undo.second, undo.copy2.get(), grid);
      break;
    case UndoMode::kNone:
      return std::nullopt;
  }
  undo.mode = UndoMode::kNone;
  return undo.first;
}

void NoteInJournal(UndoMode mode, int first, int second, bool undone, const LineGrid& grid,
                   Journal& journal) {
  // Each case changes the lines that the matching case of ApplyUndo puts back.
  switch (mode) {
    case UndoMode::kLineEdit:
      journal.Set(first, grid);
      break;
    case UndoMode::kWedged:
      if (undone) {
        journal.Remove(first);
      } else {
        journal.Open(first);
      }
      break;
    case UndoMode::kDeleted:
      if (undone) {
        journal.Open(first);
        journal.Set(first, grid);
      } else {
        journal.Remove(first);
      }
      break;
    case UndoMode::kMoved:
    case UndoMode::kWrapped:
      journal.Set(first, grid);
      journal.Set(second, grid);
      break;
    case UndoMode::kCopied:
      journal.Set(second, grid);
      break;
    case UndoMode::kNone:
      break;
  }
}

}  // namespace brenik

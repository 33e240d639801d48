#include "core/undo.h"

namespace brenik {

namespace {

// Puts a saved copy back into a slot, zero-filled behind its text.
void RecallUndo(int line, const char* copy, LineGrid& grid) {
  CopyText(copy, grid.WriteSlot(line), grid.lsize());
}

}  // namespace

void StoreUndo(Undo& undo, int line, const LineGrid& grid) {
  undo.first = line;
  CopyText(grid.ReadSlot(line), undo.copy1.data(), grid.lsize());
}

void StoreDoubleUndo(Undo& undo, int first, int second, const LineGrid& grid) {
  if (second < 0 || second >= grid.lines()) {
    return;
  }
  CopyText(grid.ReadSlot(first), undo.copy1.data(), grid.lsize());
  CopyText(grid.ReadSlot(second), undo.copy2.data(), grid.lsize());
}

std::optional<int> ApplyUndo(Undo& undo, LineGrid& grid) {
  switch (undo.mode) {
    case UndoMode::kLineEdit:
      RecallUndo(undo.first, undo.copy1.data(), grid);
      break;
    case UndoMode::kWedged:
      Delete(undo.first, grid);
      break;
    case UndoMode::kDeleted:
      Wedge(undo.first, grid);
      RecallUndo(undo.first, undo.copy1.data(), grid);
      break;
    case UndoMode::kMoved:
    case UndoMode::kWrapped:
      RecallUndo(undo.first, undo.copy1.data(), grid);
      RecallUndo(undo.second, undo.copy2.data(), grid);
      break;
    case UndoMode::kCopied:
      RecallUndo(undo.second, undo.copy2.data(), grid);
      break;
    case UndoMode::kNone:
      return std::nullopt;
  }
  undo.mode = UndoMode::kNone;
  return undo.first;
}

}  // namespace brenik

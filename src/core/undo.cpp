#include "core/undo.h"

#include <cstring>

namespace brenik {

namespace {

// Copies a slot's text and clears what is left of the old text behind it; the rest of the
// destination is zero already, so the cost follows the texts, not the slot size.
void CopySlot(const char* from, char* to, int lsize) {
  const std::size_t length = strnlen(from, static_cast<std::size_t>(lsize));
  const std::size_t old_length = strnlen(to, static_cast<std::size_t>(lsize));
  std::memcpy(to, from, length);
  if (old_length > length) {
    std::memset(to + length, 0, old_length - length);
  }
}

}  // namespace

void StoreUndo(int line, int& record_line, char* copy, const LineGrid& grid) {
  record_line = line;
  CopySlot(grid.Slot(line), copy, grid.lsize());
}

void RecallUndo(int line, const char* copy, LineGrid& grid) {
  CopySlot(copy, grid.Slot(line), grid.lsize());
}

void StoreDoubleUndo(int first, int second, char* copy1, char* copy2, const LineGrid& grid) {
  if (second < 0 || second >= grid.lines()) {
    return;
  }
  CopySlot(grid.Slot(first), copy1, grid.lsize());
  CopySlot(grid.Slot(second), copy2, grid.lsize());
}

bool ApplyUndo(Undo& undo, LineGrid& grid, int& cursor_line) {
  switch (undo.mode) {
    case kLineEdit:
      cursor_line = undo.first;
      RecallUndo(undo.first, undo.copy1.data(), grid);
      break;
    case kWedged:
      cursor_line = undo.first;
      Delete(undo.first, grid);
      break;
    case kDeleted:
      cursor_line = undo.first;
      Wedge(undo.first, grid);
      RecallUndo(undo.first, undo.copy1.data(), grid);
      break;
    case kMoved:
    case kWrapped:
      RecallUndo(undo.first, undo.copy1.data(), grid);
      RecallUndo(undo.second, undo.copy2.data(), grid);
      cursor_line = undo.first;
      break;
    case kCopied:
      RecallUndo(undo.second, undo.copy2.data(), grid);
      cursor_line = undo.first;
      break;
    default:
      return false;
  }
  undo.mode = kNone;
  return true;
}

}  // namespace brenik

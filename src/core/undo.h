// One level of undo: what the last edit changed, and the slot copies that take it back.
#pragma once

#include <vector>

#include "buffer/grid.h"

namespace brenik {

/// Kinds of edit that the record can take back; kNone means there is nothing to undo.
enum UndoMode : int {
  kNone = 0,
  kLineEdit = 1,
  kWedged = 2,
  kDeleted = 3,
  kMoved = 4,
  kCopied = 5,
  kWrapped = 6,
};

/// The record of the last edit; copies hold whole slots of lsize bytes.
struct Undo {
  int mode = kNone;
  int first = 0;
  int second = 0;
  std::vector<char> copy1;
  std::vector<char> copy2;
};

/// Records the line in `record_line` and copies its slot into `copy`.
void StoreUndo(int line, int& record_line, char* copy, const LineGrid& grid);
/// Puts a saved copy back into a slot, zero-filled behind its text.
void RecallUndo(int line, const char* copy, LineGrid& grid);
/// Copies both slots when the second is a valid index; otherwise stores nothing.
void StoreDoubleUndo(int first, int second, char* copy1, char* copy2, const LineGrid& grid);

/// Takes back the recorded edit and empties the record; false when there was nothing to undo.
[[nodiscard]] bool ApplyUndo(Undo& undo, LineGrid& grid, int& cursor_line);

}  // namespace brenik

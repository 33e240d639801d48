// SPDX-License-Identifier: MIT
// One level of undo: what the last edit changed, and the slot copies that take it back.
#pragma once

#include <memory>
#include <optional>

#include "buffer/grid.h"
#include "files/journal.h"

namespace brenik {

/// Kinds of edit that the record can take back; kNone means there is nothing to undo.
enum class UndoMode { kNone, kLineEdit, kWedged, kDeleted, kMoved, kCopied, kWrapped };

/// The record of the last edit; the copies have room for a slot's lsize bytes and hold a line's
/// text and its terminating zero, never more.
struct Undo {
  UndoMode mode = UndoMode::kNone;
  int first = 0;
  int second = 0;
  std::unique_ptr<char[]> copy1;
  std::unique_ptr<char[]> copy2;
};

/// Keeps a copy of the line as the record's first line.
void StoreUndo(Undo& undo, int line, const LineGrid& grid);
/// Keeps copies of both lines when the second is a valid index; otherwise stores nothing.
void StoreDoubleUndo(Undo& undo, int first, int second, const LineGrid& grid);

/// Takes back the recorded edit and empties the record; the line the cursor goes to, none when
/// there was nothing to undo.
[[nodiscard]] std::optional<int> ApplyUndo(Undo& undo, LineGrid& grid);

/// Tells the journal what an edit of this kind changed in the grid, at the record's lines, or,
/// with `undone`, what taking it back changed.
void NoteInJournal(UndoMode mode, int first, int second, bool undone, const LineGrid& grid,
                   Journal& journal);

}  // namespace brenik

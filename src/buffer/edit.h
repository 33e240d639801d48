// SPDX-License-Identifier: MIT
// Edits inside one line, and the checks that size them before they run. Nothing here prints: a
// check returns what it settled, and the caller tells the user.
#pragma once

#include <string_view>

#include "buffer/grid.h"

namespace brenik {

/// Overwrites the line from `column` with `text`, filling a short line with spaces first.
/// False, with nothing changed, at the line's last column, which has no room for text.
[[nodiscard]] bool Replace(int line, int column, std::string_view text, LineGrid& grid);

/// How many characters of an insert fit, and what shortened it.
struct InsertFit {
  int count = 0;               // 0: nothing fits
  bool past_position = false;  // the text would run past the slot from the column
  bool past_line = false;      // the line would grow past the slot
};
/// Settles how many characters of `text` fit when inserted at the column.
[[nodiscard]] InsertFit CheckInsert(int line, int column, std::string_view text,
                                    const LineGrid& grid);
/// Inserts `count` characters of `text` at the column and shifts the rest of the line right;
/// `text` may be another line's.
void Insert(int line, int column, int count, std::string_view text, LineGrid& grid);

/// What a cut, copy or paste settled: how many characters it takes and why.
struct Fit {
  enum class Verdict {
    kWhole,      // as asked
    kShortened,  // fewer than asked: `count` is what there is, or what fits
    kTooLarge,   // refused: a cut larger than the slot from the column
    kNothing,    // refused: nothing to take at the column, or nothing to paste
  };
  Verdict verdict = Verdict::kNothing;
  int count = 0;
  [[nodiscard]] bool Taken() const {
    return verdict == Verdict::kWhole || verdict == Verdict::kShortened;
  }
};

/// Settles a cut of `size` characters at the column.
[[nodiscard]] Fit CheckCut(int line, int column, int size, const LineGrid& grid);
/// Removes `size` characters at the column; the rest of the line closes up.
void Cut(int line, int column, int size, LineGrid& grid);

/// Settles how many characters of `text` may overwrite from the column.
[[nodiscard]] Fit CheckPaste(int column, std::string_view text, int lsize);
/// Overwrites from the column with `count` characters of `text`.
void Paste(int line, int column, int count, std::string_view text, LineGrid& grid);

/// Cuts the line off at the column.
void Trim(int line, int column, LineGrid& grid);

/// Settles a copy of `count` characters at the column into clip memory.
[[nodiscard]] Fit CheckCopy(int line, int column, int count, const LineGrid& grid);

}  // namespace brenik

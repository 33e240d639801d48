// Edits inside one line slot, and the checks that size them before they run.
#pragma once

#include <cstdio>

#include "buffer/grid.h"

namespace brenik {

/// Overwrites the line from `column` with `text`, filling a short line with spaces first.
/// Refuses a column at the slot's end ("At End Of Line").
void Replace(int line, int column, const char* text, LineGrid& grid, std::FILE* out);

/// Settles how many characters of `text` fit when inserted at the column; 1 when more than 0.
[[nodiscard]] int CheckInsert(int line, int column, int& count, const char* text,
                              const LineGrid& grid, std::FILE* out);
/// Inserts `count` characters of `text` at the column and shifts the rest of the line right.
void Insert(int line, int column, int count, const char* text, LineGrid& grid);

/// Settles a cut of `size` characters at the column; 0 when refused.
[[nodiscard]] int CheckCut(int line, int column, int& size, const LineGrid& grid, std::FILE* out);
/// Removes `size` characters at the column; the rest of the line closes up.
void Cut(int line, int column, int size, LineGrid& grid);

/// Settles how many characters of `text` may overwrite from the column; 0 only for empty text.
[[nodiscard]] int CheckPaste(int column, int& count, const char* text, int lsize, std::FILE* out);
/// Overwrites from the column with `count` characters of `text`.
void Paste(int line, int column, int count, const char* text, LineGrid& grid);

/// Cuts the line off at the column.
void Trim(int line, int column, LineGrid& grid);

/// Settles a copy of `count` characters at the column into clip memory; 0 when nothing is there.
[[nodiscard]] int CheckCopy(int line, int column, int& count, const LineGrid& grid, std::FILE* out);

/// Length of a line's text, at most lsize - 1.
int LineLength(const LineGrid& grid, int line);

}  // namespace brenik

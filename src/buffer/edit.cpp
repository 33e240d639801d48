#include "buffer/edit.h"

#include <algorithm>
#include <cstring>

namespace brenik {

namespace {

// Length of a line's text, at most lsize - 1.
int LineLength(const LineGrid& grid, int line) {
  return static_cast<int>(strnlen(grid.ReadSlot(line), static_cast<std::size_t>(grid.lsize())));
}

// Pads a line shorter than the column with spaces; the zero behind the pad ends the line.
void SpaceFill(int line, int column, LineGrid& grid) {
  const int length = LineLength(grid, line);
  if (length < column) {
    char* slot = grid.WriteSlot(line);
    std::memset(slot + length, ' ', static_cast<std::size_t>(column - length));
  }
}

// Length of the text that starts at the column; 0 at or past the line's end.
int LengthFrom(const LineGrid& grid, int line, int column) {
  const int length = LineLength(grid, line);
  return length > column ? length - column : 0;
}

}  // namespace

bool Replace(int line, int column, const char* text, LineGrid& grid) {
  const int lsize = grid.lsize();
  if (column >= lsize - 1) {
    return false;
  }
  SpaceFill(line, column, grid);
  const std::size_t room = static_cast<std::size_t>(lsize - 1 - column);
  const std::size_t count = strnlen(text, room);
  // Nothing written, nothing taken for writing: an empty line past the document stays past it.
  if (count > 0) {
    std::memcpy(grid.WriteSlot(line) + column, text, count);
  }
  return true;
}

InsertFit CheckInsert(int line, int column, const char* text, const LineGrid& grid) {
  const int lsize = grid.lsize();
  const long t = static_cast<long>(std::strlen(text));
  const long n = LineLength(grid, line);
  InsertFit fit;
  long settled = t;
  if (column + t >= lsize) {
    fit.past_position = true;
    settled = lsize - 1 - column;
  }
  if (n + t >= lsize) {
    fit.past_line = true;
    settled = std::min(settled, static_cast<long>(lsize - 1) - n);
  }
  fit.count = static_cast<int>(std::max(settled, 0L));
  return fit;
}

void Insert(int line, int column, int count, const char* text, LineGrid& grid) {
  SpaceFill(line, column, grid);
  const int length = LineLength(grid, line);
  char* slot = grid.WriteSlot(line);
  // The tail moves right by `count`; memmove copes with the overlap without a scratch copy.
  std::memmove(slot + column + count, slot + column, static_cast<std::size_t>(length - column));
  std::memcpy(slot + column, text, static_cast<std::size_t>(count));
}

Fit CheckCut(int line, int column, int size, const LineGrid& grid) {
  const int rest = LengthFrom(grid, line, column);
  if (size > grid.lsize() - column) {
    return {Fit::Verdict::kTooLarge, grid.lsize() - column};
  }
  if (rest == 0) {
    return {Fit::Verdict::kNothing, 0};
  }
  if (size > rest) {
    return {Fit::Verdict::kShortened, rest};
  }
  return {Fit::Verdict::kWhole, size};
}

void Cut(int line, int column, int size, LineGrid& grid) {
  const int length = LineLength(grid, line);
  char* slot = grid.WriteSlot(line);
  const int keep = length - column - size;
  std::memmove(slot + column, slot + column + size, static_cast<std::size_t>(keep));
  std::memset(slot + column + keep, 0, static_cast<std::size_t>(size));
}

Fit CheckPaste(int column, const char* text, int lsize) {
  const long t = static_cast<long>(std::strlen(text));
  if (t == 0) {
    return {Fit::Verdict::kNothing, 0};
  }
  if (column + t >= lsize) {
    return {Fit::Verdict::kShortened, lsize - 1 - column};
  }
  return {Fit::Verdict::kWhole, static_cast<int>(t)};
}

void Paste(int line, int column, int count, const char* text, LineGrid& grid) {
  SpaceFill(line, column, grid);
  std::memcpy(grid.WriteSlot(line) + column, text, static_cast<std::size_t>(count));
}

void Trim(int line, int column, LineGrid& grid) {
  // Behind the text the slot is zero already, so only the text from the column is cleared.
  const int length = LineLength(grid, line);
  if (column < length) {
    std::memset(grid.WriteSlot(line) + column, 0, static_cast<std::size_t>(length - column));
  }
}

Fit CheckCopy(int line, int column, int count, const LineGrid& grid) {
  const int rest = LengthFrom(grid, line, column);
  if (rest == 0) {
    return {Fit::Verdict::kNothing, 0};
  }
  if (count > rest) {
    return {Fit::Verdict::kShortened, rest};
  }
  return {Fit::Verdict::kWhole, count};
}

}  // namespace brenik

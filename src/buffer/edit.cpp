#include "buffer/edit.h"

#include <algorithm>
#include <cstring>

namespace brenik {

namespace {

// Pads a line shorter than the column with spaces; the zero behind the pad ends the line.
void SpaceFill(int line, int column, LineGrid& grid) {
  const int length = LineLength(grid, line);
  if (length < column) {
    char* slot = grid.Slot(line);
    std::memset(slot + length, ' ', static_cast<std::size_t>(column - length));
  }
}

// Length of the text that starts at the column; 0 at or past the line's end.
int LengthFrom(const LineGrid& grid, int line, int column) {
  const int length = LineLength(grid, line);
  return length > column ? length - column : 0;
}

}  // namespace

int LineLength(const LineGrid& grid, int line) {
  return static_cast<int>(strnlen(grid.Slot(line), static_cast<std::size_t>(grid.lsize())));
}

void Replace(int line, int column, const char* text, LineGrid& grid, std::FILE* out) {
  const int lsize = grid.lsize();
  if (column >= lsize - 1) {
    std::fputs("At End Of Line\n", out);
    return;
  }
  SpaceFill(line, column, grid);
  const std::size_t room = static_cast<std::size_t>(lsize - 1 - column);
  const std::size_t count = strnlen(text, room);
  // Nothing written, nothing taken for writing: an empty line past the document stays past it.
  if (count > 0) {
    std::memcpy(grid.Slot(line) + column, text, count);
  }
}

int CheckInsert(int line, int column, int& count, const char* text, const LineGrid& grid,
                std::FILE* out) {
  const int lsize = grid.lsize();
  const long t = static_cast<long>(std::strlen(text));
  const long n = LineLength(grid, line);
  long settled = t;
  if (column + t >= lsize) {
    std::fputs("Insert was truncated because it is too long for the position\n", out);
    settled = lsize - 1 - column;
  }
  if (n + t >= lsize) {
    std::fprintf(out, "Insert was truncated because the line would have exceeded %i\n", lsize);
    settled = std::min(settled, static_cast<long>(lsize - 1) - n);
  }
  count = static_cast<int>(settled);
  return count > 0 ? 1 : 0;
}

void Insert(int line, int column, int count, const char* text, LineGrid& grid) {
  SpaceFill(line, column, grid);
  const int length = LineLength(grid, line);
  char* slot = grid.Slot(line);
  // The tail moves right by `count`; memmove copes with the overlap without a scratch copy.
  std::memmove(slot + column + count, slot + column, static_cast<std::size_t>(length - column));
  std::memcpy(slot + column, text, static_cast<std::size_t>(count));
}

int CheckCut(int line, int column, int& size, const LineGrid& grid, std::FILE* out) {
  const int lsize = grid.lsize();
  const int rest = LengthFrom(grid, line, column);
  if (size > lsize - column) {
    std::fprintf(out, "Maximum cut size is %i\n", lsize - column);
    return 0;
  }
  if (rest == 0) {
    std::fputs("There is nothing to cut at this position\n", out);
    return 0;
  }
  if (size > rest) {
    size = rest;
    std::fprintf(out, "Cut size will be shortened to %i\n", rest);
  }
  return 1;
}

void Cut(int line, int column, int size, LineGrid& grid) {
  const int length = LineLength(grid, line);
  char* slot = grid.Slot(line);
  const int keep = length - column - size;
  std::memmove(slot + column, slot + column + size, static_cast<std::size_t>(keep));
  std::memset(slot + column + keep, 0, static_cast<std::size_t>(size));
}

int CheckPaste(int column, int& count, const char* text, int lsize, std::FILE* out) {
  const long t = static_cast<long>(std::strlen(text));
  if (t == 0) {
    std::fputs("There is nothing to paste\n", out);
    return 0;
  }
  if (column + t >= lsize) {
    std::fputs("Paste string was shortened to fit onto line\n", out);
    count = lsize - 1 - column;
    return 1;
  }
  count = static_cast<int>(t);
  return 1;
}

void Paste(int line, int column, int count, const char* text, LineGrid& grid) {
  SpaceFill(line, column, grid);
  std::memcpy(grid.Slot(line) + column, text, static_cast<std::size_t>(count));
}

void Trim(int line, int column, LineGrid& grid) {
  // Behind the text the slot is zero already, so only the text from the column is cleared.
  const int length = LineLength(grid, line);
  if (column < length) {
    std::memset(grid.Slot(line) + column, 0, static_cast<std::size_t>(length - column));
  }
}

int CheckCopy(int line, int column, int& count, const LineGrid& grid, std::FILE* out) {
  const int rest = LengthFrom(grid, line, column);
  if (rest == 0) {
    std::fputs("There is nothing to copy\n", out);
    return 0;
  }
  if (count > rest) {
    std::fprintf(out, "Copy size will be shortened to %i\n", rest);
    count = rest;
  }
  return 1;
}

}  // namespace brenik

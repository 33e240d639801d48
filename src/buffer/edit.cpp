// SPDX-License-Identifier: MIT
#include "buffer/edit.h"

#include <algorithm>
#include <cstring>

namespace brenik {

namespace {

// Length of a line's text, at most lsize - 1.
int LineLength(const LineGrid& grid, int line) { return static_cast<int>(grid.Text(line).size()); }

// Copies the line's text into the scratch buffer, padded with spaces up to the column when it is
// shorter; the new text's length. Past its end a line reads as empty, so that is where typing
// lands.
std::size_t Padded(int line, int column, LineGrid& grid) {
  const std::string_view text = grid.Text(line);
  char* scratch = grid.Scratch();
  std::memcpy(scratch, text.data(), text.size());
  const auto width = static_cast<std::size_t>(column);
  if (text.size() >= width) {
    return text.size();
  }
  std::memset(scratch + text.size(), ' ', width - text.size());
  return width;
}

// Length of the text that starts at the column; 0 at or past the line's end.
int LengthFrom(const LineGrid& grid, int line, int column) {
  const int length = LineLength(grid, line);
  return length > column ? length - column : 0;
}

}  // namespace

bool Replace(int line, int column, std::string_view text, LineGrid& grid) {
  const int lsize = grid.lsize();
  if (column >= lsize - 1) {
    return false;
  }
  const std::size_t count = std::min(text.size(), static_cast<std::size_t>(lsize - 1 - column));
  // Nothing written and nothing to pad: an empty line past the document stays past it.
  if (count == 0 && LineLength(grid, line) >= column) {
    return true;
  }
  std::size_t length = Padded(line, column, grid);
  std::memcpy(grid.Scratch() + column, text.data(), count);
  length = std::max(length, static_cast<std::size_t>(column) + count);
  grid.SetText(line, {grid.Scratch(), length});
  return true;
}

InsertFit CheckInsert(int line, int column, std::string_view text, const LineGrid& grid) {
  const int lsize = grid.lsize();
  const long t = static_cast<long>(text.size());
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

void Insert(int line, int column, int count, std::string_view text, LineGrid& grid) {
  const std::size_t length = Padded(line, column, grid);
  char* scratch = grid.Scratch();
  const auto at = static_cast<std::size_t>(column);
  const auto n = static_cast<std::size_t>(count);
  // The tail moves right by `count`; memmove copes with the overlap without another copy.
  std::memmove(scratch + at + n, scratch + at, length - at);
  std::memcpy(scratch + at, text.data(), n);
  grid.SetText(line, {scratch, length + n});
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
  const std::string_view text = grid.Text(line);
  char* scratch = grid.Scratch();
  const auto at = static_cast<std::size_t>(column);
  const auto n = static_cast<std::size_t>(size);
  std::memcpy(scratch, text.data(), at);
  std::memcpy(scratch + at, text.data() + at + n, text.size() - at - n);
  grid.SetText(line, {scratch, text.size() - n});
}

Fit CheckPaste(int column, std::string_view text, int lsize) {
  const long t = static_cast<long>(text.size());
  if (t == 0) {
    return {Fit::Verdict::kNothing, 0};
  }
  if (column + t >= lsize) {
    return {Fit::Verdict::kShortened, lsize - 1 - column};
  }
  return {Fit::Verdict::kWhole, static_cast<int>(t)};
}

void Paste(int line, int column, int count, std::string_view text, LineGrid& grid) {
  const std::size_t length = Padded(line, column, grid);
  const auto at = static_cast<std::size_t>(column);
  const auto n = static_cast<std::size_t>(count);
  std::memcpy(grid.Scratch() + at, text.data(), n);
  grid.SetText(line, {grid.Scratch(), std::max(length, at + n)});
}

void Trim(int line, int column, LineGrid& grid) {
  const std::string_view text = grid.Text(line);
  if (static_cast<std::size_t>(column) < text.size()) {
    grid.SetText(line, text.substr(0, static_cast<std::size_t>(column)));
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

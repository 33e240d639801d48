// SPDX-License-Identifier: MIT
// The save format, laid out in one place: lines 0 .. last, each followed by a newline.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "buffer/grid.h"

namespace brenik {

/// The size of lines 0 .. last in the save format, newlines included.
[[nodiscard]] std::size_t FormatSize(const LineGrid& grid, int last);

/// Lays lines 0 .. last out in the save format through `chunk` (`size` bytes): hands the chunk
/// to flush(data, count) when the next line does not fit and once at the end, and a line longer
/// than the whole chunk to flush directly. False as soon as flush returns false. With a chunk
/// of FormatSize bytes, flush is called once, with the whole text.
template <typename Flush>
[[nodiscard]] bool WriteFormat(const LineGrid& grid, int last, char* chunk, std::size_t size,
                               Flush flush) {
  std::size_t used = 0;
  for (int k = 0; k <= last; ++k) {
    const std::string_view line = grid.Text(k);
    const char* text = line.data();
    const std::size_t length = line.size();
    if (used + length + 1 > size) {
      if (!flush(chunk, used)) {
        return false;
      }
      used = 0;
    }
    if (length + 1 > size) {
      if (!flush(text, length)) {
        return false;
      }
    } else {
      std::memcpy(chunk + used, text, length);
      used += length;
    }
    chunk[used++] = '\n';
  }
  return flush(chunk, used);
}

}  // namespace brenik

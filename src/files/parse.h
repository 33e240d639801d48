// SPDX-License-Identifier: MIT
// Splitting a file's text into the grid's lines, and the warning when not all of it fits.
#pragma once

#include <cstddef>

#include "buffer/grid.h"
#include "term/io.h"

namespace brenik {

enum class ParseResult {
  kPlaced,    // the grid holds the lines that fit
  kDeclined,  // the partial-load warning was not answered "Y"; the grid is unchanged
  kNoMemory,  // there was no memory for the lines' records; the grid is unchanged
};

/// Splits a file's `size` bytes into lines and, unless the user declines the partial-load
/// warning, empties the grid and places them from slot 0 on. Only a final newline ends the
/// last line, and the text ends at the first zero byte; losses the warning does not cover get a
/// line each.
/// The grid takes the text over: its lines are kept where they were read.
[[nodiscard]] ParseResult ParseLines(TextBlock text, std::size_t size, LineGrid& grid, Io& io);

/// Places a file's bytes as ParseLines does when the user goes on, without a word; throws
/// std::bad_alloc, with the grid as it was, when memory is short.
void PlaceLines(TextBlock text, std::size_t size, LineGrid& grid);

}  // namespace brenik

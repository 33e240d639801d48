// SPDX-License-Identifier: MIT
// The view printed before every prompt: header, a window of lines from the cursor column, prompt.
#pragma once

#include <cstdio>

#include "buffer/grid.h"

namespace brenik {

/// Prints the view for the cursor; `last_offset` is the page length less one (at least 0). At
/// most the grid's lines are shown; the view stops once a write failed or a signal is pending.
void Display(int line, int column, int last_offset, const LineGrid& grid, bool numbers,
             const char* file_name, std::FILE* out);

}  // namespace brenik

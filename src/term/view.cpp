// SPDX-License-Identifier: MIT
#include "term/view.h"

#include <algorithm>
#include <string_view>

#include "term/io.h"
#include "term/signals.h"

namespace brenik {

void Display(int line, int column, int last_offset, const LineGrid& grid, bool numbers,
             const char* file_name, std::FILE* out) {
  // A name, like the document, may hold bytes that would drive the terminal.
  std::fprintf(out, "\nEditing %i:%i ", line + 1, column + 1);
  PutShown(file_name, out);
  std::fputs("\n\n", out);
  char label[16] = "";
  int indent = 2;
  if (numbers) {
    indent = std::snprintf(label, sizeof label, "[%i] ", line + 1);
  }
  const long long first = std::max(0LL, static_cast<long long>(line) - last_offset);
  const long long end = std::min(first + last_offset + 1, static_cast<long long>(grid.lines()));
  for (long long k = first; k < end; ++k) {
    // A long page can take minutes to print: nobody reads it once a write failed, and a signal
    // must end the editor now, not after the page.
    if (std::ferror(out) != 0 || PendingSignal() != 0) {
      return;
    }
    const int index = static_cast<int>(k);
    const std::string_view text = grid.Text(index);
    // A line shows from the cursor column on, when it reaches that far.
    const bool reaches = text.size() > static_cast<std::size_t>(column);
    const std::string_view shown = reaches ? text.substr(static_cast<std::size_t>(column)) : "";
    if (index == line) {
      std::fputs(numbers ? label : ">", out);
      if (reaches) {
        if (!numbers) {
          std::fputc(' ', out);
        }
        PutShown(shown, out);
      }
    } else if (numbers) {
      std::fprintf(out, reaches ? " %i  " : " %i", index + 1);
      if (reaches) {
        PutShown(shown, out);
      }
    } else if (reaches) {
      std::fputs("  ", out);
      PutShown(shown, out);
    }
    std::fputc('\n', out);
  }
  std::fprintf(out, "%*s> ", indent - 2, "");
}

}  // namespace brenik

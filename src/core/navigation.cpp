// SPDX-License-Identifier: MIT
#include "core/navigation.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace brenik {

namespace {

// Reads a 1-based number; the 0-based index when it lies in 0 .. limit - 1.
std::optional<int> AskIndex(Editor& ed, const char* prompt, int limit) {
  std::fprintf(ed.io.out, "%s\n", prompt);
  const std::optional<long> answer = ReadNumber(ed.io);
  if (answer && *answer - 1 >= 0 && *answer - 1 < limit) {
    return static_cast<int>(*answer - 1);
  }
  return std::nullopt;
}

// The jump string, read into its buffer; false when input ended.
bool AskJumpString(Editor& ed) {
  std::fputs("Enter jump string\n", ed.io.out);
  return ReadText(ed.io, ed.jump.get(), ed.grid.lsize() - 1) != Line::kEnd;
}

}  // namespace

Flow PositionBack(Editor& ed) {
  if (ed.column > 0) {
    --ed.column;
  }
  return Flow::kContinue;
}

Flow PositionForw(Editor& ed) {
  if (ed.column < ed.grid.lsize() - 1) {
    ++ed.column;
  }
  return Flow::kContinue;
}

Flow PositionDown(Editor& ed) {
  if (ed.line > 0) {
    --ed.line;
  }
  ed.column = 0;
  return Flow::kContinue;
}

Flow PositionUp(Editor& ed) {
  if (ed.line < ed.grid.lines() - 1) {
    ++ed.line;
  }
  ed.column = 0;
  return Flow::kContinue;
}

Flow PositionBeg(Editor& ed) {
  ed.column = 0;
  return Flow::kContinue;
}

Flow PositionEnd(Editor& ed) {
  // A line holds at most lsize - 1 characters, so the end is a valid column; past the end the
  // cursor stays.
  ed.column = std::max(ed.column, static_cast<int>(ed.grid.Text(ed.line).size()));
  return Flow::kContinue;
}

Flow PageBack(Editor& ed) {
  ed.line =
      static_cast<int>(std::max(static_cast<long long>(ed.line) - ed.settings.page_length, 0LL));
  return Flow::kContinue;
}

Flow PageForw(Editor& ed) {
  ed.line = static_cast<int>(std::min(static_cast<long long>(ed.line) + ed.settings.page_length,
                                      static_cast<long long>(ed.grid.lines() - 1)));
  return Flow::kContinue;
}

Flow PageLength(Editor& ed) {
  std::fputs("Enter number of lines to display\n", ed.io.out);
  const std::optional<long> answer = ReadNumber(ed.io);
  if (!answer) {
    return Flow::kContinue;
  }
  if (*answer < 1) {
    std::fputs("The page length must be at least 1\n", ed.io.out);
    return Flow::kContinue;
  }
  ed.settings.page_length = static_cast<int>(*answer);
  return Flow::kContinue;
}

Flow JumpLine(Editor& ed) {
  if (!AskJumpString(ed)) {
    return Flow::kContinue;
  }
  const std::string_view text = ed.grid.Text(ed.line);
  const auto from = static_cast<std::size_t>(ed.column);
  // Past the line's end only the empty string is there, found at once.
  const std::size_t found = from <= text.size()  ? text.find(ed.jump.get(), from)
                            : ed.jump[0] == '\0' ? from
                                                 : std::string_view::npos;
  if (found == std::string_view::npos) {
    std::fprintf(ed.io.out, "String not found in line %i\n", ed.line + 1);
    return Flow::kContinue;
  }
  ed.column = static_cast<int>(found);
  return Flow::kContinue;
}

Flow JumpDoc(Editor& ed) {
  if (!AskJumpString(ed)) {
    return Flow::kContinue;
  }
  const LineGrid& grid = ed.grid;
  // Slots from the bound on are empty and can hold only the empty string, found at once.
  const int end = std::max(std::min(grid.lines(), grid.bound()), ed.line + 1);
  for (int k = ed.line; k < end; ++k) {
    const std::size_t found = grid.Text(k).find(ed.jump.get());
    if (found != std::string_view::npos) {
      ed.line = k;
      ed.column = static_cast<int>(found);
      return Flow::kContinue;
    }
  }
  std::fputs("String not found\n", ed.io.out);
  return Flow::kContinue;
}

Flow LockTog(Editor& ed) {
  std::fputs(ed.line_lock ? "Line Lock Off\n" : "Line Lock On\n", ed.io.out);
  ed.line_lock = !ed.line_lock;
  return Flow::kContinue;
}

Flow GoToLine(Editor& ed) {
  ed.line = AskIndex(ed, "Go to which line?", ed.grid.lines()).value_or(ed.line);
  return Flow::kContinue;
}

Flow GoToPos(Editor& ed) {
  ed.column = AskIndex(ed, "Go to which position?", ed.grid.lsize()).value_or(ed.column);
  return Flow::kContinue;
}

Flow AnchorGo(Editor& ed) {
  if (ed.settings.anchor >= 0 && ed.settings.anchor < ed.grid.lsize()) {
    ed.column = ed.settings.anchor;
  }
  return Flow::kContinue;
}

Flow AnchorSet(Editor& ed) {
  ed.settings.anchor = ed.column;
  return Flow::kContinue;
}

Flow NumTog(Editor& ed) {
  ed.settings.show_numbers = !ed.settings.show_numbers;
  return Flow::kContinue;
}

}  // namespace brenik

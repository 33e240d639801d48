// SPDX-License-Identifier: MIT
#include "term/keys.h"

#include <algorithm>

namespace brenik {

namespace {

// The final letter of an arrow, Home or End sequence. Up moves towards line 1, which is the
// command whose name says down.
std::optional<Command> ByLetter(char letter) {
  switch (letter) {
    case 'A':
      return kPositionDown;
    case 'B':
      return kPositionUp;
    case 'C':
      return kPositionForw;
    case 'D':
      return kPositionBack;
    case 'H':
      return kPositionBeg;
    case 'F':
      return kPositionEnd;
    default:
      return std::nullopt;
  }
}

// The number of an "ESC [ n ~" sequence: terminals differ on Home and End, so each has two.
std::optional<Command> ByNumber(std::string_view number) {
  if (number == "1" || number == "7") {
    return kPositionBeg;
  }
  if (number == "4" || number == "8") {
    return kPositionEnd;
  }
  if (number == "5") {
    return kPageBack;
  }
  if (number == "6") {
    return kPageForw;
  }
  return std::nullopt;
}

bool IsModifier(std::string_view text) {
  return !text.empty() && text.size() <= 3 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<Command> TerminalKey(std::string_view line) {
  if (line.size() < 3 || line[0] != kEscape) {
    return std::nullopt;
  }
  const char final_byte = line.back();
  std::string_view parameters = line.substr(2, line.size() - 3);
  if (line[1] == 'O') {
    return parameters.empty() ? ByLetter(final_byte) : std::nullopt;
  }
  if (line[1] != '[') {
    return std::nullopt;
  }
  // Shift, Ctrl or Alt held with the key adds ";m", which does not change what the key does.
  const std::size_t semicolon = parameters.find(';');
  const bool modified = semicolon != std::string_view::npos;
  if (modified) {
    if (!IsModifier(parameters.substr(semicolon + 1))) {
      return std::nullopt;
    }
    parameters = parameters.substr(0, semicolon);
  }
  if (final_byte == '~') {
    return ByNumber(parameters);
  }
  // A letter key carries no number of its own, only the 1 that a modifier needs before it.
  return parameters == (modified ? "1" : "") ? ByLetter(final_byte) : std::nullopt;
}

}  // namespace brenik

// SPDX-License-Identifier: MIT
// The sequences a terminal sends for its cursor keys, read as the commands those keys stand for.
#pragma once

#include <optional>
#include <string_view>

#include "term/commands.h"

namespace brenik {

/// The byte that starts every terminal control sequence.
inline constexpr char kEscape = '\x1b';

/// The command of an arrow, Home, End, Page Up or Page Down key when `line` is exactly the
/// sequence a terminal sends for it, with or without a modifier; none for any other line.
[[nodiscard]] std::optional<Command> TerminalKey(std::string_view line);

}  // namespace brenik

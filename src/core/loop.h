// SPDX-License-Identifier: MIT
// The command loop: it shows the view, reads a line and runs the command it names, or enters it.
#pragma once

#include <string_view>

#include "core/editor.h"

namespace brenik {

/// Runs one input line (line end removed, a zero byte after it): the command of a cursor key's
/// sequence or of a key, else text entry.
[[nodiscard]] Flow RunCommand(Editor& ed, std::string_view input);

/// The command loop; returns the process's exit status.
int RunEditor(Editor& ed);

}  // namespace brenik

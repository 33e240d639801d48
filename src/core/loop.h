// The command loop: it shows the view, reads a line and runs the command it names, or enters it.
#pragma once

#include "core/editor.h"

namespace brenik {

/// Runs one input line (line end removed): a command when it is a key, else text entry.
[[nodiscard]] Flow RunCommand(Editor& ed, const char* input);

/// The command loop; returns the process's exit status.
int RunEditor(Editor& ed);

}  // namespace brenik

// The editing commands: whole lines, the clip memory, inserts, trims and undo.
#pragma once

#include "core/commands.h"
#include "core/editor.h"

namespace brenik {

/// Runs an editing command; false when `command` is not one of them.
[[nodiscard]] bool RunEditingCommand(Editor& ed, Command command);

/// Overwrites the cursor line with typed text and moves down unless the line is locked.
void EnterText(Editor& ed, const char* input);

}  // namespace brenik

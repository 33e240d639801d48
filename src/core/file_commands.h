// SPDX-License-Identifier: MIT
// The commands that reach beyond the document: files, help, the launched command and quitting.
#pragma once

#include "core/editor.h"

namespace brenik {

/// Each runs one command of the table on the editor.
Flow SavePrompt(Editor& ed);
Flow SaveOverwrite(Editor& ed);
Flow OpenFile(Editor& ed);
Flow ShowHelp(Editor& ed);
Flow LaunchCommand(Editor& ed);
Flow EditLaunchCommand(Editor& ed);
Flow Quit(Editor& ed);

}  // namespace brenik

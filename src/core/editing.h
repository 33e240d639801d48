// SPDX-License-Identifier: MIT
// The editing commands: whole lines, the clip memory, inserts, trims and undo.
#pragma once

#include <string_view>

#include "core/editor.h"

namespace brenik {

/// Each runs one command of the table on the editor.
Flow LineClear(Editor& ed);
Flow LineMove(Editor& ed);
Flow LineInsert(Editor& ed);
Flow LineDelete(Editor& ed);
Flow LineCopy(Editor& ed);
Flow ClipCopy(Editor& ed);
Flow ClipCut(Editor& ed);
Flow ClipPaste(Editor& ed);
Flow ClipInsert(Editor& ed);
Flow NewInsert(Editor& ed);
Flow TrimEnd(Editor& ed);
Flow TrimWrap(Editor& ed);
Flow UndoEdit(Editor& ed);

/// Overwrites the cursor line with typed text (a zero byte after it) and moves down unless the
/// line is locked; a line with a zero byte or an ESC is refused with one line and changes nothing.
void EnterText(Editor& ed, std::string_view input);

}  // namespace brenik

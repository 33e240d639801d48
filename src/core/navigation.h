// SPDX-License-Identifier: MIT
// The commands that move the cursor or change the view, and leave the document as it is.
#pragma once

#include "core/editor.h"

namespace brenik {

/// Each runs one command of the table on the editor.
Flow PositionBack(Editor& ed);
Flow PositionForw(Editor& ed);
Flow PositionDown(Editor& ed);
Flow PositionUp(Editor& ed);
Flow PositionBeg(Editor& ed);
Flow PositionEnd(Editor& ed);
Flow PageBack(Editor& ed);
Flow PageForw(Editor& ed);
Flow PageLength(Editor& ed);
Flow JumpLine(Editor& ed);
Flow JumpDoc(Editor& ed);
Flow LockTog(Editor& ed);
Flow GoToLine(Editor& ed);
Flow GoToPos(Editor& ed);
Flow AnchorGo(Editor& ed);
Flow AnchorSet(Editor& ed);
Flow NumTog(Editor& ed);

}  // namespace brenik

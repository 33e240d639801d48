// The command table: each command's fixed index, its name in the settings file and its key.
#pragma once

#include "settings/settings.h"

namespace brenik {

enum Command : int {
  kPositionBack,
  kPositionForw,
  kPositionDown,
  kPositionUp,
  kPositionBeg,
  kPositionEnd,
  kPageBack,
  kPageForw,
  kPageLength,
  kJumpLine,
  kJumpDoc,
  kLockTog,
  kGoToLine,
  kGoToPos,
  kAnchorGo,
  kAnchorSet,
  kLineClear,
  kLineMove,
  kLineInsert,
  kLineDelete,
  kLineCopy,
  kClipCopy,
  kClipCut,
  kClipPaste,
  kClipInsert,
  kNewInsert,
  kTrimEnd,
  kTrimWrap,
  kUndo,
  kSavePrompt,
  kSaveOverwrite,
  kOpen,
  kHelp,
  kNumTog,
  kCommandExec,
  kCommandEdit,
  kQuit,
};

/// Writes the 37 command names in index order.
void MakeKeys(CommandNames& names);
/// Writes the 37 default keys in index order.
void SetDefaultValues(CommandKeys& keys);

/// The order in which input is compared with the keys; the first match wins.
extern const std::array<Command, kCommandCount> kDispatchOrder;

}  // namespace brenik

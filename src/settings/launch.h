// SPDX-License-Identifier: MIT
// The launched command: one shell command line, run after the document is saved.
#pragma once

#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "files/save.h"
#include "settings/settings.h"
#include "term/io.h"

namespace brenik {

/// Shows the launch command and replaces it with an answer of more than one character, which
/// is then confirmed; an answer too long is refused and the command kept.
void SetCommand(Launch& launch, Io& io);

/// Saves (see Save), then runs the launch command; a command from the settings file must first
/// be confirmed. The save's result; kCancelled when nothing was saved or run.
[[nodiscard]] SaveResult CommandExec(Launch& launch, std::string& file_name, FileStamp& stamp,
                                     const LineGrid& grid, Io& io, FileSystem& fs);

}  // namespace brenik

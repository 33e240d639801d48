// The launched command: one shell command line, run after the document is saved.
#pragma once

#include <string>

#include "buffer/grid.h"
#include "core/io.h"
#include "files/filesystem.h"
#include "files/save.h"

namespace brenik {

/// Shows the launch command and replaces it with an answer of more than one character.
void SetCommand(std::string& command, Io& io);

/// Saves, then runs the launch command; the save's result, kCancelled when nothing ran.
[[nodiscard]] SaveResult CommandExec(std::string& command, std::string& file_name, LineGrid& grid,
                                     Io& io, FileSystem& fs);

}  // namespace brenik

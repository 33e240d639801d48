// The last resort when the editor must end with unsaved changes: a fresh file beside the document.
#pragma once

#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"

namespace brenik {

/// Writes the document in the save format to a new file of mode 0600 named after `file_name`
/// (".save", then ".save.1", ...), else "brenik.save..." in the current directory.
/// Never writes over an existing file. Returns the name written, empty when nothing could be.
std::string EmergencySave(const std::string& file_name, LineGrid& grid, FileSystem& fs);

}  // namespace brenik

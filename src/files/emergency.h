// The last resort when the editor must end with unsaved changes: a fresh file beside the document.
#pragma once

#include <cstddef>
#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"

namespace brenik {

/// Writes the document in the save format to a new file of mode 0600 named after `file_name`
/// (".save", then ".save.1", ...), else "brenik.save..." in the current directory.
/// Never writes over an existing file, and allocates no memory. On success the name written
/// is left in `written` (`size` bytes) and the result is true.
[[nodiscard]] bool EmergencySave(const std::string& file_name, LineGrid& grid, FileSystem& fs,
                                 char* written, std::size_t size);

}  // namespace brenik

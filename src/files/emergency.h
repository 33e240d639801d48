// The last resort when the editor must end with unsaved changes: a fresh file beside the document.
#pragma once

#include <optional>
#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "term/io.h"

namespace brenik {

/// The name of an emergency file, held without allocating: room for a name that a prompt
/// accepts, its ".save" and a number.
struct EmergencyName {
  char text[kNameLimit + sizeof ".save.999"];
};

/// Writes the document in the save format to a new file of mode 0600 named after `file_name`
/// (".save", then ".save.1", ...), else "brenik.save..." in the current directory, and returns
/// the name written; none when every try failed. Never writes over an existing file, and
/// allocates no memory.
[[nodiscard]] std::optional<EmergencyName> EmergencySave(const std::string& file_name,
                                                         const LineGrid& grid, FileSystem& fs);

}  // namespace brenik

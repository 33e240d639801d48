// SPDX-License-Identifier: MIT
// The last resort when the editor must end with unsaved changes: a fresh file that nobody else
// can take first, and the names of those that earlier sessions left.
#pragma once

#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "term/io.h"

namespace brenik {

/// The name of an emergency file, held without allocating: room for a folder and a name.
struct EmergencyName {
  char text[PATH_MAX + kNameLimit + sizeof ".save-12345678"];
};

/// Writes the document in the save format to a new file of mode 0600 and returns its name;
/// none when every try failed. Tries `file_name`.save, .save.1 ... .save.999, then
/// brenik.save ... in the working folder, then a fresh unique name (the document's base name
/// or "brenik", ".save-" and eight hexadecimal digits) in the working folder, the home folder
/// and the temporary folder. Never writes over an existing file or through a link, and
/// allocates no memory.
[[nodiscard]] std::optional<EmergencyName> EmergencySave(const std::string& file_name,
                                                         const LineGrid& grid, FileSystem& fs);

/// Saves the document as EmergencySave does and prints the one line that says where it went,
/// or that it could not be written; true when it was written.
bool RescueDocument(const std::string& file_name, const LineGrid& grid, FileSystem& fs,
                    std::FILE* out);

/// The emergency files that earlier sessions left for the document `file_name` ("" for a
/// document without a name) and that belong to this user: the numbered names in order, then
/// the unique names in the working, home and temporary folders.
[[nodiscard]] std::vector<std::string> FindEmergencyFiles(const std::string& file_name,
                                                          FileSystem& fs, Listings& listings);

}  // namespace brenik

// Loading a text file into the grid, with the open dialog and the partial-load warning.
#pragma once

#include <string>

#include "buffer/grid.h"
#include "core/io.h"
#include "files/filesystem.h"

namespace brenik {

enum OpenMode : int { kPromptMode = 0, kStartUpMode = 1 };

enum class OpenResult {
  kLoaded,     // the grid holds the file
  kNotFound,   // "File %s not found!"; the grid is unchanged
  kCancelled,  // "x", end of input, or the save before opening did not succeed
  kRefused,    // not a regular file, unreadable, or the partial load was declined in prompt mode
  kFatal,      // the program must end with status 1 (declined at start-up, parsing error)
};

/// Loads `open_path` into the grid; in prompt mode runs the open dialog first.
/// `saved` becomes true when the dialog's "s" answer saved the document.
[[nodiscard]] OpenResult Open(int mode, std::string& open_path, LineGrid& grid,
                              std::string& file_name, Io& io, FileSystem& fs, bool& saved);

}  // namespace brenik

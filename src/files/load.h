// Loading a text file into the grid, and the open dialog.
#pragma once

#include <cstdio>
#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "term/io.h"

namespace brenik {

enum OpenMode : int { kPromptMode = 0, kStartUpMode = 1 };

enum class OpenResult {
  kLoaded,       // the grid holds the file
  kNotFound,     // "File %s not found!"; the grid is unchanged
  kCancelled,    // "x", end of input, or the save before opening did not succeed
  kRefused,      // not a regular file, unreadable, or the partial load was declined in prompt mode
  kRefusedName,  // after the dialog's save, the name to open was too long and was refused
  kFatal,        // the program must end with status 1 (declined at start-up)
};

/// Loads `open_path` into the grid; in prompt mode runs the open dialog first.
/// `saved` becomes true when the dialog's "s" answer saved the document.
/// `open_path` takes the new name only on kLoaded and kNotFound; otherwise nothing changes.
[[nodiscard]] OpenResult Open(int mode, std::string& open_path, LineGrid& grid,
                              std::string& file_name, Io& io, FileSystem& fs, bool& saved);

}  // namespace brenik

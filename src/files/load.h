// Loading a text file into the grid, with the open dialog and the partial-load warning.
#pragma once

#include <cstddef>
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

enum class ParseResult {
  kPlaced,    // the grid holds the lines that fit
  kDeclined,  // the partial-load warning was not answered "Y"; the grid is unchanged
};

/// Splits `size` bytes (a file without its final newline) into lines and, unless the user
/// declines the partial-load warning, empties the grid and places them from slot 0 on.
/// The text ends at the first zero byte; losses the warning does not cover get a line each.
[[nodiscard]] ParseResult ParseLines(const char* data, std::size_t size, LineGrid& grid, Io& io);

/// The partial-load warning; true only when the answer line is exactly "Y\n".
[[nodiscard]] bool DataWarning(float percent, Io& io);

}  // namespace brenik

// SPDX-License-Identifier: MIT
// Loading a text file into the grid.
#pragma once

#include <cstdio>
#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "files/stamp.h"
#include "term/io.h"

namespace brenik {

enum class OpenResult {
  kLoaded,    // the grid holds the file
  kNotFound,  // "File %s not found!"; the grid is unchanged
  kRefused,   // not a regular file, or unreadable; a line said why, and the grid is unchanged
  kDeclined,  // the partial-load warning was not answered "Y"; the grid is unchanged
};

/// Loads the file `path` into the grid; prints what it opened, and why when it did not.
/// `stamp` receives what the file looked like when loaded, or that there was none; it is left
/// alone when the result is kRefused or kDeclined.
[[nodiscard]] OpenResult Open(const std::string& path, LineGrid& grid, Io& io, FileSystem& fs,
                              FileStamp& stamp);

}  // namespace brenik

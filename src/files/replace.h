// Replacing a file's contents so that a failed save leaves the old text whole where it can.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "files/filesystem.h"

namespace brenik {

/// Replaces the file `name` by `size` bytes through a synced temporary file and a rename,
/// following symbolic links and keeping mode and owner; writes in place only when the file
/// has other hard links, is not a regular file, or its directory refuses a new file.
/// False after printing one message naming `name` and the reason; no temporary file remains.
[[nodiscard]] bool WriteFileSafely(const std::string& name, const char* data, std::size_t size,
                                   FileSystem& fs, std::FILE* out);

/// Prints the one line that says a save to `name` failed, and the reason `error` names.
void ReportSaveFailure(const std::string& name, int error, std::FILE* out);

}  // namespace brenik

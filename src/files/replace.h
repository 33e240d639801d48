// SPDX-License-Identifier: MIT
// Replacing a file's contents so that a failed save leaves the old text whole where it can.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "files/filesystem.h"
#include "files/stamp.h"

namespace brenik {

/// What a save writes: its size, known before the first byte, and then the bytes in order.
class Payload {
 public:
  virtual ~Payload() = default;
  [[nodiscard]] virtual std::size_t size() const = 0;
  /// Writes every byte to `fd` through WriteAll; false with errno set. May be called again
  /// for another descriptor after a failure.
  [[nodiscard]] virtual bool WriteTo(FileSystem& fs, int fd) = 0;
};

enum class Replaced {
  kDone,     // the file holds the new text; `stamp` describes it
  kFailed,   // the old file is as it was; a line named the file and the reason
  kDamaged,  // a write in place failed halfway: a line said the file on disk is damaged
};

/// Replaces the file `name` by the payload's bytes through a synced temporary file and a rename,
/// following symbolic links (but not another user's in a shared sticky folder) and keeping
/// mode and owner. Writes in place when the file has other hard links, is not a regular file,
/// or its folder refuses a new file or the rename; room for the new text is reserved first,
/// so that a full disk, a quota or a size limit fails before the old text is touched. No
/// temporary file remains.
[[nodiscard]] Replaced WriteFileSafely(const std::string& name, Payload& payload, FileSystem& fs,
                                       std::FILE* out, FileStamp& stamp);

/// Prints the one line that says a save to `name` failed, and the reason `error` names.
void ReportSaveFailure(const std::string& name, int error, std::FILE* out);

/// Removes from `folder` the temporary files of saves whose session no longer runs; one that a
/// running session still writes is locked, and stays.
void RemoveStaleTemporaries(const std::string& folder, FileSystem& fs, Listings& listings);

}  // namespace brenik

// SPDX-License-Identifier: MIT
// What a file looked like on disk, to tell whether someone changed it since.
#pragma once

#include <sys/stat.h>

#include <cstdint>

namespace brenik {

/// The document's file as it was last loaded or saved.
struct FileStamp {
  bool known = false;   // false: nothing was loaded or saved under the name yet
  bool exists = false;  // false: there was no file under the name
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified = {};
  /// A hash of the bytes as loaded or saved (HashBytes); 0 when they were not at hand.
  std::uint64_t hash = 0;

  /// The stamp of a file that exists, from what stat said of it.
  [[nodiscard]] static FileStamp Of(const struct stat& info) {
    return {true, true, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
  }
  /// The stamp of a name under which there is no file.
  [[nodiscard]] static FileStamp Absent() { return {true, false}; }

  /// True when both describe the same file in the same state, or both no file.
  [[nodiscard]] bool Matches(const FileStamp& other) const {
    if (exists != other.exists) {
      return false;
    }
    return !exists ||
           (device == other.device && inode == other.inode && size == other.size &&
            modified.tv_sec == other.modified.tv_sec && modified.tv_nsec == other.modified.tv_nsec);
  }
};

}  // namespace brenik

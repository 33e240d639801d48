#include "files/emergency.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>

#include "files/format.h"

namespace brenik {

namespace {

constexpr int kMaxSuffix = 999;

// Writes lines 0 .. last in the save format through a fixed buffer: the last resort must not
// depend on memory that may be what ran out.
bool WriteDocument(FileSystem& fs, int fd, const LineGrid& grid, int last) {
  char chunk[1 << 14];
  return WriteFormat(grid, last, chunk, sizeof chunk, [&](const char* data, std::size_t size) {
    return WriteAll(fs, fd, data, size);
  });
}

// Creates `name` exclusively and writes the document; false with errno set otherwise.
bool WriteNew(const char* name, const LineGrid& grid, int last, FileSystem& fs) {
  const int fd = fs.Open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) {
    return false;
  }
  bool ok = WriteDocument(fs, fd, grid, last) && fs.Fsync(fd) == 0;
  ok = fs.Close(fd) == 0 && ok;
  if (!ok) {
    fs.Unlink(name);
    // Writing failed in this directory: the next numbered name would fail the same way.
    errno = EIO;
  }
  return ok;
}

// Tries base, base.1, base.2, ...; stops at the first error other than "exists".
bool WriteFirstFree(const char* base, const LineGrid& grid, int last, FileSystem& fs, char* written,
                    std::size_t size) {
  for (int n = 0; n <= kMaxSuffix; ++n) {
    const int length = n == 0 ? std::snprintf(written, size, "%s", base)
                              : std::snprintf(written, size, "%s.%d", base, n);
    if (length < 0 || static_cast<std::size_t>(length) >= size) {
      return false;
    }
    if (WriteNew(written, grid, last, fs)) {
      return true;
    }
    if (errno != EEXIST) {
      return false;
    }
  }
  return false;
}

}  // namespace

std::optional<EmergencyName> EmergencySave(const std::string& file_name, const LineGrid& grid,
                                           FileSystem& fs) {
  const int last = DocLength(grid);
  EmergencyName written;
  if (!file_name.empty()) {
    char base[kNameLimit + sizeof ".save"];
    const int length = std::snprintf(base, sizeof base, "%s.save", file_name.c_str());
    if (length > 0 && static_cast<std::size_t>(length) < sizeof base &&
        WriteFirstFree(base, grid, last, fs, written.text, sizeof written.text)) {
      return written;
    }
  }
  if (WriteFirstFree("brenik.save", grid, last, fs, written.text, sizeof written.text)) {
    return written;
  }
  return std::nullopt;
}

}  // namespace brenik

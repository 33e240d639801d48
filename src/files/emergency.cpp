#include "files/emergency.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace brenik {

namespace {

constexpr int kMaxSuffix = 999;

// Writes lines 0 .. last in the save format through a fixed buffer: the last resort must not
// depend on memory that may be what ran out.
bool WriteDocument(FileSystem& fs, int fd, const LineGrid& grid, int last) {
  char chunk[1 << 14];
  std::size_t used = 0;
  const std::size_t lsize = static_cast<std::size_t>(grid.lsize());
  for (int k = 0; k <= last; ++k) {
    const char* text = grid.ReadSlot(k);
    const std::size_t length = strnlen(text, lsize);
    if (used + length + 1 > sizeof chunk) {
      if (!WriteAll(fs, fd, chunk, used)) {
        return false;
      }
      used = 0;
    }
    if (length + 1 > sizeof chunk) {
      if (!WriteAll(fs, fd, text, length)) {
        return false;
      }
    } else {
      std::memcpy(chunk + used, text, length);
      used += length;
    }
    chunk[used++] = '\n';
  }
  return WriteAll(fs, fd, chunk, used);
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

bool EmergencySave(const std::string& file_name, LineGrid& grid, FileSystem& fs, char* written,
                   std::size_t size) {
  const int last = DocLength(grid);
  if (!file_name.empty()) {
    char base[512];
    const int length = std::snprintf(base, sizeof base, "%s.save", file_name.c_str());
    if (length > 0 && static_cast<std::size_t>(length) < sizeof base &&
        WriteFirstFree(base, grid, last, fs, written, size)) {
      return true;
    }
  }
  return WriteFirstFree("brenik.save", grid, last, fs, written, size);
}

}  // namespace brenik

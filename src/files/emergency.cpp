#include "files/emergency.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace brenik {

namespace {

constexpr int kMaxSuffix = 999;

// Creates `name` exclusively and writes the text; false with errno set otherwise.
bool WriteNew(const std::string& name, const std::string& text, FileSystem& fs) {
  const int fd = fs.Open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) {
    return false;
  }
  std::size_t done = 0;
  bool ok = true;
  while (ok && done < text.size()) {
    const ssize_t put = fs.Write(fd, text.data() + done, text.size() - done);
    ok = put > 0;
    if (ok) {
      done += static_cast<std::size_t>(put);
    }
  }
  ok = ok && fs.Fsync(fd) == 0;
  ok = fs.Close(fd) == 0 && ok;
  if (!ok) {
    fs.Unlink(name.c_str());
    // Writing failed in this directory: the next numbered name would fail the same way.
    errno = EIO;
  }
  return ok;
}

// Tries base, base.1, base.2, ...; stops at the first error other than "exists".
std::string WriteFirstFree(const std::string& base, const std::string& text, FileSystem& fs) {
  for (int n = 0; n <= kMaxSuffix; ++n) {
    const std::string name = n == 0 ? base : base + "." + std::to_string(n);
    if (WriteNew(name, text, fs)) {
      return name;
    }
    if (errno != EEXIST) {
      return "";
    }
  }
  return "";
}

}  // namespace

std::string EmergencySave(const std::string& file_name, LineGrid& grid, FileSystem& fs) {
  std::string text;
  const int last = DocLength(grid);
  const LineGrid& lines = grid;
  for (int k = 0; k <= last; ++k) {
    text += lines.Slot(k);
    text += '\n';
  }
  const std::string fallback = "brenik.save";
  if (!file_name.empty()) {
    std::string written = WriteFirstFree(file_name + ".save", text, fs);
    if (!written.empty()) {
      return written;
    }
  }
  return WriteFirstFree(fallback, text, fs);
}

}  // namespace brenik

// SPDX-License-Identifier: MIT
#include "files/load.h"

#include <fcntl.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "files/hash.h"
#include "files/parse.h"

namespace brenik {

namespace {

enum class ReadOutcome { kRead, kNotFound, kRefused };

// A whole file's text; `data` is set only when the outcome is kRead.
struct FileText {
  ReadOutcome outcome = ReadOutcome::kRefused;
  TextBlock data = nullptr;
  std::size_t size = 0;
  struct stat info = {};
};

FileText Refuse(const std::string& path, int error, std::FILE* out) {
  std::fprintf(out, "Cannot open %s: %s\n", Shown(path.c_str()).c_str(), std::strerror(error));
  return {ReadOutcome::kRefused};
}

// A name that could not be looked at or opened: a missing file has a message of its own.
FileText Unopened(const std::string& path, int error, std::FILE* out) {
  if (error == ENOENT) {
    std::fprintf(out, "File %s not found!\n", Shown(path.c_str()).c_str());
    return {ReadOutcome::kNotFound};
  }
  return Refuse(path, error, out);
}

// Reads the whole file; prints the one line that explains any other outcome.
FileText ReadFileText(const std::string& path, FileSystem& fs, std::FILE* out) {
  struct stat info = {};
  // Looking before opening keeps a named pipe from stalling the editor until a writer comes.
  if (fs.Stat(path.c_str(), &info) != 0) {
    return Unopened(path, errno, out);
  }
  if (S_ISDIR(info.st_mode)) {
    return Refuse(path, EISDIR, out);
  }
  if (!S_ISREG(info.st_mode)) {
    std::fprintf(out, "Cannot open %s: not a regular file\n", Shown(path.c_str()).c_str());
    return {ReadOutcome::kRefused};
  }
  // O_NONBLOCK: should the name turn into a pipe after the look, the open still returns.
  const int fd = fs.Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY, 0);
  if (fd < 0) {
    return Unopened(path, errno, out);
  }
  FileText text;
  bool ok = fs.Fstat(fd, &info) == 0;
  int error = errno;
  if (ok && !S_ISREG(info.st_mode)) {
    ok = false;
    error = EINVAL;
  }
  if (ok && (info.st_size < 0 || static_cast<std::uintmax_t>(info.st_size) >= PTRDIFF_MAX)) {
    ok = false;
    error = EFBIG;
  }
  if (ok) {
    text.size = static_cast<std::size_t>(info.st_size);
    text.data = AllocateText(text.size);
    if (!text.data) {
      ok = false;
      error = ENOMEM;
    }
  }
  std::size_t done = 0;
  bool ended_early = false;
  while (ok && done < text.size) {
    const ssize_t got = fs.Read(fd, text.data.get() + done, text.size - done);
    if (got < 0) {
      ok = false;
      error = errno;
    } else if (got == 0) {
      // The file shrank after its size was taken: what is missing would be lost unseen.
      ok = false;
      ended_early = true;
    } else {
      done += static_cast<std::size_t>(got);
    }
  }
  static_cast<void>(fs.Close(fd));
  if (ended_early) {
    std::fprintf(out, "Cannot open %s: only %zu of its %zu bytes could be read\n",
                 Shown(path.c_str()).c_str(), done, text.size);
    return {ReadOutcome::kRefused};
  }
  if (!ok) {
    return Refuse(path, error, out);
  }
  text.outcome = ReadOutcome::kRead;
  text.info = info;
  return text;
}

}  // namespace

OpenResult Open(const std::string& path, LineGrid& grid, Io& io, FileSystem& fs, FileStamp& stamp) {
  FileText text = ReadFileText(path, fs, io.out);
  switch (text.outcome) {
    case ReadOutcome::kRead:
      break;
    case ReadOutcome::kNotFound:
      stamp = FileStamp::Absent();
      return OpenResult::kNotFound;
    case ReadOutcome::kRefused:
      return OpenResult::kRefused;
  }
  std::fprintf(io.out, "Opened %s\n", Shown(path.c_str()).c_str());
  std::fprintf(io.out, "Read %zu bytes, ", text.size);
  // Taken while the bytes are as read: the grid keeps them, and edits change them in place.
  const std::uint64_t hash = HashBytes(text.data.get(), text.size);
  switch (ParseLines(std::move(text.data), text.size, grid, io)) {
    case ParseResult::kPlaced:
      stamp = FileStamp::Of(text.info);
      stamp.hash = hash;
      return OpenResult::kLoaded;
    case ParseResult::kDeclined:
      return OpenResult::kDeclined;
    case ParseResult::kNoMemory:
      std::fprintf(io.out, "\nCannot open %s: %s\n", Shown(path.c_str()).c_str(),
                   std::strerror(ENOMEM));
      return OpenResult::kRefused;
  }
  return OpenResult::kDeclined;
}

}  // namespace brenik

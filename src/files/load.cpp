#include "files/load.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "files/save.h"
#include "files/text.h"

namespace brenik {

namespace {

struct FileText {
  TextBuffer data;
  std::size_t size = 0;
};

enum class ReadOutcome { kRead, kNotFound, kRefused };

void Refuse(const std::string& path, int error, std::FILE* out) {
  std::fprintf(out, "Cannot open %s: %s\n", Shown(path.c_str()).c_str(), std::strerror(error));
}

// Reads the whole file; prints the one line that explains any other outcome.
ReadOutcome ReadWhole(const std::string& path, FileSystem& fs, std::FILE* out, FileText& text) {
  struct stat info = {};
  // Looking before opening keeps a named pipe from stalling the editor until a writer comes.
  if (fs.Stat(path.c_str(), &info) != 0) {
    if (errno == ENOENT) {
      std::fprintf(out, "File %s not found!\n", Shown(path.c_str()).c_str());
      return ReadOutcome::kNotFound;
    }
    Refuse(path, errno, out);
    return ReadOutcome::kRefused;
  }
  if (S_ISDIR(info.st_mode)) {
    Refuse(path, EISDIR, out);
    return ReadOutcome::kRefused;
  }
  if (!S_ISREG(info.st_mode)) {
    std::fprintf(out, "Cannot open %s: not a regular file\n", Shown(path.c_str()).c_str());
    return ReadOutcome::kRefused;
  }
  // O_NONBLOCK: should the name turn into a pipe after the look, the open still returns.
  const int fd = fs.Open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY, 0);
  if (fd < 0) {
    if (errno == ENOENT) {
      std::fprintf(out, "File %s not found!\n", Shown(path.c_str()).c_str());
      return ReadOutcome::kNotFound;
    }
    Refuse(path, errno, out);
    return ReadOutcome::kRefused;
  }
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
  if (!ok) {
    if (ended_early) {
      std::fprintf(out, "Cannot open %s: only %zu of its %zu bytes could be read\n",
                   Shown(path.c_str()).c_str(), done, text.size);
    } else {
      Refuse(path, error, out);
    }
    return ReadOutcome::kRefused;
  }
  return ReadOutcome::kRead;
}

// What an entry marks: the newline that ends a line, or the start of a piece split off a line
// (or of the last line, which has no newline).
enum LineStart : unsigned char { kNewlineStart = 1, kSplitStart = 2 };

// The one scan behind both the measuring and the placing of lines: calls
// on_entry(number, position, kind) for every entry from 1 on, in order, and returns how many
// entries there are, entry 0 included. Prints the split warnings and the count when `out` is
// set. The table itself is never needed at once, so placing scans a second time instead of
// holding an entry per line.
template <typename OnEntry>
long long Scan(const char* text, std::size_t length, int lines, int lsize, std::FILE* out,
               std::size_t& looked, OnEntry on_entry) {
  // The characters a slot holds; a newline right after that many still ends the line whole.
  const std::size_t width = static_cast<std::size_t>(lsize) - 1;
  long long line = 1;
  std::size_t i = 0;
  std::size_t begin = 0;
  std::size_t count = 0;
  while (i < length && line <= lines) {
    const std::size_t limit = std::min(length, begin + width + 1);
    const void* found = std::memchr(text + i, '\n', limit - i);
    if (found != nullptr) {
      const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(found) - text);
      on_entry(line, at, kNewlineStart);
      i = at + 1;
      begin = i;
      count = 0;
    } else if (limit == begin + width + 1) {
      // The byte at `limit - 1` would be one character too many: it begins the next line.
      if (out != nullptr) {
        std::fprintf(out, "WARNING!  Line %lld is being split\n", line);
      }
      on_entry(line, limit - 1, kSplitStart);
      i = limit;
      begin = limit - 1;
      count = 1;
    } else {
      i = length;
      count = length - begin;
      break;
    }
    ++line;
  }
  if (out != nullptr) {
    std::fprintf(out, "%lld Lines Generated\n", line - 1);
  }
  looked = i;
  if (count > 0 && line <= lines) {
    on_entry(line, length, kSplitStart);
    ++line;
  }
  return line;
}

// Where the line after an entry begins: after the newline of a newline start, at a split start.
std::size_t BeginAfter(std::size_t position, unsigned char kind) {
  return kind == kNewlineStart ? position + 1 : position;
}

}  // namespace

bool DataWarning(float percent, Io& io) {
  std::fprintf(io.out, "\nWarning!! Only %.1f percent of the data was loaded!\n",
               static_cast<double>(percent));
  std::fputs(
      "The unloaded data will be lost if you save to the same filename!\n"
      "Do you wish to continue (Y,n)?\n"
      "If not, restart with more lines by editing the .brenik_rc file.\n",
      io.out);
  // Only the letter Y and its line end go on: a longer line is any other answer.
  char answer[kShortLimit + 1];
  return Answered(io, ReadLine(io, answer, kShortLimit), answer, "Y");
}

ParseResult ParseLines(const char* data, std::size_t size, LineGrid& grid, Io& io) {
  const void* zero = std::memchr(data, '\0', size);
  const std::size_t length =
      zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - data) : size;
  const int lines = grid.lines();
  // The first scan prints and measures, before the grid changes, so a refusal leaves the
  // document whole.
  std::size_t looked = 0;
  bool orphan = false;
  const long long n = Scan(data, length, lines, grid.lsize(), io.out, looked,
                           [&](long long k, std::size_t position, unsigned char kind) {
                             // A piece split off as entry `lines` begins a line without a slot:
                             // its byte was looked at but is lost all the same.
                             orphan = k == lines && kind == kSplitStart && position < length;
                           });

  if (length < size) {
    std::fprintf(io.out,
                 "Warning! A zero byte at offset %zu ends the text; the %zu bytes from there on "
                 "are not loaded\n",
                 length, size - length);
  }
  const std::size_t lost = length - looked + (orphan ? 1 : 0);
  if (lost > 0 && looked + 1 >= length) {
    std::fprintf(io.out,
                 "Warning! The last %zu byte(s) of the text did not fit into %i lines and are "
                 "not loaded\n",
                 lost, lines);
  }
  // Any text left out is asked about: a save under the same name would drop it for good.
  if (lost > 0 || length < size) {
    float percent =
        static_cast<float>(static_cast<double>(looked) * 100.0 / static_cast<double>(size));
    // Rounded up to 100.0, the figure would deny the very loss it reports.
    percent = percent >= 99.95F ? 99.9F : percent;
    if (!DataWarning(percent, io)) {
      return ParseResult::kDeclined;
    }
  }

  // Emptying costs what the old document filled, not the whole grid.
  const long long placed = n - 1;
  grid.EmptyAll();
  grid.Prepare(static_cast<int>(placed));
  std::size_t begin = 0;
  Scan(data, length, lines, grid.lsize(), nullptr, looked,
       [&](long long k, std::size_t position, unsigned char kind) {
         if (position > begin) {
           std::memcpy(grid.Slot(static_cast<int>(k - 1)), data + begin, position - begin);
         }
         begin = BeginAfter(position, kind);
       });
  return ParseResult::kPlaced;
}

OpenResult Open(int mode, std::string& open_path, LineGrid& grid, std::string& file_name, Io& io,
                FileSystem& fs, bool& saved) {
  saved = false;
  std::string path = open_path;
  if (mode == kPromptMode) {
    std::fputs(
        "Enter a filename to open a new file and discard the buffer in memory\n"
        "Enter 's' to first save the current buffer in memory\n"
        "Enter 'x' to not open a file and return\n",
        io.out);
    char answer[kNameLimit + 1];
    if (!Fits(ReadWhole(io, answer, kNameLimit)) || std::strcmp(answer, "x") == 0) {
      return OpenResult::kCancelled;
    }
    if (std::strcmp(answer, "s") == 0) {
      // Opening after a save that did not happen would discard the very text it was for.
      if (Save(file_name, grid, io, fs) != SaveResult::kSaved) {
        return OpenResult::kCancelled;
      }
      saved = true;
      std::fputs("Next, enter a new filename to open\n", io.out);
      const Line line = ReadWhole(io, answer, kNameLimit);
      if (line == Line::kLong) {
        return OpenResult::kRefusedName;
      }
      if (line == Line::kEnd) {
        return OpenResult::kCancelled;
      }
    }
    path = answer;
  }

  FileText text;
  switch (ReadWhole(path, fs, io.out, text)) {
    case ReadOutcome::kRead:
      break;
    case ReadOutcome::kNotFound:
      open_path = path;
      return OpenResult::kNotFound;
    case ReadOutcome::kRefused:
      return OpenResult::kRefused;
  }
  std::fprintf(io.out, "Opened %s\n", Shown(path.c_str()).c_str());
  std::fprintf(io.out, "Read %zu bytes, ", text.size);
  // Only a final newline ends the last line; any other last byte is text and stays.
  std::size_t size = text.size;
  if (size > 0 && text.data[size - 1] == '\n') {
    --size;
  }
  switch (ParseLines(text.data.get(), size, grid, io)) {
    case ParseResult::kPlaced:
      open_path = path;
      return OpenResult::kLoaded;
    case ParseResult::kDeclined:
      if (mode != kPromptMode) {
        return OpenResult::kFatal;
      }
      std::fprintf(io.out, "File %s was not opened\n", Shown(path.c_str()).c_str());
      return OpenResult::kRefused;
  }
  return OpenResult::kRefused;
}

}  // namespace brenik

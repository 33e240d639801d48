// SPDX-License-Identifier: MIT
#include "files/parse.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace brenik {

namespace {

// What an entry marks: the newline that ends a line, or the start of a piece split off a line
// (or of the last line, which has no newline).
enum class LineStart { kNewline, kSplit };

// What a scan found: the entries, entry 0 included, and how many bytes it looked at.
struct ScanResult {
  long long entries = 0;
  std::size_t looked = 0;
};

// The one scan behind both the measuring and the placing of lines: calls
// on_entry(number, position, kind) for every entry from 1 on, in order. Prints the split warnings
// and the count when `out` is set. The table itself is never needed at once, so placing scans a
// second time instead of holding an entry per line.
template <typename OnEntry>
ScanResult Scan(const char* text, std::size_t length, int lines, int lsize, std::FILE* out,
                OnEntry on_entry) {
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
      on_entry(line, at, LineStart::kNewline);
      i = at + 1;
      begin = i;
      count = 0;
    } else if (limit == begin + width + 1) {
      // The byte at `limit - 1` would be one character too many: it begins the next line.
      if (out != nullptr) {
        std::fprintf(out, "WARNING!  Line %lld is being split\n", line);
      }
      on_entry(line, limit - 1, LineStart::kSplit);
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
  if (count > 0 && line <= lines) {
    on_entry(line, length, LineStart::kSplit);
    ++line;
  }
  return {line, i};
}

// Where the line after an entry begins: after the newline of a newline start, at a split start.
std::size_t BeginAfter(std::size_t position, LineStart kind) {
  return kind == LineStart::kNewline ? position + 1 : position;
}

// The partial-load warning; true only when the answer line is exactly "Y\n".
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

// The bytes of a file that make lines: a final newline only ends the last line.
std::size_t WithoutFinalNewline(const char* data, std::size_t size) {
  return size > 0 && data[size - 1] == '\n' ? size - 1 : size;
}

// The text ends at its first zero byte.
std::size_t UpToZero(const char* data, std::size_t size) {
  const void* zero = std::memchr(data, '\0', size);
  return zero != nullptr ? static_cast<std::size_t>(static_cast<const char*>(zero) - data) : size;
}

// Makes the text the grid's document: the lines of its first `length` bytes, `count` of them,
// where they are. The text is never copied, only pointed into. May throw std::bad_alloc, and
// then the grid is as it was.
void Place(TextBlock text, std::size_t size, std::size_t length, long long count, LineGrid& grid) {
  const char* data = text.get();
  grid.Load(std::move(text), size, static_cast<int>(count), [&](auto put) {
    std::size_t begin = 0;
    Scan(data, length, grid.lines(), grid.lsize(), nullptr,
         [&](long long, std::size_t position, LineStart kind) {
           put(begin, position - begin);
           begin = BeginAfter(position, kind);
         });
  });
}

}  // namespace

ParseResult ParseLines(TextBlock text, std::size_t file_size, LineGrid& grid, Io& io) {
  const char* data = text.get();
  const std::size_t size = WithoutFinalNewline(data, file_size);
  const std::size_t length = UpToZero(data, size);
  const int lines = grid.lines();
  // The first scan prints and measures, before the grid changes, so a refusal leaves the
  // document whole.
  bool orphan = false;
  const auto note_orphan = [&](long long k, std::size_t position, LineStart kind) {
    // A piece split off as entry `lines` begins a line without a slot: its byte was looked at
    // but is lost all the same.
    orphan = k == lines && kind == LineStart::kSplit && position < length;
  };
  const ScanResult scan = Scan(data, length, lines, grid.lsize(), io.out, note_orphan);
  const std::size_t looked = scan.looked;

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
  try {
    Place(std::move(text), file_size, length, scan.entries - 1, grid);
  } catch (const std::bad_alloc&) {
    return ParseResult::kNoMemory;
  }
  return ParseResult::kPlaced;
}

void PlaceLines(TextBlock text, std::size_t file_size, LineGrid& grid) {
  const char* data = text.get();
  const std::size_t length = UpToZero(data, WithoutFinalNewline(data, file_size));
  const ScanResult scan =
      Scan(data, length, grid.lines(), grid.lsize(), nullptr, [](long long, std::size_t, auto) {});
  Place(std::move(text), file_size, length, scan.entries - 1, grid);
}

}  // namespace brenik

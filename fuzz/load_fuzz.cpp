// Any bytes as a file loaded at start-up into a small grid: the grid stays sound, and whatever
// is loaded is exactly the file's lines, split where a slot is too short.
//
// Input: byte 0 picks `lines` (1..64), byte 1 `lsize` (3..40), bit 0 of byte 2 whether the
// partial-load warning is answered "Y"; the rest is the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "buffer/grid.h"
#include "fake_filesystem.h"
#include "files/load.h"

namespace {

constexpr std::size_t kHeader = 3;

// The lines a load must place: the text ends before a final newline and at the first zero
// byte, lines end at newlines, and a line longer than lsize - 1 is cut into pieces.
std::vector<std::string> ExpectedLines(std::string text, int lsize) {
  if (!text.empty() && text.back() == '\n') {
    text.pop_back();
  }
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  if (text.empty()) {
    return lines;
  }
  const std::size_t width = static_cast<std::size_t>(lsize) - 1;
  std::size_t begin = 0;
  for (;;) {
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    std::size_t at = begin;
    do {
      lines.push_back(text.substr(at, std::min(width, end - at)));
      at += width;
    } while (at < end);
    if (end == text.size()) {
      break;
    }
    begin = end + 1;
  }
  return lines;
}

std::string GridBytes(const brenik::LineGrid& grid) {
  std::string bytes;
  for (int k = 0; k < grid.lines(); ++k) {
    bytes.append(grid.Slot(k), static_cast<std::size_t>(grid.lsize()));
  }
  return bytes;
}

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader) {
    return 0;
  }
  const int lines = 1 + data[0] % 64;
  const int lsize = 3 + data[1] % 38;
  const bool answer_yes = (data[2] & 1) != 0;
  const std::string file(reinterpret_cast<const char*>(data + kHeader), size - kHeader);

  brenik::LineGrid grid;
  Check(grid.Allocate(lines, lsize));
  // Old text that a refused load must leave as it was, and a complete load must wipe out.
  for (int k = 0; k < lines; k += 2) {
    std::memset(grid.Slot(k), 'o', static_cast<std::size_t>(lsize - 1 - k % (lsize - 1)));
  }
  const std::string before = GridBytes(grid);

  brenik::testing::FakeFileSystem fs;
  fs.AddFile("file", file);
  brenik::testing::ScriptedIo console(answer_yes ? "Y\n" : "");
  std::string open_path = "file";
  std::string file_name = "file";
  bool saved = false;
  const brenik::OpenResult result =
      brenik::Open(brenik::kStartUpMode, open_path, grid, file_name, console.io(), fs, saved);

  Check(brenik::SlotsZeroFilled(grid));
  Check(!saved && file_name == "file" && fs.Content("file") == file);
  const std::vector<std::string> expected = ExpectedLines(file, lsize);
  const bool fits = expected.size() <= static_cast<std::size_t>(lines);
  if (result == brenik::OpenResult::kLoaded) {
    std::string placed;
    for (int k = 0; k < lines; ++k) {
      std::string slot = k < static_cast<int>(expected.size()) ? expected[k] : std::string();
      slot.resize(static_cast<std::size_t>(lsize), '\0');
      placed += slot;
    }
    Check(GridBytes(grid) == placed);
  } else {
    // Only a declined warning may stop a load, and only when some of the file did not fit.
    Check(result == brenik::OpenResult::kFatal && !answer_yes && !fits);
    Check(GridBytes(grid) == before);
  }
  if (fits) {
    Check(result == brenik::OpenResult::kLoaded);
  }
  return 0;
}

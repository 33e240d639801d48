// The whole editor on any standard input, with small limits, an in-memory file system and a
// shell that only records: the grid stays sound, the cursor stays inside it, and work that was
// not saved is never lost when the input ends.
//
// Input: byte 0 picks `lines` (1..64), byte 1 the longest line (2..39 characters), byte 2
// settings and start-up: bit 0 opens "doc" at start-up, bit 1 rebinds a few keys, bit 2 sets
// a launch command, bit 3 hides line numbers. The rest is standard input.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "buffer/grid.h"
#include "core/editor.h"
#include "fake_filesystem.h"

namespace {

constexpr std::size_t kHeader = 3;

struct Source {
  const char* data;
  std::size_t size;
  std::size_t at = 0;
};

ssize_t ReadSource(void* cookie, char* buffer, std::size_t size) {
  Source& source = *static_cast<Source*>(cookie);
  const std::size_t n = std::min(size, source.size - source.at);
  std::memcpy(buffer, source.data + source.at, n);
  source.at += n;
  return static_cast<ssize_t>(n);
}

ssize_t Discard(void*, const char*, std::size_t size) { return static_cast<ssize_t>(size); }

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

// What an emergency file must hold: the save format of lines 0 .. DocLength.
std::string SaveText(brenik::LineGrid& grid) {
  std::string text;
  const int last = brenik::DocLength(grid);
  const brenik::LineGrid& lines = grid;
  for (int k = 0; k <= last; ++k) {
    text += lines.Slot(k);
    text += '\n';
  }
  return text;
}

// The emergency save takes the first free name of a series, so the file is among those that
// exist from the start of the series on.
bool SeriesHolds(const brenik::testing::FakeFileSystem& fs, const std::string& base,
                 const std::string& text) {
  for (int n = 0; n < 1000; ++n) {
    const std::string name = n == 0 ? base : base + "." + std::to_string(n);
    if (!fs.Exists(name)) {
      return false;
    }
    if (fs.Content(name) == text) {
      return true;
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kHeader) {
    return 0;
  }
  const int lines = 1 + data[0] % 64;
  const int max_char = 2 + data[1] % 38;
  const unsigned flags = data[2];

  brenik::testing::FakeFileSystem fs;
  std::string rc =
      "max_lines=" + std::to_string(lines) + "\nmax_char=" + std::to_string(max_char) + "\n";
  if ((flags & 2) != 0) {
    rc += "quit=Q\nundo=q\nclip_cut=!\nsave_prompt=#\nnum_tog=s\n";
  }
  if ((flags & 4) != 0) {
    rc += "launch_command=make\n";
  }
  if ((flags & 8) != 0) {
    rc += "show_numbers=off\n";
  }
  fs.AddFile(".brenik_rc", rc);
  fs.AddFile("doc", "first\nsecond line that is rather long\n\nfourth\n");
  fs.AddDirectory("dir");
  fs.AddSpecial("fifo", S_IFIFO | 0644);

  Source source{reinterpret_cast<const char*>(data + kHeader), size - kHeader};
  std::FILE* in = fopencookie(&source, "r", {ReadSource, nullptr, nullptr, nullptr});
  std::FILE* out = fopencookie(nullptr, "w", {nullptr, Discard, nullptr, nullptr});
  Check(in != nullptr && out != nullptr);

  brenik::Editor ed;
  ed.io.in = in;
  ed.io.out = out;
  ed.fs = &fs;
  char program[] = "brenik";
  char doc[] = "doc";
  char* argv[] = {program, doc, nullptr};
  const int argc = (flags & 1) != 0 ? 2 : 1;
  int status = 1;
  if (brenik::StartUp(ed, argc, argv) != brenik::Flow::kContinue) {
    // Only the partial-load warning can stop this start-up; the grid must still be sound.
    Check(ed.grid.lines() == lines && brenik::SlotsZeroFilled(ed.grid) && !ed.modified);
  } else {
    status = brenik::RunEditor(ed);
    Check(ed.grid.lines() == lines && ed.grid.lsize() == max_char + 1);
    Check(brenik::SlotsZeroFilled(ed.grid));
    Check(ed.line >= 0 && ed.line < ed.grid.lines());
    Check(ed.column >= 0 && ed.column < ed.grid.lsize());
    if (ed.io.ended) {
      // Input ran out before any quit: only unsaved work makes it a failure, and then the
      // work is in an emergency file.
      Check(status == (ed.modified ? 1 : 0));
      if (ed.modified) {
        const std::string text = SaveText(ed.grid);
        Check((!ed.file_name.empty() && SeriesHolds(fs, ed.file_name + ".save", text)) ||
              SeriesHolds(fs, "brenik.save", text));
      }
    }
  }
  Check(status == 0 || status == 1);
  std::fclose(in);
  std::fclose(out);
  return 0;
}

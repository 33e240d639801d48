// SPDX-License-Identifier: MIT
// The editor's two streams: whole input lines read from a descriptor, and text printed safely.
#pragma once

#include <array>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string_view>

namespace brenik {

/// What one read of an input line found.
enum class Line {
  kEnd,   // input ended or failed, or a signal asks the editor to end; nothing was read
  kFits,  // a whole line, ended by a newline, of at most the limit's characters
  kLast,  // the input's last line, which has no newline, of at most the limit's characters
  kLong,  // a line longer than the limit, consumed whole; the first `limit` characters are kept
};

/// Work that belongs right before the editor reads input: the journal writes what the commands
/// so far changed, and puts it on the disk before the editor waits for a person.
class ReadHook {
 public:
  virtual ~ReadHook() = default;
  /// Before every read of input.
  virtual void BeforeRead() = 0;
  /// Whether BeforeWait has anything to do; when not, nobody asks whether input is waiting.
  [[nodiscard]] virtual bool Unsynced() const = 0;
  /// Before a wait for input that is not there yet, and before the prompt is shown for it.
  virtual void BeforeWait() = 0;
};

/// Where prompts are read from and everything is written to; nothing goes to stderr.
struct Io {
  int in = -1;
  std::FILE* out = nullptr;
  /// Only for a command line the editor cannot run with, as other tools do.
  std::FILE* err = nullptr;
  /// Called before input is read; none when nothing needs to happen there.
  ReadHook* hook = nullptr;
  /// Set once input has ended or failed; every later read fails at once.
  bool ended = false;
  /// The characters kept of the last line read, zero bytes included.
  std::size_t length = 0;
  /// The end of the input was seen: what is buffered is all there is.
  bool drained = false;
  /// Input read ahead: the bytes [start, end) of `buffer` are not handed out yet.
  std::size_t start = 0;
  std::size_t end = 0;
  char buffer[1 << 16];
};

/// The limits of answers, in characters without the line end: a file name or a command line,
/// a number, and a short choice. A launch command from the settings file keeps kNameLimit too.
inline constexpr int kNameLimit = 255;
inline constexpr int kNumberLimit = 7;
inline constexpr int kShortLimit = 15;

/// Reads one whole input line, its newline included, and keeps at most `limit` characters of it
/// in `buffer` (limit + 1 bytes), without the newline. Output is flushed before input is
/// awaited; a signal that arrives while the editor waits ends the wait at once.
[[nodiscard]] Line ReadLine(Io& io, char* buffer, int limit);
/// ReadLine for text that is used in part when too long, which one line then says.
[[nodiscard]] Line ReadText(Io& io, char* buffer, int limit);
/// ReadLine for an answer that must fit whole: a longer one is refused with one line, and
/// comes back as kLong.
[[nodiscard]] Line ReadWhole(Io& io, char* buffer, int limit);
/// True when the line was read and fits: an answer to use.
inline bool Fits(Line line) { return line == Line::kFits || line == Line::kLast; }
/// True when the line just read into `buffer` was `word` and its line end, and nothing else.
[[nodiscard]] bool Answered(const Io& io, Line line, const char* buffer, const char* word);
/// Reads a numeric answer as a base-10 integer (no digits gives 0); none when it was refused
/// for length or nothing was read.
[[nodiscard]] std::optional<long> ReadNumber(Io& io);

/// Prints text with each byte that would drive a terminal (below 0x20 but tab, and 0x7F) shown
/// as '?'.
void PutShown(std::string_view text, std::FILE* out);

/// A key of one character as PutShown prints it, with its terminating zero.
[[nodiscard]] std::array<char, 2> ShownKey(char key);

/// A name as PutShown prints it, for a message: no allocation, so that even the last-resort
/// messages can use it, and room for any path.
class Shown {
 public:
  explicit Shown(const char* text);
  const char* c_str() const { return text_; }

 private:
  char text_[4160];
};

}  // namespace brenik

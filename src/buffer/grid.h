// SPDX-License-Identifier: MIT
// The line grid: every line of the document, each with room for `lsize` - 1 characters, stored
// as compactly as its text, and the whole-line operations.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace brenik {

/// Releases a block from malloc.
struct FreeDeleter {
  void operator()(void* p) const;
};
/// A block of text from malloc, which the grid may take over and grow.
using TextBlock = std::unique_ptr<char[], FreeDeleter>;
/// An uninitialised block of `size` bytes (at least one); null when memory is short.
[[nodiscard]] TextBlock AllocateText(std::size_t size);

/// A document of at most `lines` lines of at most `lsize` - 1 characters each; the limits are
/// set once by Allocate, and reading a line past the document gives an empty one.
///
/// Each line is one 8-byte record: where its text is, and how long it is. Texts are in the bytes
/// of the file last loaded, where they were read, or in an arena that grows by doubling, where a
/// text goes when it outgrows its place; once the dead text of both is as much as the live text
/// (and at least a mebibyte), the live text moves into a fresh arena. The records of the lines
/// past the document form a
/// movable gap, so that removing or opening a line costs a record moved per line the gap
/// travels, not a shift of the whole document; every record in the gap reads as an empty line,
/// so that reaching a line far past the document touches no memory on the way.
///
/// Only growth can fail: a method that may need more memory throws std::bad_alloc before it
/// changes anything.
class LineGrid {
 public:
  LineGrid() = default;

  /// Sets the limits; memory follows the text, not the limits. False when `lsize` - 1 cannot be
  /// a line's length, or memory for a start is short.
  [[nodiscard]] bool Allocate(int lines, int lsize);

  int lines() const { return lines_; }
  int lsize() const { return lsize_; }

  /// The text of a line, 0 <= line < lines(); empty past the document. Valid until the next
  /// change to the grid.
  [[nodiscard]] std::string_view Text(int line) const {
    const std::uint64_t record = line < used_ ? records_[Slot(line)] : 0;
    return {At(record >> kLengthBits), static_cast<std::size_t>(record & kMaxLength)};
  }

  /// One past the last line that may hold text: every line from here on is empty.
  int bound() const { return used_; }

  /// Gives a line the text of `text` (at most lsize - 1 bytes, none of them zero). `text` must
  /// not point into the grid; Scratch() is the place to build it.
  void SetText(int line, std::string_view text);
  /// lsize bytes to build a line's new text in before SetText; its contents do not last.
  [[nodiscard]] char* Scratch() { return scratch_.get(); }
  /// Makes room now for `bytes` of new text, so that the SetText calls that take them cannot
  /// fail halfway through a change of several lines.
  void ReserveText(std::size_t bytes);

  /// Removes a line: the following lines move up one; the last line becomes empty.
  void RemoveLine(int line);
  /// Opens an empty line: it and the following lines move down; the last line's text is lost.
  void OpenLine(int line);

  /// Replaces the whole document by `count` lines whose texts lie in `text` (`size` bytes, which
  /// the grid takes over): `place(put)` calls put(offset, length) once per line, in order.
  template <typename Place>
  void Load(TextBlock text, std::size_t size, int count, Place place) {
    Reset(std::move(text), size, count);
    place([this](std::size_t offset, std::size_t length) { Append(offset, length); });
  }

 private:
  static constexpr int kLengthBits = 24;
  static constexpr std::uint64_t kMaxLength = (std::uint64_t{1} << kLengthBits) - 1;

  std::size_t Slot(int line) const {
    return static_cast<std::size_t>(line) + (line < gap_ ? 0 : capacity_ - used_);
  }
  // Offsets below the loaded bytes' size are in them; the rest are in the arena.
  char* At(std::size_t offset) const {
    return offset < base_size_ ? base_.get() + offset : arena_.get() + (offset - base_size_);
  }
  void Reach(int line);
  void GrowRecords(std::size_t needed);
  void MoveGap(int to);
  std::size_t Store(std::string_view text);
  void Compact();
  void Reset(TextBlock text, std::size_t size, int count);
  void Append(std::size_t offset, std::size_t length);
  void Forget(std::uint64_t record);

  std::unique_ptr<std::uint64_t[], FreeDeleter> records_;
  std::size_t capacity_ = 0;  // records, gap included
  TextBlock base_;            // the file last loaded, its lines' texts where they were read
  std::size_t base_size_ = 0;
  TextBlock arena_;
  std::size_t arena_size_ = 0;
  std::size_t arena_used_ = 0;
  std::size_t dead_ = 0;  // bytes of both that no line holds any more
  TextBlock scratch_;
  int lines_ = 0;
  int lsize_ = 0;
  int used_ = 0;  // lines [used_, lines_) are empty and have no record outside the gap
  int gap_ = 0;   // lines [0, gap_) have the record of their own index; [gap_, used_) after it
};

/// Empties a line.
void Clear(int line, LineGrid& grid);
/// The destination receives the source's text, then the source is emptied; same line: unchanged.
void Move(int source, int destination, LineGrid& grid);
/// The destination receives the source's text.
void Copy(int source, int destination, LineGrid& grid);
/// Removes a line: the following lines move up one and the last line is emptied.
void Delete(int line, LineGrid& grid);
/// Opens an empty line: the line and those after it move down; the last line's text is lost.
void Wedge(int line, LineGrid& grid);
/// The highest line index whose text is not empty, 0 when none.
[[nodiscard]] int DocLength(const LineGrid& grid);

}  // namespace brenik

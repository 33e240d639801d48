// The line grid: every line of the document in an equal-size slot, and the whole-line operations.
#pragma once

#include <cstddef>
#include <memory>

namespace brenik {

/// Fixed grid of `lines` slots of `lsize` bytes each; the limits are set once by Allocate.
///
/// The empty slots after the document form a movable gap, so that removing or opening a line
/// costs a slot copy per line the gap travels, not a shift of the whole grid. Lines before the
/// gap sit at their own index, lines after it beyond the gap, and lines past the document's
/// region map into the gap, whose slots are all zero.
class LineGrid {
 public:
  LineGrid() = default;

  /// Allocates a zero-filled grid; false when lines × lsize cannot be addressed or allocated.
  [[nodiscard]] bool Allocate(int lines, int lsize);

  int lines() const { return lines_; }
  int lsize() const { return lsize_; }

  /// The slot of a line, 0 <= line < lines(), to read; never moves anything.
  const char* ReadSlot(int line) const { return data_.get() + Physical(line) * lsize_; }
  /// The slot of a line, 0 <= line < lines(), to write. It may move other lines' slots, so a
  /// slot pointer taken before this call is stale after it.
  char* WriteSlot(int line) {
    if (line >= used_) {
      Extend(line);
    }
    return data_.get() + Physical(line) * lsize_;
  }

  /// One past the last line that may hold text: every line from here on is empty.
  int bound() const { return used_; }

  /// Removes a line: the following lines move up one; the last slot becomes empty.
  void RemoveLine(int line);
  /// Opens an empty line: it and the following lines move down; the last slot's text is lost.
  void OpenLine(int line);
  /// Empties every slot, at a cost that follows the document rather than the grid.
  void EmptyAll();
  /// After EmptyAll: backs the slots of lines [0, count) with memory in one go, which is much
  /// cheaper than a fault on every page as they are filled. Only a hint; it may do nothing.
  void Prepare(int count);

 private:
  std::ptrdiff_t Physical(int line) const {
    if (line < gap_) {
      return line;
    }
    if (line < used_) {
      return static_cast<std::ptrdiff_t>(line) + (lines_ - used_);
    }
    return static_cast<std::ptrdiff_t>(gap_) + (line - used_);
  }
  void Extend(int line);
  void MoveGap(int to);
  void ShiftSlot(std::ptrdiff_t from, std::ptrdiff_t to);

  struct FreeDeleter {
    void operator()(char* p) const;
  };
  std::unique_ptr<char[], FreeDeleter> data_;
  int lines_ = 0;
  int lsize_ = 0;
  int used_ = 0;  // lines [used_, lines_) are empty and live in the gap
  int gap_ = 0;   // lines [0, gap_) sit at their own index; [gap_, used_) after the gap
};

/// Copies a text of at most lsize - 1 characters over a slot's text and zeroes what is left of
/// the old text; the cost follows the two texts, not the slot size.
void CopyText(const char* from, char* to, int lsize);

/// Empties a slot: every byte zero.
void Clear(int line, LineGrid& grid);
/// Gives a line the text of `length` bytes, none of them zero, at most lsize - 1.
void SetText(int line, const char* text, std::size_t length, LineGrid& grid);
/// The destination receives the source's text, then the source is emptied; same line: unchanged.
void Move(int source, int destination, LineGrid& grid);
/// The destination receives the source's text.
void Copy(int source, int destination, LineGrid& grid);
/// Removes a line: the following lines move up one slot and the last slot is emptied.
void Delete(int line, LineGrid& grid);
/// Opens an empty line: the line and those after it move down; the last slot's text is lost.
void Wedge(int line, LineGrid& grid);
/// The highest slot index whose text is not empty, 0 when none.
[[nodiscard]] int DocLength(const LineGrid& grid);

}  // namespace brenik

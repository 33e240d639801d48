// The line grid: every line of the document in an equal-size slot, and the whole-line operations.
#pragma once

#include <cstddef>
#include <memory>

namespace brenik {

/// Fixed grid of `lines` slots of `lsize` bytes each; the limits are set once by Allocate.
class LineGrid {
 public:
  LineGrid() = default;

  /// Allocates a zero-filled grid; false when lines × lsize cannot be addressed or allocated.
  [[nodiscard]] bool Allocate(int lines, int lsize);

  int lines() const { return lines_; }
  int lsize() const { return lsize_; }

  /// The slot of a line, 0 <= line < lines(); writing goes through this overload only.
  char* Slot(int line) {
    if (line >= bound_) {
      bound_ = line + 1;
    }
    return data_.get() + static_cast<std::ptrdiff_t>(line) * lsize_;
  }
  const char* Slot(int line) const {
    return data_.get() + static_cast<std::ptrdiff_t>(line) * lsize_;
  }

  /// One past the highest slot ever handed out for writing: every slot from here on is empty.
  int bound() const { return bound_; }

  /// Lowers the bound once a scan has shown that the slots from `bound` on are empty.
  void ShrinkBound(int bound) {
    if (bound < bound_) {
      bound_ = bound;
    }
  }

 private:
  struct FreeDeleter {
    void operator()(char* p) const;
  };
  std::unique_ptr<char[], FreeDeleter> data_;
  int lines_ = 0;
  int lsize_ = 0;
  int bound_ = 0;
};

/// Empties a slot: every byte zero.
void Clear(int line, LineGrid& grid);
/// The destination receives the source's text, then the source is emptied; same line: unchanged.
void Move(int source, int destination, LineGrid& grid);
/// The destination receives the source's text.
void Copy(int source, int destination, LineGrid& grid);
/// Removes a line: the following lines move up one slot and the last slot is emptied.
void Delete(int line, LineGrid& grid);
/// Opens an empty line: the line and those after it move down; the last slot's text is lost.
void Wedge(int line, LineGrid& grid);
/// The highest slot index whose text is not empty, 0 when none.
int DocLength(LineGrid& grid);

/// True when every slot is zero from its text's end to its last byte, the grid's standing rule.
[[nodiscard]] bool SlotsZeroFilled(const LineGrid& grid);

}  // namespace brenik

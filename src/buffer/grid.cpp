#include "buffer/grid.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace brenik {

void LineGrid::FreeDeleter::operator()(char* p) const { std::free(p); }

bool LineGrid::Allocate(int lines, int lsize) {
  if (lines <= 0 || lsize <= 0) {
    return false;
  }
  const auto bytes = static_cast<std::uint64_t>(lines) * static_cast<std::uint64_t>(lsize);
  if (bytes > static_cast<std::uint64_t>(PTRDIFF_MAX)) {
    return false;
  }
  // calloc hands large blocks out as fresh zero pages, so untouched slots cost no memory.
  char* block = static_cast<char*>(std::calloc(static_cast<std::size_t>(lines),
                                               static_cast<std::size_t>(lsize)));
  if (block == nullptr) {
    return false;
  }
  data_.reset(block);
  lines_ = lines;
  lsize_ = lsize;
  bound_ = 0;
  return true;
}

namespace {

// Copies the source's text and zero-fills the rest, so no stale byte survives behind it.
void SlotCopy(int source, int destination, LineGrid& grid) {
  const int lsize = grid.lsize();
  const char* from = static_cast<const LineGrid&>(grid).Slot(source);
  const std::size_t length = strnlen(from, static_cast<std::size_t>(lsize));
  char* to = grid.Slot(destination);
  std::memmove(to, from, length);
  std::memset(to + length, 0, static_cast<std::size_t>(lsize) - length);
}

bool IsEmpty(const LineGrid& grid, int line) { return grid.Slot(line)[0] == '\0'; }

}  // namespace

void Clear(int line, LineGrid& grid) {
  std::memset(grid.Slot(line), 0, static_cast<std::size_t>(grid.lsize()));
}

void Move(int source, int destination, LineGrid& grid) {
  if (source == destination) {
    return;
  }
  SlotCopy(source, destination, grid);
  Clear(source, grid);
}

void Copy(int source, int destination, LineGrid& grid) {
  if (source != destination) {
    SlotCopy(source, destination, grid);
  }
}

void Delete(int line, LineGrid& grid) {
  // Slots after the last used line are empty already: shifting them would change nothing.
  const int last = DocLength(grid);
  for (int k = line; k < last; ++k) {
    SlotCopy(k + 1, k, grid);
  }
  if (last >= line) {
    Clear(last, grid);
  }
}

void Wedge(int line, LineGrid& grid) {
  const int last_slot = grid.lines() - 1;
  int k = DocLength(grid);
  if (k == last_slot) {
    --k;  // the last slot's own text has nowhere to go
  }
  for (; k >= line; --k) {
    SlotCopy(k, k + 1, grid);
  }
  if (!IsEmpty(grid, line)) {
    Clear(line, grid);
  }
}

int DocLength(LineGrid& grid) {
  for (int k = grid.bound() - 1; k >= 0; --k) {
    if (!IsEmpty(grid, k)) {
      grid.ShrinkBound(k + 1);
      return k;
    }
  }
  grid.ShrinkBound(0);
  return 0;
}

bool SlotsZeroFilled(const LineGrid& grid) {
  const std::size_t lsize = static_cast<std::size_t>(grid.lsize());
  for (int k = 0; k < grid.lines(); ++k) {
    const char* slot = grid.Slot(k);
    const std::size_t length = strnlen(slot, lsize);
    if (length == lsize) {
      return false;
    }
    for (std::size_t i = length; i < lsize; ++i) {
      if (slot[i] != '\0') {
        return false;
      }
    }
  }
  return true;
}

}  // namespace brenik

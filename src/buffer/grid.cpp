#include "buffer/grid.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "buffer/pages.h"

namespace brenik {

void LineGrid::FreeDeleter::operator()(char* p) const { std::free(p); }

bool LineGrid::Allocate(int lines, int lsize) {
  const auto bytes = static_cast<std::uint64_t>(lines) * static_cast<std::uint64_t>(lsize);
  if (bytes > static_cast<std::uint64_t>(PTRDIFF_MAX)) {
    return false;
  }
  // calloc hands large blocks out as fresh zero pages, so untouched slots cost no memory.
  char* block = static_cast<char*>(
      std::calloc(static_cast<std::size_t>(lines), static_cast<std::size_t>(lsize)));
  if (block == nullptr) {
    return false;
  }
  data_.reset(block);
  lines_ = lines;
  lsize_ = lsize;
  used_ = 0;
  gap_ = 0;
  return true;
}

// Moves one slot's text into an empty slot and leaves the source empty.
void LineGrid::ShiftSlot(std::ptrdiff_t from, std::ptrdiff_t to) {
  char* source = data_.get() + from * lsize_;
  const std::size_t length = strnlen(source, static_cast<std::size_t>(lsize_));
  std::memcpy(data_.get() + to * lsize_, source, length);
  std::memset(source, 0, length);
}

void LineGrid::MoveGap(int to) {
  const int gap_length = lines_ - used_;
  if (gap_length == 0) {
    gap_ = to;  // without a gap every line sits at its own index wherever the split is
    return;
  }
  while (gap_ > to) {
    --gap_;
    ShiftSlot(gap_, static_cast<std::ptrdiff_t>(gap_) + gap_length);
  }
  while (gap_ < to) {
    ShiftSlot(static_cast<std::ptrdiff_t>(gap_) + gap_length, gap_);
    ++gap_;
  }
}

void LineGrid::Extend(int line) {
  // The region grows over empty gap slots, which must then sit right after it.
  MoveGap(used_);
  used_ = line + 1;
  gap_ = used_;
}

void LineGrid::RemoveLine(int line) {
  if (line >= used_) {
    return;  // it and every line after it are empty already
  }
  MoveGap(line);
  // The line is the first after the gap; emptied, it becomes the gap's last slot.
  char* slot = data_.get() + (static_cast<std::ptrdiff_t>(line) + (lines_ - used_)) * lsize_;
  std::memset(slot, 0, strnlen(slot, static_cast<std::size_t>(lsize_)));
  --used_;
}

void LineGrid::OpenLine(int line) {
  if (line >= used_) {
    return;  // empty lines moving down over empty lines change nothing
  }
  if (used_ == lines_) {
    // No gap: the last slot's text falls off the end and its slot becomes the gap.
    char* last = data_.get() + static_cast<std::ptrdiff_t>(lines_ - 1) * lsize_;
    std::memset(last, 0, strnlen(last, static_cast<std::size_t>(lsize_)));
    used_ = lines_ - 1;
    gap_ = used_;
    if (line >= used_) {
      return;
    }
  }
  MoveGap(line);
  // The gap's first slot, all zero, becomes the new empty line.
  ++gap_;
  ++used_;
}

void LineGrid::EmptyAll() {
  for (int k = 0; k < used_; ++k) {
    char* slot = data_.get() + Physical(k) * lsize_;
    std::memset(slot, 0, strnlen(slot, static_cast<std::size_t>(lsize_)));
  }
  used_ = 0;
  gap_ = 0;
}

void LineGrid::Prepare(int count) {
  const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  // With slots larger than a page, short lines leave most pages untouched: backing them all
  // would cost memory the document never uses.
  if (count <= 0 || static_cast<std::size_t>(lsize_) > page) {
    return;
  }
  char* start = data_.get();
  char* end = start + static_cast<std::ptrdiff_t>(count) * lsize_;
  AdviseHugePages(start, end, start + static_cast<std::ptrdiff_t>(lines_) * lsize_);
#ifdef MADV_POPULATE_WRITE
  const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(start) / page * page;
  static_cast<void>(madvise(reinterpret_cast<void*>(begin),
                            reinterpret_cast<std::uintptr_t>(end) - begin, MADV_POPULATE_WRITE));
#endif
}

void Clear(int line, LineGrid& grid) {
  if (line < grid.bound()) {
    char* slot = grid.WriteSlot(line);
    std::memset(slot, 0, strnlen(slot, static_cast<std::size_t>(grid.lsize())));
  }
}

void SetText(int line, const char* text, std::size_t length, LineGrid& grid) {
  if (length == 0) {
    Clear(line, grid);
    return;
  }
  char* slot = grid.WriteSlot(line);
  const std::size_t old_length = strnlen(slot, static_cast<std::size_t>(grid.lsize()));
  std::memcpy(slot, text, length);
  if (old_length > length) {
    std::memset(slot + length, 0, old_length - length);
  }
}

void CopyText(const char* from, char* to, int lsize) {
  const std::size_t length = strnlen(from, static_cast<std::size_t>(lsize));
  const std::size_t old_length = strnlen(to, static_cast<std::size_t>(lsize));
  std::memcpy(to, from, length);
  if (old_length > length) {
    std::memset(to + length, 0, old_length - length);
  }
}

void Copy(int source, int destination, LineGrid& grid) {
  if (source == destination) {
    return;
  }
  // The destination first: taking it for writing may move the source's slot.
  char* to = grid.WriteSlot(destination);
  CopyText(grid.ReadSlot(source), to, grid.lsize());
}

void Move(int source, int destination, LineGrid& grid) {
  if (source != destination) {
    Copy(source, destination, grid);
    Clear(source, grid);
  }
}

void Delete(int line, LineGrid& grid) { grid.RemoveLine(line); }

void Wedge(int line, LineGrid& grid) { grid.OpenLine(line); }

int DocLength(const LineGrid& grid) {
  int last = grid.bound() - 1;
  while (last > 0 && grid.ReadSlot(last)[0] == '\0') {
    --last;
  }
  return last < 0 ? 0 : last;
}

}  // namespace brenik

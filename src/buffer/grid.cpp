// SPDX-License-Identifier: MIT
#include "buffer/grid.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace brenik {

namespace {

// What a grid starts with: records and text space that cost nothing until they are written,
// and are enough for a document typed by hand.
constexpr std::size_t kFirstRecords = std::size_t{1} << 16;
constexpr std::size_t kFirstArena = std::size_t{256} << 10;
// Dead text below this much is not worth a compaction.
constexpr std::size_t kDeadAllowance = std::size_t{1} << 20;
constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Zeroed records, which every line in the gap must have; calloc hands large blocks out as
// fresh pages, so records that are never written cost no memory.
std::uint64_t* ZeroRecords(std::size_t count) {
  auto* records = static_cast<std::uint64_t*>(std::calloc(count, sizeof(std::uint64_t)));
  if (records == nullptr) {
    throw std::bad_alloc();
  }
  return records;
}

// Backs [begin, begin + size) with memory in one call, which is much cheaper than a fault on
// every page as the records of a load are written. Only a hint.
void Prefault(void* begin, std::size_t size) {
#ifdef MADV_POPULATE_WRITE
  const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(begin) / page * page;
  const auto end = reinterpret_cast<std::uintptr_t>(begin) + size;
  static_cast<void>(madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE));
#else
  static_cast<void>(begin);
  static_cast<void>(size);
#endif
}

}  // namespace

void FreeDeleter::operator()(void* p) const { std::free(p); }

TextBlock AllocateText(std::size_t size) {
  if (size < kHugePage / 2) {
    return TextBlock(static_cast<char*>(std::malloc(size > 0 ? size : 1)));
  }
  // A file read into fresh memory faults once per page; in huge pages a large one costs a
  // fault per 2 MiB instead, which halves the time of a load. The last block is only worth one
  // when it is at least half filled.
  const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  char* block = static_cast<char*>(std::aligned_alloc(kHugePage, rounded));
#ifdef MADV_HUGEPAGE
  if (block != nullptr) {
    const std::size_t advised =
        size % kHugePage >= kHugePage / 2 ? rounded : size / kHugePage * kHugePage;
    static_cast<void>(madvise(block, advised, MADV_HUGEPAGE));
  }
#endif
  return TextBlock(block);
}

bool LineGrid::Allocate(int lines, int lsize) {
  if (lines < 1 || lsize < 2 || static_cast<std::uint64_t>(lsize) - 1 > kMaxLength) {
    return false;
  }
  try {
    const std::size_t first = std::min(static_cast<std::size_t>(lines), kFirstRecords);
    records_.reset(ZeroRecords(first));
    capacity_ = first;
  } catch (const std::bad_alloc&) {
    return false;
  }
  arena_ = AllocateText(kFirstArena);
  scratch_ = AllocateText(static_cast<std::size_t>(lsize));
  base_.reset();
  base_size_ = 0;
  arena_size_ = kFirstArena;
  arena_used_ = 0;
  dead_ = 0;
  lines_ = lines;
  lsize_ = lsize;
  used_ = 0;
  gap_ = 0;
  return arena_ != nullptr && scratch_ != nullptr;
}

void LineGrid::GrowRecords(std::size_t needed) {
  if (capacity_ >= needed) {
    return;
  }
  const std::size_t grown =
      std::min(std::max(needed, 2 * capacity_), static_cast<std::size_t>(lines_));
  std::uint64_t* records = ZeroRecords(grown);
  const std::size_t after = static_cast<std::size_t>(used_ - gap_);
  std::memcpy(records, records_.get(), static_cast<std::size_t>(gap_) * sizeof *records);
  std::memcpy(records + grown - after, records_.get() + capacity_ - after, after * sizeof *records);
  records_.reset(records);
  capacity_ = grown;
}

void LineGrid::MoveGap(int to) {
  const std::size_t length = capacity_ - static_cast<std::size_t>(used_);
  std::uint64_t* records = records_.get();
  if (length > 0 && to < gap_) {
    const auto from = static_cast<std::size_t>(to);
    const auto moved = static_cast<std::size_t>(gap_ - to);
    std::memmove(records + from + length, records + from, moved * sizeof *records);
    // Only what held records before is zeroed: the rest of the new gap was gap already.
    std::memset(records + from, 0, std::min(moved, length) * sizeof *records);
  } else if (length > 0 && to > gap_) {
    const auto from = static_cast<std::size_t>(gap_);
    const auto moved = static_cast<std::size_t>(to - gap_);
    std::memmove(records + from, records + from + length, moved * sizeof *records);
    const std::size_t end = static_cast<std::size_t>(to) + length;
    const std::size_t clean = std::max(static_cast<std::size_t>(to), from + length);
    std::memset(records + clean, 0, (end - clean) * sizeof *records);
  }
  gap_ = to;
}

void LineGrid::Reach(int line) {
  if (line < used_) {
    return;
  }
  GrowRecords(static_cast<std::size_t>(line) + 1);
  // The lines up to this one are in the gap, whose records read as empty lines already.
  MoveGap(used_);
  used_ = line + 1;
  gap_ = used_;
}

void LineGrid::Compact() {
  const std::size_t live = base_size_ + arena_used_ - dead_;
  const std::size_t size = std::max(2 * live, kFirstArena);
  TextBlock fresh = AllocateText(size);
  if (!fresh) {
    throw std::bad_alloc();
  }
  std::size_t at = 0;
  const auto keep = [&](std::uint64_t& record) {
    const std::size_t length = record & kMaxLength;
    if (length > 0) {
      std::memcpy(fresh.get() + at, At(record >> kLengthBits), length);
      record = (static_cast<std::uint64_t>(at) << kLengthBits) | length;
      at += length;
    }
  };
  // The lines before the gap and after it; the gap itself holds nothing.
  for (std::size_t k = 0; k < static_cast<std::size_t>(gap_); ++k) {
    keep(records_[k]);
  }
  for (std::size_t k = capacity_ - static_cast<std::size_t>(used_ - gap_); k < capacity_; ++k) {
    keep(records_[k]);
  }
  base_.reset();
  base_size_ = 0;
  arena_ = std::move(fresh);
  arena_size_ = size;
  arena_used_ = at;
  dead_ = 0;
}

void LineGrid::ReserveText(std::size_t bytes) {
  if (arena_used_ + bytes <= arena_size_) {
    return;
  }
  // Dead text is dropped once there is as much of it as of live text; only then is a full
  // arena grown, so memory stays within about four times the live text and a few mebibytes.
  if (dead_ >= kDeadAllowance && 2 * dead_ >= base_size_ + arena_used_) {
    Compact();
  }
  if (arena_used_ + bytes > arena_size_) {
    const std::size_t size = std::max(2 * arena_size_, arena_used_ + bytes);
    char* grown = static_cast<char*>(std::realloc(arena_.get(), size));
    if (grown == nullptr) {
      throw std::bad_alloc();
    }
    static_cast<void>(arena_.release());
    arena_.reset(grown);
    arena_size_ = size;
  }
}

std::size_t LineGrid::Store(std::string_view text) {
  ReserveText(text.size());
  std::memcpy(arena_.get() + arena_used_, text.data(), text.size());
  const std::size_t offset = base_size_ + arena_used_;
  arena_used_ += text.size();
  return offset;
}

void LineGrid::Forget(std::uint64_t record) { dead_ += record & kMaxLength; }

void LineGrid::SetText(int line, std::string_view text) {
  if (line >= used_ && text.empty()) {
    return;  // an empty line past the document stays past it
  }
  // A text of the grid's own, such as a line copied onto another, must survive the arena's move.
  const auto inside = [&text](const TextBlock& block, std::size_t size) {
    const auto at = reinterpret_cast<std::uintptr_t>(text.data());
    const auto start = reinterpret_cast<std::uintptr_t>(block.get());
    return block && at >= start && at < start + size;
  };
  if (inside(base_, base_size_) || inside(arena_, arena_size_)) {
    std::memmove(scratch_.get(), text.data(), text.size());
    text = {scratch_.get(), text.size()};
  }
  Reach(line);
  const std::uint64_t old = records_[Slot(line)];
  const std::size_t offset = old >> kLengthBits;
  const std::size_t length = old & kMaxLength;
  // The last text of the arena can grow into the free room after it.
  const bool last = offset >= base_size_ && offset + length == base_size_ + arena_used_;
  std::size_t at = offset;
  if (text.size() <= length || (last && offset + text.size() <= base_size_ + arena_size_)) {
    if (!text.empty()) {
      std::memcpy(At(offset), text.data(), text.size());
    }
    if (last) {
      arena_used_ = offset + text.size() - base_size_;
    } else {
      dead_ += length - text.size();
    }
  } else {
    at = Store(text);
    Forget(records_[Slot(line)]);
  }
  records_[Slot(line)] =
      text.empty() ? 0 : (static_cast<std::uint64_t>(at) << kLengthBits) | text.size();
}

void LineGrid::RemoveLine(int line) {
  if (line >= used_) {
    return;  // it and every line after it are empty already
  }
  MoveGap(line);
  // The line is the first after the gap; emptied, it becomes the gap's last record.
  std::uint64_t& record = records_[static_cast<std::size_t>(line) + capacity_ - used_];
  Forget(record);
  record = 0;
  --used_;
}

void LineGrid::OpenLine(int line) {
  if (line >= used_) {
    return;  // empty lines moving down over empty lines change nothing
  }
  const bool full = used_ == lines_;
  if (!full) {
    GrowRecords(static_cast<std::size_t>(used_) + 1);
  } else {
    // The last line's text falls off the end, and its record becomes the gap.
    std::uint64_t& last = records_[Slot(lines_ - 1)];
    Forget(last);
    last = 0;
    --used_;
    // Without a gap every line had the record of its own index: the freed record is the gap.
    gap_ = used_;
    if (line >= used_) {
      return;
    }
  }
  MoveGap(line);
  // The gap's first record, all zero, becomes the new empty line.
  ++gap_;
  ++used_;
}

void LineGrid::Reset(TextBlock text, std::size_t size, int count) {
  const auto needed = static_cast<std::size_t>(count);
  if (needed > capacity_) {
    records_.reset(
        ZeroRecords(std::max(needed, std::min(static_cast<std::size_t>(lines_), kFirstRecords))));
    capacity_ = std::max(needed, std::min(static_cast<std::size_t>(lines_), kFirstRecords));
  } else {
    // Emptying costs what the old document filled, not the whole index.
    std::uint64_t* records = records_.get();
    std::memset(records, 0, static_cast<std::size_t>(gap_) * sizeof *records);
    const std::size_t after = static_cast<std::size_t>(used_ - gap_);
    std::memset(records + capacity_ - after, 0, after * sizeof *records);
  }
  Prefault(records_.get(), needed * sizeof(std::uint64_t));
  // The arena of the document before may have grown far beyond what a new one needs.
  if (arena_size_ > kFirstArena) {
    TextBlock fresh = AllocateText(kFirstArena);
    if (fresh) {
      arena_ = std::move(fresh);
      arena_size_ = kFirstArena;
    }
  }
  base_ = std::move(text);
  base_size_ = size;
  arena_used_ = 0;
  dead_ = size;  // every byte is dead until a line holds it: newlines, and what did not fit
  used_ = 0;
  gap_ = 0;
}

void LineGrid::Append(std::size_t offset, std::size_t length) {
  records_[static_cast<std::size_t>(used_)] =
      length == 0 ? 0 : (static_cast<std::uint64_t>(offset) << kLengthBits) | length;
  dead_ -= length;
  ++used_;
  gap_ = used_;
}

void Clear(int line, LineGrid& grid) { grid.SetText(line, {}); }

void Copy(int source, int destination, LineGrid& grid) {
  if (source != destination) {
    grid.SetText(destination, grid.Text(source));
  }
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
  while (last > 0 && grid.Text(last).empty()) {
    --last;
  }
  return last < 0 ? 0 : last;
}

}  // namespace brenik

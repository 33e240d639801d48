#include "buffer/grid.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace brenik {

namespace {

// What a grid starts with: records and text space that cost nothing until they are written,
// and are enough for a document typed by hand.
constexpr std::size_t kFirstRecords = std::size_t{1} << 16;
constexpr std::size_t kFirstSpace = std::size_t{1} << 20;
// Dead text below this much is not worth a compaction.
constexpr std::size_t kDeadAllowance = std::size_t{1} << 20;

// Zeroed records, which every line in the gap must have; calloc hands large blocks out as
// fresh pages, so records that are never written cost no memory.
std::uint64_t* ZeroRecords(std::size_t count) {
  auto* records = static_cast<std::uint64_t*>(std::calloc(count, sizeof(std::uint64_t)));
  if (records == nullptr) {
    throw std::bad_alloc();
  }
  return records;
}

}  // namespace

void FreeDeleter::operator()(void* p) const { std::free(p); }

TextBlock AllocateText(std::size_t size) {
  return TextBlock(static_cast<char*>(std::malloc(size > 0 ? size : 1)));
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
  space_ = AllocateText(kFirstSpace);
  scratch_ = AllocateText(static_cast<std::size_t>(lsize));
  space_size_ = kFirstSpace;
  space_used_ = 0;
  dead_ = 0;
  lines_ = lines;
  lsize_ = lsize;
  used_ = 0;
  gap_ = 0;
  return space_ != nullptr && scratch_ != nullptr;
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
  const std::size_t live = space_used_ - dead_;
  const std::size_t size = std::max(2 * live, kFirstSpace);
  TextBlock fresh = AllocateText(size);
  if (!fresh) {
    throw std::bad_alloc();
  }
  std::size_t at = 0;
  const auto keep = [&](std::uint64_t& record) {
    const std::size_t length = record & kMaxLength;
    if (length > 0) {
      std::memcpy(fresh.get() + at, space_.get() + (record >> kLengthBits), length);
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
  space_ = std::move(fresh);
  space_size_ = size;
  space_used_ = at;
  dead_ = 0;
}

std::size_t LineGrid::Store(std::string_view text) {
  if (space_used_ + text.size() > space_size_) {
    // Dead text is dropped once there is as much of it as of live text; only then is a full
    // space grown, so it stays within twice the live text and a mebibyte, doubled for room.
    if (dead_ >= kDeadAllowance && dead_ >= space_used_ - dead_) {
      Compact();
    }
    if (space_used_ + text.size() > space_size_) {
      const std::size_t size = std::max(2 * space_size_, space_used_ + text.size());
      char* grown = static_cast<char*>(std::realloc(space_.get(), size));
      if (grown == nullptr) {
        throw std::bad_alloc();
      }
      static_cast<void>(space_.release());
      space_.reset(grown);
      space_size_ = size;
    }
  }
  std::memcpy(space_.get() + space_used_, text.data(), text.size());
  const std::size_t offset = space_used_;
  space_used_ += text.size();
  return offset;
}

void LineGrid::Forget(std::uint64_t record) { dead_ += record & kMaxLength; }

void LineGrid::SetText(int line, std::string_view text) {
  if (line >= used_ && text.empty()) {
    return;  // an empty line past the document stays past it
  }
  // A text of the grid's own, such as a line copied onto another, must survive the space's move.
  const auto at_text = reinterpret_cast<std::uintptr_t>(text.data());
  const auto at_space = reinterpret_cast<std::uintptr_t>(space_.get());
  if (at_text >= at_space && at_text < at_space + space_size_) {
    std::memmove(scratch_.get(), text.data(), text.size());
    text = {scratch_.get(), text.size()};
  }
  Reach(line);
  const std::uint64_t old = records_[Slot(line)];
  const std::size_t offset = old >> kLengthBits;
  const std::size_t length = old & kMaxLength;
  std::size_t at = offset;
  if (text.size() <= length ||
      (offset + length == space_used_ && offset + text.size() <= space_size_)) {
    // In its own place: shorter, or the last text of the space and growing into free room.
    if (!text.empty()) {
      std::memcpy(space_.get() + offset, text.data(), text.size());
    }
    if (offset + length == space_used_) {
      space_used_ = offset + text.size();
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
  space_ = std::move(text);
  space_size_ = size;
  space_used_ = size;
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

void SetText(int line, const char* text, std::size_t length, LineGrid& grid) {
  grid.SetText(line, {text, length});
}

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

// SPDX-License-Identifier: MIT
#include "files/journal_format.h"

#include <cstring>

#include "files/hash.h"
#include "files/paths.h"

namespace brenik {

namespace {

constexpr const char* kJournalSuffix = ".brenik-journal";
constexpr std::size_t kStartSize = 12;
constexpr std::size_t kBaseFixedSize = 48;

std::uint32_t Check(const char* record, std::size_t size) {
  return static_cast<std::uint32_t>(HashBytes(record, size, 0x6A6F75726E616CULL));
}

template <typename T>
T Get(const char* at) {
  T value;
  std::memcpy(&value, at, sizeof value);
  return value;
}

// Moves through a journal's bytes one whole, checked record at a time.
class Records {
 public:
  Records(const char* data, std::size_t size) : data_(data), size_(size) {}
  // The next record's kind, payload and payload size; false at the end or at a record that is
  // torn or damaged.
  bool Next(RecordKind& kind, const char*& payload, std::size_t& length) {
    if (size_ - at_ < kRecordFrame) {
      return false;
    }
    const char* record = data_ + at_;
    length = Get<std::uint32_t>(record);
    if (length > size_ - at_ - kRecordFrame ||
        Get<std::uint32_t>(record + 5 + length) != Check(record, 5 + length)) {
      return false;
    }
    kind = static_cast<RecordKind>(record[4]);
    payload = record + 5;
    at_ += kRecordFrame + length;
    return true;
  }

 private:
  const char* data_;
  std::size_t size_;
  std::size_t at_ = sizeof kJournalMagic;
};

timespec GetTime(const char* at) {
  timespec time = {};
  time.tv_sec = static_cast<time_t>(Get<std::int64_t>(at));
  time.tv_nsec = static_cast<long>(Get<std::int64_t>(at + 8));
  return time;
}

bool ReadBase(const char* payload, std::size_t length, JournalContents& read) {
  if (length == 0) {
    return true;  // an empty document
  }
  if (length <= kBaseFixedSize) {
    return false;
  }
  FileStamp& base = read.base;
  base.known = true;
  base.exists = true;
  base.device = static_cast<dev_t>(Get<std::uint64_t>(payload));
  base.inode = static_cast<ino_t>(Get<std::uint64_t>(payload + 8));
  base.size = static_cast<off_t>(Get<std::int64_t>(payload + 16));
  base.modified = GetTime(payload + 24);
  base.hash = Get<std::uint64_t>(payload + 40);
  read.base_path.assign(payload + kBaseFixedSize, length - kBaseFixedSize);
  return read.base_path.find('\0') == std::string::npos;
}

}  // namespace

std::string JournalBaseName(const std::string& doc_name) {
  if (doc_name.empty()) {
    return kJournalSuffix;
  }
  std::string name = ".";
  name += BaseOf(doc_name);
  return name += kJournalSuffix;
}

std::string JournalFreshBase(const std::string& doc_name) {
  std::string base = JournalBaseName(doc_name);
  // Folders take names of at most 255 bytes, and the fresh ones add nine to this.
  return base.size() + 9 <= 255 ? base : kJournalSuffix;
}

std::string JournalPath(const std::string& doc_name) {
  return InFolder(doc_name.empty() ? "." : DirectoryOf(doc_name), JournalBaseName(doc_name));
}

std::size_t FrameRecord(char* at, RecordKind kind, std::size_t payload_size) {
  const auto size = static_cast<std::uint32_t>(payload_size);
  std::memcpy(at, &size, sizeof size);
  at[4] = static_cast<char>(kind);
  const std::uint32_t check = Check(at, 5 + payload_size);
  std::memcpy(at + 5 + payload_size, &check, sizeof check);
  return kRecordFrame + payload_size;
}

JournalContents ReadJournal(const char* data, std::size_t size, int max_lsize) {
  JournalContents read;
  if (size < sizeof kJournalMagic || std::memcmp(data, kJournalMagic, sizeof kJournalMagic) != 0) {
    return read;
  }
  Records records(data, size);
  RecordKind kind{};
  const char* payload = nullptr;
  std::size_t length = 0;
  // The start, the name and the base, in this order, or nothing can be rebuilt.
  if (!records.Next(kind, payload, length) || kind != RecordKind::kStart || length != kStartSize) {
    return read;
  }
  read.pid = Get<std::int32_t>(payload);
  read.lines = Get<std::int32_t>(payload + 4);
  read.lsize = Get<std::int32_t>(payload + 8);
  if (read.lines < 1 || read.lsize < 3 || read.lsize > max_lsize) {
    return read;
  }
  if (!records.Next(kind, payload, length) || kind != RecordKind::kName) {
    return read;
  }
  read.name.assign(payload, length);
  if (!records.Next(kind, payload, length) || kind != RecordKind::kBase ||
      !ReadBase(payload, length, read)) {
    return read;
  }
  read.started = true;
  while (records.Next(kind, payload, length)) {
    if (kind == RecordKind::kName) {
      read.name.assign(payload, length);
      continue;
    }
    const bool set = kind == RecordKind::kSet;
    if ((!set && kind != RecordKind::kRemove && kind != RecordKind::kOpen) || length < 4 ||
        (!set && length != 4)) {
      break;
    }
    const int line = Get<std::int32_t>(payload);
    const char* text = payload + 4;
    const std::size_t text_length = length - 4;
    if (line < 0 || line >= read.lines || text_length > static_cast<std::size_t>(read.lsize) - 1 ||
        std::memchr(text, '\0', text_length) != nullptr) {
      break;
    }
    read.edits.push_back({kind, line, text, text_length});
  }
  return read;
}

}  // namespace brenik

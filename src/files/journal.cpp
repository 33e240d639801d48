// SPDX-License-Identifier: MIT
#include "files/journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstring>

#include "files/paths.h"

namespace brenik {

namespace {

constexpr int kUniqueAttempts = 100;
// Written when full, so that a burst of long edits cannot hold more than this in memory; a
// record always fits an empty buffer.
constexpr std::size_t kPendingLimit = std::size_t{1} << 20;

template <typename T>
char* Put(char* at, T value) {
  std::memcpy(at, &value, sizeof value);
  return at + sizeof value;
}

char* PutTime(char* at, const timespec& time) {
  at = Put(at, static_cast<std::int64_t>(time.tv_sec));
  return Put(at, static_cast<std::int64_t>(time.tv_nsec));
}

}  // namespace

Journal::~Journal() {
  if (fd_ >= 0) {
    static_cast<void>(fs_->Close(fd_));
  }
}

void Journal::Configure(FileSystem& fs, std::FILE* out, int lines, int lsize, bool enabled) {
  fs_ = &fs;
  out_ = out;
  lines_ = lines;
  lsize_ = lsize;
  enabled_ = enabled;
  folder_ = fs.CurrentFolder();
  if (enabled) {
    // Left uninitialised: pages that are never written cost nothing.
    capacity_ = kPendingLimit + static_cast<std::size_t>(lsize) + 3 * PATH_MAX;
    pending_.reset(new char[capacity_]);
  }
}

std::string Journal::Absolute(const std::string& name) const {
  return name.empty() || name[0] == '/' || folder_.empty() ? name : InFolder(folder_, name);
}

void Journal::Follow(const std::string& name) {
  name_ = name;
  absolute_ = Absolute(name);
  const std::string next = JournalPath(name);
  if (fd_ >= 0) {
    Append(RecordKind::kName, nullptr, 0, absolute_.data(), absolute_.size());
    // A journal beside the document moves with it, so that the next session on the new name
    // finds it; one that never was there stays where it is, and its name record tells.
    if (path_ == primary_ && next != primary_ && fs_->Link(path_.c_str(), next.c_str()) == 0) {
      static_cast<void>(fs_->Unlink(path_.c_str()));
      path_ = next;
      folder_synced_ = false;
    }
  }
  primary_ = next;
}

void Journal::Rebase(const std::string& name, const FileStamp& stamp) {
  Close();
  base_path_ = Absolute(name);
  base_ = stamp;
}

void Journal::Set(int line, const LineGrid& grid) {
  const std::string_view text = grid.Text(line);
  Edit(RecordKind::kSet, line, text.data(), text.size());
}

void Journal::Remove(int line) { Edit(RecordKind::kRemove, line, nullptr, 0); }

void Journal::Open(int line) { Edit(RecordKind::kOpen, line, nullptr, 0); }

void Journal::Edit(RecordKind kind, int line, const char* text, std::size_t length) {
  if (enabled_ && !failed_ && (fd_ >= 0 || Begin())) {
    char head[4];
    Put(head, static_cast<std::int32_t>(line));
    Append(kind, head, sizeof head, text, length);
  }
}

void Journal::Close() {
  if (fd_ >= 0) {
    // Removed while still locked, so no starting session can take it for a dead one's.
    static_cast<void>(fs_->Unlink(path_.c_str()));
    static_cast<void>(fs_->Close(fd_));
  }
  fd_ = -1;
  path_.clear();
  used_ = 0;
  unsynced_ = false;
  folder_synced_ = false;
}

void Journal::BeforeRead() { Write(); }

void Journal::BeforeWait() {
  Write();
  if (fd_ < 0 || !unsynced_) {
    return;
  }
  if (fs_->Fdatasync(fd_) != 0) {
    Fail(errno);
    return;
  }
  // A new journal's name must reach the disk as well as its bytes.
  if (!folder_synced_) {
    SyncFolder(DirectoryOf(path_).c_str(), *fs_);
    folder_synced_ = true;
  }
  unsynced_ = false;
}

bool Journal::Create(const std::string& path) {
  const int fd = fs_->Open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) {
    return false;
  }
  // A session that starts right now may have opened it first, and takes it for a dead one's.
  if (fs_->Flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
    static_cast<void>(fs_->Close(fd));
    errno = EEXIST;
    return false;
  }
  fd_ = fd;
  path_ = path;
  return true;
}

bool Journal::Begin() {
  // Beside the document; when another session's journal has that name, or the folder will not
  // take it, under a fresh name there or where an emergency file would go.
  bool made = Create(primary_);
  int error = errno;
  const std::string own = DirectoryOf(primary_);
  const std::string base = JournalBaseName(name_);
  const unsigned long long seed = UniqueSeed();
  for (const char* folder : {own.c_str(), ".", fs_->HomeFolder(), fs_->TempFolder()}) {
    for (int attempt = 0; !made && folder != nullptr && attempt < kUniqueAttempts; ++attempt) {
      char suffix[9];
      UniqueSuffix(seed, attempt, suffix);
      made = Create(InFolder(folder, base + "-" + suffix));
      error = made ? error : errno;
      if (!made && errno != EEXIST) {
        break;
      }
    }
  }
  if (!made) {
    std::fprintf(out_, "Cannot make the journal %s: %s; unsaved work is not kept against a crash\n",
                 Shown(primary_.c_str()).c_str(), std::strerror(error));
    failed_ = true;
    return false;
  }
  std::memcpy(pending_.get(), kJournalMagic, sizeof kJournalMagic);
  used_ = sizeof kJournalMagic;
  char start[12];
  Put(Put(Put(start, static_cast<std::int32_t>(getpid())), lines_), lsize_);
  Append(RecordKind::kStart, start, sizeof start, nullptr, 0);
  Append(RecordKind::kName, nullptr, 0, absolute_.data(), absolute_.size());
  char fields[48];
  char* at = Put(fields, static_cast<std::uint64_t>(base_.device));
  at = Put(at, static_cast<std::uint64_t>(base_.inode));
  at = Put(at, static_cast<std::int64_t>(base_.size));
  at = PutTime(at, base_.modified);
  Put(at, base_.hash);
  // An empty document has an empty base record.
  Append(RecordKind::kBase, fields, base_path_.empty() ? 0 : sizeof fields, base_path_.data(),
         base_path_.size());
  return true;
}

void Journal::Append(RecordKind kind, const char* head, std::size_t head_size, const char* text,
                     std::size_t length) {
  if (used_ + kRecordFrame + head_size + length > capacity_) {
    Write();
  }
  if (fd_ < 0) {
    return;
  }
  char* record = pending_.get() + used_;
  if (head_size > 0) {
    std::memcpy(record + 5, head, head_size);
  }
  if (length > 0) {
    std::memcpy(record + 5 + head_size, text, length);
  }
  used_ += FrameRecord(record, kind, head_size + length);
}

void Journal::Write() {
  if (fd_ < 0 || used_ == 0) {
    return;
  }
  if (!WriteAll(*fs_, fd_, pending_.get(), used_)) {
    Fail(errno);
    return;
  }
  used_ = 0;
  unsynced_ = true;
}

void Journal::Fail(int error) {
  std::fprintf(out_,
               "Cannot write the journal %s: %s; unsaved work is not kept against a crash now\n",
               Shown(path_.c_str()).c_str(), std::strerror(error));
  Close();
  failed_ = true;
}

}  // namespace brenik

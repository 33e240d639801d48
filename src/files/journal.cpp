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
  failed_ = false;
  if (enabled) {
    // Left uninitialised: pages that are never written cost nothing.
    capacity_ = kPendingLimit + static_cast<std::size_t>(lsize) + 3 * PATH_MAX;
    pending_.reset(new char[capacity_]);
  }
}

void Journal::Follow(const std::string& name) {
  name_ = name;
  absolute_ = Absolute(name, folder_);
  primary_ = JournalPath(name);
  if (fd_ < 0) {
    return;
  }
  Append(RecordKind::kName, nullptr, 0, absolute_.data(), absolute_.size());
  // The journal moves with the document, so that the next session on the new name finds it:
  // beside it, or under a fresh name of the new name's where that is taken. Where it cannot
  // move, its name record still says whose it is.
  const std::string old = path_;
  const auto link = [&](const std::string& path) {
    if (fs_->Link(old.c_str(), path.c_str()) != 0) {
      return false;
    }
    path_ = path;
    return true;
  };
  if (old != primary_ && (link(primary_) || MakeFresh(link))) {
    static_cast<void>(fs_->Unlink(old.c_str()));
    folder_synced_ = false;
  }
}

void Journal::Rebase(const std::string& name, const FileStamp& stamp) {
  Close();
  base_path_ = Absolute(name, folder_);
  base_ = stamp;
  failed_ = false;  // a journal that could not be written may be made anew from here
}

void Journal::Restart(const LineGrid& grid) {
  Rebase("", {});
  const int last = DocLength(grid);
  for (int k = 0; k <= last; ++k) {
    if (!grid.Text(k).empty()) {
      Set(k, grid);
    }
  }
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

template <typename Make>
bool Journal::MakeFresh(Make make) {
  // Beside the document first, then where an emergency file would go.
  const std::string own = DirectoryOf(primary_);
  const std::string base = JournalFreshBase(name_) + "-";
  const unsigned long long seed = UniqueSeed();
  for (const char* folder : {own.c_str(), ".", fs_->HomeFolder(), fs_->TempFolder()}) {
    for (int attempt = 0; folder != nullptr && attempt < kFreshAttempts; ++attempt) {
      char suffix[9];
      UniqueSuffix(seed, attempt, suffix);
      if (make(InFolder(folder, base + suffix))) {
        return true;
      }
      if (errno != EEXIST) {
        break;
      }
    }
  }
  return false;
}

bool Journal::Begin() {
  // Beside the document; when another session's journal has that name, or the folder will not
  // take it, under a fresh name.
  if (!Create(primary_) && !MakeFresh([this](const std::string& path) { return Create(path); })) {
    std::fprintf(out_, "Cannot make the journal %s: %s; unsaved work is not kept against a crash\n",
                 Shown(primary_.c_str()).c_str(), std::strerror(errno));
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

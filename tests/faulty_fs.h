// SPDX-License-Identifier: MIT
// The working directory's file system with faults on demand, no path outside it, and the shell
// only where a test asks for it.
#pragma once

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "files/filesystem.h"

namespace brenik::testing {

class FaultyFs : public PosixFileSystem {
 public:
  /// The calls that can be made to fail. The journal's own writes and syncs are counted apart,
  /// as kJournal, so that the saves' calls keep their numbers.
  enum Call {
    kOpen,
    kRead,
    kWrite,
    kFsync,
    kClose,
    kLstat,
    kRename,
    kUnlink,
    kFchown,
    kReserve,
    kTruncate,
    kJournal,
    kEnd
  };

  /// The n-th call of `kind` from now on fails with `error`; a read or write with 0 moves nothing.
  void Fail(Call kind, int nth, int error) { fail_[kind] = {count_[kind] + nth, error}; }
  /// Every write moves at most this many bytes.
  std::size_t write_limit = 1 << 30;
  /// Whether a launched command really runs; it is only logged otherwise.
  bool shell = false;
  /// "open NAME" ("open temp" for a temporary file), "write", "fsync", "rename", "run COMMAND".
  std::string log;

  int Open(const char* path, int flags, mode_t mode) override {
    if (std::strstr(path, "brenik-journal") != nullptr) {
      const int fd = Refused(kEnd, path) ? -1 : PosixFileSystem::Open(path, flags, mode);
      journal_fd_ = (flags & O_ACCMODE) == O_WRONLY ? fd : journal_fd_;
      return fd;
    }
    Note("open " + std::string(std::strstr(path, ".brenik-save-") ? "temp" : path));
    return Refused(kOpen, path) ? -1 : PosixFileSystem::Open(path, flags, mode);
  }
  ssize_t Read(int fd, void* buffer, std::size_t size) override {
    return Refused(kRead) ? (errno != 0 ? -1 : 0) : PosixFileSystem::Read(fd, buffer, size);
  }
  ssize_t Write(int fd, const void* buffer, std::size_t size) override {
    if (fd == journal_fd_) {
      return Refused(kJournal) ? -1 : PosixFileSystem::Write(fd, buffer, size);
    }
    Note("write");
    return Refused(kWrite) ? (errno != 0 ? -1 : 0)
                           : PosixFileSystem::Write(fd, buffer, std::min(size, write_limit));
  }
  int Fsync(int) override { return Note("fsync"), Refused(kFsync) ? -1 : 0; }
  int Fdatasync(int fd) override { return Refused(kJournal) ? -1 : PosixFileSystem::Fdatasync(fd); }
  int Close(int fd) override {
    const int closed = PosixFileSystem::Close(fd);
    if (fd == journal_fd_) {
      journal_fd_ = -1;
      return closed;
    }
    return Refused(kClose) ? -1 : closed;
  }
  int Stat(const char* path, struct stat* info) override {
    return Refused(kEnd, path) ? -1 : PosixFileSystem::Stat(path, info);
  }
  int Lstat(const char* path, struct stat* info) override {
    return Refused(kLstat, path) ? -1 : PosixFileSystem::Lstat(path, info);
  }
  ssize_t Readlink(const char* path, char* buffer, std::size_t size) override {
    return Refused(kEnd, path) ? -1 : PosixFileSystem::Readlink(path, buffer, size);
  }
  int Rename(const char* from, const char* to) override {
    Note("rename");
    return Refused(kRename, from) || Refused(kEnd, to) ? -1 : PosixFileSystem::Rename(from, to);
  }
  int Unlink(const char* path) override {
    return Refused(kUnlink, path) ? -1 : PosixFileSystem::Unlink(path);
  }
  int Fchown(int fd, uid_t owner, gid_t group) override {
    return Refused(kFchown) ? -1 : PosixFileSystem::Fchown(fd, owner, group);
  }
  int Reserve(int fd, off_t size) override {
    return Refused(kReserve) ? -1 : PosixFileSystem::Reserve(fd, size);
  }
  int Ftruncate(int fd, off_t size) override {
    return Refused(kTruncate) ? -1 : PosixFileSystem::Ftruncate(fd, size);
  }
  bool ListFolder(const char* path, std::vector<std::string>& names) override {
    return !Refused(kEnd, path) && PosixFileSystem::ListFolder(path, names);
  }
  /// Folders of the scratch directory stand in for the home and the temporary folder.
  const char* HomeFolder() override { return "home"; }
  const char* TempFolder() override { return "tmp"; }
  int System(const char* command) override {
    Note("run " + std::string(command));
    return shell ? PosixFileSystem::System(command) : 0;
  }

 private:
  void Note(const std::string& call) { log += (log.empty() ? "" : ", ") + call; }
  // Counts the call; true with errno set when it is to fail or leaves the directory.
  bool Refused(Call kind, const char* path = "") {
    bool up = false;  // a ".." step; names that merely hold two dots stay inside
    for (const char* step = path; step != nullptr && !up; step = std::strchr(step, '/')) {
      step += *step == '/' ? 1 : 0;
      up = std::strncmp(step, "..", 2) == 0 && (step[2] == '/' || step[2] == '\0');
    }
    const bool outside =
        (path[0] == '/' && std::strncmp(path, here_.c_str(), here_.size()) != 0) || up;
    const bool planned = kind != kEnd && ++count_[kind] == fail_[kind].nth;
    errno = outside ? EACCES : planned ? fail_[kind].error : errno;
    return outside || planned;
  }
  struct Planned {
    int nth = -1;
    int error = 0;
  };
  Planned fail_[kEnd];
  // An absolute path must lead into the working folder, as the journal names the document.
  std::string here_ = std::filesystem::current_path().string() + "/";
  int journal_fd_ = -1;
  int count_[kEnd] = {};
};

}  // namespace brenik::testing

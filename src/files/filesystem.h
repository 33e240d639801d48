// SPDX-License-Identifier: MIT
// The seam between the editor and the operating system: files and the shell.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <csignal>
#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

namespace brenik {

/// Thin POSIX calls, so tests can substitute memory and make any call fail.
/// Each returns what its POSIX namesake returns and sets errno the same way.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual int Open(const char* path, int flags, mode_t mode) = 0;
  virtual ssize_t Read(int fd, void* buffer, std::size_t size) = 0;
  virtual ssize_t Write(int fd, const void* buffer, std::size_t size) = 0;
  virtual int Fsync(int fd) = 0;
  virtual int Fdatasync(int fd) = 0;
  virtual int Close(int fd) = 0;
  virtual int Fstat(int fd, struct stat* info) = 0;
  virtual int Stat(const char* path, struct stat* info) = 0;
  virtual int Lstat(const char* path, struct stat* info) = 0;
  virtual ssize_t Readlink(const char* path, char* buffer, std::size_t size) = 0;
  virtual int Rename(const char* from, const char* to) = 0;
  virtual int Link(const char* from, const char* to) = 0;
  virtual int Unlink(const char* path) = 0;
  virtual int Fchmod(int fd, mode_t mode) = 0;
  virtual int Fchown(int fd, uid_t owner, gid_t group) = 0;
  /// fallocate of [0, size): the file grows to hold `size` bytes, their room taken now.
  virtual int Reserve(int fd, off_t size) = 0;
  virtual int Ftruncate(int fd, off_t size) = 0;
  virtual int Flock(int fd, int operation) = 0;
  /// The working folder as an absolute path; "" when it cannot be told.
  virtual std::string CurrentFolder() = 0;
  /// The names in a directory, "." and ".." left out; false with errno set.
  virtual bool ListFolder(const char* path, std::vector<std::string>& names) = 0;
  /// Where unsaved work may go when neither the document's folder nor the working one takes
  /// it: the user's home folder and the system's temporary folder; null when there is none.
  virtual const char* HomeFolder() = 0;
  virtual const char* TempFolder() = 0;
  /// Runs a command line through the system shell and waits; returns its wait status.
  virtual int System(const char* command) = 0;
};

/// Writes all `size` bytes, retrying short writes; false with errno set (EIO for a write that
/// moves nothing, EINTR when a signal that ends the editor cut a write short).
[[nodiscard]] bool WriteAll(FileSystem& fs, int fd, const char* data, std::size_t size);

/// The names in folders, each folder listed once however many look into it: start-up looks for
/// several kinds of file in the same few folders.
class Listings {
 public:
  explicit Listings(FileSystem& fs) : fs_(fs) {}
  /// The names in `folder`, "." and ".." left out; none when it cannot be listed.
  const std::vector<std::string>& Names(const std::string& folder);
  /// Lists every folder anew, after files were made in some.
  void Forget() { folders_.clear(); }

 private:
  FileSystem& fs_;
  std::vector<std::pair<std::string, std::vector<std::string>>> folders_;
};

/// The folders where work is kept when its own cannot take it, `own` first: the working folder,
/// the home folder and the temporary folder, each once.
[[nodiscard]] std::vector<std::string> WorkPlaces(const std::string& own, FileSystem& fs);

/// Syncs a folder, so that names made or removed in it last; a file system that cannot sync a
/// folder has nothing more to offer, so a failure is not reported.
void SyncFolder(const char* folder, FileSystem& fs);

/// The real operating system.
class PosixFileSystem : public FileSystem {
 public:
  /// Keeps the signal mask and handling of this moment: the launched command gets them back.
  PosixFileSystem();
  int Open(const char* path, int flags, mode_t mode) override;
  ssize_t Read(int fd, void* buffer, std::size_t size) override;
  ssize_t Write(int fd, const void* buffer, std::size_t size) override;
  int Fsync(int fd) override;
  int Fdatasync(int fd) override;
  int Close(int fd) override;
  int Fstat(int fd, struct stat* info) override;
  int Stat(const char* path, struct stat* info) override;
  int Lstat(const char* path, struct stat* info) override;
  ssize_t Readlink(const char* path, char* buffer, std::size_t size) override;
  int Rename(const char* from, const char* to) override;
  int Link(const char* from, const char* to) override;
  int Unlink(const char* path) override;
  int Fchmod(int fd, mode_t mode) override;
  int Fchown(int fd, uid_t owner, gid_t group) override;
  int Reserve(int fd, off_t size) override;
  int Ftruncate(int fd, off_t size) override;
  int Flock(int fd, int operation) override;
  std::string CurrentFolder() override;
  bool ListFolder(const char* path, std::vector<std::string>& names) override;
  const char* HomeFolder() override;
  const char* TempFolder() override;
  int System(const char* command) override;

 private:
  static constexpr int kKept[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGPIPE, SIGXFSZ};
  sigset_t mask_;
  struct sigaction handling_[std::size(kKept)];
};

}  // namespace brenik

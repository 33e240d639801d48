// SPDX-License-Identifier: MIT
#include "files/filesystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "term/signals.h"

namespace brenik {

namespace {

// Repeats a transfer that a signal interrupted before it moved anything, unless the signal
// asks the editor to end: a write to a pipe nobody reads would otherwise wait for ever.
template <typename Transfer>
ssize_t Uninterrupted(Transfer transfer) {
  ssize_t moved;
  do {
    moved = transfer();
  } while (moved < 0 && errno == EINTR && PendingSignal() == 0);
  return moved;
}

}  // namespace

bool WriteAll(FileSystem& fs, int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = fs.Write(fd, data, size);
    if (put < 0) {
      return false;
    }
    if (put == 0) {
      errno = EIO;
      return false;
    }
    data += put;
    size -= static_cast<std::size_t>(put);
    // A write cut short by a signal that ends the editor: the next one could wait for ever.
    if (size > 0 && PendingSignal() != 0) {
      errno = EINTR;
      return false;
    }
  }
  return true;
}

const std::vector<std::string>& Listings::Names(const std::string& folder) {
  for (const auto& [name, names] : folders_) {
    if (name == folder) {
      return names;
    }
  }
  folders_.emplace_back(folder, std::vector<std::string>());
  std::vector<std::string>& names = folders_.back().second;
  if (!fs_.ListFolder(folder.c_str(), names)) {
    names.clear();
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> WorkPlaces(const std::string& own, FileSystem& fs) {
  std::vector<std::string> places = {own};
  for (const char* place : {".", fs.HomeFolder(), fs.TempFolder()}) {
    if (place != nullptr && std::find(places.begin(), places.end(), place) == places.end()) {
      places.emplace_back(place);
    }
  }
  return places;
}

void SyncFolder(const char* folder, FileSystem& fs) {
  const int fd = fs.Open(folder, O_RDONLY | O_DIRECTORY, 0);
  if (fd >= 0) {
    static_cast<void>(fs.Fsync(fd));
    static_cast<void>(fs.Close(fd));
  }
}

PosixFileSystem::PosixFileSystem() {
  sigprocmask(SIG_SETMASK, nullptr, &mask_);
  for (std::size_t k = 0; k < std::size(kKept); ++k) {
    sigaction(kKept[k], nullptr, &handling_[k]);
  }
}

int PosixFileSystem::Open(const char* path, int flags, mode_t mode) {
  return ::open(path, flags | O_CLOEXEC, mode);
}

ssize_t PosixFileSystem::Read(int fd, void* buffer, std::size_t size) {
  return Uninterrupted([&] { return ::read(fd, buffer, size); });
}

ssize_t PosixFileSystem::Write(int fd, const void* buffer, std::size_t size) {
  struct stat info = {};
  if (::fstat(fd, &info) == 0 && !S_ISREG(info.st_mode)) {
    // A pipe nobody reads, or a slow device, can keep a write waiting for ever, and a signal
    // that came just before the write began would not end it: the wait is made where a signal
    // always ends it, and a pipe that has room takes this much without waiting again.
    if (!WaitForOutput(fd)) {
      errno = EINTR;
      return -1;
    }
    size = std::min(size, std::size_t{PIPE_BUF});
  }
  return Uninterrupted([&] { return ::write(fd, buffer, size); });
}

int PosixFileSystem::Fsync(int fd) { return ::fsync(fd); }
int PosixFileSystem::Fdatasync(int fd) { return ::fdatasync(fd); }
int PosixFileSystem::Close(int fd) { return ::close(fd); }
int PosixFileSystem::Fstat(int fd, struct stat* info) { return ::fstat(fd, info); }
int PosixFileSystem::Stat(const char* path, struct stat* info) { return ::stat(path, info); }
int PosixFileSystem::Lstat(const char* path, struct stat* info) { return ::lstat(path, info); }

ssize_t PosixFileSystem::Readlink(const char* path, char* buffer, std::size_t size) {
  return ::readlink(path, buffer, size);
}

int PosixFileSystem::Rename(const char* from, const char* to) { return ::rename(from, to); }
int PosixFileSystem::Link(const char* from, const char* to) { return ::link(from, to); }
int PosixFileSystem::Unlink(const char* path) { return ::unlink(path); }
int PosixFileSystem::Fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int PosixFileSystem::Fchown(int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); }
// The system call itself: where a file system cannot reserve, the library would instead read
// and write the file, which a descriptor open only for writing cannot do.
int PosixFileSystem::Reserve(int fd, off_t size) { return ::fallocate(fd, 0, 0, size); }

int PosixFileSystem::Ftruncate(int fd, off_t size) { return ::ftruncate(fd, size); }
int PosixFileSystem::Flock(int fd, int operation) { return ::flock(fd, operation); }

std::string PosixFileSystem::CurrentFolder() {
  char path[PATH_MAX];
  return getcwd(path, sizeof path) != nullptr ? path : "";
}

bool PosixFileSystem::ListFolder(const char* path, std::vector<std::string>& names) {
  DIR* folder = opendir(path);
  if (folder == nullptr) {
    return false;
  }
  while (const dirent* entry = readdir(folder)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      names.emplace_back(entry->d_name);
    }
  }
  closedir(folder);
  return true;
}

const char* PosixFileSystem::HomeFolder() {
  const char* home = std::getenv("HOME");
  return home != nullptr && home[0] == '/' ? home : nullptr;
}

const char* PosixFileSystem::TempFolder() { return "/tmp"; }

int PosixFileSystem::System(const char* command) {
  // As for any job in the foreground, a Ctrl-C meant for the command does not end the editor.
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction interrupt;
  struct sigaction quit;
  sigaction(SIGINT, &ignore, &interrupt);
  sigaction(SIGQUIT, &ignore, &quit);
  const pid_t pid = fork();
  if (pid == 0) {
    for (std::size_t k = 0; k < std::size(kKept); ++k) {
      sigaction(kKept[k], &handling_[k], nullptr);
    }
    sigprocmask(SIG_SETMASK, &mask_, nullptr);
    execl("/bin/sh", "sh", "-c", command, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = -1;
  while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  sigaction(SIGINT, &interrupt, nullptr);
  sigaction(SIGQUIT, &quit, nullptr);
  return status;
}

}  // namespace brenik

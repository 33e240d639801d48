#include "files/replace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <optional>

#include "term/io.h"

namespace brenik {

namespace {

// As many links as the kernel itself follows before it gives up with ELOOP.
constexpr int kMaxLinkDepth = 40;
constexpr int kTempAttempts = 100;

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// What a save replaces: the name with every symbolic link followed.
struct Target {
  std::string path;
  bool exists = false;
  struct stat info = {};
};

// Nothing, with errno set, when the name cannot be followed to a file or to a free name.
std::optional<Target> FindTarget(const std::string& name, FileSystem& fs) {
  std::string path = name;
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat info = {};
    if (fs.Lstat(path.c_str(), &info) != 0) {
      if (errno != ENOENT) {
        return std::nullopt;
      }
      // A dangling link: the save creates the file it points to, as a plain write would.
      return Target{path, false, {}};
    }
    if (!S_ISLNK(info.st_mode)) {
      return Target{path, true, info};
    }
    char link[PATH_MAX];
    const ssize_t got = fs.Readlink(path.c_str(), link, sizeof link);
    if (got < 0) {
      return std::nullopt;
    }
    if (got == 0 || static_cast<std::size_t>(got) == sizeof link) {
      errno = got == 0 ? ENOENT : ENAMETOOLONG;
      return std::nullopt;
    }
    const std::string to(link, static_cast<std::size_t>(got));
    path = to[0] == '/' ? to : DirectoryOf(path) + "/" + to;
  }
  errno = ELOOP;
  return std::nullopt;
}

std::string TempName(const std::string& directory, unsigned long long seed, int attempt) {
  const unsigned long long mixed =
      (seed + static_cast<unsigned long long>(attempt) + 1) * 0x9E3779B97F4A7C15ULL;
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "/.brenik-save-%08llx", mixed >> 32);
  return directory + suffix;
}

// Removes a temporary file after a failure; says so when even that fails.
void Discard(const std::string& temp, FileSystem& fs, std::FILE* out) {
  if (fs.Unlink(temp.c_str()) != 0) {
    std::fprintf(out, "Cannot remove the temporary file %s: %s\n", Shown(temp.c_str()).c_str(),
                 std::strerror(errno));
  }
}

// The rename is durable only once the directory entry itself reaches the disk; a file system
// that cannot sync a directory has nothing more to offer, so failures here are not reported.
void SyncDirectory(const std::string& directory, FileSystem& fs) {
  const int fd = fs.Open(directory.c_str(), O_RDONLY | O_DIRECTORY, 0);
  if (fd >= 0) {
    static_cast<void>(fs.Fsync(fd));
    static_cast<void>(fs.Close(fd));
  }
}

enum class Outcome { kDone, kFailed, kInPlace };

// Opens and closes at once, to learn whether the open itself is allowed; false with errno set.
bool CanOpen(const std::string& path, int flags, FileSystem& fs) {
  const int fd = fs.Open(path.c_str(), flags, 0);
  if (fd < 0) {
    return false;
  }
  static_cast<void>(fs.Close(fd));
  return true;
}

// How a write through a descriptor ended, closing included, and the errno of the first failure.
struct Written {
  bool ok = false;
  int error = 0;
};

// A close can still fail for a write that seemed to succeed, and then its error is the one
// to tell.
Written CloseWritten(FileSystem& fs, int fd, bool ok) {
  const int error = errno;
  if (fs.Close(fd) != 0 && ok) {
    return {false, errno};
  }
  return {ok, error};
}

// Gives the temporary file the target's owner and mode; false when the mode cannot be set.
bool CopyOwnership(int fd, const struct stat& info, FileSystem& fs) {
  mode_t mode = info.st_mode & 07777;
  if (fs.Fchown(fd, info.st_uid, info.st_gid) != 0) {
    // The file now belongs to whoever saves it: set-id bits would lend that user's rights.
    mode &= ~static_cast<mode_t>(S_ISUID);
    if (fs.Fchown(fd, static_cast<uid_t>(-1), info.st_gid) != 0) {
      mode &= ~static_cast<mode_t>(S_ISGID);
    }
  }
  return fs.Fchmod(fd, mode) == 0;
}

Outcome ReplaceByRename(const std::string& name, const Target& target, const char* data,
                        std::size_t size, FileSystem& fs, std::FILE* out) {
  const std::string directory = DirectoryOf(target.path);
  const unsigned long long seed =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<unsigned long long>(getpid()) << 32);
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < kTempAttempts && fd < 0; ++attempt) {
    temp = TempName(directory, seed, attempt);
    // A new file gets what a plain create gives (0666 less the umask); an existing file's own
    // mode is set below, and until then nobody else may read the text.
    fd = fs.Open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW,
                 target.exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) {
      break;
    }
  }
  if (fd < 0) {
    // A directory that refuses a new file may still let the file itself be rewritten.
    if (errno == EACCES || errno == EPERM) {
      return Outcome::kInPlace;
    }
    ReportSaveFailure(name, errno, out);
    return Outcome::kFailed;
  }
  if (target.exists && !CopyOwnership(fd, target.info, fs)) {
    static_cast<void>(fs.Close(fd));
    Discard(temp, fs, out);
    return Outcome::kInPlace;
  }
  Written written = CloseWritten(fs, fd, WriteAll(fs, fd, data, size) && fs.Fsync(fd) == 0);
  if (written.ok && fs.Rename(temp.c_str(), target.path.c_str()) != 0) {
    written = {false, errno};
  }
  if (!written.ok) {
    Discard(temp, fs, out);
    ReportSaveFailure(name, written.error, out);
    return Outcome::kFailed;
  }
  SyncDirectory(directory, fs);
  return Outcome::kDone;
}

bool WriteInPlace(const std::string& name, const Target& target, const char* data, std::size_t size,
                  FileSystem& fs, std::FILE* out) {
  if (target.exists && S_ISFIFO(target.info.st_mode)) {
    // A plain open waits for a reader, which may never come; without one this fails at once.
    if (!CanOpen(target.path, O_WRONLY | O_NONBLOCK, fs)) {
      ReportSaveFailure(name, errno, out);
      return false;
    }
  }
  const int fd = fs.Open(target.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) {
    ReportSaveFailure(name, errno, out);
    return false;
  }
  bool ok = WriteAll(fs, fd, data, size);
  // Pipes and devices cannot be synced (EINVAL); there is nothing more to wait for there.
  if (ok && fs.Fsync(fd) != 0 && errno != EINVAL) {
    ok = false;
  }
  const Written written = CloseWritten(fs, fd, ok);
  if (!written.ok) {
    std::fprintf(out, "Cannot save to %s: %s; it was rewritten in place and may be incomplete\n",
                 Shown(name.c_str()).c_str(), std::strerror(written.error));
  }
  return written.ok;
}

}  // namespace

void ReportSaveFailure(const std::string& name, int error, std::FILE* out) {
  std::fprintf(out, "Cannot save to %s: %s\n", Shown(name.c_str()).c_str(), std::strerror(error));
}

bool WriteFileSafely(const std::string& name, const char* data, std::size_t size, FileSystem& fs,
                     std::FILE* out) {
  const std::optional<Target> found = FindTarget(name, fs);
  if (!found) {
    ReportSaveFailure(name, errno, out);
    return false;
  }
  const Target& target = *found;
  if (target.exists && S_ISDIR(target.info.st_mode)) {
    ReportSaveFailure(name, EISDIR, out);
    return false;
  }
  // A rename would split other hard links off the new text, and would put a plain file where
  // a device or a pipe stood.
  const bool by_rename =
      !target.exists || (S_ISREG(target.info.st_mode) && target.info.st_nlink <= 1);
  if (by_rename) {
    // A rename needs only the directory's permission; the file's own must still be honoured.
    if (target.exists && !CanOpen(target.path, O_WRONLY | O_NOFOLLOW | O_NONBLOCK, fs)) {
      ReportSaveFailure(name, errno, out);
      return false;
    }
    switch (ReplaceByRename(name, target, data, size, fs, out)) {
      case Outcome::kDone:
        return true;
      case Outcome::kFailed:
        return false;
      case Outcome::kInPlace:
        break;
    }
  }
  return WriteInPlace(name, target, data, size, fs, out);
}

}  // namespace brenik

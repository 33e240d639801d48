// SPDX-License-Identifier: MIT
#include "files/replace.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <optional>

#include "files/paths.h"
#include "term/io.h"

namespace brenik {

namespace {

// As many links as the kernel itself follows before it gives up with ELOOP.
constexpr int kMaxLinkDepth = 40;
constexpr const char* kTempPrefix = ".brenik-save-";

// What a save replaces: the name with every symbolic link followed.
struct Target {
  std::string path;
  bool exists = false;
  struct stat info = {};
};

// A link that another user planted in a folder anyone may write to, with the sticky bit that
// says entries belong to their owners: following it would let that user pick what is replaced.
bool IsForeignLink(const std::string& link, const struct stat& info, FileSystem& fs) {
  if (info.st_uid == geteuid()) {
    return false;
  }
  struct stat folder = {};
  if (fs.Stat(DirectoryOf(link).c_str(), &folder) != 0) {
    return false;
  }
  return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0 &&
         info.st_uid != folder.st_uid;
}

// Nothing when the name cannot be followed to a file or to a free name: then a line has said
// why.
std::optional<Target> FindTarget(const std::string& name, FileSystem& fs, std::FILE* out) {
  std::string path = name;
  for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
    struct stat info = {};
    if (fs.Lstat(path.c_str(), &info) != 0) {
      if (errno != ENOENT) {
        ReportSaveFailure(name, errno, out);
        return std::nullopt;
      }
      // A dangling link: the save creates the file it points to, as a plain write would.
      return Target{path, false, {}};
    }
    if (!S_ISLNK(info.st_mode)) {
      return Target{path, true, info};
    }
    if (IsForeignLink(path, info, fs)) {
      std::fprintf(out,
                   "Cannot save to %s: the link %s belongs to another user in a shared folder, "
                   "so it is not followed\n",
                   Shown(name.c_str()).c_str(), Shown(path.c_str()).c_str());
      return std::nullopt;
    }
    char link[PATH_MAX];
    const ssize_t got = fs.Readlink(path.c_str(), link, sizeof link);
    if (got <= 0 || static_cast<std::size_t>(got) == sizeof link) {
      ReportSaveFailure(name, got < 0 ? errno : got == 0 ? ENOENT : ENAMETOOLONG, out);
      return std::nullopt;
    }
    const std::string to(link, static_cast<std::size_t>(got));
    path = to[0] == '/' ? to : DirectoryOf(path) + "/" + to;
  }
  ReportSaveFailure(name, ELOOP, out);
  return std::nullopt;
}

// Removes a temporary file after a failure; says so when even that fails.
void Discard(const std::string& temp, FileSystem& fs, std::FILE* out) {
  if (fs.Unlink(temp.c_str()) != 0) {
    std::fprintf(out, "Cannot remove the temporary file %s: %s\n", Shown(temp.c_str()).c_str(),
                 std::strerror(errno));
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

// Puts what was written on the disk and stamps it; false with errno set.
bool SyncAndStamp(FileSystem& fs, int fd, FileStamp& stamp) {
  struct stat info = {};
  if (fs.Fsync(fd) != 0 || fs.Fstat(fd, &info) != 0) {
    return false;
  }
  stamp = FileStamp::Of(info);
  return true;
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

// Renames that fail where the file itself may still be written: a file mounted over, another
// file system, or a sticky folder that keeps another user's file from being replaced.
bool InPlaceMayWork(int error) {
  return error == EBUSY || error == EXDEV || error == EPERM || error == EACCES;
}

Outcome ReplaceByRename(const std::string& name, const Target& target, Payload& payload,
                        FileSystem& fs, std::FILE* out, FileStamp& stamp) {
  const std::string directory = DirectoryOf(target.path);
  const unsigned long long seed = UniqueSeed();
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < kFreshAttempts && fd < 0; ++attempt) {
    char suffix[9];
    UniqueSuffix(seed, attempt, suffix);
    temp = InFolder(directory, kTempPrefix + std::string(suffix));
    // A new file gets what a plain create gives (0666 less the umask); an existing file's own
    // mode is set below, and until then nobody else may read the text.
    fd = fs.Open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW,
                 target.exists ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) {
      break;
    }
    // Held until the file is renamed and closed, the lock tells a later session that this file
    // is still being written. One that a cleaning session took first is that session's to
    // remove.
    if (fd >= 0 && fs.Flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
      static_cast<void>(fs.Close(fd));
      fd = -1;
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
  const bool written = payload.WriteTo(fs, fd) && SyncAndStamp(fs, fd, stamp);
  const bool renamed = written && fs.Rename(temp.c_str(), target.path.c_str()) == 0;
  const int error = errno;
  // Once synced the text is safe, so whatever the close says is of no more consequence.
  static_cast<void>(fs.Close(fd));
  if (!renamed) {
    Discard(temp, fs, out);
    if (written && target.exists && InPlaceMayWork(error)) {
      return Outcome::kInPlace;
    }
    ReportSaveFailure(name, error, out);
    return Outcome::kFailed;
  }
  // The rename is durable only once the folder's entry itself reaches the disk.
  SyncFolder(directory.c_str(), fs);
  return Outcome::kDone;
}

// Failures of the reservation that say only that this file system cannot reserve room: the
// text is then written without it.
bool CannotReserve(int error) { return error == EOPNOTSUPP || error == ENOSYS || error == EINVAL; }

// Overwrites a regular file in place. Room for the new text is reserved first, so a full disk,
// a quota or a size limit fails while the old text is still whole; what fails after the first
// old byte is overwritten leaves the file damaged.
Replaced OverwriteRegular(const std::string& name, int fd, const struct stat& info,
                          Payload& payload, FileSystem& fs, std::FILE* out, FileStamp& stamp) {
  const off_t length = static_cast<off_t>(payload.size());
  if (length > 0 && fs.Reserve(fd, length) != 0 && !CannotReserve(errno)) {
    const int error = errno;
    // A reservation that failed halfway may have lengthened the file; one that did not must
    // leave even its time alone.
    struct stat now = {};
    if (fs.Fstat(fd, &now) == 0 && now.st_size != info.st_size) {
      static_cast<void>(fs.Ftruncate(fd, info.st_size));
    }
    static_cast<void>(fs.Close(fd));
    ReportSaveFailure(name, error, out);
    return Replaced::kFailed;
  }
  const bool ok =
      payload.WriteTo(fs, fd) && fs.Ftruncate(fd, length) == 0 && SyncAndStamp(fs, fd, stamp);
  const int error = errno;
  static_cast<void>(fs.Close(fd));
  if (!ok) {
    std::fprintf(out, "Cannot save to %s: %s; the file on disk is damaged\n",
                 Shown(name.c_str()).c_str(), std::strerror(error));
    return Replaced::kDamaged;
  }
  return Replaced::kDone;
}

Replaced WriteInPlace(const std::string& name, const Target& target, Payload& payload,
                      FileSystem& fs, std::FILE* out, FileStamp& stamp) {
  if (target.exists && S_ISFIFO(target.info.st_mode)) {
    // A plain open waits for a reader, which may never come; without one this fails at once.
    if (!CanOpen(target.path, O_WRONLY | O_NONBLOCK, fs)) {
      ReportSaveFailure(name, errno, out);
      return Replaced::kFailed;
    }
  }
  const int fd = fs.Open(target.path.c_str(), O_WRONLY | O_CREAT, 0666);
  struct stat info = {};
  if (fd < 0 || fs.Fstat(fd, &info) != 0) {
    const int error = errno;
    if (fd >= 0) {
      static_cast<void>(fs.Close(fd));
    }
    ReportSaveFailure(name, error, out);
    return Replaced::kFailed;
  }
  if (S_ISREG(info.st_mode)) {
    return OverwriteRegular(name, fd, info, payload, fs, out, stamp);
  }
  // A pipe or a device has no old text to keep. Neither can be synced (EINVAL); there is
  // nothing more to wait for there.
  bool ok = payload.WriteTo(fs, fd);
  if (ok && fs.Fsync(fd) != 0 && errno != EINVAL) {
    ok = false;
  }
  const int error = errno;
  static_cast<void>(fs.Close(fd));
  if (!ok) {
    ReportSaveFailure(name, error, out);
    return Replaced::kFailed;
  }
  stamp = FileStamp::Of(info);
  return Replaced::kDone;
}

}  // namespace

void ReportSaveFailure(const std::string& name, int error, std::FILE* out) {
  std::fprintf(out, "Cannot save to %s: %s\n", Shown(name.c_str()).c_str(), std::strerror(error));
}

Replaced WriteFileSafely(const std::string& name, Payload& payload, FileSystem& fs, std::FILE* out,
                         FileStamp& stamp) {
  const std::optional<Target> found = FindTarget(name, fs, out);
  if (!found) {
    return Replaced::kFailed;
  }
  const Target& target = *found;
  if (target.exists && S_ISDIR(target.info.st_mode)) {
    ReportSaveFailure(name, EISDIR, out);
    return Replaced::kFailed;
  }
  // A rename would split other hard links off the new text, and would put a plain file where
  // a device or a pipe stood.
  const bool by_rename =
      !target.exists || (S_ISREG(target.info.st_mode) && target.info.st_nlink <= 1);
  if (by_rename) {
    // A rename needs only the directory's permission; the file's own must still be honoured.
    if (target.exists && !CanOpen(target.path, O_WRONLY | O_NOFOLLOW | O_NONBLOCK, fs)) {
      ReportSaveFailure(name, errno, out);
      return Replaced::kFailed;
    }
    switch (ReplaceByRename(name, target, payload, fs, out, stamp)) {
      case Outcome::kDone:
        return Replaced::kDone;
      case Outcome::kFailed:
        return Replaced::kFailed;
      case Outcome::kInPlace:
        break;
    }
  }
  return WriteInPlace(name, target, payload, fs, out, stamp);
}

void RemoveStaleTemporaries(const std::string& folder, FileSystem& fs, Listings& listings) {
  const std::string prefix = kTempPrefix;
  for (const std::string& name : listings.Names(folder)) {
    if (name.compare(0, prefix.size(), prefix) != 0 ||
        !IsUniqueSuffix(name.substr(prefix.size()))) {
      continue;
    }
    const std::string path = InFolder(folder, name);
    const int fd = fs.Open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0);
    if (fd < 0) {
      continue;
    }
    struct stat info = {};
    // Only this user's, and only when no session holds the lock that a save keeps on it.
    if (fs.Fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == geteuid() &&
        fs.Flock(fd, LOCK_EX | LOCK_NB) == 0) {
      static_cast<void>(fs.Unlink(path.c_str()));
    }
    static_cast<void>(fs.Close(fd));
  }
}

}  // namespace brenik

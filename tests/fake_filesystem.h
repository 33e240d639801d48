// An in-memory file system and a scripted console: the editor runs without touching the disk,
// the terminal or the shell, and any call can be made to fail on purpose.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/io.h"
#include "files/filesystem.h"

namespace brenik::testing {

/// Files, directories, symbolic links, pipes and devices with modes, owners and link counts,
/// checked the way the kernel checks them for the current user (root passes every check).
/// Paths are absolute or relative to the working directory, "/" at first, which like every
/// entry made by the builders belongs to the current user (uid 1000, gid 1000 by default).
class FakeFileSystem : public FileSystem {
 public:
  enum class Op {
    kOpen,
    kRead,
    kWrite,
    kFsync,
    kClose,
    kFstat,
    kStat,
    kLstat,
    kReadlink,
    kRename,
    kUnlink,
    kFchmod,
    kFchown,
    kSystem,
  };

  /// One injected fault. Calls of `op` whose path contains `path` are counted from the moment
  /// the fault is added; the `nth` of them (and every later one when `and_after`) misbehaves.
  /// Calls on a descriptor match by the path it was opened with.
  struct Fault {
    Op op = Op::kOpen;
    int nth = 1;
    bool and_after = false;
    /// The call fails with this errno ...
    int error = EIO;
    /// ... unless this is set: then a Read or Write moves at most this many bytes instead.
    std::size_t limit = kNoLimit;
    std::string path;
  };

  /// A call as it reached the file system, for tests that check what was done in what order.
  struct Call {
    Op op;
    std::string path;
    int flags = 0;
  };

  static constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

  FakeFileSystem();
  ~FakeFileSystem() override;

  // FileSystem
  int Open(const char* path, int flags, mode_t mode) override;
  ssize_t Read(int fd, void* buffer, std::size_t size) override;
  ssize_t Write(int fd, const void* buffer, std::size_t size) override;
  int Fsync(int fd) override;
  int Close(int fd) override;
  int Fstat(int fd, struct stat* info) override;
  int Stat(const char* path, struct stat* info) override;
  int Lstat(const char* path, struct stat* info) override;
  ssize_t Readlink(const char* path, char* buffer, std::size_t size) override;
  int Rename(const char* from, const char* to) override;
  int Unlink(const char* path) override;
  int Fchmod(int fd, mode_t mode) override;
  int Fchown(int fd, uid_t owner, gid_t group) override;
  /// Only records the command line; returns 0.
  int System(const char* command) override;

  // Building the tree. Missing parent directories are made with mode 0755 (links are not
  // followed on the way); the new entry belongs to the current user and replaces nothing.
  void AddFile(const std::string& path, std::string_view content, mode_t mode = 0644);
  void AddDirectory(const std::string& path, mode_t mode = 0755);
  void AddSymlink(const std::string& path, const std::string& target);
  void AddHardLink(const std::string& existing, const std::string& path);
  /// A named pipe (S_IFIFO) or a device (S_IFCHR, S_IFBLK); writes to it are kept as content.
  void AddSpecial(const std::string& path, mode_t type_and_mode);
  void SetOwner(const std::string& path, uid_t owner, gid_t group);

  // Looking, without counting as calls and without permission checks.
  bool Exists(const std::string& path) const;  // the name itself, links not followed
  /// The content of the file the path leads to, links followed; nullopt when there is none.
  /// `synced`: as of the file's last Fsync, which is what a crash right now would leave.
  std::optional<std::string> Content(const std::string& path, bool synced = false) const;
  /// The full st_mode of the name itself (links not followed), 0 when missing.
  mode_t Mode(const std::string& path) const;
  std::optional<struct stat> Info(const std::string& path, bool follow = true) const;
  /// The names in a directory, sorted; empty when it is not one.
  std::vector<std::string> List(const std::string& directory) const;

  // Who the process is and what limits it meets.
  void SetUser(uid_t uid, gid_t gid) {
    uid_ = uid;
    gid_ = gid;
  }
  void set_umask(mode_t mask) { umask_ = mask & 0777; }
  void SetWorkingDirectory(const std::string& path);
  /// Total bytes all regular files may hold; a write beyond fails with ENOSPC after a part.
  void set_capacity(std::size_t bytes) { capacity_ = bytes; }
  /// The largest offset a write may reach, as RLIMIT_FSIZE; beyond it EFBIG after a part.
  void set_file_size_limit(std::size_t bytes) { file_size_limit_ = bytes; }

  // Faults.
  void AddFault(const Fault& fault);
  void FailNth(Op op, int nth, int error, const std::string& path = "");
  void FailAll(Op op, int error, const std::string& path = "");
  void LimitNth(Op op, int nth, std::size_t limit, const std::string& path = "");
  void ClearFaults() { faults_.clear(); }

  // What happened.
  int Calls(Op op) const;
  const std::vector<Call>& calls() const { return calls_; }
  const std::vector<std::string>& commands() const { return commands_; }
  int OpenDescriptors() const { return static_cast<int>(descriptors_.size()); }
  /// Called before every call is carried out, faults included.
  std::function<void(Op, const std::string&)> before_call;

 private:
  struct Inode;
  struct Descriptor {
    int inode = 0;
    int flags = 0;
    std::size_t offset = 0;
    std::string path;
  };
  struct Outcome {
    bool fail = false;
    int error = 0;
    std::size_t limit = kNoLimit;
  };

  Outcome Begin(Op op, const std::string& path, int flags = 0);
  int StatPath(Op op, const char* path, struct stat* info);
  int NewInode(mode_t mode);
  Inode& At(int inode) { return *inodes_.at(inode); }
  const Inode& At(int inode) const { return *inodes_.at(inode); }
  bool Allowed(const Inode& node, int want) const;
  // Path walking; -1 with errno set on failure.
  // `checked`: the process's own lookup, which directory permissions can stop.
  int Walk(const std::string& path, bool follow, int depth = 0, bool checked = true) const;
  int WalkParent(const std::string& path, std::string& name, int depth = 0) const;
  std::string PathOf(int directory) const;
  int OpenAt(const std::string& path, int flags, mode_t mode, int depth);
  void Link(int directory, const std::string& name, int inode);
  void Unref(int inode);
  std::size_t Used() const;
  int Fail(int error) const;
  void FillStat(int inode, struct stat* info) const;
  int MakeEntry(const std::string& path, mode_t mode);
  Descriptor& Use(int fd);

  std::map<int, std::unique_ptr<Inode>> inodes_;
  std::map<int, Descriptor> descriptors_;
  std::vector<std::pair<Fault, int>> faults_;  // with the matching calls seen so far
  std::vector<Call> calls_;
  std::vector<std::string> commands_;
  int next_inode_ = 1;
  int root_ = 0;
  int cwd_ = 0;
  uid_t uid_ = 1000;
  gid_t gid_ = 1000;
  mode_t umask_ = 022;
  std::size_t capacity_ = kNoLimit;
  std::size_t file_size_limit_ = kNoLimit;
};

/// Standard input from a script and standard output into memory, bound to an Io.
class ScriptedIo {
 public:
  explicit ScriptedIo(const std::string& script);
  ~ScriptedIo();
  ScriptedIo(const ScriptedIo&) = delete;
  ScriptedIo& operator=(const ScriptedIo&) = delete;

  Io& io() { return io_; }
  /// Everything printed so far.
  std::string output();
  /// What has reached the stream's memory so far, without flushing it.
  std::string shown() const { return buffer_ == nullptr ? "" : std::string(buffer_, size_); }
  /// What the script still holds, unread.
  std::string rest();

 private:
  std::string script_;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  Io io_;
};

}  // namespace brenik::testing

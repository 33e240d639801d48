#include "fake_filesystem.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace brenik::testing {

namespace {

// As many links as Linux follows in one lookup.
constexpr int kMaxLinks = 40;
constexpr int kFirstDescriptor = 3;

struct Split {
  std::vector<std::string> parts;
  bool absolute = false;
  bool trailing_slash = false;
};

Split SplitPath(const std::string& path) {
  Split split;
  split.absolute = !path.empty() && path[0] == '/';
  split.trailing_slash = path.size() > 1 && path.back() == '/';
  std::size_t at = 0;
  while (at < path.size()) {
    const std::size_t slash = path.find('/', at);
    const std::size_t end = slash == std::string::npos ? path.size() : slash;
    if (end > at) {
      split.parts.push_back(path.substr(at, end - at));
    }
    at = end + 1;
  }
  return split;
}

int Error(int error) {
  errno = error;
  return -1;
}

}  // namespace

struct FakeFileSystem::Inode {
  mode_t mode = 0;
  uid_t uid = 0;
  gid_t gid = 0;
  nlink_t nlink = 0;
  int open = 0;
  int parent = 0;
  std::string data;  // a file's bytes, or a link's target
  std::string synced;
  std::map<std::string, int> entries;
};

FakeFileSystem::FakeFileSystem() {
  // The root belongs to the user, so that tests can work in it without further setup.
  root_ = NewInode(S_IFDIR | 0755);
  At(root_).nlink = 2;
  At(root_).parent = root_;
  cwd_ = root_;
}

FakeFileSystem::~FakeFileSystem() = default;

int FakeFileSystem::NewInode(mode_t mode) {
  const int number = next_inode_++;
  auto node = std::make_unique<Inode>();
  node->mode = mode;
  node->uid = uid_;
  node->gid = gid_;
  inodes_[number] = std::move(node);
  return number;
}

int FakeFileSystem::Fail(int error) const { return Error(error); }

bool FakeFileSystem::Allowed(const Inode& node, int want) const {
  if (uid_ == 0) {
    return true;
  }
  int bits = static_cast<int>(node.mode) & 07;
  if (node.uid == uid_) {
    bits = (static_cast<int>(node.mode) >> 6) & 07;
  } else if (node.gid == gid_) {
    bits = (static_cast<int>(node.mode) >> 3) & 07;
  }
  return (bits & want) == want;
}

// Resolves a path to an inode; permissions are checked only for the process's own calls.
int FakeFileSystem::Walk(const std::string& path, bool follow, int depth, bool checked) const {
  if (path.empty()) {
    return Error(ENOENT);
  }
  if (depth > kMaxLinks) {
    return Error(ELOOP);
  }
  const Split split = SplitPath(path);
  int current = split.absolute ? root_ : cwd_;
  for (std::size_t i = 0; i < split.parts.size(); ++i) {
    const Inode& directory = At(current);
    if (!S_ISDIR(directory.mode)) {
      return Error(ENOTDIR);
    }
    if (checked && !Allowed(directory, 1)) {
      return Error(EACCES);
    }
    const std::string& part = split.parts[i];
    if (part == ".") {
      continue;
    }
    if (part == "..") {
      current = directory.parent;
      continue;
    }
    const auto entry = directory.entries.find(part);
    if (entry == directory.entries.end()) {
      return Error(ENOENT);
    }
    int next = entry->second;
    const bool last = i + 1 == split.parts.size();
    if (S_ISLNK(At(next).mode) && (!last || follow || split.trailing_slash)) {
      const std::string& target = At(next).data;
      const std::string from = target[0] == '/' ? target : PathOf(current) + "/" + target;
      next = Walk(from, true, depth + 1, checked);
      if (next < 0) {
        return -1;
      }
    }
    current = next;
  }
  if (split.trailing_slash && !S_ISDIR(At(current).mode)) {
    return Error(ENOTDIR);
  }
  return current;
}

int FakeFileSystem::WalkParent(const std::string& path, std::string& name, int depth) const {
  Split split = SplitPath(path);
  if (split.parts.empty()) {
    return Error(path.empty() ? ENOENT : EBUSY);
  }
  name = split.parts.back();
  if (name == "." || name == "..") {
    return Error(EINVAL);
  }
  split.parts.pop_back();
  std::string parent = split.absolute ? "/" : ".";
  for (const std::string& part : split.parts) {
    parent += "/" + part;
  }
  const int directory = Walk(parent, true, depth);
  if (directory < 0) {
    return -1;
  }
  if (!S_ISDIR(At(directory).mode)) {
    return Error(ENOTDIR);
  }
  if (!Allowed(At(directory), 1)) {
    return Error(EACCES);
  }
  return directory;
}

std::string FakeFileSystem::PathOf(int directory) const {
  if (directory == root_) {
    return "/";
  }
  const int parent = At(directory).parent;
  for (const auto& [name, inode] : At(parent).entries) {
    if (inode == directory) {
      const std::string above = PathOf(parent);
      return above == "/" ? "/" + name : above + "/" + name;
    }
  }
  throw std::logic_error("directory without a name");
}

void FakeFileSystem::Link(int directory, const std::string& name, int inode) {
  At(directory).entries[name] = inode;
  ++At(inode).nlink;
  if (S_ISDIR(At(inode).mode)) {
    At(inode).parent = directory;
    ++At(inode).nlink;  // its own "."
    ++At(directory).nlink;
  }
}

void FakeFileSystem::Unref(int inode) {
  Inode& node = At(inode);
  if (node.nlink == 0 && node.open == 0) {
    inodes_.erase(inode);
  }
}

std::size_t FakeFileSystem::Used() const {
  std::size_t used = 0;
  for (const auto& [number, node] : inodes_) {
    if (S_ISREG(node->mode)) {
      used += node->data.size();
    }
  }
  return used;
}

void FakeFileSystem::FillStat(int inode, struct stat* info) const {
  const Inode& node = At(inode);
  std::memset(info, 0, sizeof *info);
  info->st_dev = 1;
  info->st_ino = static_cast<ino_t>(inode);
  info->st_mode = node.mode;
  info->st_nlink = node.nlink;
  info->st_uid = node.uid;
  info->st_gid = node.gid;
  info->st_size = S_ISDIR(node.mode) ? 4096 : static_cast<off_t>(node.data.size());
  info->st_blksize = 4096;
  info->st_blocks = static_cast<blkcnt_t>((node.data.size() + 511) / 512);
}

FakeFileSystem::Outcome FakeFileSystem::Begin(Op op, const std::string& path, int flags) {
  calls_.push_back({op, path, flags});
  if (before_call) {
    before_call(op, path);
  }
  Outcome outcome;
  for (auto& [fault, seen] : faults_) {
    if (fault.op != op || path.find(fault.path) == std::string::npos) {
      continue;
    }
    ++seen;
    if (seen == fault.nth || (fault.and_after && seen > fault.nth)) {
      if (fault.limit != kNoLimit) {
        outcome.limit = std::min(outcome.limit, fault.limit);
      } else {
        outcome.fail = true;
        outcome.error = fault.error;
      }
    }
  }
  return outcome;
}

// The editor never hands back a descriptor it does not hold; if it did, the test stops here.
FakeFileSystem::Descriptor& FakeFileSystem::Use(int fd) { return descriptors_.at(fd); }

int FakeFileSystem::Open(const char* path, int flags, mode_t mode) {
  const Outcome outcome = Begin(Op::kOpen, path, flags);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  return OpenAt(path, flags, mode, 0);
}

int FakeFileSystem::OpenAt(const std::string& path, int flags, mode_t mode, int depth) {
  const int access = flags & O_ACCMODE;
  int inode = -1;
  bool created = false;
  if ((flags & O_CREAT) != 0) {
    std::string name;
    const int directory = WalkParent(path, name, depth);
    if (directory < 0) {
      return -1;
    }
    const auto entry = At(directory).entries.find(name);
    if (entry != At(directory).entries.end()) {
      if ((flags & O_EXCL) != 0) {
        return Fail(EEXIST);
      }
      inode = entry->second;
      if (S_ISLNK(At(inode).mode)) {
        if ((flags & O_NOFOLLOW) != 0 || depth >= kMaxLinks) {
          return Fail(ELOOP);
        }
        const std::string& target = At(inode).data;
        return OpenAt(target[0] == '/' ? target : PathOf(directory) + "/" + target, flags, mode,
                      depth + 1);
      }
    } else {
      if (!Allowed(At(directory), 3)) {
        return Fail(EACCES);
      }
      inode = NewInode(S_IFREG | (mode & ~umask_ & 07777));
      Link(directory, name, inode);
      created = true;
    }
  } else {
    inode = Walk(path, (flags & O_NOFOLLOW) == 0);
    if (inode < 0) {
      return -1;
    }
    if (S_ISLNK(At(inode).mode)) {
      return Fail(ELOOP);
    }
  }
  Inode& node = At(inode);
  if (S_ISDIR(node.mode) && access != O_RDONLY) {
    return Fail(EISDIR);
  }
  if ((flags & O_DIRECTORY) != 0 && !S_ISDIR(node.mode)) {
    return Fail(ENOTDIR);
  }
  if (!created) {
    if (access != O_WRONLY && !Allowed(node, 4)) {
      return Fail(EACCES);
    }
    if (access != O_RDONLY && !Allowed(node, 2)) {
      return Fail(EACCES);
    }
  }
  if (S_ISFIFO(node.mode) && access == O_WRONLY && (flags & O_NONBLOCK) != 0) {
    return Fail(ENXIO);  // no reader on the other end
  }
  if ((flags & O_TRUNC) != 0 && access != O_RDONLY && S_ISREG(node.mode)) {
    node.data.clear();
  }
  int fd = kFirstDescriptor;
  while (descriptors_.count(fd) != 0) {
    ++fd;
  }
  descriptors_[fd] = {inode, flags, 0, path};
  ++node.open;
  return fd;
}

ssize_t FakeFileSystem::Read(int fd, void* buffer, std::size_t size) {
  Descriptor& d = Use(fd);
  const Outcome outcome = Begin(Op::kRead, d.path);
  if ((d.flags & O_ACCMODE) == O_WRONLY) {
    return Fail(EBADF);
  }
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  const Inode& node = At(d.inode);
  if (S_ISDIR(node.mode)) {
    return Fail(EISDIR);
  }
  const std::size_t available = node.data.size() > d.offset ? node.data.size() - d.offset : 0;
  const std::size_t count = std::min({size, outcome.limit, available});
  std::memcpy(buffer, node.data.data() + d.offset, count);
  d.offset += count;
  return static_cast<ssize_t>(count);
}

ssize_t FakeFileSystem::Write(int fd, const void* buffer, std::size_t size) {
  Descriptor& d = Use(fd);
  const Outcome outcome = Begin(Op::kWrite, d.path);
  if ((d.flags & O_ACCMODE) == O_RDONLY) {
    return Fail(EBADF);
  }
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  Inode& node = At(d.inode);
  std::size_t count = std::min(size, outcome.limit);
  if (!S_ISREG(node.mode)) {
    node.data.append(static_cast<const char*>(buffer), count);
    return static_cast<ssize_t>(count);
  }
  if (count > 0 && d.offset >= file_size_limit_) {
    return Fail(EFBIG);
  }
  if (file_size_limit_ != kNoLimit) {
    count = std::min(count, file_size_limit_ - d.offset);
  }
  const std::size_t end = d.offset + count;
  if (end > node.data.size() && capacity_ != kNoLimit) {
    const std::size_t used = Used();
    const std::size_t free = capacity_ > used ? capacity_ - used : 0;
    if (end - node.data.size() > free) {
      const std::size_t reach = node.data.size() + free;
      count = reach > d.offset ? reach - d.offset : 0;
      if (count == 0 && size > 0) {
        return Fail(ENOSPC);
      }
    }
  }
  if (d.offset + count > node.data.size()) {
    node.data.resize(d.offset + count, '\0');
  }
  std::memcpy(node.data.data() + d.offset, buffer, count);
  d.offset += count;
  return static_cast<ssize_t>(count);
}

int FakeFileSystem::Fsync(int fd) {
  Descriptor& d = Use(fd);
  const Outcome outcome = Begin(Op::kFsync, d.path);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  Inode& node = At(d.inode);
  if (S_ISFIFO(node.mode) || S_ISCHR(node.mode)) {
    return Fail(EINVAL);
  }
  node.synced = node.data;
  return 0;
}

int FakeFileSystem::Close(int fd) {
  Descriptor& d = Use(fd);
  const Outcome outcome = Begin(Op::kClose, d.path);
  // As on Linux, the descriptor is gone even when close reports an error.
  const int inode = d.inode;
  descriptors_.erase(fd);
  --At(inode).open;
  Unref(inode);
  return outcome.fail ? Fail(outcome.error) : 0;
}

int FakeFileSystem::Fstat(int fd, struct stat* info) {
  Descriptor& d = Use(fd);
  const Outcome outcome = Begin(Op::kFstat, d.path);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  FillStat(d.inode, info);
  return 0;
}

int FakeFileSystem::StatPath(Op op, const char* path, struct stat* info) {
  const Outcome outcome = Begin(op, path);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  const int inode = Walk(path, op == Op::kStat);
  if (inode < 0) {
    return -1;
  }
  FillStat(inode, info);
  return 0;
}

int FakeFileSystem::Stat(const char* path, struct stat* info) {
  return StatPath(Op::kStat, path, info);
}

int FakeFileSystem::Lstat(const char* path, struct stat* info) {
  return StatPath(Op::kLstat, path, info);
}

ssize_t FakeFileSystem::Readlink(const char* path, char* buffer, std::size_t size) {
  const Outcome outcome = Begin(Op::kReadlink, path);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  const int inode = Walk(path, false);
  if (inode < 0) {
    return -1;
  }
  if (!S_ISLNK(At(inode).mode)) {
    return Fail(EINVAL);
  }
  const std::string& target = At(inode).data;
  const std::size_t count = std::min(size, target.size());
  std::memcpy(buffer, target.data(), count);
  return static_cast<ssize_t>(count);
}

int FakeFileSystem::Rename(const char* from, const char* to) {
  const Outcome outcome = Begin(Op::kRename, std::string(from) + " -> " + to);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  std::string from_name;
  std::string to_name;
  const int from_directory = WalkParent(from, from_name);
  if (from_directory < 0) {
    return -1;
  }
  const int to_directory = WalkParent(to, to_name);
  if (to_directory < 0) {
    return -1;
  }
  const auto source = At(from_directory).entries.find(from_name);
  if (source == At(from_directory).entries.end()) {
    return Fail(ENOENT);
  }
  if (!Allowed(At(from_directory), 3) || !Allowed(At(to_directory), 3)) {
    return Fail(EACCES);
  }
  // Only files are ever renamed here: a new file over a file or over a free name.
  const int moving = source->second;
  const auto existing = At(to_directory).entries.find(to_name);
  if (existing != At(to_directory).entries.end()) {
    const int replaced = existing->second;
    if (S_ISDIR(At(replaced).mode) || S_ISDIR(At(moving).mode)) {
      return Fail(EISDIR);
    }
    At(to_directory).entries.erase(existing);
    --At(replaced).nlink;
    Unref(replaced);
  }
  At(from_directory).entries.erase(from_name);
  At(to_directory).entries[to_name] = moving;
  return 0;
}

int FakeFileSystem::Unlink(const char* path) {
  const Outcome outcome = Begin(Op::kUnlink, path);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  std::string name;
  const int directory = WalkParent(path, name);
  if (directory < 0) {
    return -1;
  }
  const auto entry = At(directory).entries.find(name);
  if (entry == At(directory).entries.end()) {
    return Fail(ENOENT);
  }
  const int inode = entry->second;
  if (S_ISDIR(At(inode).mode)) {
    return Fail(EISDIR);
  }
  if (!Allowed(At(directory), 3)) {
    return Fail(EACCES);
  }
  At(directory).entries.erase(entry);
  --At(inode).nlink;
  Unref(inode);
  return 0;
}

int FakeFileSystem::Fchmod(int fd, mode_t mode) {
  Descriptor& d = Use(fd);
  const Outcome outcome = Begin(Op::kFchmod, d.path);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  Inode& node = At(d.inode);
  if (uid_ != 0 && node.uid != uid_) {
    return Fail(EPERM);
  }
  node.mode = (node.mode & S_IFMT) | (mode & 07777);
  return 0;
}

int FakeFileSystem::Fchown(int fd, uid_t owner, gid_t group) {
  Descriptor& d = Use(fd);
  const Outcome outcome = Begin(Op::kFchown, d.path);
  if (outcome.fail) {
    return Fail(outcome.error);
  }
  Inode& node = At(d.inode);
  const bool keep_owner = owner == static_cast<uid_t>(-1) || owner == node.uid;
  const bool keep_group = group == static_cast<gid_t>(-1) || group == node.gid;
  if (uid_ != 0 && (!keep_owner || node.uid != uid_ || (!keep_group && group != gid_))) {
    return Fail(EPERM);
  }
  if (owner != static_cast<uid_t>(-1)) {
    node.uid = owner;
  }
  if (group != static_cast<gid_t>(-1)) {
    node.gid = group;
  }
  if (S_ISREG(node.mode)) {
    node.mode &= ~static_cast<mode_t>(S_ISUID | S_ISGID);
  }
  return 0;
}

int FakeFileSystem::System(const char* command) {
  const Outcome outcome = Begin(Op::kSystem, command);
  commands_.push_back(command);
  return outcome.fail ? Fail(outcome.error) : 0;
}

int FakeFileSystem::MakeEntry(const std::string& path, mode_t mode) {
  const Split split = SplitPath(path);
  if (split.parts.empty()) {
    throw std::logic_error("no name in " + path);
  }
  int directory = split.absolute ? root_ : cwd_;
  for (std::size_t i = 0; i + 1 < split.parts.size(); ++i) {
    const std::string& part = split.parts[i];
    auto entry = At(directory).entries.find(part);
    if (entry == At(directory).entries.end()) {
      const int made = NewInode(S_IFDIR | 0755);
      Link(directory, part, made);
      directory = made;
      continue;
    }
    directory = entry->second;
    if (!S_ISDIR(At(directory).mode)) {
      throw std::logic_error("not a directory on the way to " + path);
    }
  }
  if (At(directory).entries.count(split.parts.back()) != 0) {
    throw std::logic_error(path + " exists already");
  }
  const int inode = NewInode(mode);
  Link(directory, split.parts.back(), inode);
  return inode;
}

void FakeFileSystem::AddFile(const std::string& path, std::string_view content, mode_t mode) {
  Inode& node = At(MakeEntry(path, S_IFREG | (mode & 07777)));
  node.data = content;
  node.synced = node.data;
}

void FakeFileSystem::AddDirectory(const std::string& path, mode_t mode) {
  MakeEntry(path, S_IFDIR | (mode & 07777));
}

void FakeFileSystem::AddSymlink(const std::string& path, const std::string& target) {
  At(MakeEntry(path, S_IFLNK | 0777)).data = target;
}

void FakeFileSystem::AddSpecial(const std::string& path, mode_t type_and_mode) {
  MakeEntry(path, type_and_mode);
}

void FakeFileSystem::AddHardLink(const std::string& existing, const std::string& path) {
  const int inode = Walk(existing, false, 0, false);
  if (inode < 0 || S_ISDIR(At(inode).mode)) {
    throw std::logic_error("cannot link to " + existing);
  }
  std::string name;
  const int directory = WalkParent(path, name);
  if (directory < 0 || At(directory).entries.count(name) != 0) {
    throw std::logic_error("cannot link as " + path);
  }
  Link(directory, name, inode);
}

void FakeFileSystem::SetOwner(const std::string& path, uid_t owner, gid_t group) {
  const int inode = Walk(path, false, 0, false);
  if (inode < 0) {
    throw std::logic_error("no " + path);
  }
  At(inode).uid = owner;
  At(inode).gid = group;
}

void FakeFileSystem::SetWorkingDirectory(const std::string& path) {
  const int inode = Walk(path, true, 0, false);
  if (inode < 0 || !S_ISDIR(At(inode).mode)) {
    throw std::logic_error("no directory " + path);
  }
  cwd_ = inode;
}

bool FakeFileSystem::Exists(const std::string& path) const { return Info(path, false).has_value(); }

std::optional<struct stat> FakeFileSystem::Info(const std::string& path, bool follow) const {
  const int saved_errno = errno;
  const int inode = Walk(path, follow, 0, false);
  errno = saved_errno;
  if (inode < 0) {
    return std::nullopt;
  }
  struct stat info;
  FillStat(inode, &info);
  return info;
}

std::optional<std::string> FakeFileSystem::Content(const std::string& path, bool synced) const {
  const std::optional<struct stat> info = Info(path, true);
  if (!info || S_ISDIR(info->st_mode)) {
    return std::nullopt;
  }
  const Inode& node = At(static_cast<int>(info->st_ino));
  return synced ? node.synced : node.data;
}

mode_t FakeFileSystem::Mode(const std::string& path) const {
  const std::optional<struct stat> info = Info(path, false);
  return info ? info->st_mode : 0;
}

std::vector<std::string> FakeFileSystem::List(const std::string& directory) const {
  std::vector<std::string> names;
  const std::optional<struct stat> info = Info(directory, true);
  if (info && S_ISDIR(info->st_mode)) {
    for (const auto& [name, inode] : At(static_cast<int>(info->st_ino)).entries) {
      names.push_back(name);
    }
  }
  return names;
}

void FakeFileSystem::AddFault(const Fault& fault) { faults_.push_back({fault, 0}); }

void FakeFileSystem::FailNth(Op op, int nth, int error, const std::string& path) {
  AddFault({op, nth, false, error, kNoLimit, path});
}

void FakeFileSystem::FailAll(Op op, int error, const std::string& path) {
  AddFault({op, 1, true, error, kNoLimit, path});
}

void FakeFileSystem::LimitNth(Op op, int nth, std::size_t limit, const std::string& path) {
  AddFault({op, nth, false, 0, limit, path});
}

int FakeFileSystem::Calls(Op op) const {
  return static_cast<int>(std::count_if(calls_.begin(), calls_.end(),
                                        [op](const Call& call) { return call.op == op; }));
}

ScriptedIo::ScriptedIo(const std::string& script) : script_(script) {
  io_.in = script_.empty() ? std::fopen("/dev/null", "r")
                           : fmemopen(script_.data(), script_.size(), "r");
  io_.out = open_memstream(&buffer_, &size_);
  if (io_.in == nullptr || io_.out == nullptr) {
    throw std::runtime_error("cannot open memory streams");
  }
}

ScriptedIo::~ScriptedIo() {
  std::fclose(io_.in);
  std::fclose(io_.out);
  std::free(buffer_);
}

std::string ScriptedIo::output() {
  std::fflush(io_.out);
  return std::string(buffer_, size_);
}

std::string ScriptedIo::rest() {
  std::string rest;
  int c;
  while ((c = std::fgetc(io_.in)) != EOF) {
    rest += static_cast<char>(c);
  }
  return rest;
}

}  // namespace brenik::testing

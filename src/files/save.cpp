// SPDX-License-Identifier: MIT
#include "files/save.h"

#include <cerrno>
#include <optional>

#include "files/emergency.h"
#include "files/format.h"
#include "files/hash.h"
#include "files/replace.h"

namespace brenik {

namespace {

// Bytes handed to write() at once: enough that a large document takes few calls, small enough
// that the save costs little memory beyond the document's own.
constexpr std::size_t kChunk = std::size_t{256} << 10;

// Lines 0 .. DocLength, each with its newline, laid out a chunk at a time as they are written,
// and hashed on the way for the journal's starting point.
class DocumentText final : public Payload {
 public:
  explicit DocumentText(const LineGrid& grid)
      : grid_(grid), last_(DocLength(grid)), size_(FormatSize(grid, last_)) {}
  std::size_t size() const override { return size_; }
  bool WriteTo(FileSystem& fs, int fd) override {
    if (!chunk_) {
      chunk_ = AllocateText(kChunk);
      if (!chunk_) {
        errno = ENOMEM;
        return false;
      }
    }
    Hasher hasher;
    const bool ok =
        WriteFormat(grid_, last_, chunk_.get(), kChunk, [&](const char* data, std::size_t count) {
          hasher.Add(data, count);
          return WriteAll(fs, fd, data, count);
        });
    hash_ = hasher.Value();
    return ok;
  }
  std::uint64_t hash() const { return hash_; }

 private:
  const LineGrid& grid_;
  int last_;
  std::size_t size_;
  TextBlock chunk_;
  std::uint64_t hash_ = 0;
};

// Lstat, not an attempt to read: a file that exists but cannot be read is still there to lose.
bool Exists(const std::string& name, FileSystem& fs) {
  struct stat info = {};
  return fs.Lstat(name.c_str(), &info) == 0;
}

// Prompts for a file name; nothing at the end of input or for a name too long, which every
// name prompt takes as no answer.
std::optional<std::string> AskName(const char* prompt, Io& io) {
  std::fputs(prompt, io.out);
  char answer[kNameLimit + 1];
  if (!Fits(ReadWhole(io, answer, kNameLimit))) {
    return std::nullopt;
  }
  return std::string(answer);
}

// True when the file under `name` may be replaced: it is as it was last loaded or saved, or
// the user answers "o" to the one line that says it is not.
bool MayReplace(const std::string& name, const FileStamp& stamp, Io& io, FileSystem& fs) {
  if (!stamp.known) {
    return true;
  }
  struct stat info = {};
  const FileStamp now =
      fs.Stat(name.c_str(), &info) == 0 ? FileStamp::Of(info) : FileStamp::Absent();
  if (now.Matches(stamp)) {
    return true;
  }
  std::fprintf(io.out,
               stamp.exists && !now.exists
                   ? "%s was removed since it was loaded or saved; enter 'o' to write it again\n"
                   : "%s changed on disk since it was loaded or saved; enter 'o' to overwrite "
                     "it\n",
               Shown(name.c_str()).c_str());
  char answer[kShortLimit + 1];
  return Answered(io, ReadLine(io, answer, kShortLimit), answer, "o");
}

}  // namespace

SaveResult Save(std::string& file_name, FileStamp& stamp, const LineGrid& grid, Io& io,
                FileSystem& fs) {
  const bool asked = file_name.empty();
  while (file_name.empty()) {
    const std::optional<std::string> name = AskName("Enter a filename to save to\n", io);
    if (!name) {
      return SaveResult::kCancelled;
    }
    file_name = *name;
  }
  if (!asked && !MayReplace(file_name, stamp, io, fs)) {
    return SaveResult::kCancelled;
  }
  DocumentText text(grid);
  FileStamp written;
  const Replaced replaced = WriteFileSafely(file_name, text, fs, io.out, written);
  if (replaced == Replaced::kDone) {
    stamp = written;
    stamp.hash = text.hash();
    std::fprintf(io.out, "Saved to %s\n", Shown(file_name.c_str()).c_str());
    return SaveResult::kSaved;
  }
  if (replaced == Replaced::kDamaged) {
    // The damaged file may be all that is left of the text outside the editor.
    static_cast<void>(RescueDocument(file_name, grid, fs, io.out));
    // The editor itself changed the file: a second try need not ask about that.
    struct stat info = {};
    stamp = fs.Stat(file_name.c_str(), &info) == 0 ? FileStamp::Of(info) : FileStamp::Absent();
  }
  if (asked) {
    file_name.clear();
  }
  return replaced == Replaced::kDamaged ? SaveResult::kDamaged : SaveResult::kFailed;
}

std::optional<std::string> DefineSaveName(Io& io, FileSystem& fs) {
  const std::optional<std::string> first =
      AskName("Enter a filename to save to, or 'x' to return\n", io);
  if (!first || *first == "x") {
    return std::nullopt;
  }
  if (!Exists(*first, fs)) {
    return first;
  }
  std::optional<std::string> name =
      AskName("The file already exists.\nEnter a new filename or 'o' to overwrite\n", io);
  if (name && *name == "o") {
    return first;
  }
  // Here every answer is a name, "o" and "x" included: only a free name ends the loop.
  while (name && Exists(*name, fs)) {
    name = AskName("File exists. Try again\n", io);
  }
  return name;
}

}  // namespace brenik

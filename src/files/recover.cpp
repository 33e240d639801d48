// SPDX-License-Identifier: MIT
#include "files/recover.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <new>
#include <optional>
#include <vector>

#include "files/emergency.h"
#include "files/hash.h"
#include "files/parse.h"
#include "files/paths.h"
#include "term/io.h"

namespace brenik {

namespace {

// A file's bytes, read whole through a descriptor; no data when it cannot be.
struct Bytes {
  TextBlock data;
  std::size_t size = 0;
};

Bytes ReadWhole(int fd, std::size_t size, FileSystem& fs) {
  Bytes bytes{AllocateText(size), size};
  std::size_t done = 0;
  while (bytes.data && done < size) {
    const ssize_t got = fs.Read(fd, bytes.data.get() + done, size - done);
    if (got <= 0) {
      return {};
    }
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

// The base file's bytes when they are still those the journal started from, by size and hash;
// none otherwise. A file only touched, or rewritten with the same bytes, still serves.
Bytes ReadBase(const JournalContents& journal, FileSystem& fs) {
  const int fd = fs.Open(journal.base_path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY, 0);
  if (fd < 0) {
    return {};
  }
  struct stat info = {};
  Bytes bytes;
  if (fs.Fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size == journal.base.size) {
    bytes = ReadWhole(fd, static_cast<std::size_t>(info.st_size), fs);
  }
  static_cast<void>(fs.Close(fd));
  if (bytes.data && HashBytes(bytes.data.get(), bytes.size) != journal.base.hash) {
    return {};
  }
  return bytes;
}

// Says what became of a journal that is left where it is.
void LeftAsItIs(const std::string& path, const char* why, std::FILE* out) {
  std::fprintf(out, "The journal %s of an ended session was left as it is: %s\n",
               Shown(path.c_str()).c_str(), why);
}

// A journal made this moment may not have its first records yet, nor its lock: it is not taken
// for a dead session's until it has been left alone this long.
constexpr time_t kSettleSeconds = 10;

// Rebuilds a dead session's journal into an emergency file, and removes the journal once the
// file holds its work; one line says what became of it. True when a file was written.
bool Rebuild(const std::string& path, const JournalContents& journal, const std::string& file_name,
             FileSystem& fs, std::FILE* out) {
  LineGrid grid;
  const Rebuilt rebuilt = grid.Allocate(journal.lines, journal.lsize)
                              ? RebuildDocument(journal, grid, fs)
                              : Rebuilt::kNoMemory;
  if (rebuilt == Rebuilt::kNoMemory) {
    LeftAsItIs(path, "there is not enough memory to rebuild its work", out);
    return false;
  }
  if (rebuilt == Rebuilt::kBaseChanged) {
    const std::string why = "the file it started from, " + journal.base_path + ", changed since";
    LeftAsItIs(path, Shown(why.c_str()).c_str(), out);
    return false;
  }
  const std::optional<EmergencyName> written = EmergencySave(file_name, grid, fs);
  if (!written) {
    LeftAsItIs(path, "its work could not be written anywhere", out);
    return false;
  }
  std::fprintf(out, "The work of an ended session was rebuilt from its journal into %s\n",
               Shown(written->text).c_str());
  static_cast<void>(fs.Unlink(path.c_str()));
  return true;
}

// What one journal file holds for the document, and whether its session still runs; true when
// its work was rebuilt into a new file.
bool RecoverOne(const std::string& path, bool beside, const std::string& absolute,
                const std::string& file_name, int max_lsize, FileSystem& fs, std::FILE* out) {
  const int fd = fs.Open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0);
  if (fd < 0) {
    return false;
  }
  struct stat info = {};
  // Another user's file, or anything but a plain file, is never read as a journal.
  if (fs.Fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid()) {
    static_cast<void>(fs.Close(fd));
    return false;
  }
  // Whoever holds the lock is a session that still runs; a free lock means a dead one.
  const bool running = fs.Flock(fd, LOCK_EX | LOCK_NB) != 0;
  bool rebuilt = false;
  try {
    const Bytes bytes = ReadWhole(fd, static_cast<std::size_t>(info.st_size), fs);
    const JournalContents journal =
        bytes.data ? ReadJournal(bytes.data.get(), bytes.size, max_lsize) : JournalContents{};
    const bool ours = bytes.size == 0 ||
                      (bytes.data && bytes.size >= sizeof kJournalMagic &&
                       std::memcmp(bytes.data.get(), kJournalMagic, sizeof kJournalMagic) == 0);
    const bool settled = info.st_mtime + kSettleSeconds < std::time(nullptr);
    if (!beside && (!journal.started || journal.name != absolute)) {
      // Under a fresh name it may be any document's; its name record tells whose.
    } else if (running) {
      if (journal.started) {
        std::fprintf(
            out, "Another session (process %d) is editing %s; each keeps its own journal\n",
            journal.pid,
            Shown(file_name.empty() ? "a document without a name" : file_name.c_str()).c_str());
      }
    } else if (!journal.started || journal.edits.empty()) {
      // Killed before its first edit was written: there is nothing to rebuild.
      if (ours && (journal.started || settled)) {
        static_cast<void>(fs.Unlink(path.c_str()));
      }
    } else {
      rebuilt = Rebuild(path, journal, file_name, fs, out);
    }
  } catch (const std::bad_alloc&) {
    LeftAsItIs(path, "there is not enough memory to rebuild its work", out);
  }
  static_cast<void>(fs.Close(fd));
  return rebuilt;
}

}  // namespace

Rebuilt RebuildDocument(const JournalContents& journal, LineGrid& grid, FileSystem& fs) {
  try {
    if (!journal.base_path.empty()) {
      Bytes base = ReadBase(journal, fs);
      if (!base.data) {
        return Rebuilt::kBaseChanged;
      }
      PlaceLines(std::move(base.data), base.size, grid);
    }
    for (const JournalStep& edit : journal.edits) {
      switch (edit.kind) {
        case RecordKind::kSet:
          grid.SetText(edit.line, {edit.text, edit.length});
          break;
        case RecordKind::kRemove:
          Delete(edit.line, grid);
          break;
        default:
          Wedge(edit.line, grid);
          break;
      }
    }
  } catch (const std::bad_alloc&) {
    // A journal may name lines far past any document this machine can hold.
    return Rebuilt::kNoMemory;
  }
  return Rebuilt::kDone;
}

bool RecoverJournals(const std::string& file_name, int max_lsize, FileSystem& fs, std::FILE* out,
                     Listings& listings) {
  const std::string absolute = Absolute(file_name, fs.CurrentFolder());
  const std::string base = JournalBaseName(file_name);
  const std::string fresh = JournalFreshBase(file_name) + "-";
  const std::string own = file_name.empty() ? "." : DirectoryOf(file_name);
  bool rebuilt = false;
  // The journal beside the document, and those under fresh names wherever one may have gone.
  for (const std::string& place : WorkPlaces(own, fs)) {
    for (const std::string& name : listings.Names(place)) {
      const bool beside = place == own && name == base;
      if (beside || (name.compare(0, fresh.size(), fresh) == 0 &&
                     IsUniqueSuffix(name.substr(fresh.size())))) {
        rebuilt =
            RecoverOne(InFolder(place, name), beside, absolute, file_name, max_lsize, fs, out) ||
            rebuilt;
      }
    }
  }
  return rebuilt;
}

}  // namespace brenik

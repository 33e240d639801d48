// SPDX-License-Identifier: MIT
#include "files/emergency.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <tuple>

#include "files/format.h"
#include "files/paths.h"

namespace brenik {

namespace {

constexpr int kMaxSuffix = 999;
constexpr const char* kUnnamed = "brenik";

// Writes lines 0 .. last in the save format through a fixed buffer: the last resort must not
// depend on memory that may be what ran out.
bool WriteDocument(FileSystem& fs, int fd, const LineGrid& grid, int last) {
  char chunk[1 << 14];
  return WriteFormat(grid, last, chunk, sizeof chunk, [&](const char* data, std::size_t size) {
    return WriteAll(fs, fd, data, size);
  });
}

// Creates `name` exclusively and writes the document; false with errno set otherwise.
bool WriteNew(const char* name, const LineGrid& grid, int last, FileSystem& fs) {
  const int fd = fs.Open(name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW, 0600);
  if (fd < 0) {
    return false;
  }
  bool ok = WriteDocument(fs, fd, grid, last) && fs.Fsync(fd) == 0;
  ok = fs.Close(fd) == 0 && ok;
  if (!ok) {
    fs.Unlink(name);
    // Writing failed in this folder: the next name there would fail the same way.
    errno = EIO;
    return false;
  }
  // The file's name must last too: the journal that also holds the work may go once it does.
  EmergencyName folder;
  std::snprintf(folder.text, sizeof folder.text, "%s", name);
  char* slash = std::strrchr(folder.text, '/');
  if (slash == nullptr) {
    std::snprintf(folder.text, sizeof folder.text, ".");
  } else {
    slash[slash == folder.text ? 1 : 0] = '\0';
  }
  SyncFolder(folder.text, fs);
  return true;
}

// Writes to the first free name of those `format` makes for tries 0, 1, ... (it returns what
// snprintf does); stops at the first error other than "exists", and at a name too long.
template <typename Format>
bool WriteFirstFree(int tries, Format format, const LineGrid& grid, int last, FileSystem& fs,
                    EmergencyName& written) {
  for (int k = 0; k < tries; ++k) {
    const int length = format(k, written.text, sizeof written.text);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof written.text) {
      return false;
    }
    if (WriteNew(written.text, grid, last, fs)) {
      return true;
    }
    if (errno != EEXIST) {
      return false;
    }
  }
  return false;
}

// base, base.1, base.2, ... base.999.
bool WriteNumbered(const char* base, const LineGrid& grid, int last, FileSystem& fs,
                   EmergencyName& written) {
  const auto format = [base](int n, char* out, std::size_t size) {
    return n == 0 ? std::snprintf(out, size, "%s", base)
                  : std::snprintf(out, size, "%s.%d", base, n);
  };
  return WriteFirstFree(kMaxSuffix + 1, format, grid, last, fs, written);
}

// Fresh names in a folder, which others cannot all have taken before: every numbered name can
// be, by anyone who may write the folder.
bool WriteUnique(const char* folder, const char* base, unsigned long long seed,
                 const LineGrid& grid, int last, FileSystem& fs, EmergencyName& written) {
  const bool here = std::strcmp(folder, ".") == 0;
  const auto format = [&](int attempt, char* out, std::size_t size) {
    char suffix[9];
    UniqueSuffix(seed, attempt, suffix);
    return here ? std::snprintf(out, size, "%s.save-%s", base, suffix)
                : std::snprintf(out, size, "%s/%s.save-%s", folder, base, suffix);
  };
  return WriteFirstFree(kFreshAttempts, format, grid, last, fs, written);
}

// The number of a numbered emergency name, base.save.N: 0 for base.save itself, none otherwise.
std::optional<int> NumberOf(const std::string& name, const std::string& stem) {
  if (name.compare(0, stem.size(), stem) != 0) {
    return std::nullopt;
  }
  const std::string rest = name.substr(stem.size());
  if (rest.empty()) {
    return 0;
  }
  if (rest.size() < 2 || rest.size() > 4 || rest[0] != '.' || rest[1] == '0' ||
      rest.find_first_not_of("0123456789", 1) != std::string::npos) {
    return std::nullopt;
  }
  return std::atoi(rest.c_str() + 1);
}

}  // namespace

std::optional<EmergencyName> EmergencySave(const std::string& file_name, const LineGrid& grid,
                                           FileSystem& fs) {
  const int last = DocLength(grid);
  EmergencyName written;
  if (!file_name.empty()) {
    char base[kNameLimit + sizeof ".save"];
    const int length = std::snprintf(base, sizeof base, "%s.save", file_name.c_str());
    if (length > 0 && static_cast<std::size_t>(length) < sizeof base &&
        WriteNumbered(base, grid, last, fs, written)) {
      return written;
    }
  }
  if (WriteNumbered("brenik.save", grid, last, fs, written)) {
    return written;
  }
  const char* slash = std::strrchr(file_name.c_str(), '/');
  const char* base = slash != nullptr ? slash + 1 : file_name.c_str();
  base = base[0] != '\0' ? base : kUnnamed;
  const unsigned long long seed = UniqueSeed();
  for (const char* folder : {".", fs.HomeFolder(), fs.TempFolder()}) {
    if (folder != nullptr && WriteUnique(folder, base, seed, grid, last, fs, written)) {
      return written;
    }
  }
  return std::nullopt;
}

bool RescueDocument(const std::string& file_name, const LineGrid& grid, FileSystem& fs,
                    std::FILE* out) {
  const std::optional<EmergencyName> written = EmergencySave(file_name, grid, fs);
  if (written) {
    std::fprintf(out, "Unsaved changes were written to %s\n", Shown(written->text).c_str());
  } else {
    std::fputs("The unsaved changes could not be written anywhere\n", out);
  }
  return written.has_value();
}

std::vector<std::string> FindEmergencyFiles(const std::string& file_name, FileSystem& fs,
                                            Listings& listings) {
  std::string base = BaseOf(file_name);
  base = base.empty() ? kUnnamed : base;
  const std::string unique = base + ".save-";
  // The numbered names are in the document's folder; the unique ones in any of the places,
  // that folder first and then the working, home and temporary folders.
  const std::string own = file_name.empty() ? "." : DirectoryOf(file_name);
  const std::vector<std::string> places = WorkPlaces(own, fs);
  // Sorted by place, then by number for the numbered names and by name for the unique ones.
  std::vector<std::tuple<std::size_t, int, std::string>> found;
  std::vector<std::pair<dev_t, ino_t>> seen;
  for (std::size_t rank = 0; rank < places.size(); ++rank) {
    const std::string& folder = places[rank];
    for (const std::string& name : listings.Names(folder)) {
      std::optional<int> number = rank == 0 ? NumberOf(name, base + ".save") : std::nullopt;
      if (!number && (rank > 0 || folder == ".") && name.compare(0, unique.size(), unique) == 0 &&
          IsUniqueSuffix(name.substr(unique.size()))) {
        number = kMaxSuffix + 1;  // after the numbered names of the same folder
      }
      const std::string path = InFolder(folder, name);
      struct stat info = {};
      if (!number || fs.Lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
          info.st_uid != geteuid()) {
        continue;
      }
      // The home or the temporary folder may be the working folder under another name.
      const std::pair<dev_t, ino_t> id{info.st_dev, info.st_ino};
      if (std::find(seen.begin(), seen.end(), id) == seen.end()) {
        seen.push_back(id);
        found.emplace_back(rank, *number, path);
      }
    }
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> paths;
  for (const auto& [rank, number, path] : found) {
    paths.push_back(path);
  }
  return paths;
}

}  // namespace brenik

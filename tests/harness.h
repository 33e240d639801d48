// Shared test helpers: temporary directories, grids from text, in-process editor sessions.
#pragma once

#include <string>
#include <vector>

#include "buffer/grid.h"
#include "files/filesystem.h"

namespace brenik::testing {

/// A fresh directory that the process works in while the object lives; removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  std::string previous_;
};

/// A grid of the given limits holding `text` from slot 0 on.
LineGrid MakeGrid(int lines, int lsize, const std::vector<std::string>& text);

/// Slot `line` as all of its lsize bytes, so stale bytes behind a terminator show.
std::string SlotBytes(const LineGrid& grid, int line);

/// `text` followed by zeros to lsize bytes: what a clean slot holding it looks like.
std::string Padded(const std::string& text, int lsize);

/// What one whole run of the editor printed, and how it ended.
struct Session {
  std::string output;
  int status = 0;
};

/// Runs start-up and the loop on `script` as standard input, with the real file system
/// unless `fs` is given. Works in the current directory: pair it with a TempDir.
Session RunSession(const std::string& script, const std::vector<std::string>& args = {},
                   FileSystem* fs = nullptr);

/// The part of an output after the n-th occurrence of `marker` (1-based), or "" if missing.
std::string After(const std::string& output, const std::string& marker, int n = 1);

}  // namespace brenik::testing

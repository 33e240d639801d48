// Shared test helpers: temporary directories, grids from text, in-process editor sessions.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "buffer/grid.h"
#include "core/editor.h"
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

/// Every slot of the grid, all lsize bytes each.
std::string GridBytes(const LineGrid& grid);

/// Whether the grid holds exactly `text` from slot 0 on and nothing else, every byte behind
/// each text zero; on failure, names the first slot that differs.
::testing::AssertionResult Holds(const LineGrid& grid, const std::vector<std::string>& text);

/// What one whole run of the editor printed, and how it ended.
struct Session {
  std::string output;
  int status = 0;
};

/// Runs start-up and the loop on `script` as standard input, with the real file system
/// unless `fs` is given. Works in the current directory: pair it with a TempDir.
Session RunSession(const std::string& script, const std::vector<std::string>& args = {},
                   FileSystem* fs = nullptr);

/// Starts the editor as `brenik ARGS...` on `ed`, already given its streams and file system,
/// and runs the loop; the exit status.
int StartAndRun(Editor& ed, const std::vector<std::string>& args);

/// A whole file's bytes, "" when it cannot be read.
std::string ReadFile(const std::string& name);
/// Writes a file with exactly these bytes.
void WriteFile(const std::string& name, const std::string& bytes);
/// How often `part` occurs in `text`, overlaps included.
int Count(const std::string& text, const std::string& part);

/// The part of an output after the n-th occurrence of `marker` (1-based), or "" if missing.
std::string After(const std::string& output, const std::string& marker, int n = 1);

/// 12 lines of at most 15 characters: small enough to look at every byte.
inline constexpr const char* kSmallRc = "max_lines=12\nmax_char=15\n";

/// Writes the settings file of the current directory.
void WriteRc(const std::string& text);

// An editor started in its own directory and kept alive, so a test can look at its state.
class Live {
 public:
  explicit Live(const std::string& rc = kSmallRc) {
    if (!rc.empty()) {
      WriteRc(rc);
    }
    out_ = open_memstream(&buffer_, &size_);
    ed.io.out = out_;
    ed.fs = &posix;
    Feed("");
    char name[] = "brenik";
    char* argv[] = {name, nullptr};
    EXPECT_EQ(StartUp(ed, 1, argv), Flow::kContinue) << "the editor did not start";
    Printed();
  }
  ~Live() {
    std::fclose(in_);
    std::fclose(out_);
    std::free(buffer_);
  }
  Live(const Live&) = delete;
  Live& operator=(const Live&) = delete;

  void Seed(const std::vector<std::string>& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
      std::memcpy(ed.grid.Slot(static_cast<int>(i)), text[i].data(), text[i].size());
    }
  }
  // One input line as the loop hands it over, with `answers` waiting on standard input.
  Flow Do(const std::string& input, const std::string& answers = "") {
    Feed(answers);
    return RunCommand(ed, input.c_str());
  }
  // The whole loop on `script`; its exit status.
  int Loop(const std::string& script) {
    Feed(script);
    return RunEditor(ed);
  }
  // What was printed since the last call.
  std::string Printed() {
    std::fflush(out_);
    std::string text(buffer_ + taken_, size_ - taken_);
    taken_ = size_;
    return text;
  }
  std::string Grid() const { return GridBytes(ed.grid); }

  TempDir dir;
  PosixFileSystem posix;
  Editor ed;

 private:
  void Feed(const std::string& text) {
    if (in_ != nullptr) {
      std::fclose(in_);
    }
    script_ = text;
    in_ = script_.empty() ? std::fopen("/dev/null", "r")
                          : fmemopen(script_.data(), script_.size(), "r");
    ed.io.in = in_;
    ed.io.ended = false;
  }

  std::string script_;
  std::FILE* in_ = nullptr;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::size_t taken_ = 0;
  std::FILE* out_ = nullptr;
};

}  // namespace brenik::testing

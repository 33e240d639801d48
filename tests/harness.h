// Shared by the tests: a fresh working directory, files as strings, and whole editor sessions
// run in-process on a script, over the real file system of that directory.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/editor.h"
#include "faulty_fs.h"

namespace brenik::testing {

/// The process works in a fresh directory while the object lives; it is removed afterwards.
class TempDir {
 public:
  TempDir() {
    std::string pattern = std::filesystem::temp_directory_path() / "brenik-test-XXXXXX";
    path_ = mkdtemp(pattern.data());
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(path_);
  }

 private:
  std::filesystem::path previous_ = std::filesystem::current_path();
  std::filesystem::path path_;
};

/// A whole file's bytes; "(none)" when there is no such file.
inline std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return in ? text.str() : "(none)";
}

inline void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

/// The document as a save would write it: lines 0 .. DocLength, each with its newline.
inline std::string SavedText(LineGrid& grid) {
  std::string text;
  const int last = DocLength(grid);
  for (int k = 0; k <= last; ++k) {
    text += static_cast<const LineGrid&>(grid).Slot(k) + std::string("\n");
  }
  return text;
}

/// What a session printed, how it ended, and the document it left.
struct Outcome {
  std::string out;
  int status = 0;
  std::string text;
};

/// Runs start-up with `args` and the loop on `script` as standard input, in this directory.
inline Outcome RunSession(const std::string& script, std::vector<std::string> args = {},
                          FileSystem* fs = nullptr) {
  FaultyFs plain;
  Editor ed;
  std::string input = script;
  char* printed = nullptr;
  std::size_t size = 0;
  ed.io.in =
      input.empty() ? std::fopen("/dev/null", "r") : fmemopen(input.data(), input.size(), "r");
  ed.io.out = open_memstream(&printed, &size);
  ed.fs = fs != nullptr ? fs : &plain;
  args.insert(args.begin(), "brenik");
  std::vector<char*> argv;
  for (std::string& arg : args) {
    argv.push_back(arg.data());
  }
  Outcome o;
  o.status =
      StartUp(ed, static_cast<int>(argv.size()), argv.data()) == Flow::kFatal ? 1 : RunEditor(ed);
  if (ed.grid.lines() > 0) {
    o.text = SavedText(ed.grid);
  }
  std::fclose(ed.io.in);
  std::fclose(ed.io.out);
  o.out.assign(printed, size);
  std::free(printed);
  return o;
}

/// Six lines of at most 15 characters, two to a page: short outputs, every limit within reach.
inline constexpr const char* kTinyRc = "max_lines=6\nmax_char=15\nlines_per_page=2\n";

}  // namespace brenik::testing

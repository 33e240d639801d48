// SPDX-License-Identifier: MIT
// Test helpers: a fresh working directory, files as strings, in-process editor sessions.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/loop.h"
#include "core/startup.h"
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
    text += std::string(grid.Text(k)) + "\n";
  }
  return text;
}

/// The editor on a script as its standard input, printing into memory, in this directory.
class Session {
 public:
  Session(const std::string& script, FileSystem& fs) {
    ed.io.in = memfd_create("script", 0);
    static_cast<void>(write(ed.io.in, script.data(), script.size()));
    lseek(ed.io.in, 0, SEEK_SET);
    ed.io.out = open_memstream(&printed_, &size_);
    ed.fs = &fs;
  }
  ~Session() {
    close(ed.io.in);
    std::fclose(ed.io.out);
    std::free(printed_);
  }
  /// Start-up as `brenik ARGS...`; the exit status when it ends the program, else -1.
  int Start(std::vector<std::string> args) {
    args.insert(args.begin(), "brenik");
    std::vector<char*> argv;
    for (std::string& arg : args) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);  // as the system ends the list
    const Flow flow = StartUp(ed, static_cast<int>(argv.size() - 1), argv.data());
    return flow == Flow::kFatal ? 1 : flow == Flow::kQuit ? 0 : -1;
  }
  std::string Printed() {
    std::fflush(ed.io.out);
    return std::string(printed_, size_);
  }
  Editor ed;

 private:
  char* printed_ = nullptr;
  std::size_t size_ = 0;
};

/// What a whole run printed, how it ended, and the document it left.
struct Outcome {
  std::string out;
  int status = 0;
  std::string text;
};

inline Outcome RunSession(const std::string& script, const std::vector<std::string>& args,
                          FileSystem& fs) {
  Session session(script, fs);
  Outcome o;
  o.status = session.Start(args);
  o.status = o.status < 0 ? RunEditor(session.ed) : o.status;
  o.text = session.ed.grid.lines() > 0 ? SavedText(session.ed.grid) : "";
  o.out = session.Printed();
  return o;
}

/// The first part `out` does not say in order (or, for "!part", says at all); "" for none.
inline std::string Unsaid(const std::string& out, const std::vector<const char*>& parts) {
  std::size_t from = 0;
  for (const char* part : parts) {
    const bool never = part[0] == '!';
    if (never ? out.find(part + 1) != std::string::npos
              : (from = out.find(part, from)) == std::string::npos) {
      return part;
    }
    from += never ? 0 : std::strlen(part);
  }
  return "";
}

/// Six lines of at most 15 characters, two to a page: short outputs, every limit within reach.
inline constexpr const char* kTinyRc = "max_lines=6\nmax_char=15\nlines_per_page=2\n";

}  // namespace brenik::testing

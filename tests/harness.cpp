#include "harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/editor.h"
#include "fake_filesystem.h"

namespace brenik::testing {

TempDir::TempDir() {
  std::string pattern = std::filesystem::temp_directory_path() / "brenik-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("mkdtemp failed");
  }
  path_ = pattern;
  previous_ = std::filesystem::current_path();
  std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::current_path(previous_, ignored);
  std::filesystem::remove_all(path_, ignored);
}

LineGrid MakeGrid(int lines, int lsize, const std::vector<std::string>& text) {
  LineGrid grid;
  if (!grid.Allocate(lines, lsize)) {
    throw std::runtime_error("grid allocation failed");
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::memcpy(grid.Slot(static_cast<int>(i)), text[i].data(), text[i].size());
  }
  return grid;
}

std::string SlotBytes(const LineGrid& grid, int line) {
  return std::string(grid.Slot(line), static_cast<std::size_t>(grid.lsize()));
}

std::string Padded(const std::string& text, int lsize) {
  std::string bytes = text;
  bytes.resize(static_cast<std::size_t>(lsize), '\0');
  return bytes;
}

std::string GridBytes(const LineGrid& grid) {
  std::string bytes;
  for (int k = 0; k < grid.lines(); ++k) {
    bytes += SlotBytes(grid, k);
  }
  return bytes;
}

namespace {

// Bytes as a C string literal would spell them, trailing zeros left out: a stale byte behind
// a line's end shows after a \x00.
std::string Quoted(std::string bytes) {
  bytes.erase(bytes.find_last_not_of('\0') + 1);
  std::string quoted = "\"";
  for (const char c : bytes) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", static_cast<unsigned char>(c));
    quoted += c >= ' ' && c < 0x7f ? std::string(1, c) : std::string(escaped);
  }
  return quoted + "\"";
}

}  // namespace

::testing::AssertionResult Holds(const LineGrid& grid, const std::vector<std::string>& text) {
  if (static_cast<int>(text.size()) > grid.lines()) {
    return ::testing::AssertionFailure()
           << text.size() << " lines for " << grid.lines() << " slots";
  }
  for (int k = 0; k < grid.lines(); ++k) {
    const std::string want = Padded(k < static_cast<int>(text.size()) ? text[k] : "", grid.lsize());
    const std::string have = SlotBytes(grid, k);
    if (have != want) {
      return ::testing::AssertionFailure()
             << "slot " << k << " holds " << Quoted(have) << " instead of " << Quoted(want);
    }
  }
  return ::testing::AssertionSuccess();
}

Session RunSession(const std::string& script, const std::vector<std::string>& args,
                   FileSystem* fs) {
  ScriptedIo console(script);
  PosixFileSystem posix;
  Session session;
  {
    Editor ed;
    ed.io = console.io();
    ed.fs = fs != nullptr ? fs : &posix;
    session.status = StartAndRun(ed, args);
  }
  session.output = console.output();
  return session;
}

int StartAndRun(Editor& ed, const std::vector<std::string>& args) {
  std::vector<std::string> owned = {"brenik"};
  owned.insert(owned.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& arg : owned) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  if (StartUp(ed, static_cast<int>(owned.size()), argv.data()) == Flow::kFatal) {
    return 1;
  }
  return RunEditor(ed);
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

int Count(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

std::string After(const std::string& output, const std::string& marker, int n) {
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) {
    at = output.find(marker, i == 0 ? 0 : at + 1);
    if (at == std::string::npos) {
      return "";
    }
  }
  return output.substr(at + marker.size());
}

void WriteRc(const std::string& text) { std::ofstream(".brenik_rc", std::ios::binary) << text; }

}  // namespace brenik::testing

#include "harness.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "core/editor.h"

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

Session RunSession(const std::string& script, const std::vector<std::string>& args,
                   FileSystem* fs) {
  std::string input = script;
  std::FILE* in =
      input.empty() ? std::fopen("/dev/null", "r") : fmemopen(input.data(), input.size(), "r");
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  if (in == nullptr || out == nullptr) {
    throw std::runtime_error("cannot open memory streams");
  }
  PosixFileSystem posix;
  Session session;
  {
    Editor ed;
    ed.io.in = in;
    ed.io.out = out;
    ed.fs = fs != nullptr ? fs : &posix;
    session.status = StartAndRun(ed, args);
  }
  std::fclose(in);
  std::fclose(out);
  session.output.assign(buffer, size);
  std::free(buffer);
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

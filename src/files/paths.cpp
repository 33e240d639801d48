// SPDX-License-Identifier: MIT
#include "files/paths.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

namespace brenik {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string InFolder(const std::string& folder, const std::string& name) {
  if (folder == ".") {
    return name;
  }
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

std::string Absolute(const std::string& name, const std::string& folder) {
  return name.empty() || name[0] == '/' || folder.empty() ? name : InFolder(folder, name);
}

unsigned long long UniqueSeed() {
  return static_cast<unsigned long long>(
             std::chrono::steady_clock::now().time_since_epoch().count()) ^
         (static_cast<unsigned long long>(getpid()) << 32);
}

void UniqueSuffix(unsigned long long seed, int attempt, char (&out)[9]) {
  const unsigned long long mixed =
      (seed + static_cast<unsigned long long>(attempt) + 1) * 0x9E3779B97F4A7C15ULL;
  std::snprintf(out, sizeof out, "%08llx", mixed >> 32);
}

bool IsUniqueSuffix(const std::string& text) {
  return text.size() == 8 && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

}  // namespace brenik

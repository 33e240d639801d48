// SPDX-License-Identifier: MIT
// Names of the files a save and an emergency save make: folders, base names, unique suffixes.
#pragma once

#include <cstddef>
#include <string>

namespace brenik {

/// The folder part of a path: "." for a bare name, "/" for a name in the root.
[[nodiscard]] std::string DirectoryOf(const std::string& path);
/// The last part of a path.
[[nodiscard]] std::string BaseOf(const std::string& path);
/// `name` inside `folder`, without a "./" in front for the working folder.
[[nodiscard]] std::string InFolder(const std::string& folder, const std::string& name);
/// A relative `name` made absolute against `folder` (the working folder); as it is when it is
/// absolute or empty, or when the folder is not known ("").
[[nodiscard]] std::string Absolute(const std::string& name, const std::string& folder);

/// How many fresh names are tried in one folder before it counts as full.
inline constexpr int kFreshAttempts = 100;

/// A seed for UniqueSuffix that differs between processes and between calls.
[[nodiscard]] unsigned long long UniqueSeed();
/// Eight hexadecimal digits for the attempt-th try of a name that others should not guess or
/// take first; `out` receives them and a terminating zero.
void UniqueSuffix(unsigned long long seed, int attempt, char (&out)[9]);
/// True when `text` is eight lower-case hexadecimal digits, as UniqueSuffix makes them.
[[nodiscard]] bool IsUniqueSuffix(const std::string& text);

}  // namespace brenik

// What the settings file can change: command keys, the grid's limits and the view.
#pragma once

#include <array>
#include <string>

namespace brenik {

inline constexpr int kCommandCount = 37;
inline constexpr int kNameSize = 16;
inline constexpr int kDefaultLines = 32767;
inline constexpr int kDefaultLsize = 256;
inline constexpr int kDefaultPageLength = 8;

using CommandNames = std::array<std::array<char, kNameSize>, kCommandCount>;
using CommandKeys = std::array<std::array<char, 2>, kCommandCount>;

/// Everything fixed at start-up before the grid exists; only the view fields change later.
struct Settings {
  CommandNames names{};
  CommandKeys keys{};
  int lines = kDefaultLines;
  int lsize = kDefaultLsize;
  int anchor = 0;
  int show_numbers = 1;
  int page_length = kDefaultPageLength;
  std::string launch_command;
  /// False while the launch command is the one the settings file gave and nobody has agreed
  /// to run it: a file in a folder may come from anyone.
  bool launch_confirmed = false;
};

}  // namespace brenik

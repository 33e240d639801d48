// SPDX-License-Identifier: MIT
// What the settings file can change: command keys, the grid's limits and the view.
#pragma once

#include <string>

#include "term/commands.h"

namespace brenik {

inline constexpr int kDefaultLines = 32767;
inline constexpr int kDefaultLsize = 256;
inline constexpr int kDefaultPageLength = 8;
/// The longest max_char taken: every working buffer and undo copy is a line long.
inline constexpr int kMaxLineLength = 1048575;

/// The command that the launch command runs, and whether the user stands behind it.
struct Launch {
  std::string command;
  /// False while the command is the one the settings file gave and nobody has agreed to run
  /// it: a file in a folder may come from anyone.
  bool confirmed = false;
};

/// Everything fixed at start-up before the grid exists; only the view fields change later.
struct Settings {
  CommandKeys keys = DefaultKeys();
  int lines = kDefaultLines;
  int lsize = kDefaultLsize;
  int anchor = 0;
  bool show_numbers = true;
  int page_length = kDefaultPageLength;
  Launch launch;
};

}  // namespace brenik

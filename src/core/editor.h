// SPDX-License-Identifier: MIT
// The editor's whole state, and what a command tells the loop.
#pragma once

#include <memory>
#include <string>

#include "buffer/grid.h"
#include "core/undo.h"
#include "files/filesystem.h"
#include "files/journal.h"
#include "files/stamp.h"
#include "settings/settings.h"
#include "term/io.h"

namespace brenik {

/// What the loop does after a command.
enum class Flow {
  kContinue,  // read the next input
  kQuit,      // the user confirmed quitting
  kFatal,     // end with status 1
  kMisused,   // the command line was wrong: end with status 2
};

struct Editor {
  Io io;
  Settings settings;
  LineGrid grid;
  Undo undo;
  Journal journal;
  FileSystem* fs = nullptr;

  int line = 0;    // cursor line, 0 .. lines - 1
  int column = 0;  // cursor column, 0 .. lsize - 1
  bool line_lock = false;
  /// Set by every edit that writes an undo record; cleared by a save or a load.
  bool modified = false;
  std::string file_name;
  /// The file under file_name as it was last loaded or saved.
  FileStamp disk;

  // Working buffers of lsize bytes each, allocated once the limits are known. Only their first
  // byte is set, so that a large max_char costs no memory until lines that long are read.
  std::unique_ptr<char[]> input;
  std::unique_ptr<char[]> insert_text;
  std::unique_ptr<char[]> jump;
  std::unique_ptr<char[]> clip;
};

}  // namespace brenik

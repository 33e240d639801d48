// SPDX-License-Identifier: MIT
// Recovery: the work of a session that was killed or lost its power, rebuilt from its journal.
#pragma once

#include <cstdio>
#include <string>

#include "buffer/grid.h"
#include "files/filesystem.h"
#include "files/journal_format.h"

namespace brenik {

enum class Rebuilt {
  kDone,         // the grid holds the journal's document
  kBaseChanged,  // the file the journal starts from is not what it was; the grid is unusable
  kNoMemory,     // the document is too large for the memory there is; the grid is unusable
};

/// Rebuilds a journal's document into `grid`, which the caller allocated with the journal's
/// shape: the file it starts from, checked against the journal's stamp and hash, then every
/// edit in order. Nothing outside the grid is changed or run.
[[nodiscard]] Rebuilt RebuildDocument(const JournalContents& journal, LineGrid& grid,
                                      FileSystem& fs);

/// For the document `file_name` ("" for none): rebuilds the work of every journal of this user
/// that an ended session left for it into a new emergency file, as the emergency save names
/// them, and then removes that journal. Prints one line for each journal rebuilt or left, and
/// one for a session on the same document that still runs. Lines longer than `max_lsize` - 1
/// make a journal unusable. True when a file was written, which `listings` do not show yet.
bool RecoverJournals(const std::string& file_name, int max_lsize, FileSystem& fs, std::FILE* out,
                     Listings& listings);

}  // namespace brenik

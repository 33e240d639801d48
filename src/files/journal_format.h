// SPDX-License-Identifier: MIT
// The journal's file: where it lives, how its records are laid out, and how they are read back.
//
// A journal is a magic number and a run of records. Each record is its payload's size (4
// bytes), its kind (1), the payload, and a check (4) over all of that, so a record torn by a
// crash or damaged later is told from a whole one. The first records say what the journal
// starts from: the grid's shape and the session (start), the document's name (name), and the
// file the document equalled at the last load or save, or an empty document (base). Then come
// the edits, each as the grid saw it: a line's new text (set), a line removed (remove) or an
// empty line opened (open), and a new name when the document's changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "files/stamp.h"

namespace brenik {

inline constexpr char kJournalMagic[8] = {'B', 'R', 'N', 'K', 'J', 'N', 'L', '1'};
/// The size, the kind and the check around a record's payload.
inline constexpr std::size_t kRecordFrame = 9;

enum class RecordKind : unsigned char { kStart = 1, kName, kBase, kSet, kRemove, kOpen };

/// The journal's name beside the document, ".NAME.brenik-journal", or ".brenik-journal" in the
/// working folder for a document without a name.
[[nodiscard]] std::string JournalPath(const std::string& doc_name);
/// The journal's name without its folder.
[[nodiscard]] std::string JournalBaseName(const std::string& doc_name);
/// What a journal that cannot have that name is called before "-" and eight hexadecimal
/// digits: the same, or ".brenik-journal" when a name that long would be too long for a folder.
/// Such a journal's name record says whose it is.
[[nodiscard]] std::string JournalFreshBase(const std::string& doc_name);

/// Lays a record out at `at`: its payload must already be at `at` + 5. Returns the record's
/// whole size.
std::size_t FrameRecord(char* at, RecordKind kind, std::size_t payload_size);

/// One edit read back from a journal.
struct JournalStep {
  RecordKind kind;
  int line;
  const char* text;  // for kSet: the line's text, inside the journal's bytes
  std::size_t length;
};

/// What a journal's whole records say, up to the first record that is torn, damaged or makes no
/// sense (a line outside the grid, a text too long or holding a zero byte).
struct JournalContents {
  bool started = false;  // the magic and the first three records were read
  int pid = 0;
  int lines = 0;
  int lsize = 0;
  std::string name;       // the document's absolute path at the last name record
  std::string base_path;  // the file the edits start from, "" for an empty document
  FileStamp base;         // that file as it was, with the hash of its bytes
  std::vector<JournalStep> edits;
};

/// Reads the records of a journal's bytes; the edits point into `data`, which must outlive
/// them. `max_lsize` bounds the line size a journal may claim.
[[nodiscard]] JournalContents ReadJournal(const char* data, std::size_t size, int max_lsize);

}  // namespace brenik

// SPDX-License-Identifier: MIT
// Any bytes as a journal, and journals whose records are whole but say anything: reading and
// rebuilding must stay inside the grid, and never crash, hang or grow without bound.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/journal_format.h"
#include "files/recover.h"
#include "session_check.h"

namespace {

// A journal of whole, checked records made of the fuzzer's bytes: a start, a name, an empty or
// named base, then edits of any kind, line and text, and a tail of raw bytes.
std::string Forge(const std::uint8_t* data, std::size_t size) {
  std::string journal(brenik::kJournalMagic, sizeof brenik::kJournalMagic);
  char record[512];
  const auto add = [&](brenik::RecordKind kind, const std::string& payload) {
    payload.copy(record + 5, payload.size());
    journal.append(record, brenik::FrameRecord(record, kind, payload.size()));
  };
  const auto i32 = [](std::int32_t v) { return std::string(reinterpret_cast<char*>(&v), 4); };
  add(brenik::RecordKind::kStart, i32(1) + i32(1 + data[0] % 40) + i32(3 + data[1] % 30));
  add(brenik::RecordKind::kName, "doc");
  add(brenik::RecordKind::kBase, (data[2] & 1) != 0 ? std::string(48, 'x') + "doc" : "");
  std::size_t at = 3;
  while (at + 3 <= size) {
    const auto kind = static_cast<brenik::RecordKind>(data[at] % 8);
    const std::size_t length = std::min<std::size_t>(data[at + 2] % 40, size - at - 3);
    add(kind, i32(static_cast<std::int8_t>(data[at + 1])) +
                  std::string(reinterpret_cast<const char*>(data) + at + 3, length));
    at += 3 + length;
  }
  return journal + std::string(reinterpret_cast<const char*>(data) + at, size - at);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const brenik::testing::TempDir directory;
  if (size < 4) {
    return 0;
  }
  const std::string bytes = (data[0] & 1) != 0
                                ? Forge(data + 1, size - 1)
                                : std::string(reinterpret_cast<const char*>(data) + 1, size - 1);
  const brenik::JournalContents journal = brenik::ReadJournal(bytes.data(), bytes.size(), 4096);
  brenik::LineGrid grid;
  // A journal may claim a grid of any shape; this one is kept small enough to check whole.
  if (!journal.started || journal.lines > 4096 || !grid.Allocate(journal.lines, journal.lsize)) {
    return 0;
  }
  brenik::testing::FaultyFs fs;
  if (brenik::RebuildDocument(journal, grid, fs) == brenik::Rebuilt::kDone &&
      brenik::testing::GridBytes(grid).empty()) {
    std::abort();
  }
  return 0;
}

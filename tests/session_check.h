// SPDX-License-Identifier: MIT
// A session from bytes (lines, line length, set-up bits, length of "doc", "doc", standard
// input), checked after every command; for the random test and the fuzzer.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/editing.h"
#include "files/recover.h"
#include "harness.h"
#include "term/commands.h"

namespace brenik::testing {

/// The lines a load places: up to a final newline or a zero byte, long lines cut into pieces.
inline std::vector<std::string> ExpectedLines(std::string text, int lsize) {
  if (!text.empty() && text.back() == '\n') {
    text.pop_back();
  }
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  const std::size_t width = static_cast<std::size_t>(lsize) - 1;
  for (std::size_t begin = 0; !text.empty();) {
    const std::size_t end = std::min(text.find('\n', begin), text.size());
    for (std::size_t at = begin; at == begin || at < end; at += width) {
      lines.push_back(text.substr(at, std::min(width, end - at)));
    }
    if (end == text.size()) {
      break;
    }
    begin = end + 1;
  }
  return lines;
}

/// Every line, each with its newline; "" once a line is longer than the grid allows or holds a
/// zero byte.
inline std::string GridBytes(const LineGrid& grid) {
  std::string bytes;
  for (int k = 0; k < grid.lines(); ++k) {
    const std::string_view text = grid.Text(k);
    if (text.size() >= static_cast<std::size_t>(grid.lsize()) ||
        text.find('\0') != std::string_view::npos) {
      return "";
    }
    bytes.append(text) += '\n';
  }
  return bytes;
}

/// What is wrong with the journal: "" when there is none and nothing is unsaved, or when it
/// rebuilds the document the editor holds.
inline std::string JournalFault(Editor& ed) {
  ed.journal.BeforeRead();
  if (ed.journal.path().empty()) {
    return ed.modified ? "unsaved changes and no journal" : "";
  }
  const std::string bytes = ReadFile(ed.journal.path());
  const JournalContents journal = ReadJournal(bytes.data(), bytes.size(), kMaxLineLength + 1);
  LineGrid grid;
  FaultyFs fs;
  if (!journal.started || !grid.Allocate(journal.lines, journal.lsize) ||
      RebuildDocument(journal, grid, fs) != Rebuilt::kDone) {
    return "the journal cannot be rebuilt";
  }
  return SavedText(grid) == SavedText(ed.grid) ? "" : "the journal rebuilds another document";
}

/// What went wrong in the session that `data` describes; "" when nothing did.
inline std::string SessionFault(const std::uint8_t* data, std::size_t size) {
  // Everything in the working directory goes: only a scratch directory of ours will do.
  if (std::filesystem::current_path().filename().string().rfind("brenik-", 0) != 0) {
    return "not in a scratch directory";
  }
  if (size < 4 || size < 4u + data[3]) {
    return "";
  }
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    std::filesystem::remove_all(entry.path());
  }
  const int lines = 1 + data[0] % 16;
  const int width = 2 + data[1] % 23;
  const std::string doc(reinterpret_cast<const char*>(data) + 4, data[3]);
  std::string rc = "max_lines=" + std::to_string(lines) + "\nmax_char=" + std::to_string(width);
  rc += (data[2] & 2) != 0 ? "\nquit=Q\nundo=q\nclip_cut=!\nsave_prompt=#\nnum_tog=s" : "";
  rc += (data[2] & 4) != 0 ? "\nlaunch_command=make" : "";
  rc += (data[2] & 8) != 0 ? "\nshow_numbers=off\n" : "\n";
  WriteFile(".brenik_rc", rc);
  WriteFile("doc", doc);
  std::string script(reinterpret_cast<const char*>(data) + 4 + data[3], size - 4 - data[3]);
  script += '\n';

  FaultyFs fs;
  Session session(script, fs);
  Editor& ed = session.ed;
  std::string fault;
  const std::vector<std::string> expected = ExpectedLines(doc, width + 1);
  // Only a load that leaves text out may ask, and only a declined question stops start-up.
  const std::size_t text_size = doc.size() - (!doc.empty() && doc.back() == '\n' ? 1 : 0);
  const bool fits =
      expected.size() <= static_cast<std::size_t>(lines) && doc.find('\0') >= text_size;
  if (session.Start((data[2] & 1) != 0 ? std::vector<std::string>{"doc"}
                                       : std::vector<std::string>{}) == 1) {
    // A declined load ends the program: no command runs after it.
    return (data[2] & 1) == 0 || fits ? "start-up failed" : "";
  }
  if ((data[2] & 1) != 0) {
    for (int k = 0; k < lines && fault.empty(); ++k) {
      const std::string want = k < static_cast<int>(expected.size()) ? expected[k] : "";
      fault = ed.grid.Text(k) == want ? "" : "line " + std::to_string(k + 1) + " loaded wrong";
    }
  }
  std::vector<char> input(static_cast<std::size_t>(width) + 1);
  Flow flow = Flow::kContinue;
  int step = 0;
  Line read = Line::kEnd;
  // A line cut off is never a command: as the loop does, it is entered as text.
  while (fault.empty() && flow == Flow::kContinue &&
         (read = ReadLine(ed.io, input.data(), width)) != Line::kEnd) {
    const std::string before = GridBytes(ed.grid);
    const std::string_view line(input.data(), ed.io.length);
    const bool undo_key = line == ed.settings.keys[kUndo].data();
    const bool opens = line == ed.settings.keys[kOpen].data();
    ed.undo.mode = UndoMode::kNone;
    if (read == Line::kLong) {
      EnterText(ed, line);
    } else {
      flow = RunCommand(ed, line);
    }
    const std::string after = GridBytes(ed.grid);
    if (after.empty() || ed.line < 0 || ed.line >= lines || ed.column < 0 || ed.column > width) {
      fault = "grid or cursor unsound after '" + std::string(input.data()) + "'";
    } else if (!undo_key && !opens && ed.undo.mode == UndoMode::kNone && after != before) {
      fault = "'" + std::string(input.data()) + "' changed the grid without an undo record";
    } else if (!undo_key && ed.undo.mode != UndoMode::kNone && (!ed.modified || ++step % 3 == 0)) {
      static_cast<void>(RunCommand(ed, ed.settings.keys[kUndo].data()));
      fault = ed.modified && GridBytes(ed.grid) == before ? "" : "undo was not exact";
    }
    fault = fault.empty() ? JournalFault(ed) : fault;
  }
  if (fault.empty() && flow == Flow::kContinue) {
    const int status = RunEditor(ed);
    const std::string out = session.Printed();
    // The name is printed as shown, so the file is looked for by its shown name. The editor
    // cannot make a folder, so the file is in this one whatever path led there: "./x.save".
    const std::string said = "\nUnsaved changes were written to ";
    const std::size_t found = out.rfind(said);
    const std::size_t at = found == std::string::npos ? out.size() : found + said.size();
    std::string printed = out.substr(at, out.find('\n', at) - at);
    printed = printed.substr(printed.rfind('/') + 1);
    bool kept = false;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
      const std::string name = entry.path().filename();
      kept =
          kept || (Shown(name.c_str()).c_str() == printed && ReadFile(name) == SavedText(ed.grid));
    }
    if (status != (ed.modified ? 1 : 0) || (ed.modified && !kept)) {
      fault = "unsaved work was not kept";
    } else if (!ed.journal.path().empty()) {
      fault = "the journal outlived the session";
    }
  }
  return fault;
}

}  // namespace brenik::testing

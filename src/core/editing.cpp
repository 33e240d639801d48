// SPDX-License-Identifier: MIT
#include "core/editing.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "buffer/edit.h"
#include "buffer/grid.h"
#include "term/keys.h"

namespace brenik {

namespace {

// Reads a 1-based line number; 0-based and unchecked, none when input ended or the answer was
// refused.
std::optional<int> AskLine(Editor& ed, const char* verb) {
  std::fprintf(ed.io.out, "%s line %i to where?\n", verb, ed.line + 1);
  const std::optional<long> answer = ReadNumber(ed.io);
  if (!answer) {
    return std::nullopt;
  }
  return static_cast<int>(*answer - 1);
}

// Reads a character count; none when input ended, the answer was refused, or the count is
// negative.
std::optional<int> AskSize(Editor& ed, const char* prompt) {
  std::fprintf(ed.io.out, "%s\n", prompt);
  const std::optional<long> answer = ReadNumber(ed.io);
  if (!answer) {
    return std::nullopt;
  }
  if (*answer < 0) {
    std::fputs("A size cannot be negative\n", ed.io.out);
    return std::nullopt;
  }
  return static_cast<int>(*answer);
}

void Record(Editor& ed, UndoMode mode, int first, int second = 0) {
  ed.undo.mode = mode;
  ed.undo.first = first;
  ed.undo.second = second;
  ed.modified = true;
  NoteInJournal(mode, first, second, false, ed.grid, ed.journal);
}

void SaveLineForUndo(Editor& ed) { StoreUndo(ed.undo, ed.line, ed.grid); }

void CopyToClip(Editor& ed, int count) {
  std::memcpy(ed.clip.get(), ed.grid.Text(ed.line).data() + ed.column,
              static_cast<std::size_t>(count));
  ed.clip[static_cast<std::size_t>(count)] = '\0';
}

// Tells what a cut or copy settled, unless it was taken as asked; true when it goes ahead.
bool Settled(Editor& ed, Fit fit, const char* verb, const char* nothing) {
  switch (fit.verdict) {
    case Fit::Verdict::kWhole:
      break;
    case Fit::Verdict::kShortened:
      std::fprintf(ed.io.out, "%s size will be shortened to %i\n", verb, fit.count);
      break;
    case Fit::Verdict::kTooLarge:  // only a cut can ask for more than the slot holds
      std::fprintf(ed.io.out, "Maximum cut size is %i\n", fit.count);
      break;
    case Fit::Verdict::kNothing:
      std::fputs(nothing, ed.io.out);
      break;
  }
  return fit.Taken();
}

// Says how an insert was shortened; the count that fits.
int SettleInsert(Editor& ed, int line, int column, std::string_view text) {
  const InsertFit fit = CheckInsert(line, column, text, ed.grid);
  if (fit.past_position) {
    std::fputs("Insert was truncated because it is too long for the position\n", ed.io.out);
  }
  if (fit.past_line) {
    std::fprintf(ed.io.out, "Insert was truncated because the line would have exceeded %i\n",
                 ed.grid.lsize());
  }
  return fit.count;
}

// True when a line can become document text; otherwise one line says why, and nothing changes.
// A zero byte would end the text early without a word, and the sequence of a key the editor
// does not act on would leave garbage that looks like nothing on the screen.
bool Typeable(Editor& ed, std::string_view line) {
  if (line.find('\0') != std::string_view::npos) {
    std::fputs("The line holds a zero byte and was not used\n", ed.io.out);
    return false;
  }
  if (line.find(kEscape) != std::string_view::npos) {
    std::fputs("Terminal control sequences are not typed; the line was not used\n", ed.io.out);
    return false;
  }
  return true;
}

void MoveOrCopy(Editor& ed, bool copy) {
  const std::optional<int> target = AskLine(ed, copy ? "Copy" : "Move");
  if (!target) {
    return;
  }
  if (*target < 0 || *target >= ed.grid.lines()) {
    std::fputs(copy ? "Desination line is not valid\n" : "Destination line is not valid\n",
               ed.io.out);
    return;
  }
  StoreDoubleUndo(ed.undo, ed.line, *target, ed.grid);
  if (copy) {
    Copy(ed.line, *target, ed.grid);
  } else {
    Move(ed.line, *target, ed.grid);
  }
  Record(ed, copy ? UndoMode::kCopied : UndoMode::kMoved, ed.line, *target);
}

void InsertText(Editor& ed, std::string_view text) {
  const int count = SettleInsert(ed, ed.line, ed.column, text);
  if (count > 0) {
    SaveLineForUndo(ed);
    Insert(ed.line, ed.column, count, text, ed.grid);
    Record(ed, UndoMode::kLineEdit, ed.line);
  }
}

}  // namespace

void EnterText(Editor& ed, std::string_view input) {
  if (!Typeable(ed, input)) {
    return;
  }
  // "!" lets a line that is also a key be typed as text; only the "!" itself is dropped.
  const std::string_view text = input.substr(input.starts_with('!') ? 1 : 0);
  SaveLineForUndo(ed);
  if (!Replace(ed.line, ed.column, text, ed.grid)) {
    std::fputs("At End Of Line\n", ed.io.out);
  }
  Record(ed, UndoMode::kLineEdit, ed.line);
  if (ed.line < ed.grid.lines() - 1 && !ed.line_lock) {
    ++ed.line;
  }
}

Flow LineClear(Editor& ed) {
  SaveLineForUndo(ed);
  Clear(ed.line, ed.grid);
  Record(ed, UndoMode::kLineEdit, ed.line);
  return Flow::kContinue;
}

Flow LineMove(Editor& ed) {
  MoveOrCopy(ed, false);
  return Flow::kContinue;
}

Flow LineCopy(Editor& ed) {
  MoveOrCopy(ed, true);
  return Flow::kContinue;
}

Flow LineInsert(Editor& ed) {
  // Wedging would push the last slot's text out of the grid, beyond the reach of undo.
  if (!ed.grid.Text(ed.grid.lines() - 1).empty()) {
    std::fputs("Cannot insert a line: the last line is not empty\n", ed.io.out);
    return Flow::kContinue;
  }
  Wedge(ed.line, ed.grid);
  Record(ed, UndoMode::kWedged, ed.line);
  return Flow::kContinue;
}

Flow LineDelete(Editor& ed) {
  SaveLineForUndo(ed);
  Delete(ed.line, ed.grid);
  Record(ed, UndoMode::kDeleted, ed.line);
  return Flow::kContinue;
}

Flow ClipCopy(Editor& ed) {
  const std::optional<int> count = AskSize(ed, "Copy how many characters?");
  if (!count) {
    return Flow::kContinue;
  }
  const Fit fit = CheckCopy(ed.line, ed.column, *count, ed.grid);
  if (Settled(ed, fit, "Copy", "There is nothing to copy\n")) {
    CopyToClip(ed, fit.count);
  }
  return Flow::kContinue;
}

Flow ClipCut(Editor& ed) {
  const std::optional<int> size = AskSize(ed, "Enter cut size");
  if (!size) {
    return Flow::kContinue;
  }
  const Fit fit = CheckCut(ed.line, ed.column, *size, ed.grid);
  if (Settled(ed, fit, "Cut", "There is nothing to cut at this position\n")) {
    SaveLineForUndo(ed);
    CopyToClip(ed, fit.count);
    Cut(ed.line, ed.column, fit.count, ed.grid);
    Record(ed, UndoMode::kLineEdit, ed.line);
  }
  return Flow::kContinue;
}

Flow ClipPaste(Editor& ed) {
  const Fit fit = CheckPaste(ed.column, ed.clip.get(), ed.grid.lsize());
  if (fit.verdict == Fit::Verdict::kShortened) {
    std::fputs("Paste string was shortened to fit onto line\n", ed.io.out);
  } else if (fit.verdict == Fit::Verdict::kNothing) {
    std::fputs("There is nothing to paste\n", ed.io.out);
    return Flow::kContinue;
  }
  SaveLineForUndo(ed);
  Paste(ed.line, ed.column, fit.count, ed.clip.get(), ed.grid);
  Record(ed, UndoMode::kLineEdit, ed.line);
  return Flow::kContinue;
}

Flow ClipInsert(Editor& ed) {
  if (ed.clip[0] == '\0') {
    std::fputs("There is nothing to paste\n", ed.io.out);
  } else {
    InsertText(ed, ed.clip.get());
  }
  return Flow::kContinue;
}

Flow NewInsert(Editor& ed) {
  std::fputs("Enter string to insert\n", ed.io.out);
  if (ReadText(ed.io, ed.insert_text.get(), ed.grid.lsize() - 1) != Line::kEnd &&
      Typeable(ed, {ed.insert_text.get(), ed.io.length})) {
    InsertText(ed, {ed.insert_text.get(), ed.io.length});
  }
  return Flow::kContinue;
}

Flow TrimEnd(Editor& ed) {
  SaveLineForUndo(ed);
  Trim(ed.line, ed.column, ed.grid);
  Record(ed, UndoMode::kLineEdit, ed.line);
  return Flow::kContinue;
}

Flow TrimWrap(Editor& ed) {
  if (ed.line == ed.grid.lines() - 1) {
    return Flow::kContinue;
  }
  const int next = ed.line + 1;
  StoreDoubleUndo(ed.undo, ed.line, next, ed.grid);
  // Past the line's end the tail is empty.
  const std::string_view text = ed.grid.Text(ed.line);
  const std::string_view tail = text.substr(std::min(text.size(), std::size_t(ed.column)));
  const int count = SettleInsert(ed, next, 0, tail);
  if (count > 0) {
    Insert(next, 0, count, tail, ed.grid);
  }
  Trim(ed.line, ed.column, ed.grid);
  Record(ed, UndoMode::kWrapped, ed.line, next);
  ed.column = 0;
  ed.line = next;
  return Flow::kContinue;
}

Flow UndoEdit(Editor& ed) {
  const UndoMode mode = ed.undo.mode;
  const int second = ed.undo.second;
  if (const std::optional<int> line = ApplyUndo(ed.undo, ed.grid)) {
    ed.line = *line;
    ed.modified = true;
    NoteInJournal(mode, *line, second, true, ed.grid, ed.journal);
  }
  return Flow::kContinue;
}

}  // namespace brenik

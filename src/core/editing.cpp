#include "core/editing.h"

#include <cstring>

#include "buffer/edit.h"
#include "buffer/grid.h"

namespace brenik {

namespace {

// Reads a 1-based line number; false when input ended or the answer was refused. `target` is
// 0-based, unchecked.
bool AskLine(Editor& ed, const char* verb, int& target) {
  std::fprintf(ed.io.out, "%s line %i to where?\n", verb, ed.line + 1);
  long answer = 0;
  if (!ReadNumber(ed.io, answer)) {
    return false;
  }
  target = static_cast<int>(answer - 1);
  return true;
}

// Reads a character count; false when input ended, the answer was refused, or the count is
// negative.
bool AskSize(Editor& ed, const char* prompt, int& size) {
  std::fprintf(ed.io.out, "%s\n", prompt);
  long answer = 0;
  if (!ReadNumber(ed.io, answer)) {
    return false;
  }
  if (answer < 0) {
    std::fputs("A size cannot be negative\n", ed.io.out);
    return false;
  }
  size = static_cast<int>(answer);
  return true;
}

void Record(Editor& ed, int mode, int first, int second = 0) {
  ed.undo.mode = mode;
  ed.undo.first = first;
  ed.undo.second = second;
  ed.modified = true;
}

void SaveLineForUndo(Editor& ed) {
  StoreUndo(ed.line, ed.undo.first, ed.undo.copy1.data(), ed.grid);
}

void CopyToClip(Editor& ed, int count) {
  std::memcpy(ed.clip.data(), ed.grid.Slot(ed.line) + ed.column, static_cast<std::size_t>(count));
  ed.clip[static_cast<std::size_t>(count)] = '\0';
}

void LineMove(Editor& ed, bool copy) {
  int target = 0;
  if (!AskLine(ed, copy ? "Copy" : "Move", target)) {
    return;
  }
  if (target < 0 || target >= ed.grid.lines()) {
    std::fputs(copy ? "Desination line is not valid\n" : "Destination line is not valid\n",
               ed.io.out);
    return;
  }
  StoreDoubleUndo(ed.line, target, ed.undo.copy1.data(), ed.undo.copy2.data(), ed.grid);
  if (copy) {
    Copy(ed.line, target, ed.grid);
  } else {
    Move(ed.line, target, ed.grid);
  }
  Record(ed, copy ? kCopied : kMoved, ed.line, target);
}

void LineInsert(Editor& ed) {
  // Wedging would push the last slot's text out of the grid, beyond the reach of undo.
  const LineGrid& grid = ed.grid;
  if (grid.Slot(grid.lines() - 1)[0] != '\0') {
    std::fputs("Cannot insert a line: the last line is not empty\n", ed.io.out);
    return;
  }
  Wedge(ed.line, ed.grid);
  Record(ed, kWedged, ed.line);
}

void ClipCopy(Editor& ed) {
  int count = 0;
  if (AskSize(ed, "Copy how many characters?", count) &&
      CheckCopy(ed.line, ed.column, count, ed.grid, ed.io.out) == 1) {
    CopyToClip(ed, count);
  }
}

void ClipCut(Editor& ed) {
  int size = 0;
  if (AskSize(ed, "Enter cut size", size) &&
      CheckCut(ed.line, ed.column, size, ed.grid, ed.io.out) == 1) {
    SaveLineForUndo(ed);
    CopyToClip(ed, size);
    Cut(ed.line, ed.column, size, ed.grid);
    Record(ed, kLineEdit, ed.line);
  }
}

void ClipPaste(Editor& ed) {
  int count = 0;
  if (CheckPaste(ed.column, count, ed.clip.data(), ed.grid.lsize(), ed.io.out) == 1) {
    SaveLineForUndo(ed);
    Paste(ed.line, ed.column, count, ed.clip.data(), ed.grid);
    Record(ed, kLineEdit, ed.line);
  }
}

void InsertText(Editor& ed, const char* text) {
  int count = 0;
  if (CheckInsert(ed.line, ed.column, count, text, ed.grid, ed.io.out) == 1) {
    SaveLineForUndo(ed);
    Insert(ed.line, ed.column, count, text, ed.grid);
    Record(ed, kLineEdit, ed.line);
  }
}

void NewInsert(Editor& ed) {
  std::fputs("Enter string to insert\n", ed.io.out);
  if (ReadText(ed.io, ed.insert_text.data(), ed.grid.lsize() - 1) != Line::kEnd) {
    InsertText(ed, ed.insert_text.data());
  }
}

void TrimWrap(Editor& ed) {
  if (ed.line == ed.grid.lines() - 1) {
    return;
  }
  const int next = ed.line + 1;
  StoreDoubleUndo(ed.line, next, ed.undo.copy1.data(), ed.undo.copy2.data(), ed.grid);
  const LineGrid& grid = ed.grid;
  // Past the line's end the slot holds zeros: the tail is empty there.
  int count = 0;
  if (CheckInsert(next, 0, count, grid.Slot(ed.line) + ed.column, ed.grid, ed.io.out) == 1) {
    // Taking the next slot for writing may move the current one, so the tail is found after.
    ed.grid.Slot(next);
    Insert(next, 0, count, grid.Slot(ed.line) + ed.column, ed.grid);
  }
  Trim(ed.line, ed.column, ed.grid);
  Record(ed, kWrapped, ed.line, next);
  ed.column = 0;
  ed.line = next;
}

}  // namespace

void EnterText(Editor& ed, const char* input) {
  // "!" lets a single character that is also a key be typed as text.
  char escaped[2] = {'\0', '\0'};
  const char* text = input;
  if (input[0] == '!') {
    escaped[0] = input[1];
    text = escaped;
  }
  SaveLineForUndo(ed);
  Replace(ed.line, ed.column, text, ed.grid, ed.io.out);
  Record(ed, kLineEdit, ed.line);
  if (ed.line < ed.grid.lines() - 1 && !ed.line_lock) {
    ++ed.line;
  }
}

bool RunEditingCommand(Editor& ed, Command command) {
  switch (command) {
    case kLineClear:
      SaveLineForUndo(ed);
      Clear(ed.line, ed.grid);
      Record(ed, kLineEdit, ed.line);
      break;
    case kLineMove:
      LineMove(ed, false);
      break;
    case kLineCopy:
      LineMove(ed, true);
      break;
    case kLineInsert:
      LineInsert(ed);
      break;
    case kLineDelete:
      SaveLineForUndo(ed);
      Delete(ed.line, ed.grid);
      Record(ed, kDeleted, ed.line);
      break;
    case kClipCopy:
      ClipCopy(ed);
      break;
    case kClipCut:
      ClipCut(ed);
      break;
    case kClipPaste:
      ClipPaste(ed);
      break;
    case kClipInsert:
      if (ed.clip[0] == '\0') {
        std::fputs("There is nothing to paste\n", ed.io.out);
      } else {
        InsertText(ed, ed.clip.data());
      }
      break;
    case kNewInsert:
      NewInsert(ed);
      break;
    case kTrimEnd:
      SaveLineForUndo(ed);
      Trim(ed.line, ed.column, ed.grid);
      Record(ed, kLineEdit, ed.line);
      break;
    case kTrimWrap:
      TrimWrap(ed);
      break;
    case kUndo:
      if (ApplyUndo(ed.undo, ed.grid, ed.line)) {
        ed.modified = true;
      }
      break;
    default:
      return false;
  }
  return true;
}

}  // namespace brenik

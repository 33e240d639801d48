// SPDX-License-Identifier: MIT
#include "core/file_commands.h"

#include <cstring>
#include <optional>
#include <string>

#include "files/load.h"
#include "files/save.h"
#include "settings/launch.h"
#include "term/help.h"

namespace brenik {

namespace {

// After a save the file holds the document: nothing is unsaved, and the journal starts anew
// from it. A save that damaged the file leaves the journal nothing to start from but the
// document itself.
Flow NoteSave(Editor& ed, SaveResult result) {
  if (result == SaveResult::kSaved) {
    ed.modified = false;
    ed.journal.Rebase(ed.file_name, ed.disk);
    ed.journal.Follow(ed.file_name);
  } else if (result == SaveResult::kDamaged) {
    ed.journal.Restart(ed.grid);
  }
  return Flow::kContinue;
}

}  // namespace

Flow SavePrompt(Editor& ed) {
  std::optional<std::string> name = DefineSaveName(ed.io, *ed.fs);
  if (!name) {
    return Flow::kContinue;
  }
  // The document takes the new name only once the file holds it, so a failed save leaves the
  // old name, and with it the place of a later emergency file. The same name keeps its stamp.
  FileStamp stamp = *name == ed.file_name ? ed.disk : FileStamp{};
  const SaveResult result = Save(*name, stamp, ed.grid, ed.io, *ed.fs);
  if (result == SaveResult::kSaved) {
    ed.file_name = *name;
    ed.disk = stamp;
  }
  return NoteSave(ed, result);
}

Flow SaveOverwrite(Editor& ed) {
  return NoteSave(ed, Save(ed.file_name, ed.disk, ed.grid, ed.io, *ed.fs));
}

Flow OpenFile(Editor& ed) {
  std::fputs(
      "Enter a filename to open a new file and discard the buffer in memory\n"
      "Enter 's' to first save the current buffer in memory\n"
      "Enter 'x' to not open a file and return\n",
      ed.io.out);
  char answer[kNameLimit + 1];
  if (!Fits(ReadWhole(ed.io, answer, kNameLimit)) || std::strcmp(answer, "x") == 0) {
    return Flow::kContinue;
  }
  if (std::strcmp(answer, "s") == 0) {
    const std::string name_before = ed.file_name;
    // Opening after a save that did not happen would discard the very text it was for.
    const SaveResult saved = Save(ed.file_name, ed.disk, ed.grid, ed.io, *ed.fs);
    NoteSave(ed, saved);
    if (saved != SaveResult::kSaved) {
      return Flow::kContinue;
    }
    std::fputs("Next, enter a new filename to open\n", ed.io.out);
    const Line line = ReadWhole(ed.io, answer, kNameLimit);
    if (line == Line::kLong) {
      ed.file_name = name_before;
      ed.disk = {};
      ed.journal.Follow(ed.file_name);
    }
    if (!Fits(line)) {
      return Flow::kContinue;
    }
  }
  const std::string path = answer;
  switch (Open(path, ed.grid, ed.io, *ed.fs, ed.disk)) {
    case OpenResult::kLoaded:
      ed.modified = false;
      ed.file_name = path;
      ed.journal.Rebase(path, ed.disk);
      ed.journal.Follow(path);
      // The record holds a line of the document that is gone; the clip memory stays, so that
      // text can be carried from one file to another.
      ed.undo.mode = UndoMode::kNone;
      break;
    case OpenResult::kNotFound:
      // The first save then creates the file that was asked for.
      ed.file_name = path;
      ed.journal.Follow(path);
      break;
    case OpenResult::kDeclined:
      std::fprintf(ed.io.out, "File %s was not opened\n", Shown(path.c_str()).c_str());
      break;
    case OpenResult::kRefused:
      break;
  }
  return Flow::kContinue;
}

Flow ShowHelp(Editor& ed) {
  Help(ed.settings.keys, ed.grid.lines(), ed.grid.lsize(), ed.io);
  return Flow::kContinue;
}

Flow LaunchCommand(Editor& ed) {
  return NoteSave(ed,
                  CommandExec(ed.settings.launch, ed.file_name, ed.disk, ed.grid, ed.io, *ed.fs));
}

Flow EditLaunchCommand(Editor& ed) {
  SetCommand(ed.settings.launch, ed.io);
  return Flow::kContinue;
}

Flow Quit(Editor& ed) {
  if (ed.modified) {
    std::fputs("The document has changes that were not saved; quitting loses them\n", ed.io.out);
  }
  std::fputs("Enter 'q' again to quit or anything else to continue\n", ed.io.out);
  // Only the letter q and its line end quit: a longer line or one cut off by the end of the
  // input is anything else.
  if (Answered(ed.io, ReadLine(ed.io, ed.input.get(), ed.grid.lsize() - 1), ed.input.get(), "q")) {
    return Flow::kQuit;
  }
  return Flow::kContinue;
}

}  // namespace brenik

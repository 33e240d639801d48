#include "core/file_commands.h"

#include <string>

#include "files/load.h"
#include "files/save.h"
#include "settings/launch.h"
#include "term/help.h"

namespace brenik {

namespace {

Flow NoteSave(Editor& ed, SaveResult result) {
  if (result == SaveResult::kSaved) {
    ed.modified = false;
  }
  return Flow::kContinue;
}

}  // namespace

Flow SavePrompt(Editor& ed) {
  // An empty name leads to the plain name prompt; a refusal there restores the name too.
  const std::string name_before = ed.file_name;
  if (DefineSaveName(ed.file_name, ed.io, *ed.fs) == 1 &&
      Save(ed.file_name, ed.grid, ed.io, *ed.fs) == SaveResult::kSaved) {
    ed.modified = false;
  } else if (ed.file_name.empty()) {
    ed.file_name = name_before;
  }
  return Flow::kContinue;
}

Flow SaveOverwrite(Editor& ed) { return NoteSave(ed, Save(ed.file_name, ed.grid, ed.io, *ed.fs)); }

Flow OpenFile(Editor& ed) {
  const std::string name_before = ed.file_name;
  bool saved = false;
  const OpenResult result =
      Open(kPromptMode, ed.open_path, ed.grid, ed.file_name, ed.io, *ed.fs, saved);
  if (saved) {
    ed.modified = false;
  }
  switch (result) {
    case OpenResult::kLoaded:
      ed.modified = false;
      ed.file_name = ed.open_path;
      // The record holds a line of the document that is gone; the clip memory stays, so that
      // text can be carried from one file to another.
      ed.undo.mode = UndoMode::kNone;
      break;
    case OpenResult::kNotFound:
      // The first save then creates the file that was asked for.
      ed.file_name = ed.open_path;
      break;
    case OpenResult::kFatal:
      return Flow::kFatal;
    case OpenResult::kRefusedName:
      ed.file_name = name_before;
      break;
    case OpenResult::kCancelled:
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
  return NoteSave(ed, CommandExec(ed.settings.launch, ed.file_name, ed.grid, ed.io, *ed.fs));
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
  if (Answered(ed.io, ReadLine(ed.io, ed.input.data(), ed.grid.lsize() - 1), ed.input.data(),
               "q")) {
    return Flow::kQuit;
  }
  return Flow::kContinue;
}

}  // namespace brenik

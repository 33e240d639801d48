#include "core/editor.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "core/commands.h"
#include "core/editing.h"
#include "files/emergency.h"
#include "files/load.h"
#include "files/save.h"
#include "settings/launch.h"
#include "settings/rc.h"
#include "term/help.h"
#include "term/signals.h"
#include "term/view.h"

namespace brenik {

namespace {

constexpr const char* kBanner = "\nBrenik 1.03.2 by the Brenik developers\n";
constexpr const char* kUsage =
    "Usage: brenik [FILE]\n"
    "Edit FILE, a plain text file, one line at a time; 'h' in the editor lists the keys.\n"
    "The settings are read from .brenik_rc in the current folder, which is made when missing.\n"
    "  --help     show this and exit\n"
    "  --version  show the version and exit\n"
    "A file named like an option is reached as ./--help. The manual page has the rest.\n";

void Allocate(std::vector<char>& buffer, int size) {
  buffer.assign(static_cast<std::size_t>(size), '\0');
}

// Finds the command that the input names; -1 for text.
int MatchCommand(const CommandKeys& keys, const char* input) {
  for (const Command command : kDispatchOrder) {
    if (std::strcmp(keys[command].data(), input) == 0 && (input[0] != '!' || command == kUndo)) {
      return command;
    }
  }
  return -1;
}

void JumpLine(Editor& ed) {
  std::fputs("Enter jump string\n", ed.io.out);
  if (ReadText(ed.io, ed.jump.data(), ed.grid.lsize() - 1) == Line::kEnd) {
    return;
  }
  const char* from = static_cast<const LineGrid&>(ed.grid).Slot(ed.line) + ed.column;
  const char* found = std::strstr(from, ed.jump.data());
  if (found == nullptr) {
    std::fprintf(ed.io.out, "String not found in line %i\n", ed.line + 1);
    return;
  }
  ed.column += static_cast<int>(found - from);
}

void JumpDoc(Editor& ed) {
  std::fputs("Enter jump string\n", ed.io.out);
  if (ReadText(ed.io, ed.jump.data(), ed.grid.lsize() - 1) == Line::kEnd) {
    return;
  }
  const LineGrid& grid = ed.grid;
  // Slots from the bound on are empty and can hold only the empty string, found at once.
  const int end = std::max(std::min(grid.lines(), grid.bound()), ed.line + 1);
  for (int k = ed.line; k < end; ++k) {
    const char* slot = grid.Slot(k);
    const char* found = std::strstr(slot, ed.jump.data());
    if (found != nullptr) {
      ed.line = k;
      ed.column = static_cast<int>(found - slot);
      return;
    }
  }
  std::fputs("String not found\n", ed.io.out);
}

// Reads a 1-based number and stores it 0-based when it lies in 0 .. limit - 1.
void GoTo(Editor& ed, const char* prompt, int limit, int& target) {
  std::fprintf(ed.io.out, "%s\n", prompt);
  long answer = 0;
  if (ReadNumber(ed.io, answer) && answer - 1 >= 0 && answer - 1 < limit) {
    target = static_cast<int>(answer - 1);
  }
}

void PageLength(Editor& ed) {
  std::fputs("Enter number of lines to display\n", ed.io.out);
  long answer = 0;
  if (!ReadNumber(ed.io, answer)) {
    return;
  }
  if (answer < 1) {
    std::fputs("The page length must be at least 1\n", ed.io.out);
    return;
  }
  ed.settings.page_length = static_cast<int>(answer);
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

void NoteSave(Editor& ed, SaveResult result) {
  if (result == SaveResult::kSaved) {
    ed.modified = false;
  }
}

Flow OpenCommand(Editor& ed) {
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
      ed.undo.mode = kNone;
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

Flow RunOther(Editor& ed, Command command) {
  Settings& s = ed.settings;
  const int lines = ed.grid.lines();
  const int lsize = ed.grid.lsize();
  switch (command) {
    case kPositionDown:
      if (ed.line > 0) {
        --ed.line;
      }
      ed.column = 0;
      break;
    case kPositionUp:
      if (ed.line < lines - 1) {
        ++ed.line;
      }
      ed.column = 0;
      break;
    case kPositionForw:
      if (ed.column < lsize - 1) {
        ++ed.column;
      }
      break;
    case kPositionBack:
      if (ed.column > 0) {
        --ed.column;
      }
      break;
    case kPageForw:
      ed.line = static_cast<int>(std::min(static_cast<long long>(ed.line) + s.page_length,
                                          static_cast<long long>(lines - 1)));
      break;
    case kPageBack:
      ed.line = static_cast<int>(std::max(static_cast<long long>(ed.line) - s.page_length, 0LL));
      break;
    case kPositionBeg:
      ed.column = 0;
      break;
    case kPositionEnd: {
      // A slot holds at most lsize - 1 characters, so the end is a valid column.
      const LineGrid& grid = ed.grid;
      ed.column += static_cast<int>(std::strlen(grid.Slot(ed.line) + ed.column));
      break;
    }
    case kLockTog:
      std::fputs(ed.line_lock ? "Line Lock Off\n" : "Line Lock On\n", ed.io.out);
      ed.line_lock = !ed.line_lock;
      break;
    case kNumTog:
      s.show_numbers = s.show_numbers == 1 ? 0 : 1;
      break;
    case kJumpLine:
      JumpLine(ed);
      break;
    case kJumpDoc:
      JumpDoc(ed);
      break;
    case kGoToLine:
      GoTo(ed, "Go to which line?", lines, ed.line);
      break;
    case kGoToPos:
      GoTo(ed, "Go to which position?", lsize, ed.column);
      break;
    case kAnchorSet:
      s.anchor = ed.column;
      break;
    case kAnchorGo:
      if (s.anchor >= 0 && s.anchor < lsize) {
        ed.column = s.anchor;
      }
      break;
    case kPageLength:
      PageLength(ed);
      break;
    case kSavePrompt: {
      // An empty name leads to the plain name prompt; a refusal there restores the name too.
      const std::string name_before = ed.file_name;
      if (DefineSaveName(ed.file_name, ed.io, *ed.fs) == 1 &&
          Save(ed.file_name, ed.grid, ed.io, *ed.fs) == SaveResult::kSaved) {
        ed.modified = false;
      } else if (ed.file_name.empty()) {
        ed.file_name = name_before;
      }
      break;
    }
    case kSaveOverwrite:
      NoteSave(ed, Save(ed.file_name, ed.grid, ed.io, *ed.fs));
      break;
    case kOpen:
      return OpenCommand(ed);
    case kHelp:
      Help(s.keys, lines, lsize, ed.io);
      break;
    case kCommandExec:
      NoteSave(ed, CommandExec(s.launch_command, s.launch_confirmed, ed.file_name, ed.grid, ed.io,
                               *ed.fs));
      break;
    case kCommandEdit:
      SetCommand(s.launch_command, s.launch_confirmed, ed.io);
      break;
    case kQuit:
      return Quit(ed);
    default:
      break;
  }
  return Flow::kContinue;
}

}  // namespace

Flow StartUp(Editor& ed, int argc, char** argv) {
  // Only these exact words are options; every other first argument names a file, and a file
  // named like an option is reached as ./--help.
  if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
    std::fputs(kUsage, ed.io.out);
    return Flow::kQuit;
  }
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs("Brenik 1.03.2\n", ed.io.out);
    return Flow::kQuit;
  }
  std::fputs(kBanner, ed.io.out);
  ed.file_name.clear();
  ed.open_path.clear();
  Settings& s = ed.settings;
  s.launch_command.clear();
  s.launch_confirmed = false;
  MakeKeys(s.names);
  SetDefaultValues(s.keys);
  s.show_numbers = 1;
  s.anchor = 0;
  s.page_length = kDefaultPageLength;
  ReadRC(s, ed.io.out, *ed.fs);
  std::fprintf(ed.io.out, "\nEnter '%s' for help or '%s' to quit\n", s.keys[kHelp].data(),
               s.keys[kQuit].data());

  bool allocated = ed.grid.Allocate(s.lines, s.lsize);
  try {
    for (std::vector<char>* buffer :
         {&ed.input, &ed.insert_text, &ed.jump, &ed.clip, &ed.undo.copy1, &ed.undo.copy2}) {
      if (allocated) {
        Allocate(*buffer, s.lsize);
      }
    }
  } catch (const std::bad_alloc&) {
    allocated = false;  // a huge max_char can fail here even when the grid fitted
  }
  if (!allocated) {
    std::fprintf(ed.io.out,
                 "Not enough memory for %i lines of %i characters; lower max_lines or max_char "
                 "in .brenik_rc\n",
                 s.lines, s.lsize - 1);
    return Flow::kFatal;
  }

  if (argc > 1) {
    const char* name = argv[1];
    // A shortened name could name some other file, so a long one is refused whole.
    if (std::strlen(name) > static_cast<std::size_t>(kNameLimit)) {
      std::fprintf(ed.io.out, "File name is longer than %i characters\n", kNameLimit);
      return Flow::kFatal;
    }
    ed.open_path = name;
    ed.file_name = name;
    bool saved = false;
    switch (Open(kStartUpMode, ed.open_path, ed.grid, ed.file_name, ed.io, *ed.fs, saved)) {
      case OpenResult::kFatal:
        return Flow::kFatal;
      case OpenResult::kRefused:
        // The file exists but was not read: keeping its name would let the first save
        // replace it with whatever is typed, so the first save asks for a name instead.
        ed.file_name.clear();
        break;
      case OpenResult::kLoaded:
      case OpenResult::kNotFound:
      case OpenResult::kCancelled:
      case OpenResult::kRefusedName:
        break;
    }
  }
  // Work kept by an earlier session that ended without quitting may be waiting there.
  const bool named = argc > 1 && argv[1][0] != '\0';
  const std::string emergency = named ? std::string(argv[1]) + ".save" : "brenik.save";
  struct stat info = {};
  if (ed.fs->Lstat(emergency.c_str(), &info) == 0) {
    std::fprintf(ed.io.out, "An earlier session left unsaved work in %s\n",
                 Shown(emergency.c_str()).c_str());
  }
  ed.line = 0;
  ed.column = 0;
  ed.line_lock = false;
  ed.undo.mode = kNone;
  ed.modified = false;
  return Flow::kContinue;
}

Flow RunCommand(Editor& ed, const char* input) {
  const int command = MatchCommand(ed.settings.keys, input);
  if (command < 0) {
    EnterText(ed, input);
    return Flow::kContinue;
  }
  if (RunEditingCommand(ed, static_cast<Command>(command))) {
    return Flow::kContinue;
  }
  return RunOther(ed, static_cast<Command>(command));
}

namespace {

// The editor ends without the quit confirmation: unsaved work goes to an emergency file.
int EndAbruptly(Editor& ed, int clean_status) {
  if (!ed.modified) {
    return clean_status;
  }
  char written[kNameLimit + 17];
  if (EmergencySave(ed.file_name, ed.grid, *ed.fs, written, sizeof written)) {
    std::fprintf(ed.io.out, "\nUnsaved changes were written to %s\n", Shown(written).c_str());
  } else {
    std::fputs("\nThe unsaved changes could not be written anywhere\n", ed.io.out);
  }
  return 1;
}

}  // namespace

int RunEditor(Editor& ed) {
  char* input = ed.input.data();
  for (;;) {
    Display(ed.line, ed.column, ed.settings.page_length - 1, ed.grid, ed.settings.show_numbers,
            ed.file_name.c_str(), ed.io.out);
    const Line line = ReadText(ed.io, input, ed.grid.lsize() - 1);
    if (line == Line::kEnd) {
      break;
    }
    if (Answered(ed.io, line, input, "") && ed.line < ed.grid.lines() - 1) {
      ++ed.line;
      continue;
    }
    // What was cut off a line could have been anything; the part kept is text, never a command.
    if (line == Line::kLong) {
      EnterText(ed, input);
      continue;
    }
    const Flow flow = RunCommand(ed, input);
    if (flow == Flow::kQuit) {
      return 0;
    }
    if (flow == Flow::kFatal) {
      return EndAbruptly(ed, 1);
    }
    if (ed.io.ended) {
      break;
    }
  }
  // Only a plain end of input is a clean end; a signal or a lost output is a failure.
  return EndAbruptly(ed, PendingSignal() != 0 || std::ferror(ed.io.out) ? 1 : 0);
}

}  // namespace brenik

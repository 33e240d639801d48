// SPDX-License-Identifier: MIT
#include "core/loop.h"

#include <new>
#include <optional>

#include "core/editing.h"
#include "core/file_commands.h"
#include "core/navigation.h"
#include "files/emergency.h"
#include "term/keys.h"
#include "term/signals.h"
#include "term/view.h"

namespace brenik {

namespace {

using Handler = Flow (*)(Editor&);

// Every command of the table names its handler here: one without a handler does not compile.
constexpr Handler kHandlers[] = {
#define BRENIK_HANDLER(command, name, key, dispatch_place, handler, ...) handler,
    BRENIK_COMMANDS(BRENIK_HANDLER)
#undef BRENIK_HANDLER
};
static_assert(std::size(kHandlers) == kCommandCount);

// Finds the command whose key the input is; -1 for text. A key is one character, so the whole
// line, its length included, must be that character: "d", a zero byte and more is not "d". An
// ESC only ever starts a terminal's sequence, even where the settings file made it a key.
int MatchCommand(const CommandKeys& keys, std::string_view input) {
  if (input.size() != 1 || input[0] == kEscape) {
    return -1;
  }
  for (const Command command : kDispatchOrder) {
    if (keys[command][0] == input[0] && (input[0] != '!' || command == kUndo)) {
      return command;
    }
  }
  return -1;
}

// The grid grows only before it changes anything, and only a line far past the document can
// ask for more than there is: such a command is refused as a whole.
template <typename Run>
Flow Guarded(Editor& ed, Run run) {
  try {
    return run();
  } catch (const std::bad_alloc&) {
    std::fputs("There is not enough memory for that; the document was not changed\n", ed.io.out);
    ed.undo.mode = UndoMode::kNone;  // its copies may have been taken for the refused edit
    return Flow::kContinue;
  }
}

}  // namespace

Flow RunCommand(Editor& ed, std::string_view input) {
  return Guarded(ed, [&] {
    // A cursor key does what it is, whatever keys the settings file gave the commands.
    if (const std::optional<Command> key = TerminalKey(input)) {
      return kHandlers[*key](ed);
    }
    const int command = MatchCommand(ed.settings.keys, input);
    if (command < 0) {
      EnterText(ed, input);
      return Flow::kContinue;
    }
    return kHandlers[command](ed);
  });
}

namespace {

// The editor ends without the quit confirmation: unsaved work goes to an emergency file.
int EndAbruptly(Editor& ed, int clean_status) {
  if (!ed.modified) {
    ed.journal.Close();
    return clean_status;
  }
  std::fputc('\n', ed.io.out);
  // Without an emergency file the journal is all that is left of the work: it stays for the
  // next session to rebuild, with the last commands in it and on the disk.
  ed.journal.BeforeRead();
  ed.journal.BeforeWait();
  if (RescueDocument(ed.file_name, ed.grid, *ed.fs, ed.io.out)) {
    ed.journal.Close();
  }
  return 1;
}

}  // namespace

int RunEditor(Editor& ed) {
  char* input = ed.input.get();
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
      static_cast<void>(Guarded(ed, [&] {
        EnterText(ed, {input, ed.io.length});
        return Flow::kContinue;
      }));
      continue;
    }
    const Flow flow = RunCommand(ed, {input, ed.io.length});
    if (flow == Flow::kQuit) {
      ed.journal.Close();  // quitting gives the changes up
      return 0;
    }
    if (ed.io.ended) {
      break;
    }
  }
  // Only a plain end of input is a clean end; a signal or a lost output is a failure.
  return EndAbruptly(ed, PendingSignal() != 0 || std::ferror(ed.io.out) ? 1 : 0);
}

}  // namespace brenik

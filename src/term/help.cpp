#include "term/help.h"

#include <cstddef>
#include <cstdio>

#include "core/commands.h"

namespace brenik {

namespace {

// A row is fixed text, or a command's key in quotes followed by what the command does.
constexpr int kFixed = -1;

struct Row {
  int command;
  const char* text;
};

constexpr Row kNavigation[] = {
    {kFixed, "\nNavigation:\n----------\n"},
    {kFixed, "\n"},
    {kPositionBack, "to move back a space"},
    {kPositionForw, "to move forward a space"},
    {kFixed, "\n"},
    {kPositionDown, "to move up a line"},
    {kPositionUp, "to move down a line"},
    {kFixed, "\n"},
    {kPositionBeg, "to move to the beginning of a line"},
    {kPositionEnd, "to move to the end of a line"},
    {kFixed, "\n"},
    {kPageBack, "to move back a page"},
    {kPageForw, "to move forward a page"},
    {kPageLength, "to set page length"},
    {kFixed, "\n"},
    {kJumpLine, "to jump to a string in the line"},
    {kJumpDoc, "to jump to a string on current or later lines"},
    {kFixed, "\n"},
    {kLockTog, "to lock/unlock line switching"},
    {kFixed, "\n"},
    {kGoToLine, "to go to a line number"},
    {kGoToPos, "to go a position in a line"},
    {kFixed, "\n"},
    {kAnchorGo, "to move to an anchored position"},
    {kAnchorSet, "to set the anchored position"},
    {kFixed, "\n"},
};

constexpr Row kEditing[] = {
    {kFixed, "\nEditing:\n-------\n"},
    {kFixed, "\n"},
    {kLineClear, "to clear a line"},
    {kLineMove, "to move a line"},
    {kLineInsert, "to wedge (insert) a new line"},
    {kLineDelete, "to delete a line and shift lines up"},
    {kLineCopy, "to copy a whole line"},
    {kFixed, "\n"},
    {kClipCopy, "to copy text to memory"},
    {kClipCut, "to cut text to memory"},
    {kFixed, "\n"},
    {kClipPaste, "to paste text from memory by overwriting"},
    {kClipInsert, "to paste text from memory by inserting and shifting"},
    {kNewInsert, "to insert new text"},
    {kFixed, "\n"},
    {kTrimEnd, "to trim line at current position by deleting text"},
    {kTrimWrap, "to trim line and send extra text to next line"},
    {kFixed, "\n"},
    {kUndo, "to undo an edit"},
    {kFixed, "\n"},
};

// The open line is fixed text: it shows 'O' even when the settings file rebinds open.
constexpr Row kFile[] = {
    {kFixed, "\nFile:\n----\n"},
    {kFixed, "\n"},
    {kFixed, "Filenames can be entered as 1st run argument\n"},
    {kFixed, "\n"},
    {kSavePrompt, "to save a file with new name prompt"},
    {kSaveOverwrite, "to save a file using existing name"},
    {kFixed, "\n"},
    {kFixed, "    'O' to open a file and replace current buffer\n"},
    {kFixed, "\n"},
};

constexpr Row kMore[] = {
    {kFixed, "\n"},
    {kFixed, "    '!' followed by a command letter enters the letter and not the command\n"},
    {kNumTog, "to toggle the display of line numbers"},
    {kHelp, "to view help menu"},
    {kCommandExec, "to launch a command"},
    {kCommandEdit, "to enter the command to be launched"},
    {kQuit, "to quit"},
    {kFixed, "\n"},
};

template <std::size_t N>
void PrintSection(const Row (&rows)[N], const CommandKeys& keys, std::FILE* out) {
  for (const Row& row : rows) {
    if (row.command == kFixed) {
      std::fputs(row.text, out);
    } else {
      std::fprintf(out, "    '%s' %s\n", keys[row.command].data(), row.text);
    }
  }
}

}  // namespace

void Help(const CommandKeys& keys, int lines, int lsize, Io& io) {
  std::fprintf(io.out, "\nLimits:  Line length = %i     Total Lines = %i\n\n", lsize - 1, lines);
  char answer[kShortLimit + 1] = {};
  for (;;) {
    std::fputs(
        "'n'  Navigation Commands\n"
        "'e'  Editing Commands\n"
        "'f'  File Commands\n"
        "'m'  More Commands\n"
        "'x'  Exit Help\n",
        io.out);
    // End of input leaves the menu as 'x' does; the loop then ends the editor in order. A line
    // too long is no choice: the menu comes again.
    const Line line = ReadLine(io, answer, kShortLimit);
    if (line == Line::kEnd) {
      return;
    }
    switch (line == Line::kLong ? '\0' : answer[0]) {
      case 'n':
        PrintSection(kNavigation, keys, io.out);
        break;
      case 'e':
        PrintSection(kEditing, keys, io.out);
        break;
      case 'f':
        PrintSection(kFile, keys, io.out);
        break;
      case 'm':
        PrintSection(kMore, keys, io.out);
        break;
      case 'x':
        return;
      default:
        break;
    }
  }
}

}  // namespace brenik

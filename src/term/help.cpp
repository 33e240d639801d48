// SPDX-License-Identifier: MIT
#include "term/help.h"

#include <array>
#include <cstddef>
#include <cstdio>

#include "term/commands.h"

namespace brenik {

namespace {

// What opens each section, in the order of Section: fixed text, like the rows of no command.
constexpr const char* kSectionStart[] = {
    "\nNavigation:\n----------\n\n",
    "\nEditing:\n-------\n\n",
    "\nFile:\n----\n\nFilenames can be entered as 1st run argument\n\n",
    "\n    '!' followed by a command letter enters the letter and not the command\n",
};

constexpr std::array<Command, kCommandCount> kHelpOrder =
    SortedBy([](const CommandInfo& c) { return c.help.place; });

void PrintSection(Section section, const CommandKeys& keys, std::FILE* out) {
  std::fputs(kSectionStart[static_cast<int>(section)], out);
  for (const Command command : kHelpOrder) {
    const HelpRow& row = kCommands[command].help;
    if (row.section != section) {
      continue;
    }
    if (row.group == Group::kNew) {
      std::fputc('\n', out);
    }
    if (row.fixed) {
      std::fputs(row.text, out);
    } else {
      std::fprintf(out, "    '%s' %s\n", ShownKey(keys[command][0]).data(), row.text);
    }
  }
  std::fputc('\n', out);
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
        PrintSection(Section::kNavigation, keys, io.out);
        break;
      case 'e':
        PrintSection(Section::kEditing, keys, io.out);
        break;
      case 'f':
        PrintSection(Section::kFile, keys, io.out);
        break;
      case 'm':
        PrintSection(Section::kMore, keys, io.out);
        break;
      case 'x':
        return;
      default:
        break;
    }
  }
}

}  // namespace brenik

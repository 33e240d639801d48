// SPDX-License-Identifier: MIT
// The command table: one record per command, below everything that reads keys or shows them.
#pragma once

#include <array>

namespace brenik {

/// The help menu's sections.
enum class Section { kNavigation, kEditing, kFile, kMore };

/// Whether a help row follows the one before it or starts a new group after a blank line.
enum class Group { kSame, kNew };

// One record per command:
//   X(command, name in the settings file, default key, place in the dispatch order, handler,
//     help section, place in the help, group, help row[, true when the row is fixed text])
// The place in the dispatch order matters where the settings file binds two commands to one key:
// the first in that order wins. A help row follows the command's key in quotes, unless it is
// fixed text. The text that opens a section ends in a blank line of its own, so a section's
// first row stays in Group::kSame. Adding a command means adding its record here and writing its
// handler, which the editor declares and binds to the command by this table.
// clang-format off
#define BRENIK_COMMANDS(X)                                                                        \
  X(kPositionBack, "position_back", 'b', 3, PositionBack,                                         \
    Section::kNavigation, 0, Group::kSame, "to move back a space")                                \
  X(kPositionForw, "position_forw", 'n', 2, PositionForw,                                         \
    Section::kNavigation, 1, Group::kSame, "to move forward a space")                             \
  X(kPositionDown, "position_down", ',', 0, PositionDown,                                         \
    Section::kNavigation, 2, Group::kNew, "to move up a line")                                    \
  X(kPositionUp, "position_up", '.', 1, PositionUp,                                               \
    Section::kNavigation, 3, Group::kSame, "to move down a line")                                 \
  X(kPositionBeg, "position_beg", 'l', 6, PositionBeg,                                            \
    Section::kNavigation, 4, Group::kNew, "to move to the beginning of a line")                   \
  X(kPositionEnd, "position_end", 'e', 13, PositionEnd,                                           \
    Section::kNavigation, 5, Group::kSame, "to move to the end of a line")                        \
  X(kPageBack, "page_back", '<', 5, PageBack,                                                     \
    Section::kNavigation, 6, Group::kNew, "to move back a page")                                  \
  X(kPageForw, "page_forw", '>', 4, PageForw,                                                     \
    Section::kNavigation, 7, Group::kSame, "to move forward a page")                              \
  X(kPageLength, "page_length", 'p', 32, PageLength,                                              \
    Section::kNavigation, 8, Group::kSame, "to set page length")                                  \
  X(kJumpLine, "jump_line", 'j', 9, JumpLine,                                                     \
    Section::kNavigation, 9, Group::kNew, "to jump to a string in the line")                      \
  X(kJumpDoc, "jump_doc", 'J', 10, JumpDoc,                                                       \
    Section::kNavigation, 10, Group::kSame, "to jump to a string on current or later lines")      \
  X(kLockTog, "lock_tog", 'L', 7, LockTog,                                                        \
    Section::kNavigation, 11, Group::kNew, "to lock/unlock line switching")                       \
  X(kGoToLine, "go_to_line", 'g', 11, GoToLine,                                                   \
    Section::kNavigation, 12, Group::kNew, "to go to a line number")                              \
  X(kGoToPos, "go_to_pos", 'G', 12, GoToPos,                                                      \
    Section::kNavigation, 13, Group::kSame, "to go a position in a line")                         \
  X(kAnchorGo, "anchor_go", 'a', 28, AnchorGo,                                                    \
    Section::kNavigation, 14, Group::kNew, "to move to an anchored position")                     \
  X(kAnchorSet, "anchor_set", 'A', 27, AnchorSet,                                                 \
    Section::kNavigation, 15, Group::kSame, "to set the anchored position")                       \
  X(kLineClear, "line_clear", 'd', 17, LineClear,                                                 \
    Section::kEditing, 16, Group::kSame, "to clear a line")                                       \
  X(kLineMove, "line_move", 'm', 25, LineMove,                                                    \
    Section::kEditing, 17, Group::kSame, "to move a line")                                        \
  X(kLineInsert, "line_insert", 'w', 29, LineInsert,                                              \
    Section::kEditing, 18, Group::kSame, "to wedge (insert) a new line")                          \
  X(kLineDelete, "line_delete", 'D', 30, LineDelete,                                              \
    Section::kEditing, 19, Group::kSame, "to delete a line and shift lines up")                   \
  X(kLineCopy, "line_copy", 'C', 26, LineCopy,                                                    \
    Section::kEditing, 20, Group::kSame, "to copy a whole line")                                  \
  X(kClipCopy, "clip_copy", 'c', 14, ClipCopy,                                                    \
    Section::kEditing, 21, Group::kNew, "to copy text to memory")                                 \
  X(kClipCut, "clip_cut", 'x', 19, ClipCut,                                                       \
    Section::kEditing, 22, Group::kSame, "to cut text to memory")                                 \
  X(kClipPaste, "clip_paste", 'v', 16, ClipPaste,                                                 \
    Section::kEditing, 23, Group::kNew, "to paste text from memory by overwriting")               \
  X(kClipInsert, "clip_insert", 'V', 15, ClipInsert,                                              \
    Section::kEditing, 24, Group::kSame, "to paste text from memory by inserting and shifting")   \
  X(kNewInsert, "new_insert", 'i', 18, NewInsert,                                                 \
    Section::kEditing, 25, Group::kSame, "to insert new text")                                    \
  X(kTrimEnd, "trim_end", 't', 20, TrimEnd,                                                       \
    Section::kEditing, 26, Group::kNew, "to trim line at current position by deleting text")     \
  X(kTrimWrap, "trim_wrap", 'T', 21, TrimWrap,                                                    \
    Section::kEditing, 27, Group::kSame, "to trim line and send extra text to next line")         \
  X(kUndo, "undo", 'z', 33, UndoEdit,                                                             \
    Section::kEditing, 28, Group::kNew, "to undo an edit")                                        \
  X(kSavePrompt, "save_prompt", 's', 22, SavePrompt,                                              \
    Section::kFile, 29, Group::kSame, "to save a file with new name prompt")                      \
  X(kSaveOverwrite, "save_overwrite", 'S', 23, SaveOverwrite,                                     \
    Section::kFile, 30, Group::kSame, "to save a file using existing name")                       \
  /* Fixed text: the row shows 'O' even when the settings file binds open to another key. */     \
  X(kOpen, "open", 'O', 24, OpenFile,                                                             \
    Section::kFile, 31, Group::kNew, "    'O' to open a file and replace current buffer\n", true) \
  X(kHelp, "help", 'h', 31, ShowHelp,                                                             \
    Section::kMore, 33, Group::kSame, "to view help menu")                                        \
  X(kNumTog, "num_tog", '#', 8, NumTog,                                                           \
    Section::kMore, 32, Group::kSame, "to toggle the display of line numbers")                    \
  X(kCommandExec, "command_exec", '=', 34, LaunchCommand,                                         \
    Section::kMore, 34, Group::kSame, "to launch a command")                                      \
  X(kCommandEdit, "command_edit", '+', 35, EditLaunchCommand,                                     \
    Section::kMore, 35, Group::kSame, "to enter the command to be launched")                      \
  X(kQuit, "quit", 'q', 36, Quit,                                                                 \
    Section::kMore, 36, Group::kSame, "to quit")
// clang-format on

/// A command's index into the table, which is also its line's place in a new settings file.
enum Command : int {
#define BRENIK_COMMAND_ID(command, ...) command,
  BRENIK_COMMANDS(BRENIK_COMMAND_ID)
#undef BRENIK_COMMAND_ID
};

/// A command's row in the help menu.
struct HelpRow {
  Section section;
  int place;
  Group group;
  const char* text;
  bool fixed = false;
};

/// What the table says of a command, apart from its handler, which lives with the editor.
struct CommandInfo {
  const char* name;
  char key;
  int dispatch_place;
  HelpRow help;
};

inline constexpr CommandInfo kCommands[] = {
#define BRENIK_COMMAND_INFO(command, name, key, dispatch_place, handler, ...) \
  {name, key, dispatch_place, {__VA_ARGS__}},
    BRENIK_COMMANDS(BRENIK_COMMAND_INFO)
#undef BRENIK_COMMAND_INFO
};

inline constexpr int kCommandCount = static_cast<int>(std::size(kCommands));

/// One key per command: a character and its terminating zero.
using CommandKeys = std::array<std::array<char, 2>, kCommandCount>;

/// The keys a new settings file gives.
[[nodiscard]] constexpr CommandKeys DefaultKeys() {
  CommandKeys keys{};
  for (int i = 0; i < kCommandCount; ++i) {
    keys[i] = {kCommands[i].key, '\0'};
  }
  return keys;
}

/// The commands sorted by a place that each record gives; a place given twice or not at all is
/// a compile error where the result initialises a constant.
template <typename Place>
[[nodiscard]] constexpr std::array<Command, kCommandCount> SortedBy(Place place) {
  std::array<Command, kCommandCount> order{};
  std::array<bool, kCommandCount> taken{};
  for (int i = 0; i < kCommandCount; ++i) {
    const int at = place(kCommands[i]);
    if (at < 0 || at >= kCommandCount || taken[at]) {
      throw "two commands share a place";
    }
    taken[at] = true;
    order[at] = static_cast<Command>(i);
  }
  return order;
}

/// The order in which input is compared with the keys; the first match wins.
inline constexpr std::array<Command, kCommandCount> kDispatchOrder =
    SortedBy([](const CommandInfo& c) { return c.dispatch_place; });

}  // namespace brenik

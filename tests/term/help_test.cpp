#include "term/help.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "core/commands.h"
#include "fake_filesystem.h"
#include "harness.h"

namespace brenik {
namespace {

const char kMenu[] =
    "'n'  Navigation Commands\n"
    "'e'  Editing Commands\n"
    "'f'  File Commands\n"
    "'m'  More Commands\n"
    "'x'  Exit Help\n";

const char kLimits[] = "\nLimits:  Line length = 255     Total Lines = 32767\n\n";

struct HelpRun {
  std::string output;
  bool ended = false;
  std::string unread;  // what the menu left in the input
};

CommandKeys DefaultKeys() {
  CommandKeys keys;
  SetDefaultValues(keys);
  return keys;
}

HelpRun RunHelp(const std::string& script, const CommandKeys& keys = DefaultKeys(),
                int lines = 32767, int lsize = 256) {
  testing::ScriptedIo console(script);
  Help(keys, lines, lsize, console.io());
  return {console.output(), console.io().ended, console.rest()};
}

std::string Cat(std::initializer_list<std::string> parts) {
  std::string all;
  for (const std::string& part : parts) {
    all += part;
  }
  return all;
}

// What one answer shows between the menu before it and the menu after it. The sections' text
// with the default keys is compared byte for byte by the help_sections transcript.
std::string Section(char answer) {
  const std::string shown = RunHelp(std::string(1, answer) + "\nx\n").output;
  const std::size_t start = std::strlen(kLimits) + std::strlen(kMenu);
  return shown.substr(start, shown.size() - start - std::strlen(kMenu));
}

TEST(Help, EachLetterShowsItsOwnSection) {
  for (const auto& [answer, title] : {std::pair{'n', "\nNavigation:\n"},
                                      {'e', "\nEditing:\n"},
                                      {'f', "\nFile:\n"},
                                      {'m', "\n    '!' followed by"}}) {
    const HelpRun run = RunHelp(std::string(1, answer) + "\nx\nleft\n");
    EXPECT_EQ(run.output.rfind(Cat({kLimits, kMenu, title}), 0), 0u) << run.output;
    EXPECT_TRUE(run.output.ends_with(kMenu)) << run.output;
    EXPECT_FALSE(run.ended);
    EXPECT_EQ(run.unread, "left\n");
  }
}

TEST(Help, OnlyTheFirstLowerCaseCharacterChooses) {
  const std::string navigation = Section('n');
  const struct {
    const char* script;
    std::string output;
  } cases[] = {
      {"x\n", Cat({kLimits, kMenu})},
      {"xyz\n", Cat({kLimits, kMenu})},
      {"navigation\nx\n", Cat({kLimits, kMenu, navigation, kMenu})},
      {"more\nexit\nx\n", Cat({kLimits, kMenu, Section('m'), kMenu, Section('e'), kMenu})},
      {"N\nX\n \n\nq\nx\n", Cat({kLimits, kMenu, kMenu, kMenu, kMenu, kMenu, kMenu})},
      {"n\nn\nx\n", Cat({kLimits, kMenu, navigation, kMenu, navigation, kMenu})},
  };
  for (const auto& c : cases) {
    const HelpRun run = RunHelp(c.script);
    EXPECT_EQ(run.output, c.output) << c.script;
    EXPECT_EQ(run.unread, "") << c.script;
  }
}

TEST(Help, LongAnswersAreReadFifteenCharactersAtATime) {
  // 15 n's fill the buffer, so the line end is read as a second, empty answer.
  HelpRun run = RunHelp(std::string(15, 'n') + "\nx\n");
  EXPECT_EQ(run.output, Cat({kLimits, kMenu, Section('n'), kMenu, kMenu}));
  // An 'x' in the second piece leaves; the rest of the line stays unread.
  run = RunHelp(std::string(15, 'e') + "xtra\nafter\n");
  EXPECT_EQ(run.output, Cat({kLimits, kMenu, Section('e'), kMenu}));
  EXPECT_EQ(run.unread, "after\n");
}

TEST(Help, EndOfInputLeavesTheMenu) {
  const struct {
    const char* script;
    std::string output;
  } cases[] = {
      {"", Cat({kLimits, kMenu})},
      {"n\n", Cat({kLimits, kMenu, Section('n'), kMenu})},
      {"f", Cat({kLimits, kMenu, Section('f'), kMenu})},  // a last answer without line end counts
  };
  for (const auto& c : cases) {
    const HelpRun run = RunHelp(c.script);
    EXPECT_EQ(run.output, c.output) << c.script;
    EXPECT_TRUE(run.ended) << c.script;
  }
}

TEST(Help, SectionsShowReboundKeysExceptOpen) {
  CommandKeys keys;
  // Every command gets a key of its own, from '1' on; open gets 'P', save_overwrite 'O', and
  // the open line still shows 'O'.
  for (int i = 0; i < kCommandCount; ++i) {
    keys[i] = {static_cast<char>('1' + i), '\0'};
  }
  const HelpRun run = RunHelp("n\ne\nf\nm\nx\n", keys, 500, 80);
  const std::string expected = Cat({
      "\nLimits:  Line length = 79     Total Lines = 500\n\n",
      kMenu,
      "\nNavigation:\n----------\n\n"
      "    '1' to move back a space\n"
      "    '2' to move forward a space\n\n"
      "    '3' to move up a line\n"
      "    '4' to move down a line\n\n"
      "    '5' to move to the beginning of a line\n"
      "    '6' to move to the end of a line\n\n"
      "    '7' to move back a page\n"
      "    '8' to move forward a page\n"
      "    '9' to set page length\n\n"
      "    ':' to jump to a string in the line\n"
      "    ';' to jump to a string on current or later lines\n\n"
      "    '<' to lock/unlock line switching\n\n"
      "    '=' to go to a line number\n"
      "    '>' to go a position in a line\n\n"
      "    '?' to move to an anchored position\n"
      "    '@' to set the anchored position\n\n",
      kMenu,
      "\nEditing:\n-------\n\n"
      "    'A' to clear a line\n"
      "    'B' to move a line\n"
      "    'C' to wedge (insert) a new line\n"
      "    'D' to delete a line and shift lines up\n"
      "    'E' to copy a whole line\n\n"
      "    'F' to copy text to memory\n"
      "    'G' to cut text to memory\n\n"
      "    'H' to paste text from memory by overwriting\n"
      "    'I' to paste text from memory by inserting and shifting\n"
      "    'J' to insert new text\n\n"
      "    'K' to trim line at current position by deleting text\n"
      "    'L' to trim line and send extra text to next line\n\n"
      "    'M' to undo an edit\n\n",
      kMenu,
      "\nFile:\n----\n\n"
      "Filenames can be entered as 1st run argument\n\n"
      "    'N' to save a file with new name prompt\n"
      "    'O' to save a file using existing name\n\n"
      "    'O' to open a file and replace current buffer\n\n",
      kMenu,
      "\n"
      "    '!' followed by a command letter enters the letter and not the command\n"
      "    'R' to toggle the display of line numbers\n"
      "    'Q' to view help menu\n"
      "    'S' to launch a command\n"
      "    'T' to enter the command to be launched\n"
      "    'U' to quit\n\n",
      kMenu,
  });
  EXPECT_EQ(run.output, expected);
}

TEST(Help, RunsFromTheCommandLoopWithTheFileSettings) {
  testing::TempDir dir;
  testing::WriteRc("help=?\nundo=u\nopen=o\nmax_char=79\nmax_lines=500\n");
  const testing::Session session = testing::RunSession("?\ne\nf\nx\nq\nq\n");
  EXPECT_EQ(session.status, 0);
  const std::string after = testing::After(session.output, "> ");
  EXPECT_EQ(after.rfind("\nLimits:  Line length = 79     Total Lines = 500\n\n", 0), 0u) << after;
  EXPECT_NE(after.find("\n    'u' to undo an edit\n"), std::string::npos);
  EXPECT_NE(after.find("\n    'O' to open a file and replace current buffer\n"), std::string::npos);
  // After 'x' the loop prints the view again, straight after the last menu.
  EXPECT_NE(after.find(std::string(kMenu) + "\nEditing 1:1 \n"), std::string::npos);
}

}  // namespace
}  // namespace brenik

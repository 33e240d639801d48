#include "term/help.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <initializer_list>
#include <string>

#include "core/commands.h"
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

const char kNavigation[] =
    "\nNavigation:\n----------\n"
    "\n"
    "    'b' to move back a space\n"
    "    'n' to move forward a space\n"
    "\n"
    "    ',' to move up a line\n"
    "    '.' to move down a line\n"
    "\n"
    "    'l' to move to the beginning of a line\n"
    "    'e' to move to the end of a line\n"
    "\n"
    "    '<' to move back a page\n"
    "    '>' to move forward a page\n"
    "    'p' to set page length\n"
    "\n"
    "    'j' to jump to a string in the line\n"
    "    'J' to jump to a string on current or later lines\n"
    "\n"
    "    'L' to lock/unlock line switching\n"
    "\n"
    "    'g' to go to a line number\n"
    "    'G' to go a position in a line\n"
    "\n"
    "    'a' to move to an anchored position\n"
    "    'A' to set the anchored position\n"
    "\n";

const char kEditing[] =
    "\nEditing:\n-------\n"
    "\n"
    "    'd' to clear a line\n"
    "    'm' to move a line\n"
    "    'w' to wedge (insert) a new line\n"
    "    'D' to delete a line and shift lines up\n"
    "    'C' to copy a whole line\n"
    "\n"
    "    'c' to copy text to memory\n"
    "    'x' to cut text to memory\n"
    "\n"
    "    'v' to paste text from memory by overwriting\n"
    "    'V' to paste text from memory by inserting and shifting\n"
    "    'i' to insert new text\n"
    "\n"
    "    't' to trim line at current position by deleting text\n"
    "    'T' to trim line and send extra text to next line\n"
    "\n"
    "    'z' to undo an edit\n"
    "\n";

const char kFile[] =
    "\nFile:\n----\n"
    "\n"
    "Filenames can be entered as 1st run argument\n"
    "\n"
    "    's' to save a file with new name prompt\n"
    "    'S' to save a file using existing name\n"
    "\n"
    "    'O' to open a file and replace current buffer\n"
    "\n";

const char kMore[] =
    "\n"
    "    '!' followed by a command letter enters the letter and not the command\n"
    "    '#' to toggle the display of line numbers\n"
    "    'h' to view help menu\n"
    "    '=' to launch a command\n"
    "    '+' to enter the command to be launched\n"
    "    'q' to quit\n"
    "\n";

struct HelpRun {
  std::string output;
  bool ended = false;
  std::string unread;  // what the menu left in the input
};

HelpRun RunHelp(const std::string& script, const CommandKeys& keys, int lines = 32767,
                int lsize = 256) {
  std::string input = script;
  std::FILE* in =
      input.empty() ? std::fopen("/dev/null", "r") : fmemopen(input.data(), input.size(), "r");
  char* buffer = nullptr;
  std::size_t size = 0;
  Io io{in, open_memstream(&buffer, &size)};
  Help(keys, lines, lsize, io);
  HelpRun run;
  run.ended = io.ended;
  for (int c = std::fgetc(in); c != EOF; c = std::fgetc(in)) {
    run.unread += static_cast<char>(c);
  }
  std::fclose(in);
  std::fclose(io.out);
  run.output.assign(buffer, size);
  std::free(buffer);
  return run;
}

CommandKeys DefaultKeys() {
  CommandKeys keys;
  SetDefaultValues(keys);
  return keys;
}

std::string Cat(std::initializer_list<std::string> parts) {
  std::string all;
  for (const std::string& part : parts) {
    all += part;
  }
  return all;
}

TEST(Help, EverySectionByteForByte) {
  const struct {
    const char* answer;
    const char* section;
  } cases[] = {{"n", kNavigation}, {"e", kEditing}, {"f", kFile}, {"m", kMore}};
  for (const auto& c : cases) {
    const HelpRun run = RunHelp(std::string(c.answer) + "\nx\nleft\n", DefaultKeys());
    EXPECT_EQ(run.output, Cat({kLimits, kMenu, c.section, kMenu})) << c.answer;
    EXPECT_FALSE(run.ended);
    EXPECT_EQ(run.unread, "left\n");
  }
}

TEST(Help, OnlyTheFirstLowerCaseCharacterChooses) {
  const struct {
    const char* script;
    std::string output;
  } cases[] = {
      {"x\n", Cat({kLimits, kMenu})},
      {"xyz\n", Cat({kLimits, kMenu})},
      {"navigation\nx\n", Cat({kLimits, kMenu, kNavigation, kMenu})},
      {"more\nexit\nx\n", Cat({kLimits, kMenu, kMore, kMenu, kEditing, kMenu})},
      {"N\nX\n \n\nq\nx\n", Cat({kLimits, kMenu, kMenu, kMenu, kMenu, kMenu, kMenu})},
      {"n\nn\nx\n", Cat({kLimits, kMenu, kNavigation, kMenu, kNavigation, kMenu})},
      {"e\nf\nx\n", Cat({kLimits, kMenu, kEditing, kMenu, kFile, kMenu})},
  };
  for (const auto& c : cases) {
    const HelpRun run = RunHelp(c.script, DefaultKeys());
    EXPECT_EQ(run.output, c.output) << c.script;
    EXPECT_EQ(run.unread, "") << c.script;
  }
}

TEST(Help, LongAnswersAreReadFifteenCharactersAtATime) {
  // 20 n's: "nnnnnnnnnnnnnnn" and then "nnnnn\n", each a separate answer.
  HelpRun run = RunHelp(std::string(20, 'n') + "\nx\n", DefaultKeys());
  EXPECT_EQ(run.output, Cat({kLimits, kMenu, kNavigation, kMenu, kNavigation, kMenu}));
  // 15 n's fill the buffer, so the line end is read as a second, empty answer.
  run = RunHelp(std::string(15, 'n') + "\nx\n", DefaultKeys());
  EXPECT_EQ(run.output, Cat({kLimits, kMenu, kNavigation, kMenu, kMenu}));
  // An 'x' in the second piece leaves; the rest of the line stays unread.
  run = RunHelp(std::string(15, 'e') + "xtra\nafter\n", DefaultKeys());
  EXPECT_EQ(run.output, Cat({kLimits, kMenu, kEditing, kMenu}));
  EXPECT_EQ(run.unread, "after\n");
}

TEST(Help, EndOfInputLeavesTheMenu) {
  const struct {
    const char* script;
    std::string output;
  } cases[] = {
      {"", Cat({kLimits, kMenu})},
      {"n\n", Cat({kLimits, kMenu, kNavigation, kMenu})},
      {"f", Cat({kLimits, kMenu, kFile, kMenu})},  // a last answer without line end counts
  };
  for (const auto& c : cases) {
    const HelpRun run = RunHelp(c.script, DefaultKeys());
    EXPECT_EQ(run.output, c.output) << c.script;
    EXPECT_TRUE(run.ended) << c.script;
  }
}

TEST(Help, SectionsShowReboundKeysExceptOpen) {
  CommandKeys keys;
  // Every command gets a key of its own, from '1' on; open gets 'P', save_overwrite 'O'.
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

  // The open line stays 'O' whatever open is bound to.
  keys = DefaultKeys();
  keys[kOpen] = {'o', '\0'};
  EXPECT_NE(
      RunHelp("f\nx\n", keys).output.find("\n    'O' to open a file and replace current buffer\n"),
      std::string::npos);
}

TEST(Help, RunsFromTheCommandLoopWithTheFileSettings) {
  testing::TempDir dir;
  std::ofstream(".brenik_rc") << "help=?\nundo=u\nmax_char=79\nmax_lines=500\n";
  const testing::Session session = testing::RunSession("?\ne\nx\nq\nq\n");
  EXPECT_EQ(session.status, 0);
  const std::string after = testing::After(session.output, "> ");
  const std::string limits = "\nLimits:  Line length = 79     Total Lines = 500\n\n";
  ASSERT_EQ(after.substr(0, limits.size()), limits);
  // After 'x' the loop prints the view again, straight after the last menu.
  EXPECT_NE(after.find(std::string("    'u' to undo an edit\n\n") + kMenu + "\nEditing 1:1 \n"),
            std::string::npos);
}

TEST(Help, EndOfInputInTheMenuEndsTheEditor) {
  testing::TempDir dir;
  const testing::Session session = testing::RunSession("h\nn\n");
  EXPECT_EQ(session.status, 0);
  const std::string tail = Cat({kNavigation, kMenu});
  ASSERT_GE(session.output.size(), tail.size());
  EXPECT_EQ(session.output.substr(session.output.size() - tail.size()), tail);
}

}  // namespace
}  // namespace brenik

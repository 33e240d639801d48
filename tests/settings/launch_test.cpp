#include "settings/launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_filesystem.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::FakeFileSystem;
using testing::MakeGrid;
using testing::RunSession;
using testing::ScriptedIo;
using Op = FakeFileSystem::Op;

const char kNoCommand[] =
    "There is no command in memory\n"
    "Enter new command or [enter] to keep current one\n";

TEST(SetCommand, ReplacesOnlyWithMoreThanOneTypedCharacter) {
  const std::string shown =
      "Command in memory = make\nEnter new command or [enter] to keep current one\n";
  const struct {
    const char* initial;
    const char* script;
    const char* command;
    std::string output;
  } cases[] = {
      {"", "\n", "", kNoCommand},
      {"", "m\n", "", kNoCommand},
      {"", "ls\n", "ls", kNoCommand},
      {"make", "\n", "make", shown},
      {"make", "m\n", "make", shown},
      {"make", "ls\n", "ls", shown},
      {"make", "ab", "make", shown},  // two characters at the end of input, no line end
      {"make", "abc", "abc", shown},
      {"make", "  \n", "  ", shown},
      {"", "a=b; echo \"$HOME\" max_lines\n", "a=b; echo \"$HOME\" max_lines", kNoCommand},
  };
  for (const auto& c : cases) {
    ScriptedIo console(c.script);
    std::string command = c.initial;
    SetCommand(command, console.io());
    EXPECT_EQ(command, c.command) << c.script;
    EXPECT_EQ(console.output(), c.output) << c.script;
    EXPECT_FALSE(console.io().ended) << c.script;
  }
}

TEST(SetCommand, ReadsAtMost255Characters) {
  const struct {
    std::size_t typed;
    std::size_t kept;
    std::string unread;
  } cases[] = {
      {254, 254, "next\n"},
      {255, 255, "\nnext\n"},  // the line end is left for the command loop
      {300, 255, std::string(45, 'a') + "\nnext\n"},
  };
  for (const auto& c : cases) {
    ScriptedIo console(std::string(c.typed, 'a') + "\nnext\n");
    std::string command;
    SetCommand(command, console.io());
    EXPECT_EQ(command, std::string(c.kept, 'a')) << c.typed;
    EXPECT_EQ(console.rest(), c.unread) << c.typed;
  }
}

TEST(CommandExec, SavesFirstAndRunsTheCommandOnlyAfterASave) {
  using enum SaveResult;
  const std::string saved = std::string(kNoCommand) + "Saved to out.txt\n";
  const std::string named = "Enter a filename to save to\nSaved to named.txt\n";
  const struct {
    const char* command;
    const char* file_name;
    const char* script;
    SaveResult result;
    std::string output;
    std::vector<std::string> ran;
  } cases[] = {
      // No command, and Enter, one letter or the end of input: nothing is saved or run.
      {"", "out.txt", "\n", kCancelled, kNoCommand, {}},
      {"", "out.txt", "x\n", kCancelled, kNoCommand, {}},
      {"", "out.txt", "", kCancelled, kNoCommand, {}},
      {"", "out.txt", "make run\n", kSaved, saved, {"make run"}},
      // A file saved a moment ago is saved again all the same.
      {"ls", "doc.txt", "", kSaved, "Saved to doc.txt\n", {"ls"}},
      {"ls", "", "named.txt\n", kSaved, named, {"ls"}},
      {"ls", "dir", "", kFailed, "Cannot save to dir: Is a directory\n", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.command) + " " + c.file_name + " " + c.script);
    FakeFileSystem fs;
    fs.AddFile("doc.txt", "hello\n\nworld\n");
    fs.AddDirectory("dir");
    ScriptedIo console(c.script);
    // Everything the editor printed must be out before the shell starts.
    std::vector<std::string> shown;
    fs.before_call = [&](Op op, const std::string&) {
      if (op == Op::kSystem) {
        shown.push_back(console.shown());
      }
    };
    std::string command = c.command;
    std::string file_name = c.file_name;
    LineGrid grid = MakeGrid(4, 16, {"hello", "", "world"});
    EXPECT_EQ(CommandExec(command, file_name, grid, console.io(), fs), c.result);
    EXPECT_EQ(console.output(), c.output);
    EXPECT_EQ(fs.commands(), c.ran);
    EXPECT_EQ(shown, std::vector<std::string>(c.ran.size(), c.output));
    EXPECT_EQ(command, c.ran.empty() ? c.command : c.ran[0]);
    if (c.result == kSaved) {
      EXPECT_EQ(fs.Content(file_name), "hello\n\nworld\n");
    } else {
      EXPECT_FALSE(fs.Content("out.txt"));
    }
  }
}

// Whole sessions: the keys reach the dialogs, and the command in memory outlives them.
TEST(CommandExec, RunsFromTheCommandLoop) {
  FakeFileSystem fs;
  const testing::Session session =
      RunSession("hello\n=\necho hi\nout.txt\n+\n\n=\nq\nq\n", {}, &fs);
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(fs.commands(), (std::vector<std::string>{"echo hi", "echo hi"}));
  EXPECT_EQ(fs.Content("out.txt"), "hello\n");
  const std::string after = testing::After(session.output, "Saved to out.txt\n");
  EXPECT_NE(after.find("Command in memory = echo hi\n"
                       "Enter new command or [enter] to keep current one\n"),
            std::string::npos);
  // The second launch saves under the name given the first time, without asking.
  EXPECT_NE(testing::After(session.output, "Saved to out.txt\n", 2), "");
  EXPECT_EQ(testing::After(session.output, "Enter a filename to save to", 2), "");
}

TEST(CommandExec, UsesTheCommandFromTheSettingsFileOnlyWhenAsked) {
  FakeFileSystem fs;
  fs.AddFile(".brenik_rc", "launch_command=make test\ncommand_exec=X\n");
  testing::Session session = RunSession("q\nq\n", {}, &fs);
  EXPECT_TRUE(fs.commands().empty());
  session = RunSession("X\ndoc.txt\nq\nq\n", {}, &fs);
  EXPECT_EQ(fs.commands(), std::vector<std::string>{"make test"});
  EXPECT_EQ(session.output.find("command in memory"), std::string::npos);
}

}  // namespace
}  // namespace brenik

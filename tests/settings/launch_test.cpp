#include "settings/launch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "harness.h"

namespace brenik {
namespace {

using testing::ReadFile;

using testing::MakeGrid;
using testing::RunSession;
using testing::TempDir;

const char kNoCommand[] =
    "There is no command in memory\n"
    "Enter new command or [enter] to keep current one\n";

// The real file system, except that the shell is never started: commands are recorded, along
// with what the editor's output showed at that moment.
class RecordingFileSystem : public PosixFileSystem {
 public:
  std::vector<std::string> commands;
  std::vector<std::string> shown_before;
  char** out_buffer = nullptr;
  std::size_t* out_size = nullptr;

  int System(const char* command) override {
    commands.emplace_back(command);
    if (out_buffer != nullptr) {
      // A memory stream publishes its contents only when flushed.
      shown_before.emplace_back(*out_buffer == nullptr ? "" : std::string(*out_buffer, *out_size));
    }
    return 0;
  }
};

// One dialog on a script: the streams, and what was printed and left unread afterwards.
class Dialog {
 public:
  explicit Dialog(const std::string& script) : input_(script) {
    io.in =
        input_.empty() ? std::fopen("/dev/null", "r") : fmemopen(input_.data(), input_.size(), "r");
    io.out = open_memstream(&buffer_, &size_);
    fs.out_buffer = &buffer_;
    fs.out_size = &size_;
  }
  ~Dialog() {
    std::fclose(io.in);
    std::fclose(io.out);
    std::free(buffer_);
  }
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  std::string Output() {
    std::fflush(io.out);
    return std::string(buffer_, size_);
  }
  std::string Unread() {
    std::string rest;
    for (int c = std::fgetc(io.in); c != EOF; c = std::fgetc(io.in)) {
      rest += static_cast<char>(c);
    }
    return rest;
  }

  Io io;
  RecordingFileSystem fs;

 private:
  std::string input_;
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
};

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
    Dialog dialog(c.script);
    std::string command = c.initial;
    SetCommand(command, dialog.io);
    EXPECT_EQ(command, c.command) << c.script;
    EXPECT_EQ(dialog.Output(), c.output) << c.script;
    EXPECT_FALSE(dialog.io.ended) << c.script;
  }
}

TEST(SetCommand, EndOfInputKeepsTheCommand) {
  Dialog dialog("");
  std::string command = "make";
  SetCommand(command, dialog.io);
  EXPECT_EQ(command, "make");
  EXPECT_TRUE(dialog.io.ended);
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
    Dialog dialog(std::string(c.typed, 'a') + "\nnext\n");
    std::string command;
    SetCommand(command, dialog.io);
    EXPECT_EQ(command, std::string(c.kept, 'a')) << c.typed;
    EXPECT_EQ(dialog.Unread(), c.unread) << c.typed;
  }
}

TEST(CommandExec, WithNoCommandGivenNothingIsSavedOrRun) {
  for (const char* script : {"\n", "x\n", ""}) {
    TempDir dir;
    Dialog dialog(script);
    std::string command;
    std::string file_name = "out.txt";
    LineGrid grid = MakeGrid(4, 16, {"hello"});
    EXPECT_EQ(CommandExec(command, file_name, grid, dialog.io, dialog.fs), SaveResult::kCancelled)
        << script;
    EXPECT_EQ(dialog.Output(), kNoCommand) << script;
    EXPECT_TRUE(dialog.fs.commands.empty()) << script;
    EXPECT_FALSE(std::filesystem::exists("out.txt")) << script;
  }
}

TEST(CommandExec, AsksForTheCommandSavesThenRunsIt) {
  TempDir dir;
  Dialog dialog("make run\n");
  std::string command;
  std::string file_name = "out.txt";
  LineGrid grid = MakeGrid(4, 16, {"hello", "", "world"});
  EXPECT_EQ(CommandExec(command, file_name, grid, dialog.io, dialog.fs), SaveResult::kSaved);
  EXPECT_EQ(command, "make run");
  EXPECT_EQ(ReadFile("out.txt"), "hello\n\nworld\n");
  ASSERT_EQ(dialog.fs.commands, std::vector<std::string>{"make run"});
  // Everything the editor printed was out before the shell started.
  EXPECT_EQ(dialog.fs.shown_before[0], std::string(kNoCommand) + "Saved to out.txt\n");
  EXPECT_EQ(dialog.Output(), std::string(kNoCommand) + "Saved to out.txt\n");
}

TEST(CommandExec, SavesEvenAnUnchangedDocument) {
  TempDir dir;
  std::ofstream("doc.txt") << "same\n";
  Dialog dialog("");
  std::string command = "ls";
  std::string file_name = "doc.txt";
  LineGrid grid = MakeGrid(4, 16, {"same"});
  EXPECT_EQ(CommandExec(command, file_name, grid, dialog.io, dialog.fs), SaveResult::kSaved);
  EXPECT_EQ(dialog.Output(), "Saved to doc.txt\n");
  EXPECT_EQ(dialog.fs.commands, std::vector<std::string>{"ls"});
  EXPECT_EQ(ReadFile("doc.txt"), "same\n");
}

TEST(CommandExec, AsksForAFileNameWhenThereIsNone) {
  TempDir dir;
  Dialog dialog("named.txt\n");
  std::string command = "ls";
  std::string file_name;
  LineGrid grid = MakeGrid(4, 16, {"text"});
  EXPECT_EQ(CommandExec(command, file_name, grid, dialog.io, dialog.fs), SaveResult::kSaved);
  EXPECT_EQ(file_name, "named.txt");
  EXPECT_EQ(ReadFile("named.txt"), "text\n");
  EXPECT_EQ(dialog.fs.commands, std::vector<std::string>{"ls"});
  EXPECT_EQ(dialog.fs.shown_before[0], "Enter a filename to save to\nSaved to named.txt\n");
}

TEST(CommandExec, NamePromptMeetingTheEndOfInputRunsNothing) {
  TempDir dir;
  Dialog dialog("");
  std::string command = "ls";
  std::string file_name;
  LineGrid grid = MakeGrid(4, 16, {"text"});
  EXPECT_EQ(CommandExec(command, file_name, grid, dialog.io, dialog.fs), SaveResult::kCancelled);
  EXPECT_TRUE(dialog.fs.commands.empty());
  EXPECT_EQ(dialog.Output().find("Saved to"), std::string::npos);
  EXPECT_EQ(command, "ls");
}

TEST(CommandExec, FailedSaveRunsNothing) {
  for (const char* name : {"a_directory", "missing_dir/out.txt"}) {
    TempDir dir;
    std::filesystem::create_directory("a_directory");
    Dialog dialog("");
    std::string command = "ls";
    std::string file_name = name;
    LineGrid grid = MakeGrid(4, 16, {"text"});
    EXPECT_EQ(CommandExec(command, file_name, grid, dialog.io, dialog.fs), SaveResult::kFailed)
        << name;
    const std::string output = dialog.Output();
    EXPECT_NE(output.find(name), std::string::npos) << output;
    EXPECT_EQ(output.find("Saved to"), std::string::npos) << output;
    EXPECT_TRUE(dialog.fs.commands.empty()) << name;
    EXPECT_TRUE(std::filesystem::is_directory("a_directory"));
  }
}

// Whole sessions: the keys reach the dialogs, and the command in memory outlives them.
TEST(CommandExec, RunsFromTheCommandLoop) {
  TempDir dir;
  RecordingFileSystem fs;
  const testing::Session session =
      RunSession("hello\n=\necho hi\nout.txt\n+\n\n=\nq\nq\n", {}, &fs);
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(fs.commands, (std::vector<std::string>{"echo hi", "echo hi"}));
  EXPECT_EQ(ReadFile("out.txt"), "hello\n");
  const std::string after = testing::After(session.output, "Saved to out.txt\n");
  EXPECT_NE(after.find("Command in memory = echo hi\n"
                       "Enter new command or [enter] to keep current one\n"),
            std::string::npos);
  // The second launch saves under the name given the first time, without asking.
  EXPECT_NE(testing::After(session.output, "Saved to out.txt\n", 2), "");
  EXPECT_EQ(testing::After(session.output, "Enter a filename to save to", 2), "");
}

TEST(CommandExec, UsesTheCommandFromTheSettingsFileOnlyWhenAsked) {
  TempDir dir;
  std::ofstream(".brenik_rc") << "launch_command=make test\ncommand_exec=X\n";
  RecordingFileSystem fs;
  testing::Session session = RunSession("q\nq\n", {}, &fs);
  EXPECT_TRUE(fs.commands.empty());
  session = RunSession("X\ndoc.txt\nq\nq\n", {}, &fs);
  EXPECT_EQ(fs.commands, std::vector<std::string>{"make test"});
  EXPECT_EQ(session.output.find("command in memory"), std::string::npos);
}

TEST(SetCommand, EndOfInputInTheDialogEndsTheEditor) {
  TempDir dir;
  RecordingFileSystem fs;
  const testing::Session session = RunSession("+\n", {}, &fs);
  EXPECT_EQ(session.status, 0);
  const std::string tail = "Enter new command or [enter] to keep current one\n";
  ASSERT_GE(session.output.size(), tail.size());
  EXPECT_EQ(session.output.substr(session.output.size() - tail.size()), tail);
  EXPECT_TRUE(fs.commands.empty());
}

}  // namespace
}  // namespace brenik

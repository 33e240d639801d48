// Hostile settings, files, names and streams: the editor refuses or copes, in order, and never
// crashes, hangs or loses typed work. Cases that need real descriptors, memory limits or named
// pipes run the real binary.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace brenik {
namespace {

using testing::Count;
using testing::ReadFile;
using testing::WriteFile;

using testing::RunSession;
using testing::Session;
using testing::TempDir;
using testing::WriteRc;

std::vector<std::string> SaveFiles() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    const std::string name = entry.path().filename();
    if (name.find(".save") != std::string::npos) {
      names.push_back(name);
    }
  }
  return names;
}

enum class Input { kFile, kClosed, kDirectory };
// kPipeReadOnce: a pipe whose reader takes one piece of the output, then goes away.
enum class Output { kFile, kClosedPipe, kPipeReadOnce };

struct Exit {
  bool exited = false;  // false: killed by a signal, or stopped after the deadline
  int status = -1;
  bool timed_out = false;
  std::string output;
};

// Runs the real binary in the current directory. Its input is the file "input" (or a closed
// descriptor, or the directory itself); its output goes to the file "output" or into a pipe.
// `memory` limits its address space when not 0.
Exit RunBinary(const std::vector<std::string>& args, Input input, Output output,
               rlim_t memory = 0) {
  int pipe_fds[2] = {-1, -1};
  if (output != Output::kFile && pipe(pipe_fds) != 0) {
    return {};
  }
  const pid_t pid = fork();
  if (pid == 0) {
    if (memory != 0) {
      // In a coverage build the profile writer at exit needs memory too; under the limit it
      // would spoil the shared counts, so it writes into the test's own directory instead.
      setenv("GCOV_PREFIX", std::filesystem::current_path().c_str(), 1);
      const struct rlimit limit = {memory, memory};
      setrlimit(RLIMIT_AS, &limit);
    }
    switch (input) {
      case Input::kFile:
        dup2(open("input", O_RDONLY), 0);
        break;
      case Input::kClosed:
        close(0);
        break;
      case Input::kDirectory:
        dup2(open(".", O_RDONLY | O_DIRECTORY), 0);
        break;
    }
    if (output != Output::kFile) {
      dup2(pipe_fds[1], 1);
      close(pipe_fds[0]);
      close(pipe_fds[1]);
    } else {
      dup2(open("output", O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
    }
    std::vector<std::string> owned = {BRENIK_BINARY};
    owned.insert(owned.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : owned) {
      argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    execv(BRENIK_BINARY, argv.data());
    _exit(127);
  }
  if (output != Output::kFile) {
    close(pipe_fds[1]);
    if (output == Output::kPipeReadOnce) {
      char piece[4096];
      static_cast<void>(read(pipe_fds[0], piece, sizeof piece));
    }
    // The only read end is gone: every later write fails.
    close(pipe_fds[0]);
  }
  Exit result;
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      result.timed_out = true;
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  result.exited = WIFEXITED(status);
  result.status = result.exited ? WEXITSTATUS(status) : -WTERMSIG(status);
  if (output == Output::kFile) {
    result.output = ReadFile("output");
  }
  return result;
}

// Settings at and beyond the 32-bit range: ApplyRC's tables in rc_test.cpp.
TEST(BadInput, GridOrBuffersTooLargeForMemoryAreRefused) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizer's shadow memory does not fit under an address-space limit";
#endif
  // Each of these fits in 32 bits, and either the grid or the six line buffers of lsize bytes
  // beside it need more than the 512 MiB the editor is allowed here.
  for (const char* rc :
       {"max_lines=1\nmax_char=100000000\n", "max_lines=1\nmax_char=2147483646\n",
        "max_lines=2147483647\nmax_char=2\n", "max_lines=100000000\nmax_char=100000000\n"}) {
    SCOPED_TRACE(rc);
    TempDir dir;
    WriteRc(rc);
    WriteFile("input", "typed\nq\nq\n");
    const Exit e = RunBinary({}, Input::kFile, Output::kFile, rlim_t{1} << 29);
    ASSERT_TRUE(e.exited) << "ended by signal " << -e.status << (e.timed_out ? " (timeout)" : "");
    EXPECT_EQ(e.status, 1);
    EXPECT_NE(e.output.find("Not enough memory"), std::string::npos) << e.output;
    EXPECT_EQ(e.output.find("Editing"), std::string::npos);
  }
}

TEST(BadInput, SettingsFileOf100KilobytesOfNoise) {
  TempDir dir;
  std::mt19937 rng(6);
  const char alphabet[] = "=\n_ amxlinechr0123456789-+qQ\r\t\x01\xff";
  std::string rc;
  while (rc.size() < 100 * 1024) {
    rc += alphabet[std::uniform_int_distribution<int>(0, sizeof alphabet - 2)(rng)];
  }
  rc += "\nmax_lines=40\nmax_char=30\nquit=q\nhelp=h\n";
  WriteRc(rc);
  const Session s = RunSession("h\nx\nq\nq\n");
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.output.find("Line length = 30     Total Lines = 40"), std::string::npos);
  EXPECT_EQ(ReadFile(".brenik_rc"), rc) << "a settings file is never rewritten";
}

TEST(BadInput, FileWithZeroBytes) {
  TempDir dir;
  WriteFile("doc", std::string("ab\0cd\nef\n\0\0", 11));
  const Session s = RunSession("g\n2\n!x\nq\nq\n", {"doc"});
  EXPECT_EQ(s.status, 0);
  EXPECT_NE(s.output.find("A zero byte at offset 2 ends the text"), std::string::npos) << s.output;
  EXPECT_NE(s.output.find("\n 1  ab\n 2  x\n[3] \n"), std::string::npos) << s.output;
  EXPECT_EQ(ReadFile("doc"), std::string("ab\0cd\nef\n\0\0", 11)) << "nothing saved";
}

TEST(BadInput, FileOfOneMegabyteLine) {
  TempDir dir;
  const std::size_t size = 1 << 20;
  std::string line(size, 'x');
  for (std::size_t k = 0; k < size; k += 7) {
    line[k] = static_cast<char>('a' + k % 26);
  }
  WriteFile("doc", line + "\n");
  // The line is cut into pieces of 255 characters, each a line of the grid, and saved so.
  const Session s = RunSession("S\nq\nq\n", {"doc"});
  EXPECT_EQ(s.status, 0);
  const std::size_t pieces = (size + 254) / 255;
  EXPECT_EQ(Count(s.output, "is being split\n"), static_cast<int>(pieces - 1));
  EXPECT_NE(s.output.find(std::to_string(pieces - 1) + " Lines Generated\n"), std::string::npos);
  std::string expected;
  for (std::size_t at = 0; at < size; at += 255) {
    expected += line.substr(at, 255) + "\n";
  }
  EXPECT_EQ(ReadFile("doc"), expected);

  // In a grid too small for it, only the part that fits is kept, and only on "Y".
  WriteRc("max_lines=10\nmax_char=99\n");
  WriteFile("doc", line + "\n");
  const Session declined = RunSession("n\n", {"doc"});
  EXPECT_EQ(declined.status, 1);
  EXPECT_NE(declined.output.find("Only 0.1 percent of the data was loaded"), std::string::npos)
      << declined.output;
  const Session kept = RunSession("Y\nS\nq\nq\n", {"doc"});
  EXPECT_EQ(kept.status, 0);
  expected.clear();
  for (std::size_t at = 0; at < 990; at += 99) {
    expected += line.substr(at, 99) + "\n";
  }
  EXPECT_EQ(ReadFile("doc"), expected);
}

TEST(BadInput, FileOfAMillionEmptyLines) {
  TempDir dir;
  WriteFile("doc", std::string(1000000, '\n'));
  // The default grid holds 32767 of them.
  const Session partial = RunSession("Y\nabc\nq\nq\n", {"doc"});
  EXPECT_EQ(partial.status, 0);
  EXPECT_NE(partial.output.find("32767 Lines Generated\n"), std::string::npos);
  EXPECT_NE(partial.output.find("Only 3.3 percent of the data was loaded"), std::string::npos);
  EXPECT_NE(partial.output.find("\nEditing 2:1 doc\n"), std::string::npos);

  // A grid of a million lines takes them all; saving drops the trailing empty lines.
  WriteRc("max_lines=1000000\n");
  const Session whole = RunSession("g\n1000000\nend\nS\nq\nq\n", {"doc"});
  EXPECT_EQ(whole.status, 0);
  EXPECT_NE(whole.output.find("999999 Lines Generated\n"), std::string::npos);
  EXPECT_EQ(whole.output.find("Warning"), std::string::npos) << "everything fitted";
  EXPECT_EQ(ReadFile("doc"), std::string(999999, '\n') + "end\n");
}

TEST(BadInput, FileThatIsADirectoryOrANamedPipe) {
  for (const char* name : {"dir", "pipe"}) {
    SCOPED_TRACE(name);
    TempDir dir;
    ASSERT_EQ(std::string(name) == "dir" ? mkdir(name, 0755) : mkfifo(name, 0644), 0);
    // As the argument, at the open dialog, as the target of a save, and beside the emergency
    // file: nothing waits for a writer or a reader that never comes. A refused argument is not
    // kept as the name to save to, so the save asks for one.
    WriteFile("input", std::string("typed\nS\n") + name + "\nO\n" + name + "\n");
    const Exit e = RunBinary({name}, Input::kFile, Output::kFile);
    ASSERT_TRUE(e.exited) << (e.timed_out ? "the editor hung" : "killed by a signal");
    EXPECT_EQ(e.status, 1) << e.output;
    const std::string refusal = std::string("Cannot open ") + name + ": ";
    EXPECT_EQ(Count(e.output, refusal), 2) << e.output;
    EXPECT_EQ(Count(e.output, "Enter a filename to save to\n"), 1) << e.output;
    EXPECT_NE(e.output.find(std::string("Cannot save to ") + name + ": "), std::string::npos);
    EXPECT_EQ(ReadFile(std::string(name) + ".save"), "typed\n");
  }
}

TEST(BadInput, NamesOf255And256CharactersAtThePrompts) {
  const std::string k255(255, 'k');
  const std::string k256(256, 'k');
  {
    SCOPED_TRACE("255 at the name prompt of a save");
    TempDir dir;
    // The name and its line end take 256 bytes: the line end is read as the next input.
    const Session s = RunSession("typed\nS\n" + k255 + "\nq\nq\n");
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(ReadFile(k255), "typed\n");
    EXPECT_NE(s.output.find("\nEditing 3:1 " + k255 + "\n"), std::string::npos);
  }
  {
    SCOPED_TRACE("256 at the name prompt of a save");
    TempDir dir;
    // The 256th character is the next input: text on line 2. At the end of input the
    // emergency file's name would be too long beside the document, so it goes to brenik.save.
    const Session s = RunSession("typed\nS\n" + k256 + "\n");
    EXPECT_EQ(s.status, 1);
    EXPECT_EQ(ReadFile(k255), "typed\n");
    EXPECT_EQ(ReadFile("brenik.save"), "typed\nk\n");
  }
  // 256 at save_prompt: DefineSaveName.NameLengthsAtTheReadLimit in save_test.cpp.
  {
    SCOPED_TRACE("255 and 256 at the open dialog");
    TempDir dir;
    WriteFile(k255, "long name\n");
    // The line end left over by 255 characters moves the cursor down; the 256th character of
    // the other name is text on that line.
    const Session s = RunSession("O\n" + k255 + "\nO\n" + k256 + "\nq\nq\n");
    EXPECT_EQ(s.status, 0);
    EXPECT_EQ(Count(s.output, "Opened " + k255 + "\n"), 2);
    EXPECT_NE(s.output.find("\n 1  long name\n 2  k\n"), std::string::npos) << s.output;
  }
  {
    SCOPED_TRACE("300 at the open dialog of a missing file");
    TempDir dir;
    const Session s = RunSession("O\n" + std::string(300, 'k') + "\nq\nq\n");
    EXPECT_EQ(s.status, 0);
    EXPECT_NE(s.output.find("File " + k255 + " not found!\n"), std::string::npos);
  }
  {
    SCOPED_TRACE("255 as the argument, with work left unsaved");
    TempDir dir;
    const Session s = RunSession("typed\n", {k255});
    EXPECT_EQ(s.status, 1);
    EXPECT_EQ(ReadFile("brenik.save"), "typed\n");
    EXPECT_NE(s.output.find("Unsaved changes were written to brenik.save"), std::string::npos);
  }
}

TEST(BadInput, StandardInputClosedOrADirectory) {
  for (const Input input : {Input::kClosed, Input::kDirectory}) {
    SCOPED_TRACE(input == Input::kClosed ? "closed" : "a directory");
    TempDir dir;
    WriteFile("doc", "text\n");
    const Exit e = RunBinary({"doc"}, input, Output::kFile);
    ASSERT_TRUE(e.exited) << (e.timed_out ? "the editor hung" : "killed by a signal");
    EXPECT_EQ(e.status, 0);
    // One view, then the end: nothing was read, nothing changed, nothing written.
    EXPECT_EQ(Count(e.output, "\nEditing "), 1) << e.output;
    EXPECT_TRUE(e.output.ends_with("  > ")) << e.output;
    EXPECT_EQ(SaveFiles(), std::vector<std::string>{});
    EXPECT_EQ(ReadFile("doc"), "text\n");
  }
}

TEST(BadInput, OutputToAClosedPipeEndsTheEditor) {
  {
    SCOPED_TRACE("with unsaved work");
    TempDir dir;
    std::string input;
    for (int k = 0; k < 20000; ++k) {
      input += "typed line\n";
    }
    WriteFile("input", input);
    const Exit e = RunBinary({"doc"}, Input::kFile, Output::kPipeReadOnce);
    ASSERT_TRUE(e.exited) << (e.timed_out ? "the editor spun" : "killed by a signal");
    EXPECT_EQ(e.status, 1);
    // The editor stopped at the first prompt after the failed write, long before the end.
    const std::string saved = ReadFile("doc.save");
    EXPECT_FALSE(saved.empty());
    EXPECT_LT(saved.size(), input.size());
    EXPECT_EQ(saved.find_first_not_of("typed lin\n"), std::string::npos);
  }
  {
    SCOPED_TRACE("closed from the start, without unsaved work");
    TempDir dir;
    // Only an editor that went on to the end would meet the text on the last line.
    WriteFile("input", std::string(20000, '\n') + "typed\n");
    const Exit e = RunBinary({"doc"}, Input::kFile, Output::kClosedPipe);
    ASSERT_TRUE(e.exited) << (e.timed_out ? "the editor spun" : "killed by a signal");
    EXPECT_EQ(e.status, 1);  // a lost output is a failure, even with nothing to keep
    EXPECT_EQ(SaveFiles(), std::vector<std::string>{});
  }
}

}  // namespace
}  // namespace brenik

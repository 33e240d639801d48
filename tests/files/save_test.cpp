#include "files/save.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "fake_filesystem.h"
#include "files/load.h"
#include "harness.h"

namespace brenik {
namespace {

namespace fsys = std::filesystem;
using testing::FakeFileSystem;
using testing::GridBytes;
using testing::MakeGrid;
using testing::ReadFile;
using testing::ScriptedIo;
using testing::TempDir;
using testing::WriteFile;
using Op = FakeFileSystem::Op;

struct Result {
  SaveResult result;
  std::string output;
};

Result RunSave(std::string& file_name, LineGrid& grid, FileSystem& fs,
               const std::string& script = "") {
  ScriptedIo console(script);
  Result run;
  run.result = Save(file_name, grid, console.io(), fs);
  run.output = console.output();
  return run;
}

std::vector<std::string> Names(const std::string& directory) {
  std::vector<std::string> names;
  for (const auto& entry : fsys::directory_iterator(directory)) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Save, WritesTheTextFormat) {
  struct Case {
    const char* what;
    int lsize;
    std::vector<std::string> slots;
    std::string file;
  };
  const Case cases[] = {
      {"an empty grid is one newline", 8, {}, "\n"},
      {"text only in slot 9",
       8,
       {"", "", "", "", "", "", "", "", "", "tenth"},
       "\n\n\n\n\n\n\n\n\ntenth\n"},
      {"trailing empty slots are dropped", 8, {"a", "", "b", "", ""}, "a\n\nb\n"},
      {"a full slot is written whole", 8, {"1234567", "x"}, "1234567\nx\n"},
      {"bytes are written as they are", 8, {"a\tb\r", "\x7f\xff"}, "a\tb\r\n\x7f\xff\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    LineGrid grid = MakeGrid(12, c.lsize, c.slots);
    std::string name = "out.txt";
    const Result run = RunSave(name, grid, fs);
    EXPECT_EQ(run.result, SaveResult::kSaved);
    EXPECT_EQ(run.output, "Saved to out.txt\n");
    EXPECT_EQ(fs.Content("out.txt"), c.file);
    EXPECT_EQ(fs.Calls(Op::kWrite), 1) << "the text goes out in one write";
  }
}

TEST(Save, RoundTripGivesTheSameGrid) {
  // A newline inside a line's text is the one thing that does not come back as it was.
  const std::vector<std::vector<std::string>> documents = {
      {},
      {"only"},
      {"", "", "x"},
      {"abc", "", "d\te", "\r", "1234567"},
      {"1234567", "1234567", "1234567", "1234567", "1234567", "1234567"},
  };
  for (const auto& document : documents) {
    FakeFileSystem fs;
    LineGrid grid = MakeGrid(6, 8, document);
    std::string name = "f";
    ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
    LineGrid back = MakeGrid(6, 8, {"stale", "bytes", "every", "where", "in", "it"});
    ScriptedIo console("");
    bool saved = false;
    std::string open_path = "f";
    ASSERT_EQ(Open(kStartUpMode, open_path, back, name, console.io(), fs, saved),
              OpenResult::kLoaded);
    EXPECT_EQ(GridBytes(back), GridBytes(grid)) << console.output();
  }
  FakeFileSystem fs;
  LineGrid grid = MakeGrid(6, 8, {"a\nb", "c"});
  std::string name = "f";
  ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
  EXPECT_EQ(fs.Content("f"), "a\nb\nc\n");
}

// The name prompt of Save: the files_save_prompt transcript and end_of_input_test.cpp.

TEST(DefineSaveName, Dialog) {
  struct Case {
    const char* what;
    std::string script;
    int result;
    std::string name;    // the current file name afterwards; "cur" before
    std::string output;  // after the first prompt
  };
  const std::string exists = "The file already exists.\nEnter a new filename or 'o' to overwrite\n";
  const Case cases[] = {
      {"x returns", "x\n", 0, "cur", ""},
      {"end of input returns", "", 0, "cur", ""},
      {"a missing name saves at once", "new\n", 1, "new", ""},
      {"an empty name is left to the name prompt", "\n", 1, "", ""},
      {"X is a name", "X\n", 1, "X", ""},
      {"o overwrites", "old\no\n", 1, "old", exists},
      {"another missing name", "old\nnew\n", 1, "new", exists},
      {"existing names loop", "old\nold2\nold\nnew\n", 1, "new",
       exists + "File exists. Try again\nFile exists. Try again\n"},
      {"o and x are names in the loop", "old\nold2\no\nx\n", 1, "x",
       exists + "File exists. Try again\nFile exists. Try again\n"},
      {"an unreadable file exists", "locked\no\n", 1, "locked", exists},
      {"a dangling link exists", "dangling\nnew\n", 1, "new", exists},
      {"end of input at the overwrite question", "old\n", 0, "cur", exists},
      {"end of input in the loop", "old\nold2\n", 0, "cur", exists + "File exists. Try again\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    fs.AddFile("old", "1\n");
    fs.AddFile("old2", "2\n");
    fs.AddFile("o", "3\n");
    fs.AddFile("locked", "4\n", 0);
    fs.AddSymlink("dangling", "nowhere");
    ScriptedIo console(c.script);
    std::string name = "cur";
    EXPECT_EQ(DefineSaveName(name, console.io(), fs), c.result);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(console.output(), "Enter a filename to save to, or 'x' to return\n" + c.output);
    EXPECT_EQ(fs.OpenDescriptors(), 0);
  }
}

TEST(DefineSaveName, NameLengthsAtTheReadLimit) {
  struct Case {
    std::size_t length;
    std::size_t taken;
    std::string rest;
  };
  const Case cases[] = {
      {254, 254, "after\n"},
      {255, 255, "\nafter\n"},
      {300, 255, std::string(45, 'n') + "\nafter\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    FakeFileSystem fs;
    ScriptedIo console(std::string(c.length, 'n') + "\nafter\n");
    std::string name;
    EXPECT_EQ(DefineSaveName(name, console.io(), fs), 1);
    EXPECT_EQ(name, std::string(c.taken, 'n'));
    EXPECT_EQ(console.rest(), c.rest);
  }
}

// A document over an existing file on the fake disk, for the failure paths.
struct Scene {
  Scene() {
    fs.AddFile("/home/u/doc.txt", kOld, 0640);
    fs.AddFile("/home/u/other", "neighbour\n");
    fs.SetWorkingDirectory("/home/u");
    listing = fs.List("/home/u");
    for (int k = 0; k < 30; ++k) {
      new_text += "a new line of new text\n";
    }
  }

  Result SaveIt() { return RunSave(name, grid, fs); }

  // The old file is there byte for byte with its mode, and nothing was left beside it.
  void ExpectUntouched() {
    EXPECT_EQ(fs.Content("doc.txt"), kOld);
    EXPECT_EQ(fs.Mode("doc.txt"), S_IFREG | 0640);
    EXPECT_EQ(fs.List("/home/u"), listing);
    EXPECT_EQ(fs.OpenDescriptors(), 0);
    EXPECT_EQ(name, "doc.txt");
  }

  static constexpr const char* kOld = "the old text\nthat must survive\n";
  FakeFileSystem fs;
  std::string name = "doc.txt";
  LineGrid grid = MakeGrid(40, 32, std::vector<std::string>(30, "a new line of new text"));
  std::string new_text;
  std::vector<std::string> listing;
};

TEST(FaultySave, EveryFailureKeepsTheOldFile) {
  struct Case {
    const char* what;
    std::function<void(FakeFileSystem&)> fault;
    std::string output;
  };
  const Case cases[] = {
      {"no room for a new file",
       [](FakeFileSystem& fs) { fs.FailNth(Op::kOpen, 1, ENOSPC, ".brenik-save"); },
       "Cannot save to doc.txt: No space left on device\n"},
      {"the third write finds the disk full",
       [](FakeFileSystem& fs) {
         fs.LimitNth(Op::kWrite, 1, 100);
         fs.LimitNth(Op::kWrite, 2, 100);
         fs.FailNth(Op::kWrite, 3, ENOSPC);
       },
       "Cannot save to doc.txt: No space left on device\n"},
      {"quota", [](FakeFileSystem& fs) { fs.FailNth(Op::kWrite, 1, EDQUOT); },
       "Cannot save to doc.txt: Disk quota exceeded\n"},
      {"disk full part-way", [](FakeFileSystem& fs) { fs.set_capacity(200); },
       "Cannot save to doc.txt: No space left on device\n"},
      {"file size limit", [](FakeFileSystem& fs) { fs.set_file_size_limit(300); },
       "Cannot save to doc.txt: File too large\n"},
      {"a write that moves nothing", [](FakeFileSystem& fs) { fs.LimitNth(Op::kWrite, 1, 0); },
       "Cannot save to doc.txt: Input/output error\n"},
      {"sync fails", [](FakeFileSystem& fs) { fs.FailNth(Op::kFsync, 1, EIO); },
       "Cannot save to doc.txt: Input/output error\n"},
      {"close fails", [](FakeFileSystem& fs) { fs.FailNth(Op::kClose, 1, EIO, ".brenik-save"); },
       "Cannot save to doc.txt: Input/output error\n"},
      {"rename fails", [](FakeFileSystem& fs) { fs.FailNth(Op::kRename, 1, EBUSY); },
       "Cannot save to doc.txt: Device or resource busy\n"},
      {"the name cannot be looked up", [](FakeFileSystem& fs) { fs.FailNth(Op::kLstat, 1, EIO); },
       "Cannot save to doc.txt: Input/output error\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scene scene;
    c.fault(scene.fs);
    const Result failed = scene.SaveIt();
    EXPECT_EQ(failed.result, SaveResult::kFailed);
    EXPECT_EQ(failed.output, c.output);
    scene.ExpectUntouched();
    // Nothing about the editor's state stands in the way of trying again.
    scene.fs.ClearFaults();
    scene.fs.set_capacity(FakeFileSystem::kNoLimit);
    scene.fs.set_file_size_limit(FakeFileSystem::kNoLimit);
    const Result retried = scene.SaveIt();
    EXPECT_EQ(retried.result, SaveResult::kSaved);
    EXPECT_EQ(retried.output, "Saved to doc.txt\n");
    EXPECT_EQ(scene.fs.Content("doc.txt"), scene.new_text);
    EXPECT_EQ(scene.fs.List("/home/u"), scene.listing);
  }
}

TEST(FaultySave, ATemporaryFileThatCannotBeRemovedIsNamed) {
  Scene scene;
  scene.fs.FailNth(Op::kFsync, 1, EIO);
  scene.fs.FailNth(Op::kUnlink, 1, EROFS);
  const Result run = scene.SaveIt();
  EXPECT_EQ(run.result, SaveResult::kFailed);
  EXPECT_TRUE(run.output.starts_with("Cannot remove the temporary file ./.brenik-save-"))
      << run.output;
  EXPECT_TRUE(
      run.output.ends_with(": Read-only file system\n"
                           "Cannot save to doc.txt: Input/output error\n"))
      << run.output;
  EXPECT_EQ(scene.fs.Content("doc.txt"), Scene::kOld);
}

TEST(FaultySave, TheTargetHoldsOneWholeTextAtEveryStep) {
  Scene scene;
  FakeFileSystem& fs = scene.fs;
  const std::string old_text = Scene::kOld;
  int steps = 0;
  fs.before_call = [&](Op op, const std::string& path) {
    ++steps;
    const std::optional<std::string> now = fs.Content("doc.txt");
    EXPECT_TRUE(now == old_text || now == scene.new_text) << "mid-save state at call " << steps;
    if (op == Op::kRename) {
      // What the rename puts in place is on the disk already.
      const std::string from = path.substr(0, path.find(" -> "));
      EXPECT_EQ(fs.Content(from, true), scene.new_text);
    }
  };
  ASSERT_EQ(scene.SaveIt().result, SaveResult::kSaved);
  fs.before_call = nullptr;
  EXPECT_EQ(fs.Content("doc.txt"), scene.new_text);
  EXPECT_EQ(fs.Content("doc.txt", true), scene.new_text);
  EXPECT_EQ(fs.Mode("doc.txt"), S_IFREG | 0640);
  EXPECT_EQ(fs.List("/home/u"), scene.listing);
  // The directory is synced after the rename, so the new name survives a crash too.
  const auto& calls = fs.calls();
  const auto rename = std::find_if(calls.begin(), calls.end(),
                                   [](const auto& call) { return call.op == Op::kRename; });
  ASSERT_NE(rename, calls.end());
  EXPECT_TRUE(std::any_of(rename, calls.end(), [](const auto& call) {
    return call.op == Op::kOpen && call.path == "." && (call.flags & O_DIRECTORY) != 0;
  }));
  EXPECT_TRUE(std::any_of(rename, calls.end(), [](const auto& call) {
    return call.op == Op::kFsync && call.path == ".";
  }));
}

TEST(SaveTarget, ModeAndOwnerSurvive) {
  struct Case {
    const char* what;
    uid_t user;
    mode_t mode;
    uid_t owner;
    gid_t group;
    mode_t mode_after;
    uid_t owner_after;
    gid_t group_after;
  };
  const Case cases[] = {
      {"private file", 1000, 0600, 1000, 1000, 0600, 1000, 1000},
      {"odd bits", 1000, 0751, 1000, 1000, 0751, 1000, 1000},
      {"set-group-id kept for the owner", 1000, 02775, 1000, 1000, 02775, 1000, 1000},
      {"root keeps a stranger's file theirs", 0, 04755, 1234, 5678, 04755, 1234, 5678},
      {"a group member keeps the group", 1000, 0664, 2000, 1000, 0664, 1000, 1000},
      {"set-user-id is not lent to a new owner", 1000, 04776, 2000, 1000, 0776, 1000, 1000},
      {"nor set-group-id to a group not kept", 1000, 02666, 2000, 3000, 0666, 1000, 1000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeFileSystem fs;
    fs.AddDirectory("/shared", 0777);
    fs.AddFile("/shared/f", "old\n", c.mode);
    fs.SetOwner("/shared/f", c.owner, c.group);
    fs.SetUser(c.user, 1000);
    LineGrid grid = MakeGrid(4, 8, {"new"});
    std::string name = "/shared/f";
    ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
    const std::optional<struct stat> info = fs.Info("/shared/f");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->st_mode, S_IFREG | c.mode_after);
    EXPECT_EQ(info->st_uid, c.owner_after);
    EXPECT_EQ(info->st_gid, c.group_after);
    EXPECT_EQ(fs.Content("/shared/f"), "new\n");
  }
}

TEST(SaveTarget, ANewFileGetsTheUsualCreateMode) {
  for (const auto& [umask, mode] :
       {std::pair<mode_t, mode_t>{022, 0644}, {077, 0600}, {0, 0666}, {027, 0640}}) {
    FakeFileSystem fs;
    fs.set_umask(umask);
    LineGrid grid = MakeGrid(4, 8, {"x"});
    std::string name = "fresh";
    ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
    EXPECT_EQ(fs.Mode("fresh"), S_IFREG | mode) << "umask " << umask;
  }
}

TEST(SaveTarget, LinksAndSpecialFiles) {
  LineGrid grid = MakeGrid(4, 8, {"new"});
  {
    SCOPED_TRACE("a chain of relative links across directories");
    FakeFileSystem fs;
    fs.AddFile("/a/b/target", "old\n");
    fs.AddSymlink("/a/b/hop", "target");
    fs.AddSymlink("/c/first", "../a/b/hop");
    std::string name = "/c/first";
    ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
    EXPECT_EQ(fs.Content("/a/b/target"), "new\n");
    EXPECT_TRUE(S_ISLNK(fs.Mode("/a/b/hop")));
    EXPECT_TRUE(S_ISLNK(fs.Mode("/c/first")));
  }
  {
    SCOPED_TRACE("a dangling link gets its file made");
    FakeFileSystem fs;
    fs.AddSymlink("link", "made");
    std::string name = "link";
    ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
    EXPECT_EQ(fs.Content("made"), "new\n");
    EXPECT_TRUE(S_ISLNK(fs.Mode("link")));
  }
  {
    SCOPED_TRACE("a link loop");
    FakeFileSystem fs;
    fs.AddSymlink("a", "b");
    fs.AddSymlink("b", "a");
    std::string name = "a";
    const Result run = RunSave(name, grid, fs);
    EXPECT_EQ(run.result, SaveResult::kFailed);
    EXPECT_EQ(run.output, "Cannot save to a: Too many levels of symbolic links\n");
  }
  {
    SCOPED_TRACE("hard links all see the new text");
    FakeFileSystem fs;
    fs.AddFile("doc", "old\n");
    fs.AddHardLink("doc", "alias");
    std::string name = "doc";
    ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
    EXPECT_EQ(fs.Content("alias"), "new\n");
    EXPECT_EQ(fs.Info("doc")->st_nlink, 2u);
    EXPECT_EQ(fs.Info("doc")->st_ino, fs.Info("alias")->st_ino);
  }
  {
    SCOPED_TRACE("a device is written, not replaced");
    FakeFileSystem fs;
    fs.AddSpecial("dev", S_IFCHR | 0666);
    std::string name = "dev";
    ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
    EXPECT_TRUE(S_ISCHR(fs.Mode("dev")));
    EXPECT_EQ(fs.Content("dev"), "new\n");
  }
  {
    SCOPED_TRACE("a failure in place says the file may be incomplete");
    FakeFileSystem fs;
    fs.AddFile("doc", "old\n");
    fs.AddHardLink("doc", "alias");
    fs.FailNth(Op::kWrite, 1, ENOSPC);
    std::string name = "doc";
    const Result run = RunSave(name, grid, fs);
    EXPECT_EQ(run.result, SaveResult::kFailed);
    EXPECT_EQ(run.output,
              "Cannot save to doc: No space left on device; it was rewritten in place and may be "
              "incomplete\n");
  }
}

TEST(SaveTarget, PermissionsAsAnOrdinaryUser) {
  LineGrid grid = MakeGrid(4, 8, {"new"});
  {
    SCOPED_TRACE("a read-only file is not replaced behind its back");
    FakeFileSystem fs;
    fs.AddFile("/home/doc", "old\n", 0444);
    std::string name = "/home/doc";
    const Result run = RunSave(name, grid, fs);
    EXPECT_EQ(run.result, SaveResult::kFailed);
    EXPECT_EQ(run.output, "Cannot save to /home/doc: Permission denied\n");
    EXPECT_EQ(fs.Content("/home/doc"), "old\n");
  }
  {
    SCOPED_TRACE("a closed directory: the file is rewritten in place");
    FakeFileSystem fs;
    fs.AddDirectory("/home/locked", 0555);
    fs.AddFile("/home/locked/doc", "old\n", 0644);
    std::string name = "/home/locked/doc";
    ASSERT_EQ(RunSave(name, grid, fs).result, SaveResult::kSaved);
    EXPECT_EQ(fs.Content("/home/locked/doc"), "new\n");
    EXPECT_EQ(fs.Mode("/home/locked/doc"), S_IFREG | 0644);
    EXPECT_EQ(fs.List("/home/locked"), std::vector<std::string>{"doc"});
  }
  {
    SCOPED_TRACE("a closed directory cannot take a new file");
    FakeFileSystem fs;
    fs.AddDirectory("/locked", 0555);
    std::string name = "/locked/new";
    const Result run = RunSave(name, grid, fs);
    EXPECT_EQ(run.result, SaveResult::kFailed);
    EXPECT_EQ(run.output, "Cannot save to /locked/new: Permission denied\n");
    EXPECT_TRUE(fs.List("/locked").empty());
  }
  {
    SCOPED_TRACE("a folder that does not exist, a directory, a file on the way");
    FakeFileSystem fs;
    fs.AddDirectory("dir");
    fs.AddFile("plain", "p\n");
    for (const auto& [name, error] :
         {std::pair<std::string, std::string>{"nowhere/doc", "No such file or directory"},
          {"dir", "Is a directory"},
          {"plain/doc", "Not a directory"}}) {
      std::string target = name;
      const Result run = RunSave(target, grid, fs);
      EXPECT_EQ(run.result, SaveResult::kFailed);
      EXPECT_EQ(run.output, "Cannot save to " + name + ": " + error + "\n");
    }
    EXPECT_EQ(fs.List("/"), (std::vector<std::string>{"dir", "plain"}));
    EXPECT_TRUE(fs.List("dir").empty());
    EXPECT_EQ(fs.Content("plain"), "p\n");
  }
}

// ---- The real disk ----
// Permission bits are exercised on the fake above, as an ordinary user, because the tests may
// run as root, for whom the real disk checks nothing.

TEST(RealDisk, ThroughASymbolicLinkTheModeSurvives) {
  TempDir dir;
  PosixFileSystem fs;
  LineGrid grid = MakeGrid(4, 8, {"new", "text"});
  fsys::create_directory("real");
  WriteFile("real/doc", "old\n");
  ASSERT_EQ(chmod("real/doc", 0600), 0);
  ASSERT_EQ(symlink("real/doc", "link"), 0);
  struct stat before = {};
  ASSERT_EQ(stat("real/doc", &before), 0);
  std::string name = "link";
  ASSERT_EQ(RunSave(name, grid, fs).output, "Saved to link\n");
  EXPECT_EQ(fsys::read_symlink("link"), "real/doc");
  EXPECT_EQ(ReadFile("real/doc"), "new\ntext\n");
  struct stat after = {};
  ASSERT_EQ(stat("real/doc", &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0600u);
  // Replaced whole by a new file renamed beside it, not rewritten in place.
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(Names("real"), std::vector<std::string>{"doc"});
}

TEST(RealDisk, TheEditorSurvivesAFileSizeLimit) {
  TempDir dir;
  // The settings file first, so that the limit meets only the save.
  WriteFile(".brenik_rc", "lines_per_page=1\n");
  const std::string old_text = "short\n";
  WriteFile("doc.txt", old_text);
  std::string script;
  for (int k = 0; k < 30; ++k) {
    script += std::string(100, static_cast<char>('a' + k % 26)) + "\n";
  }
  script += "S\nq\nq\n";
  WriteFile("script", script);
  // The output goes through a pipe, where the limit does not reach it. A coverage build writes
  // its counts at exit, which the limit would cut short; they go aside, into "profile".
  const std::string command = std::string("ulimit -f 2 && GCOV_PREFIX=\"$PWD/profile\" exec '") +
                              BRENIK_BINARY + "' doc.txt < script";
  std::FILE* editor = popen(command.c_str(), "r");
  ASSERT_NE(editor, nullptr);
  std::string output;
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, editor)) > 0) {
    output.append(chunk, got);
  }
  const int status = pclose(editor);
  ASSERT_TRUE(WIFEXITED(status)) << "the editor was killed";
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(output.find("Cannot save to doc.txt: File too large\n"), std::string::npos) << output;
  EXPECT_EQ(output.find("Saved to"), std::string::npos);
  EXPECT_EQ(ReadFile("doc.txt"), old_text);
  std::vector<std::string> names = Names(".");
  std::erase(names, "profile");
  EXPECT_EQ(names, (std::vector<std::string>{".brenik_rc", "doc.txt", "script"}));
}

// Files found on the machine: every one that loads whole comes back byte for byte, and every
// one comes back as the same grid.
TEST(RealDisk, RoundTripOfTextFilesOnTheMachine) {
  std::vector<std::string> files;
  for (const char* folder : {"/usr/share/common-licenses", "/usr/include"}) {
    std::error_code error;
    std::vector<std::string> found;
    for (const auto& entry : fsys::directory_iterator(folder, error)) {
      if (entry.is_regular_file() && !entry.is_symlink()) {
        found.push_back(entry.path());
      }
    }
    std::sort(found.begin(), found.end());
    found.resize(std::min<std::size_t>(found.size(), 60));
    files.insert(files.end(), found.begin(), found.end());
  }
  if (files.empty()) {
    GTEST_SKIP() << "no text files under /usr/share/common-licenses or /usr/include";
  }
  TempDir dir;
  PosixFileSystem fs;
  int identical = 0;
  for (const std::string& path : files) {
    SCOPED_TRACE(path);
    const std::string original = ReadFile(path);
    LineGrid grid = MakeGrid(32767, 256, {});
    ScriptedIo console("");
    bool saved = false;
    std::string open_path = path;
    std::string name = path;
    if (Open(kStartUpMode, open_path, grid, name, console.io(), fs, saved) != OpenResult::kLoaded) {
      continue;  // larger than the grid: nothing to compare
    }
    std::string copy = "copy";
    ASSERT_EQ(RunSave(copy, grid, fs).result, SaveResult::kSaved);
    LineGrid back = MakeGrid(32767, 256, {});
    ScriptedIo again("");
    open_path = "copy";
    ASSERT_EQ(Open(kStartUpMode, open_path, back, copy, again.io(), fs, saved),
              OpenResult::kLoaded);
    EXPECT_EQ(GridBytes(back), GridBytes(grid));
    // Whole means: no zero byte, no line past 255 characters, a final newline and no empty
    // lines at the end, which a save drops.
    bool whole = !original.empty() && original.back() == '\n' &&
                 original.find('\0') == std::string::npos &&
                 !(original.size() >= 2 && original[original.size() - 2] == '\n');
    std::size_t begin = 0;
    while (whole && begin < original.size()) {
      const std::size_t end = original.find('\n', begin);
      whole = end - begin <= 255;
      begin = end + 1;
    }
    if (whole) {
      EXPECT_EQ(ReadFile("copy"), original);
      ++identical;
    }
  }
  EXPECT_GT(identical, 10) << "too few files checked byte for byte";
}

}  // namespace
}  // namespace brenik

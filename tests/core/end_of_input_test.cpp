// Standard input that ends at any prompt: the command in progress does nothing more, no earlier
// answer stands in for the missing one, and the editor ends at once, keeping unsaved work in an
// emergency file and writing nothing when there was none.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/editor.h"
#include "fake_filesystem.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::Count;
using testing::FakeFileSystem;
using testing::ScriptedIo;

constexpr const char* kDoc = "hello world\nhello world\nthird\n";

// Everything a finished run leaves behind that a stray answer could have changed.
struct Outcome {
  int status = -1;
  std::string output;
  std::string grid;
  int line = 0;
  std::string file_name;
  std::string state;  // the rest of the editor's state and the commands run, a field a line
  std::map<std::string, std::string> files;
  std::map<std::string, mode_t> modes;
};

// Twenty lines: more than the grid's twelve slots.
std::string BigText() {
  std::string big;
  for (int k = 1; k <= 20; ++k) {
    big += "line " + std::to_string(k) + "\n";
  }
  return big;
}

// The whole editor on `script` over an in-memory disk: 12 lines of 15 characters, a document,
// two files that exist already and two with more lines than the grid has slots.
Outcome RunWhole(const std::string& script, const std::vector<std::string>& args,
                 const std::function<void(FakeFileSystem&)>& setup = nullptr) {
  FakeFileSystem fs;
  fs.AddFile(".brenik_rc", testing::kSmallRc);
  fs.AddFile("doc.txt", kDoc);
  fs.AddFile("exists.txt", "kept\n");
  fs.AddFile("exists2.txt", "kept too\n");
  fs.AddFile("big.txt", BigText());
  fs.AddFile("big2.txt", BigText());
  if (setup) {
    setup(fs);
  }

  ScriptedIo console(script);
  Outcome o;
  {
    Editor ed;
    ed.io = console.io();
    ed.fs = &fs;
    o.status = testing::StartAndRun(ed, args);
    o.grid = testing::GridBytes(ed.grid);
    o.line = ed.line;
    o.file_name = ed.file_name;
    std::ostringstream state;
    state << "cursor " << ed.line << ":" << ed.column << "\nclip "
          << (ed.clip.empty() ? "" : ed.clip.data()) << "\npage " << ed.settings.page_length
          << "\nlaunch " << ed.settings.launch_command << "\nundo " << ed.undo.mode << " "
          << ed.undo.first << " " << ed.undo.second << "\nmodified " << ed.modified << "\n";
    for (const std::string& command : fs.commands()) {
      state << "ran " << command << "\n";
    }
    o.state = state.str();
  }
  o.output = console.output();
  for (const std::string& name : fs.List("/")) {
    if (const auto content = fs.Content(name)) {
      o.files[name] = *content;
      o.modes[name] = fs.Mode(name);
    }
  }
  return o;
}

// The save format of a grid of 12 slots of 16 bytes: lines up to the last one with text.
std::string SaveText(const std::string& grid) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at < grid.size(); at += 16) {
    lines.push_back(grid.substr(at, 16).c_str());
  }
  while (lines.size() > 1 && lines.back().empty()) {
    lines.pop_back();
  }
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\n";
  }
  return text;
}

std::vector<std::string> SaveFiles(const Outcome& o) {
  std::vector<std::string> names;
  for (const auto& [name, content] : o.files) {
    if (name.find(".save") != std::string::npos) {
      names.push_back(name);
    }
  }
  return names;
}

struct Case {
  const char* what;
  std::vector<std::string> args;
  // Answers the same prompt once before, so that re-using that answer would show.
  std::string earlier;
  // Leads to the prompt at which the input ends.
  std::string last;
  std::string prompt;
  // How often `last` prints the prompt.
  int prompts = 1;
  // A run that ends exactly where this one must: `earlier`, then this, then end of input.
  std::string same_as = "";
  // Whether `last` saves the document before the input ends.
  bool saves = false;
  // Whether a file name is set once `earlier` has run, so that "S" saves without asking.
  bool named = true;
};

const std::vector<std::string> kNamed = {"doc.txt"};
const std::vector<std::string> kUnnamed = {};

const Case kCases[] = {
    {"the command prompt", kNamed, "g\n3\n", "", "Editing ", 0},
    {"jump_line", kNamed, "j\no\nn\n", "j\n", "Enter jump string\n"},
    {"jump_doc", kNamed, "J\nworld\nn\n", "J\n", "Enter jump string\n"},
    {"new_insert", kNamed, "i\nZZ\n", "i\n", "Enter string to insert\n"},
    {"go_to_line", kNamed, "g\n3\n,\n", "g\n", "Go to which line?\n"},
    {"go_to_pos", kNamed, "G\n4\nb\n", "G\n", "Go to which position?\n"},
    {"page_length", kNamed, "p\n3\n", "p\n", "Enter number of lines to display\n"},
    {"line_move", kNamed, "m\n5\n", "m\n", "Move line 1 to where?\n"},
    {"line_copy", kNamed, "C\n6\n.\n", "C\n", "Copy line 2 to where?\n"},
    {"clip_copy", kNamed, "c\n3\nn\n", "c\n", "Copy how many characters?\n"},
    {"clip_cut", kNamed, "x\n1\n", "x\n", "Enter cut size\n"},
    {"the help menu", kNamed, "h\nx\n", "h\n", "'x'  Exit Help\n"},
    {"the help menu after a section", kNamed, "h\nx\n", "h\nn\n", "'x'  Exit Help\n", 2},
    {"the open dialog", kNamed, "O\nexists.txt\n", "O\n",
     "Enter 'x' to not open a file and return\n"},
    {"the open dialog's second answer", kNamed, "O\nexists.txt\n", "O\ns\n",
     "Next, enter a new filename to open\n", 1, "S\n", true},
    {"the name prompt of the open dialog's save", kUnnamed, "O\nx\n", "O\ns\n",
     "Enter a filename to save to\n", 1, "", false, false},
    {"the name prompt of save_overwrite", kUnnamed, "s\nx\n", "S\n",
     "Enter a filename to save to\n", 1, "", false, false},
    {"the name prompt of command_exec", kUnnamed, "+\nmake\n", "=\n",
     "Enter a filename to save to\n", 1, "", false, false},
    {"the name prompt of save_prompt", kNamed, "s\nnew.txt\n", "s\n",
     "Enter a filename to save to, or 'x' to return\n"},
    {"the overwrite question", kNamed, "s\nexists.txt\no\n", "s\nexists.txt\n",
     "Enter a new filename or 'o' to overwrite\n"},
    {"the overwrite loop", kNamed, "s\nexists.txt\nexists2.txt\nnew.txt\n",
     "s\nexists.txt\nexists2.txt\n", "File exists. Try again\n"},
    {"the partial-load warning of open", kNamed, "O\nbig.txt\nY\n", "O\nbig2.txt\n",
     "Do you wish to continue (Y,n)?\n"},
    {"SetCommand", kNamed, "+\nmake\n", "+\n",
     "Enter new command or [enter] to keep current one\n"},
    {"SetCommand asked by command_exec", kNamed, "+\n\n", "=\n",
     "Enter new command or [enter] to keep current one\n"},
    {"the quit confirmation", kNamed, "q\nn\n", "q\n",
     "Enter 'q' again to quit or anything else to continue\n"},
};

TEST(EndOfInput, EveryPromptEndsTheEditorInOrder) {
  for (const Case& c : kCases) {
    for (const bool unsaved : {true, false}) {
      SCOPED_TRACE(std::string(c.what) + (unsaved ? ", with unsaved work" : ", all saved"));
      // Copying the cursor line onto the last slot leaves the cursor and its line as they are,
      // so the answers of `last` meet the same text in both variants.
      const std::string post = unsaved ? "C\n12\n" : (c.named ? "S\n" : "");
      const Outcome with = RunWhole(c.earlier + post + c.last, c.args);
      const Outcome ref = RunWhole(c.earlier + post + c.same_as, c.args);
      EXPECT_EQ(with.status, ref.status);
      EXPECT_EQ(with.grid, ref.grid);
      EXPECT_EQ(with.file_name, ref.file_name);
      EXPECT_EQ(with.state, ref.state);
      EXPECT_EQ(with.files, ref.files);
      // No view after the prompt: the loop did not go on to read another command.
      EXPECT_EQ(Count(with.output, "\nEditing "),
                Count(ref.output, "\nEditing ") - Count(c.same_as, "\n"));
      EXPECT_EQ(Count(with.output, c.prompt), Count(ref.output, c.prompt) + c.prompts)
          << with.output;

      if (unsaved && !c.saves) {
        EXPECT_EQ(with.status, 1);
        const std::string name = with.file_name.empty() ? "brenik.save" : with.file_name + ".save";
        EXPECT_EQ(SaveFiles(with), std::vector<std::string>{name});
        EXPECT_EQ(with.files.count(name) ? with.files.at(name) : "", SaveText(with.grid));
        EXPECT_NE(with.output.find("Unsaved changes were written to " + name), std::string::npos);
      } else {
        EXPECT_EQ(with.status, 0);
        EXPECT_EQ(SaveFiles(with), std::vector<std::string>{});
      }
    }
  }
}

TEST(EndOfInput, PartialLoadWarningAtStartUpEndsWithStatusOneAndWritesNothing) {
  const Outcome o = RunWhole("", {"big.txt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(Count(o.output, "Do you wish to continue (Y,n)?\n"), 1);
  EXPECT_EQ(Count(o.output, "\nEditing "), 0) << "the editor ran on a partial document";
  EXPECT_EQ(SaveFiles(o), std::vector<std::string>{});
  EXPECT_EQ(o.files.at("big.txt"), BigText());
}

TEST(EndOfInput, TextWithoutALineEndIsEnteredOnceThenSaved) {
  const Outcome o = RunWhole("g\n2\nZZ", {"doc.txt"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.files.at("doc.txt.save"), "hello world\nZZllo world\nthird\n");
  EXPECT_EQ(o.files.at("doc.txt"), kDoc);
  EXPECT_EQ(o.line, 2);
}

TEST(EndOfInput, EmergencyFileFindsAPlaceOrSaysThereIsNone) {
  using Op = FakeFileSystem::Op;
  const std::string text = "typed world\nhello world\nthird\n";
  struct Place {
    const char* what;
    std::function<void(FakeFileSystem&)> setup;
    std::string name;  // where the text must be; empty when nowhere
  };
  const Place cases[] = {
      {"beside the document", nullptr, "doc.txt.save"},
      {"the first free number",
       [](FakeFileSystem& fs) {
         fs.AddFile("doc.txt.save", "older\n");
         fs.AddFile("doc.txt.save.1", "old\n");
       },
       "doc.txt.save.2"},
      {"a full disk beside the document",
       [](FakeFileSystem& fs) { fs.FailNth(Op::kWrite, 1, ENOSPC, "doc.txt.save"); },
       "brenik.save"},
      {"a failed sync", [](FakeFileSystem& fs) { fs.FailNth(Op::kFsync, 1, EIO, "doc.txt.save"); },
       "brenik.save"},
      {"a failed close", [](FakeFileSystem& fs) { fs.FailNth(Op::kClose, 1, EIO, "doc.txt.save"); },
       "brenik.save"},
      {"a write that moves nothing",
       [](FakeFileSystem& fs) { fs.LimitNth(Op::kWrite, 1, 0, "doc.txt.save"); }, "brenik.save"},
      {"a short write is continued",
       [](FakeFileSystem& fs) { fs.LimitNth(Op::kWrite, 1, 5, "doc.txt.save"); }, "doc.txt.save"},
      {"the fallback's first free number",
       [](FakeFileSystem& fs) {
         fs.FailAll(Op::kOpen, EACCES, "doc.txt.save");
         fs.AddFile("brenik.save", "older\n");
       },
       "brenik.save.1"},
      {"nowhere", [](FakeFileSystem& fs) { fs.FailAll(Op::kOpen, EROFS, ".save"); }, ""},
  };
  for (const Place& c : cases) {
    SCOPED_TRACE(c.what);
    const Outcome o = RunWhole("typed\n", {"doc.txt"}, c.setup);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.files.at("doc.txt"), kDoc);
    std::vector<std::string> written;
    for (const auto& [name, content] : o.files) {
      if (content == text) {
        written.push_back(name);
      }
    }
    if (c.name.empty()) {
      EXPECT_EQ(written, std::vector<std::string>{});
      EXPECT_NE(o.output.find("The unsaved changes could not be written anywhere"),
                std::string::npos);
      continue;
    }
    // One whole copy, private to the user; a failed attempt leaves nothing behind.
    EXPECT_EQ(written, std::vector<std::string>{c.name});
    EXPECT_EQ(o.modes.count(c.name) ? o.modes.at(c.name) : 0, S_IFREG | 0600);
    EXPECT_NE(o.output.find("Unsaved changes were written to " + c.name + "\n"), std::string::npos);
    for (const auto& [name, content] : o.files) {
      EXPECT_TRUE(content != "" || name.find(".save") == std::string::npos) << name;
    }
  }
}

}  // namespace
}  // namespace brenik

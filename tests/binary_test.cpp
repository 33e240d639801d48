// SPDX-License-Identifier: MIT
// The real binary, its output compared byte for byte: a split line, the view with and without
// numbers and sideways, control bytes as '?' (the tab after "a" is real), save and quit; and each
// case of the command line, with what it prints on which stream and its exit status.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstring>
#include <string>

#include "harness.h"

namespace brenik::testing {
namespace {

const char* const kTranscript = R"(

Brenik 1.03.2 by the Brenik developers
Reading RC file: .brenik_rc

Enter 'h' for help or 'q' to quit
Opened doc
Read 30 bytes, WARNING!  Line 2 is being split
2 Lines Generated

Editing 1:1 doc

[1] a	b?c?d
 2  this line is to
  > Go to which position?

Editing 1:5 doc

[1] c?d
 2   line is to
  > 
Editing 1:5 doc

> c?d
   line is to
> 
Editing 2:1 doc

  a	b?c?d
> this line is to
> 
Editing 3:1 doc

  zzis line is to
> o long
> Saved to doc

Editing 3:1 doc

  zzis line is to
> o long
> Enter 'q' again to quit or anything else to continue
)";

TEST(Binary, SessionPrintsExactlyThis) {
  TempDir dir;
  WriteFile(".brenik_rc", kTinyRc);
  WriteFile("doc", "a\tb\001c\177d\nthis line is too long\n");
  WriteFile("in", "G\n5\n#\n.\nzz\nS\nq\nq\n");
  const std::string run = std::string(BRENIK_BINARY) + " doc <in >out";
  EXPECT_EQ(std::system(run.c_str()), 0);
  EXPECT_EQ(ReadFile("out"), kTranscript + 1);
  EXPECT_EQ(ReadFile("doc"), "a\tb\001c\177d\nzzis line is to\no long\n");
  // A file-size limit fails the save with a message instead of ending the editor.
  WriteFile("in", "XY\nS\nq\nq\n");
  std::system(
      ("(ulimit -f 0; exec " + std::string(BRENIK_BINARY) + " doc <in) | cat >out").c_str());
  EXPECT_NE(ReadFile("out").find("Cannot save to doc: File too large\n"), std::string::npos);
  // The launched command runs through the shell once the save is done, before the next view.
  WriteFile(".brenik_rc", std::string(kTinyRc) + "launch_command=echo launched\n");
  WriteFile("in", "=\ny\nq\nq\n");
  EXPECT_EQ(std::system((std::string(BRENIK_BINARY) + " doc <in >out").c_str()), 0);
  EXPECT_NE(ReadFile("out").find("Saved to doc\nlaunched\n\nEditing"), std::string::npos);
}

// The command line as other tools take it: what each case prints on which stream, and its exit
// status. Only a case that edits makes the settings file; a mistake is followed by the usage.
struct OptionCase {
  const char* args;
  const char* out;  // the start of standard output, or a line of it for a case that edits
  const char* err;  // the first line of standard error
  int status;
};
// clang-format off
const OptionCase kOptionCases[] = {
    {"-h", "Usage: brenik [OPTION]... [FILE]\n", "", 0},
    {"--help", "Usage: brenik [OPTION]... [FILE]\n", "", 0},
    {"notes.txt --help", "Usage: brenik [OPTION]... [FILE]\n", "", 0},
    {"-V", "Brenik 1.03.2\n", "", 0},
    {"--version", "Brenik 1.03.2\n", "", 0},
    {"-x", "", "brenik: unknown option '-x'", 2},
    {"--foo a.txt", "", "brenik: unknown option '--foo'", 2},
    {"-hV", "", "brenik: unknown option '-hV'", 2},
    {"--help=all", "", "brenik: unknown option '--help=all'", 2},
    {"a.txt b.txt", "", "brenik: only one file can be edited at a time ('a.txt' and 'b.txt')", 2},
    {"-- a.txt b.txt", "", "brenik: only one file can be edited at a time ('a.txt' and 'b.txt')", 2},
    {"-- -notes.txt", "File -notes.txt not found!\n\nEditing 1:1 -notes.txt\n", "", 0},
    {"-- --", "File -- not found!\n\nEditing 1:1 --\n", "", 0},
    {"- --no-journal", "File - not found!\n\nEditing 1:1 -\n", "", 0},
};
// clang-format on

TEST(Binary, OptionsPrintOnTheirStreamsAndExitWithTheirStatus) {
  for (const OptionCase& c : kOptionCases) {
    SCOPED_TRACE(c.args);
    TempDir dir;
    WriteFile("in", "q\nq\n");
    const int status =
        std::system((std::string(BRENIK_BINARY) + " " + c.args + " <in >out 2>err").c_str());
    EXPECT_EQ(WEXITSTATUS(status), c.status);
    const std::string out = ReadFile("out");
    const std::string err = ReadFile("err");
    const bool edits = std::strstr(c.out, "Editing") != nullptr;
    EXPECT_TRUE(edits ? out.find(c.out) != std::string::npos : out.starts_with(c.out)) << out;
    EXPECT_EQ(ReadFile(".brenik_rc") != "(none)", edits);
    if (c.status == 2) {
      EXPECT_EQ(out, "");
      std::system((std::string(BRENIK_BINARY) + " --help >usage").c_str());
      EXPECT_EQ(err, c.err + ("\n" + ReadFile("usage")));
    } else {
      EXPECT_EQ(err, "");
    }
  }
}

}  // namespace
}  // namespace brenik::testing

// The real binary, its output compared byte for byte: a split line, the view with and without
// numbers and sideways, control bytes as '?' (the tab after "a" is real), save and quit.
#include <gtest/gtest.h>

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
  EXPECT_EQ(std::system((std::string(BRENIK_BINARY) + " --version >out").c_str()), 0);
}

}  // namespace
}  // namespace brenik::testing

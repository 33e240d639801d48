// The real binary in a fresh directory, its output compared byte for byte: start-up, loading
// with a split line, the view with and without line numbers and from a position inside the
// lines, control bytes shown as '?' (the tab after "a" is a real tab), save and quit.
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
  > 
Editing 2:1 doc

 1  a	b?c?d
[2] this line is to
  > Go to which position?

Editing 2:5 doc

 1  c?d
[2]  line is to
  > 
Editing 2:5 doc

  c?d
>  line is to
> 
Editing 3:1 doc

  this line is to
> o long
> 
Editing 4:1 doc

  o long
>
> 
Editing 5:1 doc

  zz
>
> Saved to doc

Editing 5:1 doc

  zz
>
> Enter 'q' again to quit or anything else to continue
)";

TEST(Binary, SessionPrintsExactlyThis) {
  TempDir dir;
  WriteFile(".brenik_rc", kTinyRc);
  WriteFile("doc", "a\tb\001c\177d\nthis line is too long\n");
  WriteFile("in", ".\nG\n5\n#\n.\n\nzz\nS\nq\nq\n");
  const std::string run = std::string(BRENIK_BINARY) + " doc <in >out";
  EXPECT_EQ(std::system(run.c_str()), 0);
  EXPECT_EQ(ReadFile("out"), kTranscript + 1);
  EXPECT_EQ(ReadFile("doc"), "a\tb\001c\177d\nthis line is to\no long\nzz\n");
  // A name that a shorter buffer would cut could name another file: refused whole.
  const std::string long_name = std::string(BRENIK_BINARY) + " " + std::string(256, 'n') + " >out";
  EXPECT_EQ(WEXITSTATUS(std::system(long_name.c_str())), 1);
  EXPECT_NE(ReadFile("out").find("File name is longer than 255 characters\n"), std::string::npos);
}

}  // namespace
}  // namespace brenik::testing

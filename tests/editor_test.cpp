// SPDX-License-Identifier: MIT
// Every command on a tiny grid: the cursor, the document and the messages, in order.
#include <gtest/gtest.h>

#include <csignal>

#include "files/filesystem.h"
#include "harness.h"
#include "term/signals.h"

namespace brenik::testing {
namespace {

using std::string_literals::operator""s;

struct Case {
  std::string script;
  const char* at;    // the cursor in the last view, "line:position"
  const char* text;  // the document at the end, as a save would write it
  std::vector<const char*> said = {};
};

const char* const kDoc = "abcdef\nsecond\n";

// clang-format off
const Case kCases[] = {
    // Navigation.
    {"n\nn\nn\nn\nn\nn\nn\nn\nn\nn\nn\nn\nn\nn\nn\nn\nn\nb\n", "1:15", kDoc},
    {"n\n.\n.\n,\n", "2:1", kDoc}, {".\n.\n.\n.\n.\n.\n.\n", "6:1", kDoc},
    {"\n\n\n\n\n\n", "6:1", kDoc}, {">\n>\n>\n<\n", "4:1", kDoc},
    {"n\ne\n", "1:7", kDoc, {"!Line Lock"}}, {"G\n16\ne\nl\n", "1:1", kDoc},
    {"G\n16\ne\n", "1:16", kDoc},
    {"p\n0\np\nx\np\n1\n", "1:1", kDoc,
     {"must be at least 1", "must be at least 1", "\n[1] abcdef\n  > "}},
    {"p\n3\n", "1:1", kDoc, {"Enter number of lines to display\n", " 2  second\n 3\n  > "}},
    {"p\n99\n", "1:1", kDoc, {"Editing 1:1 doc\n\n[1] abcdef\n 2  second\n 3\n 4\n 5\n 6\n  > "}},
    {"j\ncd\nj\nf\nj\nb\n", "1:6", kDoc, {"Enter jump string\nString not found in line 1\n"}},
    {"J\ncon\nJ\nab\n", "2:3", kDoc, {"String not found\n"}}, {"J\n\n", "1:1", kDoc},
    {".\n.\n.\nn\nJ\n\n", "4:1", kDoc}, {"g\n2\ng\n7\ng\n0\n", "2:1", kDoc},
    {"G\n16\nG\n17\nG\n0\n", "1:16", kDoc}, {"G\n4\nA\nl\na\n", "1:4", kDoc},
    {"n\nn\na\n", "1:1", kDoc}, {"#\n", "1:1", kDoc, {"\n> abcdef\n  second\n> "}},
    {"#\n#\n", "1:1", kDoc, {"\n> abcdef", "\n[1] abcdef\n 2  second\n  > "}},
    {"G\n3\n", "1:3", kDoc, {"[1] cdef\n 2  cond\n  > "}},
    {"G\n8\n", "1:8", kDoc, {"[1] \n 2\n  > "}},
    // The keys a terminal sends: each insert lands where the key took the cursor.
    {"\x1b[A\ni\n0\n\x1b[B\ni\n1\n\x1bOB\ni\n2\n\x1b[1;5B\ni\n3\n\x1b[A\ni\n4\n\x1bOA\ni\n5\n"
     "\x1b[1;2A\ni\n6\n", "1:1", "60abcdef\n51second\n42\n3\n", {"!not typed"}},
    {"\x1b[C\ni\n1\n\x1bOC\ni\n2\n\x1b[1;3C\ni\n3\n\x1b[D\ni\n4\n\x1bOD\ni\n5\n\x1b[1;5D\ni\n6\n",
     "1:1", "6a51423bcdef\nsecond\n"},
    {"e\n\x1b[H\ni\n1\ne\n\x1bOH\ni\n2\ne\n\x1b[1~\ni\n3\ne\n\x1b[7~\ni\n4\ne\n\x1b[1;5H\ni\n5\n",
     "1:1", "54321abcdef\nsecond\n"},
    {"\x1b[F\ni\n1\nl\n\x1bOF\ni\n2\nl\n\x1b[4~\ni\n3\nl\n\x1b[8~\ni\n4\nl\n\x1b[1;2F\ni\n5\n",
     "1:11", "abcdef12345\nsecond\n"},
    {"\x1b[6~\ni\n1\n\x1b[6;5~\ni\n2\n\x1b[5~\ni\n3\n\x1b[5;2~\ni\n4\n", "1:1",
     "4abcdef\nsecond\n31\n\n2\n"},
    // Any other line with an ESC is neither typed nor a key; from 2:2 every key would move.
    {".\nn\n\x1b\n\x1b[\n\x1b[2~\n\x1b[15~\n\x1b[1A\n\x1b[;5A\n\x1b[1;A\n\x1b[1;5;5A\n\x1b[1;1000B\n"
     "\x1b[AA\nx\x1b[A\n\x1bOP\n\x1bO1;5A\n\x1bXA\n!\x1b[A\n\x1b[Cabcdefghijklmnop\n", "2:2", kDoc,
     {"  > Terminal control sequences are not typed; the line was not used\n\nEditing 2:2",
      "not used\nTerminal"}},
    {"i\n\x1b[A\ni\nX\0Y\n"s, "1:1", kDoc, {"Enter string to insert\nTerminal control sequences "
     "are not typed", "Enter string to insert\nThe line holds a zero byte and was not used\n"}},
    // Text entry.
    {"XY\n", "2:1", "XYcdef\nsecond\n"}, {"XY", "2:1", "XYcdef\nsecond\n"},
    {"!q\n!\n", "3:1", "qbcdef\nsecond\n"}, {"n\nn\nXY\nZ\n", "3:3", "abXYef\nseZond\n"},
    {"!Hello world\n!!q\n", "3:1", "Hello world\n!qcond\n"},
    {"G\n10\nXY\n", "2:10", "abcdef   XY\nsecond\n"},
    {"G\n15\nXYZ\nG\n16\nW\n", "3:16", "abcdef        X\nsecond\n", {"At End Of Line"}},
    {"L\nX\nY\nL\nZ\n", "2:1", "Zbcdef\nsecond\n", {"Line Lock On", "Line Lock Off"}},
    {".\n.\n.\n.\n.\nX\nY\n", "6:1", "abcdef\nsecond\n\n\n\nY\n"},
    // Line operations.
    {"d\n", "1:1", "\nsecond\n"}, {".\nd\n", "2:1", "abcdef\n"},
    {"m\n3\n", "1:1", "\nsecond\nabcdef\n", {"Move line 1 to where?"}},
    {"m\n1\nm\n7\nm\n0\n", "1:1", kDoc, {"Destination line is not valid", "not valid"}},
    {"C\n6\n", "1:1", "abcdef\nsecond\n\n\n\nabcdef\n", {"Copy line 1 to where?"}},
    {"C\n0\n", "1:1", kDoc, {"Desination line is not valid"}}, {"w\n", "1:1", "\nabcdef\nsecond\n"},
    {"w\n.\n.\nz\n", "1:1", kDoc}, {"n\nn\nn\nt\nC\n2\n", "1:4", "abc\nabc\n"},
    {"x\n-2\nx\n", "1:1", kDoc, {"A size cannot be negative", "!Unsaved"}},
    {".\n.\n.\n.\n.\nX\nd\ng\n1\nw\n", "1:1", "\nabcdef\nsecond\n"},
    {"C\n6\nw\n", "1:1", "abcdef\nsecond\n\n\n\nabcdef\n",
     {"Cannot insert a line: the last line is not empty"}},
    {"D\n", "1:1", "second\n"}, {"T\n", "2:1", "\nabcdefsecond\n"},
    {"n\nn\nT\n", "2:1", "ab\ncdefsecond\n"}, {"n\nn\nt\n", "1:3", "ab\nsecond\n"},
    {"i\n0123456789\nT\n", "2:1", "\n012345678second\n",
     {"Insert was truncated because the line would have exceeded 16", "!too long for the"}},
    {".\n.\n.\n.\n.\nX\nT\n", "6:1", "abcdef\nsecond\n\n\n\nX\n"},
    // Clip memory.
    {"n\nc\n3\n.\nv\n", "2:1", "abcdef\nbcdond\n"},
    {"c\n9\n.\nV\n", "2:1", "abcdef\nabcdefsecond\n", {"Copy size will be shortened to 6"}},
    {"c\n-1\nv\nV\n", "1:1", kDoc,
     {"A size cannot be negative", "There is nothing to paste", "There is nothing to paste"}},
    {"e\nc\n2\n", "1:7", kDoc, {"There is nothing to copy"}},
    {"n\nx\n2\nv\n", "1:2", "abcf\nsecond\n"},
    {"i\n123456789\nn\nx\n1\n", "1:2", "13456789abcdef\nsecond\n"},
    {"v\ni\n\n", "1:1", kDoc, {"There is nothing to paste", "!Unsaved"}},
    {"n\nx\n2\ne\nV\n", "1:5", "adefbc\nsecond\n"},
    {"n\nx\n16\nx\n15\n", "1:2", "a\nsecond\n",
     {"Maximum cut size is 15", "Cut size will be shortened to 5"}},
    {"e\nx\n1\nx\n-2\n", "1:7", kDoc,
     {"There is nothing to cut at this position", "A size cannot be negative"}},
    {"c\n6\nG\n13\nv\n", "1:13", "abcdef      abc\nsecond\n",
     {"Paste string was shortened to fit onto line", "!Copy size"}},
    {"x\n6\nD\nn\nn\nT\n", "2:1", "se\ncond\n", {"!shortened"}},
    {"c\n1\nV\n", "1:1", "aabcdef\nsecond\n"},
    {"i\nXY\n", "1:1", "XYabcdef\nsecond\n", {"Enter string to insert\n", "!truncated"}},
    {"G\n12\ni\nXYZWV\n", "1:12", "abcdef     XYZW\nsecond\n",
     {"Insert was truncated because it is too long for the position"}},
    {"i\n0123456789\n", "1:1", "012345678abcdef\nsecond\n",
     {"Insert was truncated because the line would have exceeded 16"}},
    {"G\n9\ni\nXY\n", "1:9", "abcdef  XY\nsecond\n"},
    {"c\n3\nG\n10\nV\n", "1:10", "abcdef   abc\nsecond\n"},
    // Input that ends at a prompt ends the command there: no earlier answer stands in.
    {"g\n2\ng\n", "2:1", kDoc}, {"m\n3\nm\n", "1:1", "\nsecond\nabcdef\n"},
    {"i\nXY\ni\n", "1:1", "XYabcdef\nsecond\n"}, {"c\n2\nc\n", "1:1", kDoc},
    {"q\nqq\n", "1:1", kDoc, {"Enter 'q' again to quit or anything else to continue\n\nEditing"}},
    {"h\n", "1:1", kDoc}, {"s\n", "1:1", kDoc}, {"O\n", "1:1", kDoc},
    {"O\nx\n", "1:1", kDoc, {"!not found"}},
    {"O\ns\n", "1:1", kDoc, {"Saved to doc\nNext, enter a new filename to open\n"}},
    {"XY\nO\ns\nnone\n", "2:1", "XYcdef\nsecond\n", {"Saved to doc", "!Unsaved"}},
    // Every input line is taken whole: what does not fit is never the next input.
    {"abcdefghijklmnoD\nabcdefghijklmno\nX\n", "4:1", "abcdefghijklmno\nabcdefghijklmno\nX\n",
     {"  > The line was longer than 15 characters; the rest was not used\n\nEditing 2:1"}},
    {"G\n16\nabcdefghijklmnop\n", "2:16", kDoc, {"not used\nAt End Of Line"}},
    {"g\n00000002\nm\n00000003\nq\n", "1:1", kDoc,
     {"The answer was longer than 7 characters and was not used\n\nEditing 1:1",
      "not used\n\nEditing 1:1 doc\n\n[1] abcdef\n 2  second\n  > Enter 'q'"}},
    {"i\n0123456789abcdefg\n", "1:1", "012345678abcdef\nsecond\n",
     {"Enter string to insert\nThe line was longer than 15 characters; the rest was not used\n"
      "Insert was truncated"}},
    {"abcdefghijklmno\n,\nn\nJ\nabcdefghijklmnoZ\n", "1:1", "abcdefghijklmno\nsecond\n",
     {"rest was not used\n\nEditing 1:1"}},
    {"X\nq\nn\n", "2:1", "Xbcdef\nsecond\n",
     {"The document has changes that were not saved; quitting loses them\nEnter 'q' again"}},
    {"h\nnnnnnnnnnnnnnnnn\nx\n", "1:1", kDoc, {"'x'  Exit Help\n'n'  Navigation Commands"}},
    {"q\nqqqqqqqqqqqqqqqq\nq\nq\0xx\nd\0junk\n\0x\n"s, "1:1", kDoc,
     {"continue\n\nEditing 1:1", "continue\n\nEditing 1:1",
      "  > The line holds a zero byte and was not used\n\nEditing 1:1", "zero byte", "!written"}},
    // A load takes the undo record with the document it replaces, and keeps the clip memory.
    {"c\n3\nO\ndoc\nn\nv\n", "1:2", "aabcef\nsecond\n"},
    {"XY\nS\nO\ndoc\nz\n", "2:1", "XYcdef\nsecond\n", {"Opened doc"}},
    // An undo after a save is a change the file does not hold.
    {"XY\nS\nz\nq\nq\n", "1:1", kDoc, {"Saved to doc", "changes that were not saved"}},
    {"O\n\x01x\n", "1:1", kDoc, {"File ?x not found!\n\nEditing 1:1 ?x\n"}},
};
// clang-format on

TEST(Editor, CommandsMoveTheCursorAndEditTheDocument) {
  for (const Case& c : kCases) {
    SCOPED_TRACE("script:\n" + c.script);
    TempDir dir;
    WriteFile(".brenik_rc", kTinyRc);
    WriteFile("doc", kDoc);
    FaultyFs fs;
    const Outcome o = RunSession(c.script, {"doc"}, fs);
    const std::size_t header = o.out.rfind("\nEditing ");
    ASSERT_NE(header, std::string::npos);
    EXPECT_EQ(o.out.substr(header + 9, o.out.find(' ', header + 9) - header - 9), c.at);
    EXPECT_EQ(o.text, c.text);
    EXPECT_EQ(Unsaid(o.out, c.said), "") << o.out;
  }
}

// A signal that came just before a wait on a pipe must end it: one pending, and blocked, when
// the wait for input on an empty pipe begins, and one handled just before a write of more than
// a pipe holds to one that nobody reads.
TEST(Editor, ASignalJustBeforeTheWaitEndsIt) {
  for (const bool writing : {false, true}) {
    EXPECT_EXIT(
        {
          alarm(60);  // a missed signal fails the test rather than hanging it
          InstallSignalHandlers();
          int ends[2];
          sigset_t term;
          sigemptyset(&term);
          sigaddset(&term, SIGTERM);
          // Before a write, the signal came and went: only the flag says it did.
          if (pipe(ends) != 0 || (!writing && sigprocmask(SIG_BLOCK, &term, nullptr) != 0) ||
              raise(SIGTERM) != 0) {
            std::_Exit(2);
          }
          if (writing) {
            PosixFileSystem fs;
            static char block[1 << 20];
            std::_Exit(fs.Write(ends[1], block, sizeof block) < 0 && errno == EINTR ? 0 : 1);
          }
          std::_Exit(WaitForInput(ends[0]) ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "")
        << (writing ? "the write" : "the wait for input");
  }
}

}  // namespace
}  // namespace brenik::testing

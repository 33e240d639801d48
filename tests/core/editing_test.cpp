#include "core/editing.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "core/editor.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::Holds;
using testing::Live;
using testing::Padded;

// Marks the undo record, so a test can tell whether a command wrote it.
void MarkUndo(Editor& ed) {
  ed.undo.mode = kWrapped;
  ed.undo.first = 9;
  ed.undo.second = 10;
  std::strcpy(ed.undo.copy1.data(), "mark one");
  std::strcpy(ed.undo.copy2.data(), "mark two");
}

struct Case {
  Case(const char* case_name, int at_line, int at_column, const char* key, const char* key_answers)
      : name(case_name), line(at_line), column(at_column), input(key), answers(key_answers) {}
  Case& Slots(std::vector<std::string> after) {
    slots = std::move(after);
    return *this;
  }
  Case& Prints(const char* text) {
    printed = text;
    return *this;
  }
  // Refused in words of the editor's choosing, after the prompt if there is one.
  Case& Refused(const char* prompt = "") {
    printed = nullptr;
    refusal_prompt = prompt;
    return *this;
  }
  Case& Records(int undo_mode, int first, int second = 0) {
    mode = undo_mode;
    first_line = first;
    second_line = second;
    return *this;
  }
  Case& Cursor(int to, int to_col) {
    to_line = to;
    to_column = to_col;
    return *this;
  }
  Case& Clip(const char* before, const char* after) {
    clip_before = before;
    clip_after = after;
    return *this;
  }

  const char* name;
  int line;
  int column;
  const char* input;
  const char* answers;
  std::vector<std::string> slots;  // the whole grid afterwards; empty: unchanged
  const char* printed = "";        // nullptr: some message, whatever its words
  const char* refusal_prompt = "";
  int mode = -1;  // -1: the marked undo record must be left as it was
  int first_line = 0;
  int second_line = 0;
  int to_line = -1;  // -1: the cursor stays
  int to_column = -1;
  const char* clip_before = "OLD";
  const char* clip_after = "OLD";
};

// Runs each case on a fresh editor holding `doc`, then checks every slot, the cursor, the
// clip memory, and the undo record with the slot copies it must hold.
void RunCases(std::vector<std::string> doc, const std::vector<Case>& cases) {
  doc.resize(12);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Live live;
    live.Seed(doc);
    live.ed.line = c.line;
    live.ed.column = c.column;
    std::strcpy(live.ed.clip.data(), c.clip_before);
    MarkUndo(live.ed);
    EXPECT_EQ(live.Do(c.input, c.answers), Flow::kContinue);

    EXPECT_TRUE(Holds(live.ed.grid, c.slots.empty() ? doc : c.slots));
    const std::string printed = live.Printed();
    if (c.printed != nullptr) {
      EXPECT_EQ(printed, c.printed);
    } else {
      const std::string prompt = c.refusal_prompt;
      EXPECT_EQ(printed.rfind(prompt, 0), 0u) << printed;
      EXPECT_GT(printed.size(), prompt.size() + 1) << "a refusal needs a message";
      EXPECT_EQ(printed.back(), '\n');
    }
    EXPECT_EQ(live.ed.line, c.to_line < 0 ? c.line : c.to_line);
    EXPECT_EQ(live.ed.column, c.to_column < 0 ? c.column : c.to_column);
    EXPECT_STREQ(live.ed.clip.data(), c.clip_after);

    const Undo& undo = live.ed.undo;
    const auto before = [&](int line) { return Padded(doc[static_cast<std::size_t>(line)], 16); };
    const std::string copy1(undo.copy1.data(), 16);
    const std::string copy2(undo.copy2.data(), 16);
    if (c.mode < 0) {
      EXPECT_EQ(undo.mode, kWrapped) << "a refused or non-editing command wrote the record";
      EXPECT_EQ(undo.first, 9);
      EXPECT_EQ(undo.second, 10);
      EXPECT_STREQ(undo.copy1.data(), "mark one");
      EXPECT_STREQ(undo.copy2.data(), "mark two");
      continue;
    }
    EXPECT_EQ(undo.mode, c.mode);
    EXPECT_EQ(undo.first, c.first_line);
    if (c.mode >= kMoved) {
      EXPECT_EQ(undo.second, c.second_line);
      EXPECT_EQ(copy1, before(c.first_line));
      EXPECT_EQ(copy2, before(c.second_line));
    } else if (c.mode != kWedged) {
      EXPECT_EQ(copy1, before(c.first_line));
    }
  }
}

std::vector<std::string> With(std::vector<std::string> doc,
                              const std::vector<std::pair<int, std::string>>& changes) {
  doc.resize(12);
  for (const auto& [line, text] : changes) {
    doc[static_cast<std::size_t>(line)] = text;
  }
  return doc;
}

const std::vector<std::string> kLines = {"zero", "one one", "two", "three three", "four"};

TEST(LineCommands, ClearMoveCopyWedgeDelete) {
  const char* move3 = "Move line 3 to where?\n";
  RunCases(
      kLines,
      {
          Case("clear", 1, 2, "d", "").Slots(With(kLines, {{1, ""}})).Records(kLineEdit, 1),
          Case("clear an empty line still records", 5, 0, "d", "").Records(kLineEdit, 5),
          Case("move down", 2, 1, "m", "8\n")
              .Slots(With(kLines, {{2, ""}, {7, "two"}}))
              .Prints(move3)
              .Records(kMoved, 2, 7),
          Case("move over a longer line", 2, 1, "m", "4\n")
              .Slots(With(kLines, {{2, ""}, {3, "two"}}))
              .Prints(move3)
              .Records(kMoved, 2, 3),
          Case("move up", 3, 1, "m", "1\n")
              .Slots(With(kLines, {{0, "three three"}, {3, ""}}))
              .Prints("Move line 4 to where?\n")
              .Records(kMoved, 3, 0),
          Case("move to the last slot", 2, 1, "m", "12\n")
              .Slots(With(kLines, {{2, ""}, {11, "two"}}))
              .Prints(move3)
              .Records(kMoved, 2, 11),
          Case("move onto its own line", 2, 1, "m", "3\n").Prints(move3).Records(kMoved, 2, 2),
          Case("copy", 1, 0, "C", "4\n")
              .Slots(With(kLines, {{3, "one one"}}))
              .Prints("Copy line 2 to where?\n")
              .Records(kCopied, 1, 3),
          Case("copy onto its own line", 1, 0, "C", "2\n")
              .Prints("Copy line 2 to where?\n")
              .Records(kCopied, 1, 1),
          Case("copy to the first slot", 4, 0, "C", "1\n")
              .Slots(With(kLines, {{0, "four"}}))
              .Prints("Copy line 5 to where?\n")
              .Records(kCopied, 4, 0),
          Case("wedge", 1, 3, "w", "")
              .Slots(With(kLines,
                          {{1, ""}, {2, "one one"}, {3, "two"}, {4, "three three"}, {5, "four"}}))
              .Records(kWedged, 1),
          Case("wedge at the empty last slot", 11, 0, "w", "").Records(kWedged, 11),
          Case("delete", 1, 3, "D", "")
              .Slots(With({"zero", "two", "three three", "four"}, {}))
              .Records(kDeleted, 1),
      });
  const std::vector<std::string> full = With(kLines, {{11, "last"}});
  RunCases(full, {
                     Case("delete pulls the last slot up", 3, 0, "D", "")
                         .Slots(With(full, {{3, "four"}, {4, ""}, {10, "last"}, {11, ""}}))
                         .Records(kDeleted, 3),
                     Case("delete the last slot", 11, 0, "D", "")
                         .Slots(With(kLines, {}))
                         .Records(kDeleted, 11),
                     Case("wedge refused: the last slot holds text", 1, 0, "w", "").Refused(),
                     Case("wedge refused on the last slot itself", 11, 0, "w", "").Refused(),
                 });
}

TEST(LineCommands, RefuseABadDestination) {
  std::vector<Case> cases;
  for (const char* answer : {"0\n", "13\n", "-1\n", "abc\n", "\n", "-999999\n"}) {
    cases.push_back(Case(answer, 2, 1, "m", answer)
                        .Prints("Move line 3 to where?\nDestination line is not valid\n"));
    cases.push_back(Case(answer, 2, 1, "C", answer)
                        .Prints("Copy line 3 to where?\nDesination line is not valid\n"));
  }
  RunCases(kLines, cases);
}

const std::vector<std::string> kText = {"abcdef", "123456"};

TEST(ClipCommands, CopyCutPasteInsert) {
  const char* copy = "Copy how many characters?\n";
  const char* cut = "Enter cut size\n";
  const char* paste = "There is nothing to paste\n";
  const char* clipped = "Paste string was shortened to fit onto line\n";
  RunCases(kText,
           {
               Case("copy", 0, 1, "c", "3\n").Prints(copy).Clip("OLD", "bcd"),
               Case("copy shortened", 0, 1, "c", "10\n")
                   .Prints("Copy how many characters?\nCopy size will be shortened to 5\n")
                   .Clip("OLD", "bcdef"),
               Case("copy nothing there", 0, 6, "c", "1\n")
                   .Prints("Copy how many characters?\nThere is nothing to copy\n"),
               Case("copy 0 empties the clip", 0, 1, "c", "0\n").Prints(copy).Clip("OLD", ""),
               Case("copy without digits is 0", 0, 1, "c", "abc\n").Prints(copy).Clip("OLD", ""),
               Case("copy a negative size", 0, 1, "c", "-2\n").Refused(copy),
               Case("cut", 0, 1, "x", "3\n")
                   .Slots(With(kText, {{0, "aef"}}))
                   .Prints(cut)
                   .Records(kLineEdit, 0)
                   .Clip("OLD", "bcd"),
               Case("cut shortened", 0, 1, "x", "10\n")
                   .Slots(With(kText, {{0, "a"}}))
                   .Prints("Enter cut size\nCut size will be shortened to 5\n")
                   .Records(kLineEdit, 0)
                   .Clip("OLD", "bcdef"),
               Case("cut at the maximum", 0, 0, "x", "16\n")
                   .Slots(With(kText, {{0, ""}}))
                   .Prints("Enter cut size\nCut size will be shortened to 6\n")
                   .Records(kLineEdit, 0)
                   .Clip("OLD", "abcdef"),
               Case("cut over the maximum", 0, 0, "x", "17\n")
                   .Prints("Enter cut size\nMaximum cut size is 16\n"),
               Case("cut nothing there", 0, 6, "x", "1\n")
                   .Prints("Enter cut size\nThere is nothing to cut at this position\n"),
               Case("cut 0 still records", 0, 1, "x", "0\n")
                   .Prints(cut)
                   .Records(kLineEdit, 0)
                   .Clip("OLD", ""),
               Case("cut a negative size", 0, 1, "x", "-2\n").Refused(cut),
               Case("cut a large negative size", 0, 1, "x", "-999999\n").Refused(cut),
               Case("paste overwrites", 1, 2, "v", "")
                   .Slots(With(kText, {{1, "12OLD6"}}))
                   .Records(kLineEdit, 1),
               Case("paste past the end", 1, 8, "v", "")
                   .Slots(With(kText, {{1, "123456  OLD"}}))
                   .Records(kLineEdit, 1),
               Case("paste at the last byte", 1, 15, "v", "")
                   .Slots(With(kText, {{1, "123456         "}}))
                   .Prints(clipped)
                   .Records(kLineEdit, 1),
               Case("paste shortened", 1, 13, "v", "")
                   .Slots(With(kText, {{1, "123456       OL"}}))
                   .Prints(clipped)
                   .Records(kLineEdit, 1),
               Case("paste an empty clip", 1, 2, "v", "").Prints(paste).Clip("", ""),
               Case("insert shifts", 1, 2, "V", "")
                   .Slots(With(kText, {{1, "12OLD3456"}}))
                   .Records(kLineEdit, 1),
               Case("insert past the end", 2, 3, "V", "")
                   .Slots(With(kText, {{2, "   OLD"}}))
                   .Records(kLineEdit, 2),
               Case("insert at the end of room", 1, 14, "V", "")
                   .Slots(With(kText, {{1, "123456        O"}}))
                   .Prints("Insert was truncated because it is too long for the position\n")
                   .Records(kLineEdit, 1),
               Case("insert an empty clip", 1, 2, "V", "").Prints(paste).Clip("", ""),
           });
  const std::vector<std::string> long_line = With(kText, {{1, "1234567890123"}});
  RunCases(long_line,
           {
               Case("insert too long for the line", 1, 2, "V", "")
                   .Slots(With(kText, {{1, "12OL34567890123"}}))
                   .Prints("Insert was truncated because the line would have exceeded 16\n")
                   .Records(kLineEdit, 1),
           });
  RunCases(With(kText, {{1, "123456789012345"}}),
           {
               Case("insert into a full line", 1, 2, "V", "")
                   .Prints("Insert was truncated because the line would have exceeded 16\n")
                   .Clip("OL", "OL"),
           });
}

TEST(InsertAndTrim, NewInsertTrimEndTrimWrap) {
  const char* ask = "Enter string to insert\n";
  RunCases(kText,
           {
               Case("insert", 0, 2, "i", "XY\n")
                   .Slots(With(kText, {{0, "abXYcdef"}}))
                   .Prints(ask)
                   .Records(kLineEdit, 0),
               Case("insert past the end", 0, 8, "i", "XY\n")
                   .Slots(With(kText, {{0, "abcdef  XY"}}))
                   .Prints(ask)
                   .Records(kLineEdit, 0),
               Case("insert shortened", 0, 0, "i", "0123456789XYZ\n")
                   .Slots(With(kText, {{0, "012345678abcdef"}}))
                   .Prints("Enter string to insert\n"
                           "Insert was truncated because the line would have exceeded 16\n")
                   .Records(kLineEdit, 0),
               Case("insert nothing", 0, 2, "i", "\n").Prints(ask),
               Case("insert nothing at the last byte", 0, 15, "i", "X\n")
                   .Prints("Enter string to insert\n"
                           "Insert was truncated because it is too long for the position\n"),
               Case("trim", 0, 3, "t", "").Slots(With(kText, {{0, "abc"}})).Records(kLineEdit, 0),
               Case("trim at column 0", 0, 0, "t", "")
                   .Slots(With(kText, {{0, ""}}))
                   .Records(kLineEdit, 0),
               Case("trim past the end still records", 0, 10, "t", "").Records(kLineEdit, 0),
           });
  const std::vector<std::string> wrap = With(kText, {{0, "hello world"}, {1, "next"}, {11, "end"}});
  RunCases(wrap, {
                     Case("wrap", 0, 6, "T", "")
                         .Slots(With(wrap, {{0, "hello "}, {1, "worldnext"}}))
                         .Records(kWrapped, 0, 1)
                         .Cursor(1, 0),
                     Case("wrap at column 0", 0, 0, "T", "")
                         .Slots(With(wrap, {{0, ""}, {1, "hello worldnext"}}))
                         .Records(kWrapped, 0, 1)
                         .Cursor(1, 0),
                     Case("wrap at the end", 0, 11, "T", "").Records(kWrapped, 0, 1).Cursor(1, 0),
                     Case("wrap past the end", 0, 14, "T", "").Records(kWrapped, 0, 1).Cursor(1, 0),
                     Case("wrap onto an empty line", 1, 1, "T", "")
                         .Slots(With(wrap, {{1, "n"}, {2, "ext"}}))
                         .Records(kWrapped, 1, 2)
                         .Cursor(2, 0),
                     Case("wrap on the last slot does nothing", 11, 1, "T", ""),
                 });
  const std::vector<std::string> crowded = With(kText, {{0, "abcdefghij"}, {1, "0123456789"}});
  RunCases(crowded,
           {
               Case("wrap into a crowded line loses what does not fit", 0, 0, "T", "")
                   .Slots(With(crowded, {{0, ""}, {1, "abcde0123456789"}}))
                   .Prints("Insert was truncated because the line would have exceeded 16\n")
                   .Records(kWrapped, 0, 1)
                   .Cursor(1, 0),
           });
}

TEST(ClipCommands, CopyThenPasteOrInsertOnAnotherLine) {
  Live live;
  live.Seed({"abcdef", "123456", "123456"});
  live.ed.column = 1;
  live.Do("c", "3\n");
  live.Do(".");
  live.Do("G", "3\n");
  live.Do("v");
  live.Do(".");
  live.Do("G", "3\n");
  live.Do("V");
  EXPECT_TRUE(Holds(live.ed.grid, {"abcdef", "12bcd6", "12bcd3456"}));
  EXPECT_STREQ(live.ed.clip.data(), "bcd");
  // The clip memory survives the paste and a cut refills it.
  live.Do("x", "2\n");
  EXPECT_STREQ(live.ed.clip.data(), "bc");
  EXPECT_TRUE(Holds(live.ed.grid, {"abcdef", "12bcd6", "12d3456"}));
}

}  // namespace
}  // namespace brenik

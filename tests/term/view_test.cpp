#include "term/view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_filesystem.h"
#include "harness.h"

namespace brenik {
namespace {

using testing::MakeGrid;

std::string Show(int line, int column, int page_length, const LineGrid& grid, int numbers,
                 const char* file_name = "") {
  testing::ScriptedIo console("");
  Display(line, column, page_length - 1, grid, numbers, file_name, console.io().out);
  return console.output();
}

TEST(Display, HeaderGivesThePositionAndTheName) {
  const LineGrid grid = MakeGrid(40, 256, {});
  const struct {
    int line;
    int column;
    const char* name;
    const char* header;
  } cases[] = {
      {0, 0, "", "\nEditing 1:1 \n\n"},  // the blank stays even without a name
      {2, 4, "notes.txt", "\nEditing 3:5 notes.txt\n\n"},
      {39, 255, "a b", "\nEditing 40:256 a b\n\n"},
  };
  for (const auto& c : cases) {
    for (const int numbers : {0, 1}) {
      EXPECT_EQ(Show(c.line, c.column, 1, grid, numbers, c.name).rfind(c.header, 0), 0u)
          << c.header;
    }
  }
}

TEST(Display, WindowLineFormsAndPrompt) {
  const LineGrid big = MakeGrid(32767, 256, {});
  const LineGrid five = MakeGrid(5, 256, {});
  const LineGrid ten = MakeGrid(10, 256, {});
  // Cursor column 3: "abcdef" reaches it, "abc" (exactly 3 characters) and "" do not.
  const LineGrid forms = MakeGrid(6, 256, {"abcdef", "abc", "xyz123", "", "uvwxyz", "ab"});
  const LineGrid digits = MakeGrid(12, 256, std::vector<std::string>(12, "0123456789"));
  const struct {
    const LineGrid* grid;
    int line;
    int column;
    int page_length;
    int numbers;
    std::string body;  // everything after the header
  } cases[] = {
      // The window ends at the cursor once it can, and stops at the last slot.
      {&big, 0, 0, 8, 1, "[1] \n 2\n 3\n 4\n 5\n 6\n 7\n 8\n  > "},
      {&big, 5, 0, 8, 1, " 1\n 2\n 3\n 4\n 5\n[6] \n 7\n 8\n  > "},
      {&big, 7, 0, 8, 1, " 1\n 2\n 3\n 4\n 5\n 6\n 7\n[8] \n  > "},
      {&big, 19, 0, 8, 1, " 13\n 14\n 15\n 16\n 17\n 18\n 19\n[20] \n   > "},
      {&five, 0, 0, 8, 1, "[1] \n 2\n 3\n 4\n 5\n  > "},
      {&ten, 2, 0, 20, 1, " 1\n 2\n[3] \n 4\n 5\n 6\n 7\n 8\n 9\n 10\n  > "},
      {&ten, 9, 0, 8, 1, " 3\n 4\n 5\n 6\n 7\n 8\n 9\n[10] \n   > "},
      {&big, 4, 0, 1, 1, "[5] \n  > "},
      {&big, 0, 0, 1, 1, "[1] \n  > "},
      {&big, 32766, 0, 3, 1, " 32765\n 32766\n[32767] \n      > "},
      // The eight line forms; any value but 1 hides the numbers.
      {&forms, 0, 3, 8, 1, "[1] def\n 2\n 3  123\n 4\n 5  xyz\n 6\n  > "},
      {&forms, 1, 3, 8, 1, " 1  def\n[2] \n 3  123\n 4\n 5  xyz\n 6\n  > "},
      {&forms, 0, 3, 8, 0, "> def\n\n  123\n\n  xyz\n\n> "},
      {&forms, 1, 3, 8, 0, "  def\n>\n  123\n\n  xyz\n\n> "},
      {&forms, 3, 3, 8, 0, "  def\n\n  123\n>\n  xyz\n\n> "},
      {&forms, 1, 3, 8, 2, "  def\n>\n  123\n\n  xyz\n\n> "},
      {&forms, 1, 3, 8, -1, "  def\n>\n  123\n\n  xyz\n\n> "},
      // The prompt stands under the cursor column: on line 9 a four-character label and a
      // two-space indent, on line 10 five and three, and line 9 starts one further left.
      {&digits, 8, 2, 2, 1, " 8  23456789\n[9] 23456789\n  > "},
      {&digits, 9, 2, 2, 1, " 9  23456789\n[10] 23456789\n   > "},
      {&digits, 9, 2, 2, 0, "  23456789\n> 23456789\n> "},
      {&digits, 11, 2, 3, 1, " 10  23456789\n 11  23456789\n[12] 23456789\n   > "},
  };
  for (const auto& c : cases) {
    const std::string header =
        "\nEditing " + std::to_string(c.line + 1) + ":" + std::to_string(c.column + 1) + " \n\n";
    EXPECT_EQ(Show(c.line, c.column, c.page_length, *c.grid, c.numbers), header + c.body)
        << "cursor " << c.line << ":" << c.column << ", page " << c.page_length << ", numbers "
        << c.numbers;
  }
}

TEST(Display, ColumnAtTheSlotsEndShowsNoText) {
  const LineGrid grid = MakeGrid(3, 256, {std::string(255, 'x'), "short", std::string(200, 'y')});
  EXPECT_EQ(Show(1, 255, 8, grid, 1), "\nEditing 2:256 \n\n 1\n[2] \n 3\n  > ");
  EXPECT_EQ(Show(0, 254, 8, grid, 0), "\nEditing 1:255 \n\n> x\n\n\n> ");
}

TEST(Display, ControlBytesShowAsQuestionMarks) {
  const LineGrid grid = MakeGrid(4, 256,
                                 {"a\x01"
                                  "b\x1b]0;title\x07"
                                  "c\x7f",
                                  "tab\there \x80\xc3\xa9\xff", "\r\n\x1f~", "\x1b[2Jcleared"});
  EXPECT_EQ(Show(0, 0, 4, grid, 1),
            "\nEditing 1:1 \n\n"
            "[1] a?b?]0;title?c?\n"
            " 2  tab\there \x80\xc3\xa9\xff\n"
            " 3  ???~\n"
            " 4  ?[2Jcleared\n"
            "  > ");
  // Bytes left of the cursor column are not shown at all, control or not.
  EXPECT_EQ(Show(3, 1, 1, grid, 0), "\nEditing 4:2 \n\n> [2Jcleared\n> ");
  EXPECT_EQ(Show(3, 0, 1, grid, 0), "\nEditing 4:1 \n\n> ?[2Jcleared\n> ");
}

}  // namespace
}  // namespace brenik

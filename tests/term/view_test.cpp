#include "term/view.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "harness.h"

namespace brenik {
namespace {

using testing::MakeGrid;

std::string Show(int line, int column, int page_length, const LineGrid& grid, int numbers,
                 const char* file_name = "") {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* out = open_memstream(&buffer, &size);
  Display(line, column, page_length - 1, grid, numbers, file_name, out);
  std::fclose(out);
  std::string shown(buffer, size);
  std::free(buffer);
  return shown;
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

TEST(Display, WindowEndsAtTheCursorOnceItCan) {
  const LineGrid big = MakeGrid(32767, 256, {});
  const LineGrid five = MakeGrid(5, 256, {});
  const LineGrid ten = MakeGrid(10, 256, {});
  const struct {
    const char* name;
    const LineGrid* grid;
    int line;
    int page_length;
    std::string body;  // everything after the header
  } cases[] = {
      {"cursor on the first line", &big, 0, 8, "[1] \n 2\n 3\n 4\n 5\n 6\n 7\n 8\n  > "},
      {"cursor high in the first window", &big, 5, 8, " 1\n 2\n 3\n 4\n 5\n[6] \n 7\n 8\n  > "},
      {"cursor on index 7 is the last line", &big, 7, 8, " 1\n 2\n 3\n 4\n 5\n 6\n 7\n[8] \n  > "},
      {"cursor on index 19", &big, 19, 8, " 13\n 14\n 15\n 16\n 17\n 18\n 19\n[20] \n   > "},
      {"only five slots", &five, 0, 8, "[1] \n 2\n 3\n 4\n 5\n  > "},
      {"window stops at the last slot", &ten, 2, 20,
       " 1\n 2\n[3] \n 4\n 5\n 6\n 7\n 8\n 9\n 10\n  > "},
      {"cursor on the last slot", &ten, 9, 8, " 3\n 4\n 5\n 6\n 7\n 8\n 9\n[10] \n   > "},
      {"page length 1", &big, 4, 1, "[5] \n  > "},
      {"page length 1 on the first line", &big, 0, 1, "[1] \n  > "},
      {"last slot of the default grid", &big, 32766, 3, " 32765\n 32766\n[32767] \n      > "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string shown = Show(c.line, 0, c.page_length, *c.grid, 1);
    const std::string header = "\nEditing " + std::to_string(c.line + 1) + ":1 \n\n";
    ASSERT_EQ(shown.rfind(header, 0), 0u) << shown;
    EXPECT_EQ(shown.substr(header.size()), c.body);
  }
}

TEST(Display, EightLineForms) {
  // Cursor column 3: "abcdef" reaches it, "abc" (exactly 3 characters) and "" do not.
  const LineGrid grid = MakeGrid(6, 256, {"abcdef", "abc", "xyz123", "", "uvwxyz", "ab"});
  const struct {
    int line;
    int numbers;
    std::string body;
  } cases[] = {
      {0, 1, "[1] def\n 2\n 3  123\n 4\n 5  xyz\n 6\n  > "},
      {1, 1, " 1  def\n[2] \n 3  123\n 4\n 5  xyz\n 6\n  > "},
      {0, 0, "> def\n\n  123\n\n  xyz\n\n> "},
      {1, 0, "  def\n>\n  123\n\n  xyz\n\n> "},
      {3, 0, "  def\n\n  123\n>\n  xyz\n\n> "},
      // Any value but 1 hides the numbers.
      {1, 2, "  def\n>\n  123\n\n  xyz\n\n> "},
      {1, -1, "  def\n>\n  123\n\n  xyz\n\n> "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("cursor " + std::to_string(c.line) + " numbers " + std::to_string(c.numbers));
    const std::string shown = Show(c.line, 3, 8, grid, c.numbers);
    const std::string header = "\nEditing " + std::to_string(c.line + 1) + ":4 \n\n";
    ASSERT_EQ(shown.rfind(header, 0), 0u) << shown;
    EXPECT_EQ(shown.substr(header.size()), c.body);
  }
}

TEST(Display, PromptStandsUnderTheCursorColumn) {
  std::vector<std::string> text(12, "0123456789");
  const LineGrid grid = MakeGrid(12, 256, text);
  const struct {
    int line;
    int numbers;
    int page_length;
    std::string body;
  } cases[] = {
      // Line 9: a four-character label and a two-space indent.
      {8, 1, 2, " 8  23456789\n[9] 23456789\n  > "},
      // Line 10: a five-character label and a three-space indent; line 9 starts one further left.
      {9, 1, 2, " 9  23456789\n[10] 23456789\n   > "},
      {9, 0, 2, "  23456789\n> 23456789\n> "},
      {11, 1, 3, " 10  23456789\n 11  23456789\n[12] 23456789\n   > "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("cursor " + std::to_string(c.line));
    const std::string shown = Show(c.line, 2, c.page_length, grid, c.numbers);
    const std::string header = "\nEditing " + std::to_string(c.line + 1) + ":3 \n\n";
    ASSERT_EQ(shown.rfind(header, 0), 0u) << shown;
    EXPECT_EQ(shown.substr(header.size()), c.body);
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

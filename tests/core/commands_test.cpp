#include "core/commands.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace brenik {
namespace {

TEST(CommandTable, NamesAndDefaultKeysInIndexOrder) {
  CommandNames names;
  CommandKeys keys;
  MakeKeys(names);
  SetDefaultValues(keys);
  const char* expected[kCommandCount][2] = {
      {"position_back", "b"},  {"position_forw", "n"}, {"position_down", ","},
      {"position_up", "."},    {"position_beg", "l"},  {"position_end", "e"},
      {"page_back", "<"},      {"page_forw", ">"},     {"page_length", "p"},
      {"jump_line", "j"},      {"jump_doc", "J"},      {"lock_tog", "L"},
      {"go_to_line", "g"},     {"go_to_pos", "G"},     {"anchor_go", "a"},
      {"anchor_set", "A"},     {"line_clear", "d"},    {"line_move", "m"},
      {"line_insert", "w"},    {"line_delete", "D"},   {"line_copy", "C"},
      {"clip_copy", "c"},      {"clip_cut", "x"},      {"clip_paste", "v"},
      {"clip_insert", "V"},    {"new_insert", "i"},    {"trim_end", "t"},
      {"trim_wrap", "T"},      {"undo", "z"},          {"save_prompt", "s"},
      {"save_overwrite", "S"}, {"open", "O"},          {"help", "h"},
      {"num_tog", "#"},        {"command_exec", "="},  {"command_edit", "+"},
      {"quit", "q"},
  };
  for (int i = 0; i < kCommandCount; ++i) {
    EXPECT_STREQ(names[i].data(), expected[i][0]) << "index " << i;
    EXPECT_STREQ(keys[i].data(), expected[i][1]) << "index " << i;
  }
}

TEST(CommandTable, NoNameHidesInsideAnotherKey) {
  // The settings reader matches names as substrings; a name inside another would bind both.
  CommandNames names;
  MakeKeys(names);
  std::set<std::string> keys = {"max_lines",      "max_char",     "anchor_position",
                                "lines_per_page", "show_numbers", "launch_command"};
  for (const auto& name : names) {
    keys.insert(name.data());
  }
  ASSERT_EQ(keys.size(), 43u);
  for (const auto& name : names) {
    for (const std::string& other : keys) {
      if (other != name.data()) {
        EXPECT_EQ(other.find(name.data()), std::string::npos) << name.data() << " in " << other;
      }
    }
  }
}

TEST(CommandTable, DispatchOrderCoversEveryCommandOnce) {
  std::set<int> seen(kDispatchOrder.begin(), kDispatchOrder.end());
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kCommandCount));
  EXPECT_EQ(kDispatchOrder.front(), kPositionDown);
  EXPECT_EQ(kDispatchOrder.back(), kQuit);
}

}  // namespace
}  // namespace brenik

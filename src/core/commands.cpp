#include "core/commands.h"

#include <cstring>

namespace brenik {

namespace {

struct Entry {
  const char* name;
  char key;
};

constexpr std::array<Entry, kCommandCount> kTable = {{
    {"position_back", 'b'}, {"position_forw", 'n'}, {"position_down", ','},  {"position_up", '.'},
    {"position_beg", 'l'},  {"position_end", 'e'},  {"page_back", '<'},      {"page_forw", '>'},
    {"page_length", 'p'},   {"jump_line", 'j'},     {"jump_doc", 'J'},       {"lock_tog", 'L'},
    {"go_to_line", 'g'},    {"go_to_pos", 'G'},     {"anchor_go", 'a'},      {"anchor_set", 'A'},
    {"line_clear", 'd'},    {"line_move", 'm'},     {"line_insert", 'w'},    {"line_delete", 'D'},
    {"line_copy", 'C'},     {"clip_copy", 'c'},     {"clip_cut", 'x'},       {"clip_paste", 'v'},
    {"clip_insert", 'V'},   {"new_insert", 'i'},    {"trim_end", 't'},       {"trim_wrap", 'T'},
    {"undo", 'z'},          {"save_prompt", 's'},   {"save_overwrite", 'S'}, {"open", 'O'},
    {"help", 'h'},          {"num_tog", '#'},       {"command_exec", '='},   {"command_edit", '+'},
    {"quit", 'q'},
}};

}  // namespace

const std::array<Command, kCommandCount> kDispatchOrder = {
    kPositionDown, kPositionUp, kPositionForw,  kPositionBack, kPageForw,   kPageBack, kPositionBeg,
    kLockTog,      kNumTog,     kJumpLine,      kJumpDoc,      kGoToLine,   kGoToPos,  kPositionEnd,
    kClipCopy,     kClipInsert, kClipPaste,     kLineClear,    kNewInsert,  kClipCut,  kTrimEnd,
    kTrimWrap,     kSavePrompt, kSaveOverwrite, kOpen,         kLineMove,   kLineCopy, kAnchorSet,
    kAnchorGo,     kLineInsert, kLineDelete,    kHelp,         kPageLength, kUndo,     kCommandExec,
    kCommandEdit,  kQuit,
};

void MakeKeys(CommandNames& names) {
  for (int i = 0; i < kCommandCount; ++i) {
    names[i] = {};
    std::strncpy(names[i].data(), kTable[i].name, kNameSize - 1);
  }
}

void SetDefaultValues(CommandKeys& keys) {
  for (int i = 0; i < kCommandCount; ++i) {
    keys[i] = {kTable[i].key, '\0'};
  }
}

}  // namespace brenik

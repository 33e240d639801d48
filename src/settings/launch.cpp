// SPDX-License-Identifier: MIT
#include "settings/launch.h"

#include <cstdio>
#include <cstring>

namespace brenik {

void SetCommand(Launch& launch, Io& io) {
  if (!launch.command.empty()) {
    std::fprintf(io.out, "Command in memory = %s\n", Shown(launch.command.c_str()).c_str());
  } else {
    std::fputs("There is no command in memory\n", io.out);
  }
  std::fputs("Enter new command or [enter] to keep current one\n", io.out);
  char answer[kNameLimit + 1];
  const Line line = ReadWhole(io, answer, kNameLimit);
  // One character with the line end is too short to be a command, so a stray key press keeps
  // the command instead of replacing it.
  if (!Fits(line) || std::strlen(answer) + (line == Line::kFits ? 1 : 0) <= 2) {
    return;
  }
  launch.command = answer;
  launch.confirmed = true;
}

SaveResult CommandExec(Launch& launch, std::string& file_name, FileStamp& stamp,
                       const LineGrid& grid, Io& io, FileSystem& fs) {
  if (launch.command.empty()) {
    SetCommand(launch, io);
    if (launch.command.empty()) {
      return SaveResult::kCancelled;
    }
  }
  if (!launch.confirmed) {
    std::fprintf(io.out, "Run %s, the command from .brenik_rc? Enter 'y' to save and run it\n",
                 Shown(launch.command.c_str()).c_str());
    char answer[kShortLimit + 1];
    if (!Answered(io, ReadLine(io, answer, kShortLimit), answer, "y")) {
      return SaveResult::kCancelled;
    }
    launch.confirmed = true;
  }
  const SaveResult saved = Save(file_name, stamp, grid, io, fs);
  if (saved != SaveResult::kSaved) {
    return saved;
  }
  // The command writes straight to the terminal; what the editor printed must come first.
  std::fflush(io.out);
  static_cast<void>(fs.System(launch.command.c_str()));
  return saved;
}

}  // namespace brenik

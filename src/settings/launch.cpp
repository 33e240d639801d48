#include "settings/launch.h"

#include <cstdio>
#include <cstring>

namespace brenik {

namespace {

// 256 bytes: a command of at most 255 characters, or 254 and its line end.
constexpr int kCommandSize = 256;

}  // namespace

void SetCommand(std::string& command, Io& io) {
  if (!command.empty()) {
    std::fprintf(io.out, "Command in memory = %s\n", command.c_str());
  } else {
    std::fputs("There is no command in memory\n", io.out);
  }
  std::fputs("Enter new command or [enter] to keep current one\n", io.out);
  char answer[kCommandSize];
  if (!ReadRaw(io, answer, kCommandSize)) {
    return;
  }
  // Two characters with the line end are one typed character: too short to be a command, so
  // a stray key press keeps the command instead of replacing it.
  if (std::strlen(answer) <= 2) {
    return;
  }
  command.assign(answer, std::strcspn(answer, "\n"));
}

SaveResult CommandExec(std::string& command, std::string& file_name, LineGrid& grid, Io& io,
                       FileSystem& fs) {
  if (command.empty()) {
    SetCommand(command, io);
    if (command.empty()) {
      return SaveResult::kCancelled;
    }
  }
  const SaveResult saved = Save(file_name, grid, io, fs);
  if (saved != SaveResult::kSaved) {
    return saved;
  }
  // The command writes straight to the terminal; what the editor printed must come first.
  std::fflush(io.out);
  static_cast<void>(fs.System(command.c_str()));
  return saved;
}

}  // namespace brenik

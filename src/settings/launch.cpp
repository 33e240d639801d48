#include "settings/launch.h"

namespace brenik {

void SetCommand(std::string&, Io&) {}
SaveResult CommandExec(std::string&, std::string&, LineGrid&, Io&, FileSystem&) {
  return SaveResult::kCancelled;
}

}  // namespace brenik

#include "files/load.h"

namespace brenik {

OpenResult Open(int, std::string&, LineGrid&, std::string&, Io&, FileSystem&, bool&) {
  return OpenResult::kCancelled;
}

}  // namespace brenik

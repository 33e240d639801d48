#include "files/save.h"

namespace brenik {

SaveResult Save(std::string&, LineGrid&, Io&, FileSystem&) { return SaveResult::kCancelled; }
int DefineSaveName(std::string&, Io&, FileSystem&) { return 0; }

}  // namespace brenik

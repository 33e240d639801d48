#include "term/help.h"

namespace brenik {

void Help(const CommandKeys&, int, int, Io&) {}

}  // namespace brenik

#include "settings/rc.h"

namespace brenik {

int ReadRC(Settings&, std::FILE*, FileSystem&) { return 0; }
void ApplyRC(const char*, std::size_t, Settings&) {}
void MakeRC(const Settings&, const char*, std::FILE*, FileSystem&) {}

}  // namespace brenik

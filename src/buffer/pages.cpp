#include "buffer/pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace brenik {

void AdviseHugePages(char* begin, char* end, char* limit) {
#ifdef MADV_HUGEPAGE
  const auto start = reinterpret_cast<std::uintptr_t>(begin);
  const auto stop = reinterpret_cast<std::uintptr_t>(end);
  const std::uintptr_t first = (start + kHugePage - 1) / kHugePage * kHugePage;
  const std::uintptr_t rounded = (stop + kHugePage - 1) / kHugePage * kHugePage;
  std::uintptr_t last = stop / kHugePage * kHugePage;
  if (stop % kHugePage >= kHugePage / 2 && rounded <= reinterpret_cast<std::uintptr_t>(limit)) {
    last = rounded;
  }
  if (last > first) {
    static_cast<void>(madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE));
  }
#else
  static_cast<void>(begin);
  static_cast<void>(end);
  static_cast<void>(limit);
#endif
}

}  // namespace brenik

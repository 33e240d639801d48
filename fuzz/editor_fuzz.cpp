// The whole editor on any input, checked after every command (see tests/session_check.h for
// the layout of an input). It works in a private directory that no path may leave.
#include <cstdio>
#include <cstdlib>

#include "session_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const brenik::testing::TempDir directory;
  const std::string fault = brenik::testing::SessionFault(data, size);
  if (!fault.empty()) {
    std::fprintf(stderr, "%s\n", fault.c_str());
    std::abort();
  }
  return 0;
}

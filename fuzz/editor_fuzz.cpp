// SPDX-License-Identifier: MIT
// The whole editor on any input, checked as tests/session_check.h says, in a private directory.
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

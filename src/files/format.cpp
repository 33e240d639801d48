// SPDX-License-Identifier: MIT
#include "files/format.h"

namespace brenik {

std::size_t FormatSize(const LineGrid& grid, int last) {
  std::size_t total = 0;
  for (int k = 0; k <= last; ++k) {
    total += grid.Text(k).size() + 1;
  }
  return total;
}

}  // namespace brenik

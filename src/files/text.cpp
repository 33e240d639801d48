#include "files/text.h"

#include <cstdlib>

#include "buffer/pages.h"

namespace brenik {

void TextDeleter::operator()(char* p) const { std::free(p); }

TextBuffer AllocateText(std::size_t size) {
  if (size < kHugePage / 2) {
    return TextBuffer(static_cast<char*>(std::malloc(size > 0 ? size : 1)));
  }
  const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
  char* block = static_cast<char*>(std::aligned_alloc(kHugePage, rounded));
  if (block != nullptr) {
    AdviseHugePages(block, block + size, block + rounded);
  }
  return TextBuffer(block);
}

}  // namespace brenik

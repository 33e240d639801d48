// Memory for a whole file's text, read in or about to be written out.
#pragma once

#include <cstddef>
#include <memory>

namespace brenik {

/// Releases what AllocateText returned.
struct TextDeleter {
  void operator()(char* p) const;
};
using TextBuffer = std::unique_ptr<char[], TextDeleter>;

/// An uninitialised buffer for a whole file's text, at least one byte; null when memory is short.
[[nodiscard]] TextBuffer AllocateText(std::size_t size);

}  // namespace brenik

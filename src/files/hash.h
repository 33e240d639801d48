// A fast checksum of bytes: to tell that a file still holds what it held, and that a record of
// the journal was written whole.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brenik {

/// A 64-bit hash of `size` bytes; not for secrets, only against chance and damage.
[[nodiscard]] std::uint64_t HashBytes(const char* data, std::size_t size, std::uint64_t seed = 0);

}  // namespace brenik

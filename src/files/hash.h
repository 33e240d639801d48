// SPDX-License-Identifier: MIT
// A fast checksum of bytes: to tell that a file still holds what it held, and that a record of
// the journal was written whole.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brenik {

/// A 64-bit hash of bytes fed in any number of pieces: the pieces' bounds do not matter, only
/// the bytes. Not for secrets, only against chance and damage.
class Hasher {
 public:
  explicit Hasher(std::uint64_t seed = 0);
  void Add(const char* data, std::size_t size);
  [[nodiscard]] std::uint64_t Value() const;

 private:
  std::uint64_t lanes_[4];
  char stripe_[32];  // the bytes of a stripe not yet mixed in
  std::size_t held_ = 0;
  std::uint64_t total_ = 0;
};

/// The hash of `size` bytes in one piece.
[[nodiscard]] std::uint64_t HashBytes(const char* data, std::size_t size, std::uint64_t seed = 0);

}  // namespace brenik

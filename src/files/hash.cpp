// SPDX-License-Identifier: MIT
#include "files/hash.h"

#include <algorithm>
#include <cstring>

namespace brenik {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;

std::uint64_t Rotate(std::uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

// Four independent lanes keep the multiplier busy: a whole file is hashed at memory speed.
void MixStripe(std::uint64_t (&lanes)[4], const char* stripe) {
  std::uint64_t words[4];
  std::memcpy(words, stripe, sizeof words);
  for (int k = 0; k < 4; ++k) {
    lanes[k] = Rotate(lanes[k] + words[k] * kPrime2, 31) * kPrime1;
  }
}

}  // namespace

Hasher::Hasher(std::uint64_t seed)
    : lanes_{seed + kPrime1, seed + kPrime2, seed, seed - kPrime1}, stripe_{} {}

void Hasher::Add(const char* data, std::size_t size) {
  total_ += size;
  if (held_ > 0) {
    const std::size_t taken = std::min(size, sizeof stripe_ - held_);
    std::memcpy(stripe_ + held_, data, taken);
    held_ += taken;
    data += taken;
    size -= taken;
    if (held_ < sizeof stripe_) {
      return;
    }
    MixStripe(lanes_, stripe_);
    held_ = 0;
  }
  // The lanes are worked on in registers: written back only at the end, they cannot be taken
  // for the bytes being read.
  std::uint64_t lanes[4] = {lanes_[0], lanes_[1], lanes_[2], lanes_[3]};
  for (; size >= sizeof stripe_; data += sizeof stripe_, size -= sizeof stripe_) {
    MixStripe(lanes, data);
  }
  std::memcpy(lanes_, lanes, sizeof lanes);
  if (size > 0) {
    std::memcpy(stripe_, data, size);
  }
  held_ = size;
}

std::uint64_t Hasher::Value() const {
  std::uint64_t hash = Rotate(lanes_[0], 1) + Rotate(lanes_[1], 7) + Rotate(lanes_[2], 12) +
                       Rotate(lanes_[3], 18) + total_;
  for (std::size_t k = 0; k < held_; ++k) {
    hash = Rotate(hash ^ (static_cast<unsigned char>(stripe_[k]) * kPrime1), 11) * kPrime2;
  }
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  return hash;
}

std::uint64_t HashBytes(const char* data, std::size_t size, std::uint64_t seed) {
  Hasher hasher(seed);
  hasher.Add(data, size);
  return hasher.Value();
}

}  // namespace brenik

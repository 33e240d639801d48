#include "files/hash.h"

#include <cstring>

namespace brenik {

namespace {

constexpr std::uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr std::uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;

std::uint64_t Rotate(std::uint64_t x, int bits) { return (x << bits) | (x >> (64 - bits)); }

std::uint64_t Mix(std::uint64_t lane, std::uint64_t word) {
  return Rotate(lane + word * kPrime2, 31) * kPrime1;
}

}  // namespace

std::uint64_t HashBytes(const char* data, std::size_t size, std::uint64_t seed) {
  // Four independent lanes keep the multiplier busy: a whole file is hashed at memory speed.
  std::uint64_t lanes[4] = {seed + kPrime1, seed + kPrime2, seed, seed - kPrime1};
  std::size_t at = 0;
  for (; at + 32 <= size; at += 32) {
    std::uint64_t words[4];
    std::memcpy(words, data + at, sizeof words);
    for (int k = 0; k < 4; ++k) {
      lanes[k] = Mix(lanes[k], words[k]);
    }
  }
  std::uint64_t hash = Rotate(lanes[0], 1) + Rotate(lanes[1], 7) + Rotate(lanes[2], 12) +
                       Rotate(lanes[3], 18) + static_cast<std::uint64_t>(size);
  for (; at < size; ++at) {
    hash = Rotate(hash ^ (static_cast<unsigned char>(data[at]) * kPrime1), 11) * kPrime2;
  }
  hash ^= hash >> 33;
  hash *= kPrime2;
  hash ^= hash >> 29;
  return hash;
}

}  // namespace brenik

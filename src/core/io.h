// The editor's two streams and the reads that every prompt shares.
#pragma once

#include <cstdio>

namespace brenik {

/// Where prompts are read from and everything is written to; nothing goes to stderr.
struct Io {
  std::FILE* in = nullptr;
  std::FILE* out = nullptr;
  /// Set once input has ended or failed; every later read fails at once.
  bool ended = false;
};

/// Reads one line of at most size - 1 bytes, line end kept; false at end of input or on error.
[[nodiscard]] bool ReadRaw(Io& io, char* buffer, int size);
/// As ReadRaw, with the line cut at its first newline.
[[nodiscard]] bool ReadAnswer(Io& io, char* buffer, int size);
/// Reads a numeric answer (at most 7 characters) as a base-10 integer; no digits gives 0.
[[nodiscard]] bool ReadNumber(Io& io, long& value);

/// Bytes a numeric answer takes, terminator included.
inline constexpr int kNumberSize = 8;

}  // namespace brenik

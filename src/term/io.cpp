// SPDX-License-Identifier: MIT
#include "term/io.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "term/signals.h"

namespace brenik {

namespace {

// A document's or a name's control bytes would drive the terminal.
bool IsControl(unsigned char c) { return (c < 0x20 && c != '\t') || c == 0x7f; }

// Reads more input into the empty buffer; false at the end of the input, on an error, on a
// failed output or when a signal asks the editor to end.
bool Fill(Io& io) {
  // What the commands so far changed is written before more input is taken, and is on the
  // disk before a person who sees the prompt could type: a piped script that is read ahead
  // comes here once per buffer, not once per line, and never waits.
  if (io.hook != nullptr) {
    io.hook->BeforeRead();
    if (io.hook->Unsynced() && io.in >= 0 && !InputReady(io.in)) {
      io.hook->BeforeWait();
    }
  }
  // The prompt must be on screen before anyone waits.
  std::fflush(io.out);
  // An Io without input has nothing to wait for; ppoll would ignore it and wait for ever.
  io.drained = io.drained || io.in < 0;
  while (!io.drained && std::ferror(io.out) == 0 && WaitForInput(io.in)) {
    const ssize_t got = read(io.in, io.buffer, sizeof io.buffer);
    if (got > 0) {
      io.start = 0;
      io.end = static_cast<std::size_t>(got);
      return true;
    }
    io.drained = got == 0 || errno != EINTR;
  }
  return false;
}

}  // namespace

Line ReadLine(Io& io, char* buffer, int limit) {
  buffer[0] = '\0';
  // Nobody reads what a failed output shows, and a signal asks the editor to end: either way
  // the command in progress is abandoned rather than fed an answer.
  if (io.ended || PendingSignal() != 0 || std::ferror(io.out) != 0) {
    io.ended = true;
    io.length = 0;
    return Line::kEnd;
  }
  std::size_t kept = 0;
  bool cut = false;
  for (;;) {
    const char* from = io.buffer + io.start;
    const std::size_t available = io.end - io.start;
    const void* newline = std::memchr(from, '\n', available);
    const std::size_t length =
        newline != nullptr ? static_cast<std::size_t>(static_cast<const char*>(newline) - from)
                           : available;
    const std::size_t taken = std::min(length, static_cast<std::size_t>(limit) - kept);
    std::memcpy(buffer + kept, from, taken);
    kept += taken;
    cut = cut || taken < length;
    io.start += newline != nullptr ? length + 1 : length;
    if (newline != nullptr) {
      buffer[kept] = '\0';
      io.length = kept;
      return cut ? Line::kLong : Line::kFits;
    }
    if (!Fill(io)) {
      break;
    }
  }
  if (PendingSignal() != 0 || std::ferror(io.out) != 0 || (kept == 0 && !cut)) {
    buffer[0] = '\0';
    io.length = 0;
    io.ended = true;
    return Line::kEnd;
  }
  buffer[kept] = '\0';
  io.length = kept;
  return cut ? Line::kLong : Line::kLast;
}

bool Answered(const Io& io, Line line, const char* buffer, const char* word) {
  // A zero byte would end the comparison early: "q", a zero and anything is not "q".
  return line == Line::kFits && io.length == std::strlen(word) && std::strcmp(buffer, word) == 0;
}

Line ReadText(Io& io, char* buffer, int limit) {
  const Line line = ReadLine(io, buffer, limit);
  if (line == Line::kLong) {
    std::fprintf(io.out, "The line was longer than %i characters; the rest was not used\n", limit);
  }
  return line;
}

Line ReadWhole(Io& io, char* buffer, int limit) {
  const Line line = ReadLine(io, buffer, limit);
  if (line == Line::kLong) {
    std::fprintf(io.out, "The answer was longer than %i characters and was not used\n", limit);
  }
  return line;
}

std::optional<long> ReadNumber(Io& io) {
  char answer[kNumberLimit + 1];
  if (!Fits(ReadWhole(io, answer, kNumberLimit))) {
    return std::nullopt;
  }
  return std::strtol(answer, nullptr, 10);
}

void PutShown(std::string_view text, std::FILE* out) {
  std::size_t run = 0;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (IsControl(static_cast<unsigned char>(text[k]))) {
      std::fwrite(text.data() + run, 1, k - run, out);
      std::fputc('?', out);
      run = k + 1;
    }
  }
  std::fwrite(text.data() + run, 1, text.size() - run, out);
}

std::array<char, 2> ShownKey(char key) {
  return {IsControl(static_cast<unsigned char>(key)) ? '?' : key, '\0'};
}

Shown::Shown(const char* text) {
  std::size_t k = 0;
  for (; text[k] != '\0' && k + 1 < sizeof text_; ++k) {
    text_[k] = IsControl(static_cast<unsigned char>(text[k])) ? '?' : text[k];
  }
  text_[k] = '\0';
}

}  // namespace brenik

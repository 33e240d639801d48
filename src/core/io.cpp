#include "core/io.h"

#include <cstdlib>
#include <cstring>

#include "core/signals.h"

namespace brenik {

namespace {

// True when the next read is served from the stream's buffer, so nobody waits on it yet.
bool InputBuffered(std::FILE* in) {
#ifdef __GLIBC__
  return in->_IO_read_ptr < in->_IO_read_end;
#else
  (void)in;
  return false;
#endif
}

}  // namespace

bool ReadRaw(Io& io, char* buffer, int size) {
  buffer[0] = '\0';
  if (io.ended) {
    return false;
  }
  // The prompt must be on screen before anyone waits; lines already buffered need no flush,
  // which keeps a piped script from paying one write per line.
  if (!InputBuffered(io.in)) {
    std::fflush(io.out);
  }
  // Nobody reads what a failed output shows, and a signal asks the editor to end: either way
  // the command in progress is abandoned rather than fed an answer.
  if (PendingSignal() != 0 || std::ferror(io.out)) {
    io.ended = true;
    return false;
  }
  if (std::fgets(buffer, size, io.in) == nullptr || PendingSignal() != 0) {
    buffer[0] = '\0';
    io.ended = true;
    return false;
  }
  return true;
}

bool ReadAnswer(Io& io, char* buffer, int size) {
  if (!ReadRaw(io, buffer, size)) {
    return false;
  }
  buffer[std::strcspn(buffer, "\n")] = '\0';
  return true;
}

bool ReadNumber(Io& io, long& value) {
  char answer[kNumberSize];
  if (!ReadAnswer(io, answer, kNumberSize)) {
    return false;
  }
  value = std::strtol(answer, nullptr, 10);
  return true;
}

}  // namespace brenik

// The program entry: binds the editor to the real streams and the real file system.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "core/loop.h"
#include "core/startup.h"
#include "files/filesystem.h"
#include "term/signals.h"

namespace {

// A closed standard descriptor would be handed to the next file opened, and a save could
// then land on what the editor believes is its output.
void ReopenStandardDescriptors() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) == -1) {
      const int null_fd = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
      if (null_fd >= 0 && null_fd != fd) {
        dup2(null_fd, fd);
        close(null_fd);
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  ReopenStandardDescriptors();
  // Made first, so that it keeps the signal state that the launched command is to get back.
  brenik::PosixFileSystem fs;
  // A file-size limit must fail the write, not kill the editor with the document unsaved.
  std::signal(SIGXFSZ, SIG_IGN);
  brenik::InstallSignalHandlers();
  // Every prompt flushes before it waits, so full buffering loses nothing and saves writes.
  // The buffer stays reachable through stdout until the process ends, so it is never freed.
  constexpr std::size_t kStreamBuffer = std::size_t{1} << 16;
  std::setvbuf(stdout, static_cast<char*>(std::malloc(kStreamBuffer)), _IOFBF, kStreamBuffer);

  brenik::Editor ed;
  ed.io.in = STDIN_FILENO;
  ed.io.out = stdout;
  ed.io.err = stderr;
  ed.fs = &fs;
  switch (brenik::StartUp(ed, argc, argv)) {
    case brenik::Flow::kFatal:
      return 1;
    case brenik::Flow::kMisused:
      return 2;
    case brenik::Flow::kQuit:
      return std::fflush(stdout) == 0 ? 0 : 1;
    case brenik::Flow::kContinue:
      break;
  }
  return brenik::RunEditor(ed);
}

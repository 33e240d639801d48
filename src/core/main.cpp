// SPDX-License-Identifier: MIT
// The program entry: binds the editor to the real streams and the real file system.
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

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

// Everything that uses the standard streams, which must be done with them when it returns.
int Run(int argc, char** argv) {
  // Made first, so that it keeps the signal state that the launched command is to get back.
  brenik::PosixFileSystem fs;
  // A file-size limit must fail the write, not kill the editor with the document unsaved.
  std::signal(SIGXFSZ, SIG_IGN);
  brenik::InstallSignalHandlers();

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

}  // namespace

int main(int argc, char** argv) {
  ReopenStandardDescriptors();
  // Every prompt flushes before it waits, so full buffering loses nothing and saves writes.
  // The buffer lives in this frame rather than in a heap block that nothing could free, so a
  // leak checker finds nothing left; the stream is closed before the frame ends.
  char buffer[std::size_t{1} << 16];
  std::setvbuf(stdout, buffer, _IOFBF, sizeof buffer);
  const int status = Run(argc, argv);
  std::fclose(stdout);
  return status;
}

// SPDX-License-Identifier: MIT
#include "term/signals.h"

#include <poll.h>

#include <cerrno>
#include <csignal>
#include <initializer_list>

namespace brenik {

namespace {

// The one piece of global state: a handler can do nothing safer than set a flag.
volatile std::sig_atomic_t pending_signal = 0;

extern "C" void NoteSignal(int signal_number) { pending_signal = signal_number; }

sigset_t HandledSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal_number : {SIGHUP, SIGTERM, SIGINT}) {
    sigaddset(&set, signal_number);
  }
  return set;
}

// Waits until `fd` is ready for `events`; false when a signal asks the editor to end.
bool WaitFor(int fd, short events) {
  const sigset_t handled = HandledSignals();
  sigset_t previous;
  // Blocked from the look at the flag until the wait, a signal cannot slip in between them:
  // it stays pending until ppoll unblocks it, and then ends the wait.
  sigprocmask(SIG_BLOCK, &handled, &previous);
  sigset_t waiting = previous;
  for (const int signal_number : {SIGHUP, SIGTERM, SIGINT}) {
    sigdelset(&waiting, signal_number);
  }
  pollfd polled = {fd, events, 0};
  while (pending_signal == 0 && ppoll(&polled, 1, nullptr, &waiting) < 0 && errno == EINTR) {
  }
  sigprocmask(SIG_SETMASK, &previous, nullptr);
  return pending_signal == 0;
}

}  // namespace

void InstallSignalHandlers() {
  struct sigaction action = {};
  action.sa_handler = NoteSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a read blocked on the terminal must return so the loop sees the flag.
  action.sa_flags = 0;
  for (const int signal_number : {SIGHUP, SIGTERM, SIGINT}) {
    sigaction(signal_number, &action, nullptr);
  }
  // A closed pipe must show as a failed write, which ends the editor in order.
  std::signal(SIGPIPE, SIG_IGN);
}

int PendingSignal() { return pending_signal; }

bool InputReady(int fd) {
  pollfd input = {fd, POLLIN, 0};
  return poll(&input, 1, 0) != 0;
}

bool WaitForInput(int fd) { return WaitFor(fd, POLLIN); }

bool WaitForOutput(int fd) { return WaitFor(fd, POLLOUT); }

}  // namespace brenik

#include "core/signals.h"

#include <csignal>
#include <initializer_list>

namespace brenik {

namespace {

// The one piece of global state: a handler can do nothing safer than set a flag.
volatile std::sig_atomic_t pending_signal = 0;

extern "C" void NoteSignal(int signal_number) { pending_signal = signal_number; }

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

}  // namespace brenik

// Signals that end the editor: the handler only notes them; the loop acts at a safe point.
#pragma once

namespace brenik {

/// Catches SIGHUP, SIGTERM and SIGINT without restarting reads, and ignores SIGPIPE.
void InstallSignalHandlers();

/// The signal that asked the editor to end, 0 when none.
int PendingSignal();

}  // namespace brenik

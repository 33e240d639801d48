// SPDX-License-Identifier: MIT
// Signals that end the editor: the handler only notes them; the loop acts at a safe point.
#pragma once

namespace brenik {

/// Catches SIGHUP, SIGTERM and SIGINT without restarting reads, and ignores SIGPIPE.
void InstallSignalHandlers();

/// The signal that asked the editor to end, 0 when none.
int PendingSignal();

/// True when reading `fd` would not wait: input, its end or an error is there now.
[[nodiscard]] bool InputReady(int fd);

/// Waits until `fd` has input (or its end, or an error) to read; false when a signal asks the
/// editor to end, including one that arrived just before the wait began.
[[nodiscard]] bool WaitForInput(int fd);
/// WaitForInput for room to write to `fd`.
[[nodiscard]] bool WaitForOutput(int fd);

}  // namespace brenik

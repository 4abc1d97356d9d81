#pragma once
// Processes started by or known to the application.

namespace platform {

// Whether the process still runs. A child of ours that has ended is reaped here.
bool IsProcessRunning(int processId);

}  // namespace platform

#include "platform/Process.h"

#include <sys/types.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>

namespace platform {

bool IsProcessRunning(int processId) {
  if (processId <= 0) return false;
  int status = 0;
  const pid_t reaped = waitpid(processId, &status, WNOHANG);
  if (reaped == processId) return false;  // our child, and it has ended
  if (reaped == 0) return true;           // our child, still running
  // Not our child: ask whether it exists.
  return kill(processId, 0) == 0 || errno == EPERM;
}

}  // namespace platform

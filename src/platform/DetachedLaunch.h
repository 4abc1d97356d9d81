#pragma once
// Starting a program that lives on by itself (an installer, the firmware updater): no shell,
// its own session, standard input and output on /dev/null, no other descriptor of ours, the
// signal mask and dispositions reset to the defaults.

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

struct LaunchResult {
  bool started = false;
  int processId = 0;  // valid when started
  int error = 0;      // errno of the failure when not started
};

// Runs `program` (a path, not searched in PATH) with the arguments (argv[0] is the program's
// path). `workingFolder` empty keeps ours. `started` is true only when the program image was
// really executed: a missing file, a file without execute permission or one the kernel cannot
// run is reported as not started.
// The process remains our child: platform::IsProcessRunning reaps it once it has ended.
LaunchResult LaunchDetached(const std::filesystem::path& program,
                            const std::vector<std::string>& arguments = {},
                            const std::filesystem::path& workingFolder = {});

}  // namespace platform

#pragma once
// The keyboard firmware updater that ships in the application folder
// ("firmwares/tarvo_k9_0114"): started when the connected keyboard's firmware is older than the
// one the updater carries. While it runs the main window is hidden and the worker waits for
// its process (platform::IsProcessRunning) before it shows the window again.

#include <filesystem>
#include <string_view>

namespace update {

// The firmware version the shipped updater carries.
inline constexpr int kUpdaterFirmwareVersion = 22;

enum class FirmwareOutcome {
  Started,         // the updater runs; hide the window and wait for processId
  UpToDate,        // the keyboard's firmware is not older: show the up-to-date message
  UpdaterMissing,  // no updater program in the application folder: nothing happens
  LaunchFailed,    // the updater did not start: nothing happens
};

const char* ToString(FirmwareOutcome outcome);

struct FirmwareLaunch {
  FirmwareOutcome outcome = FirmwareOutcome::UpdaterMissing;
  int processId = 0;  // set for Started
};

// <application folder>/firmwares/tarvo_k9_0114
std::filesystem::path FirmwareUpdaterPath(const std::filesystem::path& appFolder);

// The keyboard's firmware text (as the keyboard information keeps it) read by the
// text-to-integer rule, compared with kUpdaterFirmwareVersion: "21" and "1a" (read as 1) are
// older, "22" and "23" are not.
bool IsFirmwareOlder(std::string_view keyboardFirmware);

// Starts the updater when the keyboard's firmware is older; the updater runs detached in its
// own folder.
FirmwareLaunch LaunchFirmwareUpdater(std::string_view keyboardFirmware,
                                     const std::filesystem::path& appFolder);

}  // namespace update

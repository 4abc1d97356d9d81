#include "update/FirmwareUpdater.h"

#include <system_error>

#include "base/Log.h"
#include "base/Text.h"
#include "platform/DetachedLaunch.h"

namespace fs = std::filesystem;

namespace update {

const char* ToString(FirmwareOutcome outcome) {
  switch (outcome) {
    case FirmwareOutcome::Started:
      return "updater started";
    case FirmwareOutcome::UpToDate:
      return "firmware up to date";
    case FirmwareOutcome::UpdaterMissing:
      return "updater missing";
    case FirmwareOutcome::LaunchFailed:
      return "updater did not start";
  }
  return "unknown";
}

fs::path FirmwareUpdaterPath(const fs::path& appFolder) {
  return appFolder / "firmwares" / "tarvo_k9_0114";
}

bool IsFirmwareOlder(std::string_view keyboardFirmware) {
  return base::ToInt(keyboardFirmware) < kUpdaterFirmwareVersion;
}

FirmwareLaunch LaunchFirmwareUpdater(std::string_view keyboardFirmware, const fs::path& appFolder) {
  FirmwareLaunch result;
  if (!IsFirmwareOlder(keyboardFirmware)) {
    result.outcome = FirmwareOutcome::UpToDate;
    return result;
  }
  const fs::path updater = FirmwareUpdaterPath(appFolder);
  std::error_code error;
  if (!fs::is_regular_file(updater, error)) {
    base::DebugLog("firmware: no updater at %s", updater.c_str());
    return result;
  }
  const platform::LaunchResult launch =
      platform::LaunchDetached(updater, {}, updater.parent_path());
  if (!launch.started) {
    result.outcome = FirmwareOutcome::LaunchFailed;
    return result;
  }
  result.outcome = FirmwareOutcome::Started;
  result.processId = launch.processId;
  return result;
}

}  // namespace update

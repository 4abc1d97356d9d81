#include "update/UpdateFeature.h"

#include "base/Log.h"
#include "catalogue/DeviceCatalogue.h"
#include "core/ControllerActions.h"
#include "core/DeviceTaskQueue.h"
#include "core/SharedState.h"
#include "core/Sleeper.h"
#include "core/TaskTable.h"
#include "core/ThreadCheck.h"
#include "core/WindowMessages.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/PageHost.h"

namespace update {

namespace {

// The worker's pause around the closing of the progress dialog.
constexpr std::chrono::milliseconds kDialogPause{100};

// UM_UPDATE_RESULT's lParam.
constexpr int kNewerVersion = 1;
constexpr int kNothingNewer = 2;

}  // namespace

UpdateFeature::UpdateFeature(Tessel::PageHost& host, SharedState& state,
                             const DeviceCatalogue& catalogue, const core::TextTable& texts,
                             DeviceTaskQueue& tasks, ControllerActions& actions,
                             core::Sleeper& sleeper, std::filesystem::path appFolder,
                             std::filesystem::path tempFolder)
    : host_(host),
      state_(state),
      catalogue_(catalogue),
      tasks_(tasks),
      actions_(actions),
      sleeper_(sleeper),
      appFolder_(std::move(appFolder)),
      tempFolder_(std::move(tempFolder)),
      page_(host, texts, actions, [this] { tasks_.Append(task::kDownloadSoftwareUpdate); }) {}

void UpdateFeature::RegisterTasks(TaskTable& table) {
  table.SetRun(task::kCheckUpdates, [this] { CheckUpdates(); });
  table.SetRun(task::kDownloadSoftwareUpdate, [this] { DownloadSoftwareUpdate(); });
}

void UpdateFeature::SetHttpOptions(const platform::HttpOptions& options) {
  std::lock_guard lock(mutex_);
  http_ = options;
  service_.reset();
}

UpdateService& UpdateFeature::Service() {
  std::lock_guard lock(mutex_);
  if (!service_) {
    UpdateSettings settings;
    settings.upgradeAddress = catalogue_.software.upgrade;
    settings.applicationVersion = catalogue_.software.version;
    settings.tempFolder = tempFolder_;
    settings.http = http_;
    service_ = std::make_unique<UpdateService>(std::move(settings));
  }
  return *service_;
}

bool UpdateFeature::HasUpdateService() const {
  return !catalogue_.software.upgrade.empty();
}

std::string UpdateFeature::ApplicationVersion() const {
  return catalogue_.software.version;
}

std::optional<CheckResult> UpdateFeature::LastCheck() const {
  std::lock_guard lock(mutex_);
  return lastCheck_;
}

bool UpdateFeature::QueueCheck(bool tellUser) {
  if (!HasUpdateService()) return false;
  tellUser_.store(tellUser);
  tasks_.Append(task::kCheckUpdates);
  return true;
}

// Shutdown stops a request within the cancel check's period.
bool UpdateFeature::ShouldStop() const {
  return page_.CancelRequested() || !sleeper_.SleepFor(std::chrono::milliseconds(0));
}

void UpdateFeature::CheckUpdates() {
  TARVO_EXPECT_WORKER();
  const bool tellUser = tellUser_.exchange(true);
  const CheckResult result =
      Service().CheckUpdates([this] { return !sleeper_.SleepFor(std::chrono::milliseconds(0)); });
  {
    std::lock_guard lock(mutex_);
    lastCheck_ = result;
  }
  if (!tellUser) return;
  // An unreachable server, an unusable answer and the shipped version say nothing; "nothing
  // newer" only while the user looks at the page whose button asked.
  if (result.outcome == CheckOutcome::NewerVersion) {
    host_.PostMessage(UM_UPDATE_RESULT, 1, kNewerVersion);
  } else if (result.outcome == CheckOutcome::UpToDate &&
             state_.currentPage.load() == kPageSettings) {
    host_.PostMessage(UM_UPDATE_RESULT, 1, kNothingNewer);
  }
}

void UpdateFeature::DownloadSoftwareUpdate() {
  TARVO_EXPECT_WORKER();
  const InstallResult result = Service().DownloadSoftwareUpdate(
      [this](int percent) { host_.PostMessage(UM_DOWNLOAD_PROGRESS, 0, percent); },
      [this] { return ShouldStop(); });
  sleeper_.SleepFor(kDialogPause);
  page_.CloseProgressDialog();
  sleeper_.SleepFor(kDialogPause);
  if (result.outcome == InstallOutcome::ExitNow) {
    base::DebugLog("update: the installer runs as %d; the application ends",
                   result.installerProcessId);
    actions_.CloseApplication();
    return;
  }
  page_.ShowInstallFailure(result.outcome);
}

bool UpdateFeature::OnControlEvent(int id, int code, std::intptr_t, std::intptr_t) {
  if (code != Tessel::kEventClick) return false;
  if (id == ids::kCheckUpdatesButton) {
    QueueCheck(true);
    return true;
  }
  if (id == ids::kFirmwareUpdateLabel) {
    page_.LaunchFirmwareUpdater(appFolder_);
    return true;
  }
  return false;
}

std::optional<std::intptr_t> UpdateFeature::OnWindowMessage(unsigned message, std::intptr_t,
                                                            std::intptr_t lParam) {
  if (message == UM_DOWNLOAD_PROGRESS) {
    page_.ShowProgress(static_cast<int>(lParam));
    return 1;
  }
  if (message == UM_UPDATE_RESULT) {
    page_.OnUpdateResult(static_cast<int>(lParam), Service().GetNewestVersion());
    return 0;
  }
  return std::nullopt;
}

}  // namespace update

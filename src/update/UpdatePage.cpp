#include "update/UpdatePage.h"

#include "base/Log.h"
#include "base/Text.h"
#include "core/ControllerActions.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/PageHost.h"
#include "update/UpdateProcessDlg.h"

namespace update {

namespace {

UpdateProcessDlg* OpenProgressDialog() {
  return dynamic_cast<UpdateProcessDlg*>(
      Tessel::Manager::FindWindow(UpdateProcessDlg::kWindowName));
}

}  // namespace

UpdatePage::UpdatePage(Tessel::PageHost& host, const core::TextTable& texts,
                       ControllerActions& actions, std::function<void()> startDownload)
    : host_(host), texts_(texts), actions_(actions), startDownload_(std::move(startDownload)) {}

std::string UpdatePage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

void UpdatePage::OnUpdateResult(int result, const std::string& newestVersion) {
  const std::string caption = Text(text::kSoftwareUpdateCaption);
  if (result != 1) {
    host_.AskMessage(caption, Text(text::kUpToDate), false);
    return;
  }
  const std::string question = base::Format("%s:v%s, %s", Text(text::kNewVersionFound),
                                            newestVersion, Text(text::kUpdateNow));
  if (host_.AskMessage(caption, question, true) != Tessel::kResultOK) return;
  cancelRequested_.store(false);
  downloading_.store(true);
  startDownload_();
  RunProgressDialog();
}

void UpdatePage::RunProgressDialog() {
  // The download may already have ended (a refused request ends at once).
  if (!downloading_.load()) return;
  UpdateProcessDlg dialog(Text(text::kDownloading), Text(text::kCancel),
                          [this] { RequestCancel(); });
  host_.RunDialog(dialog, Text(text::kSoftwareUpdateCaption), UpdateProcessDlg::kWidth,
                  UpdateProcessDlg::kHeight);
}

void UpdatePage::ShowProgress(int percent) {
  if (UpdateProcessDlg* dialog = OpenProgressDialog()) dialog->SetProgress(percent);
}

void UpdatePage::CloseProgressDialog() {
  downloading_.store(false);
  host_.RunOnUiThread([] {
    if (UpdateProcessDlg* dialog = OpenProgressDialog()) dialog->DoOK();
  });
}

void UpdatePage::ShowInstallFailure(InstallOutcome outcome) {
  int message = 0;
  switch (outcome) {
    case InstallOutcome::DownloadFailed:
      message = text::kUpdateDownloadFailed;
      break;
    case InstallOutcome::ArchiveFailed:
    case InstallOutcome::NoInstaller:
      message = text::kUpdatePackageDamaged;
      break;
    case InstallOutcome::LaunchFailed:
      message = text::kUpdateInstallerFailed;
      break;
    case InstallOutcome::ExitNow:
    case InstallOutcome::NoVersion:
    case InstallOutcome::Cancelled:
      return;
  }
  host_.RunOnUiThread([this, message] {
    host_.AskMessage(Text(text::kSoftwareUpdateCaption), Text(message), false);
  });
}

void UpdatePage::ShowKeyboardFirmware(std::optional<std::string> firmware) {
  const bool known = firmware.has_value();
  const bool older = known && IsFirmwareOlder(*firmware);
  {
    std::lock_guard lock(mutex_);
    firmware_ = std::move(firmware);
  }
  host_.SetVisible(ids::kFirmwareUpdateLabel, older);
  host_.SetVisible(ids::kFirmwareLatestLabel, known && !older);
}

FirmwareOutcome UpdatePage::LaunchFirmwareUpdater(const std::filesystem::path& appFolder) {
  std::string firmware;
  {
    std::lock_guard lock(mutex_);
    firmware = firmware_.value_or("");
  }
  const FirmwareLaunch launch = update::LaunchFirmwareUpdater(firmware, appFolder);
  const std::string caption = Text(text::kFirmwareUpdateCaption);
  switch (launch.outcome) {
    case FirmwareOutcome::Started:
      actions_.WatchUpdater(launch.processId);
      break;
    case FirmwareOutcome::UpToDate:
      host_.AskMessage(caption, Text(text::kUpToDate), false);
      break;
    case FirmwareOutcome::UpdaterMissing:
    case FirmwareOutcome::LaunchFailed:
      host_.AskMessage(
          caption,
          base::Format(Text(text::kFirmwareUpdaterFailed), FirmwareUpdaterPath(appFolder).string()),
          false);
      break;
  }
  base::DebugLog("firmware: %s (keyboard firmware \"%s\")", ToString(launch.outcome),
                 firmware.c_str());
  return launch.outcome;
}

}  // namespace update

#pragma once
// The update controls of the settings page and what the user sees of an update: the check
// button, the result boxes, the progress dialog of a download, and the firmware updater's
// button with the up-to-date box. UI thread unless noted.

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "update/FirmwareUpdater.h"
#include "update/UpdateService.h"

class ControllerActions;
namespace core {
class TextTable;
}
namespace Tessel {
class PageHost;
}

namespace update {

class UpdatePage {
 public:
  UpdatePage(Tessel::PageHost& host, const core::TextTable& texts, ControllerActions& actions,
             std::function<void()> startDownload);

  // Message 1694 with lParam 1 (a newer version: ask, then download) or 2 (nothing newer).
  void OnUpdateResult(int result, const std::string& newestVersion);
  // Message 1684: the download's progress, shown in the progress dialog when it is open.
  void ShowProgress(int percent);

  // Any thread: the download task has ended; closes the progress dialog.
  void CloseProgressDialog();
  // Any thread: tells the user why nothing was installed (nothing for a cancelled download).
  void ShowInstallFailure(InstallOutcome outcome);
  // Asked by the download while it runs (any thread): the user cancelled.
  bool CancelRequested() const { return cancelRequested_.load(); }
  void RequestCancel() { cancelRequested_.store(true); }

  // Any thread: the firmware of the keyboard read last, as the keyboard information keeps it
  // ("%x"); empty when none was read. The update button shows while it is older than the
  // shipped updater's, the up-to-date label otherwise.
  void ShowKeyboardFirmware(std::optional<std::string> firmware);
  // The firmware update button: starts the updater for older firmware (the window hides
  // until it ends), or says that the firmware is up to date.
  FirmwareOutcome LaunchFirmwareUpdater(const std::filesystem::path& appFolder);

 private:
  std::string Text(int id) const;
  void RunProgressDialog();

  Tessel::PageHost& host_;
  const core::TextTable& texts_;
  ControllerActions& actions_;
  std::function<void()> startDownload_;
  std::atomic<bool> cancelRequested_{false};
  // Set from the download's start to its end: a dialog opened after the end would stay.
  std::atomic<bool> downloading_{false};

  mutable std::mutex mutex_;
  std::optional<std::string> firmware_;
};

}  // namespace update

#pragma once
// The updates room: the application's own update (task 30 asks the server, message 1694
// tells the user, task 31 downloads, unpacks and starts the installer with its progress as
// message 1684) and the start of the keyboard firmware updater. Once an installer really
// runs, the application ends through the orderly shutdown.

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "core/Feature.h"
#include "update/UpdatePage.h"
#include "update/UpdateService.h"

class ControllerActions;
class DeviceTaskQueue;
struct DeviceCatalogue;
struct SharedState;
namespace core {
class Sleeper;
class TextTable;
}  // namespace core

namespace update {

class UpdateFeature : public Feature {
 public:
  UpdateFeature(Tessel::PageHost& host, SharedState& state, const DeviceCatalogue& catalogue,
                const core::TextTable& texts, DeviceTaskQueue& tasks, ControllerActions& actions,
                core::Sleeper& sleeper, std::filesystem::path appFolder,
                std::filesystem::path tempFolder);

  FeatureSlot Slot() const override { return FeatureSlot::kUpdates; }
  void RegisterTasks(TaskTable& table) override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  std::optional<std::intptr_t> OnWindowMessage(unsigned message, std::intptr_t wParam,
                                               std::intptr_t lParam) override;
  // A download stops; its dialog closes, or it would hold the window's end.
  void Shutdown() override {
    page_.RequestCancel();
    page_.CloseProgressDialog();
  }

  // Queues the check (task 30). `tellUser`: the result boxes follow (the settings page's
  // button); without, only LastCheck tells (tarvoctl). False when there is no update service.
  bool QueueCheck(bool tellUser);
  bool HasUpdateService() const;
  // The result of the last check that ran; empty before one.
  std::optional<CheckResult> LastCheck() const;
  std::string ApplicationVersion() const;

  // Any thread: the firmware of the keyboard read last ("%x"), or none.
  void ShowKeyboardFirmware(std::optional<std::string> firmware) {
    page_.ShowKeyboardFirmware(std::move(firmware));
  }

  // Before the first task: limits of the requests (tests shorten the waits).
  void SetHttpOptions(const platform::HttpOptions& options);

  UpdatePage& Page() { return page_; }

 private:
  UpdateService& Service();
  void CheckUpdates();
  void DownloadSoftwareUpdate();
  bool ShouldStop() const;

  Tessel::PageHost& host_;
  SharedState& state_;
  const DeviceCatalogue& catalogue_;
  DeviceTaskQueue& tasks_;
  ControllerActions& actions_;
  core::Sleeper& sleeper_;
  const std::filesystem::path appFolder_;
  const std::filesystem::path tempFolder_;
  UpdatePage page_;
  std::atomic<bool> tellUser_{true};

  mutable std::mutex mutex_;
  platform::HttpOptions http_;
  // Made from the catalogue when first needed: the catalogue is loaded after the rooms.
  std::unique_ptr<UpdateService> service_;
  std::optional<CheckResult> lastCheck_;
};

}  // namespace update

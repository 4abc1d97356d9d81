#pragma once
// The controller's side of the device link: which keyboards are attached, which one is shown
// and whether it can be talked to, plugging and unplugging, and the wireless keyboard waking
// and sleeping behind its receiver. The worker does the link's work; the home page shows it.

#include <atomic>
#include <memory>
#include <string>

#include "app/DeviceListPage.h"
#include "core/Feature.h"
#include "core/SharedState.h"

class ControllerActions;
class CurrentModel;
class DeviceTaskQueue;
class SettingsStore;
struct DeviceCatalogue;
namespace core {
class Sleeper;
class TextTable;
}  // namespace core

class DeviceSession : public Feature {
 public:
  DeviceSession(Tessel::PageHost& host, SharedState& state, device::HidDeviceManager& link,
                const DeviceCatalogue& catalogue, SettingsStore& settings,
                const CurrentModel& model, const core::TextTable& texts, DeviceTaskQueue& tasks,
                ControllerActions& actions, core::Sleeper& sleeper);

  FeatureSlot Slot() const override { return FeatureSlot::kDevices; }
  void ApplyTexts() override { page_.ApplyTexts(); }
  void RegisterTasks(TaskTable& table) override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  std::optional<std::intptr_t> OnWindowMessage(unsigned message, std::intptr_t wParam,
                                               std::intptr_t lParam) override;
  // Worker, every idle cycle: a receiver reports its keyboard waking or falling asleep.
  void Idle() override { OnDeviceNotify(); }

  // Hands the catalogue's connection modes to the link (after the catalogue is loaded).
  void RegisterCatalogue();

  // Worker: enumerate again and show what is attached; bind the link to the model chosen in
  // the device list and switch the view.
  void RefreshDevices();
  void ApplySelectedDevice();
  // Worker tasks: a keyboard arrived or went (after a hot-plug or a receiver notification).
  void DeviceInstall();
  void DeviceUnInstall();
  void OnDeviceNotify();

  // UI thread: the user picked a model in the device list.
  void SelectDevice();
  // UI thread: makes a model the one shown and talked to, as picking it in the list does (the
  // list selects it); it is then looked for again (task 4). False for a model the list does
  // not hold.
  bool SelectModel(int modelId);
  // UI thread: an interface arrived (0x8000) or was removed (0x8004).
  void UpdateUSBDevice(int event, const std::string& interfacePath);

  // Whether the last enumeration found a connection mode of the catalogue.
  bool IsModePresent(std::size_t modeIndex) const;
  // The connection of the selected model: cable, receiver, other, or none (-1). Worker.
  int ConnectionKind() const;

  DeviceListPage& Page() { return page_; }
  // The model the last hot-plug event or notification was about.
  int HotplugModel() const { return hotplugModel_.load(); }

 private:
  void Hotplug(const char* what);
  void ShowConnectedView(int modelId, int kind);
  void ShowDisconnectedView();
  // Why the selected keyboard cannot be talked to: asleep behind its receiver, another model
  // attached instead, or nothing at all.
  NoKeyboardMessage WhyDisconnected() const;
  std::string ModelName(int modelId) const;
  // The model to show after an enumeration: the stored one; on the first start (nothing
  // stored yet) the one that is attached.
  int ModelToShow(const std::vector<device::DeviceRecordInfo>& records) const;
  void OnKeyboardWoke(int modelId);
  // The page to show for a model after a switch: the remembered one, moved off pages the
  // model does not have.
  int PageToShow(int modelId, int kind) const;

  SharedState& state_;
  device::HidDeviceManager& link_;
  const DeviceCatalogue& catalogue_;
  SettingsStore& settings_;
  const CurrentModel& model_;
  DeviceTaskQueue& tasks_;
  ControllerActions& actions_;
  core::Sleeper& sleeper_;
  DeviceListPage page_;

  // Every keyboard record of the last enumeration (worker).
  std::vector<device::DeviceRecordInfo> attached_;
  // The model the last hot-plug event or notification was about (the task's argument).
  std::atomic<int> hotplugModel_{0};
  // One flag per connection mode of the catalogue; written by the worker, read by the UI.
  std::unique_ptr<std::atomic<int>[]> present_;
  std::size_t presentCount_ = 0;
};

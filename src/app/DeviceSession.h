#pragma once
// The controller's side of the device link: which keyboards are attached, which one is
// shown, the connected and disconnected views, plugging and unplugging, and the wireless
// keyboard waking and sleeping behind its receiver.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "core/ControllerContext.h"

namespace Tessel {
class CDeviceList;
}

class DeviceSession {
 public:
  explicit DeviceSession(ControllerContext& context);

  // Hands the catalogue's connection modes to the link (after the catalogue is loaded).
  void RegisterCatalogue();

  // Worker: enumerate again and show what is attached; bind the link to the model chosen in
  // the device list and switch the view.
  void RefreshDevices();
  void ApplySelectedDevice();
  // Worker tasks: a keyboard arrived or went (after a hot-plug or a receiver notification).
  void DeviceInstall();
  void DeviceUnInstall();
  // Worker, every idle cycle: a receiver reports its keyboard waking or falling asleep.
  void OnDeviceNotify();

  // UI thread: the user picked a model in the device list.
  void SelectDevice();
  // UI thread: an interface arrived (0x8000) or was removed (0x8004).
  void UpdateUSBDevice(int event, const std::string& interfacePath);

  // Whether the last enumeration found a connection mode of the catalogue.
  bool IsModePresent(std::size_t modeIndex) const;

 private:
  void Hotplug(const char* what);
  void ShowConnectedView(int modelId, int kind);
  void ShowDisconnectedView();
  // The tab to show for a model after a switch: the remembered one, moved off tabs the model
  // does not have.
  int PageToShow(int modelId, int kind) const;
  Tessel::CDeviceList& DeviceList() const;

  ControllerContext& context_;
  // One flag per connection mode of the catalogue; written by the worker, read by the UI.
  std::unique_ptr<std::atomic<int>[]> present_;
  std::size_t presentCount_ = 0;
};

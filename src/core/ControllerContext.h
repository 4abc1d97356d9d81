#pragma once
// What every feature of the main controller works with: the shared state, the task queue,
// the settings, the paths, the main window and the worker. Features hold a reference to it.

#include "core/AppPaths.h"
#include "core/ControllerActions.h"
#include "core/ControllerState.h"
#include "core/DeviceTaskQueue.h"
#include "core/SettingsStore.h"

namespace Tessel {
class MDialog;
}
namespace core {
class TextTable;
}
namespace device {
class HidApi;
class HidDeviceManager;
}  // namespace device
namespace storage {
class SettingsDatabase;
}
class CThreadBasic;
struct DeviceCatalogue;

struct ControllerContext {
  ControllerState& state;
  DeviceTaskQueue& tasks;
  SettingsStore& settings;
  const AppPaths& paths;
  Tessel::MDialog& window;  // the main window: its controls and its messages
  CThreadBasic& worker;     // SleepFor inside tasks ends early at shutdown
  core::TextTable& texts;
  const DeviceCatalogue& catalogue;
  ControllerActions& actions;
  storage::SettingsDatabase& database;
  device::HidApi& hid;             // the HID stack: hidraw, or the virtual keyboard
  device::HidDeviceManager& link;  // the device link; the worker's alone
};

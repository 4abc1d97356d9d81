#pragma once
// Window messages of the main window, above the toolkit's own (Tessel::WindowMessage).

#include <string>

enum AppMessage : unsigned {
  UM_DOWNLOAD_PROGRESS = 1684,
  UM_TRAY_NOTIFY = 1690,
  UM_TRAY_COMMAND = 1691,
  UM_RECORD_KEY = 1692,
  UM_RECORD_MOUSE = 1693,
  UM_UPDATE_RESULT = 1694,
  UM_BACKGROUND_MENU = 1695,
  UM_MACRO_INSERT_MENU = 1710,
  UM_MACRO_EVENT_MENU = 1711,
  UM_DEVICE_NOTIFY = 1715,
  UM_PROFILE_MENU = 1825,
  UM_KNOB_CONFIG = 1826,
  UM_KEY_FUNCTION_MENU = 1834,
  UM_APPLY_TEXTS = 2024,
  UM_VIEW_DRAG = 2025,
  UM_SWALLOW = 2026,
  // Our own: a notice waits to be shown to the user (see KeyboardDlg::PostNotice).
  UM_NOTICE = 2100,
  // Our own: end the application through the orderly shutdown (ControllerActions).
  UM_CLOSE_APPLICATION = 2101,
};

// Power events carried by WM_POWERBROADCAST.
enum PowerEvent : int {
  kPowerSuspend = 4,
  kPowerResumeSuspend = 7,
  kPowerResumeAutomatic = 18,
};

// Device-change events carried by WM_DEVICECHANGE.
enum DeviceChangeEvent : int {
  kDeviceArrival = 0x8000,
  kDeviceRemoveComplete = 0x8004,
};

// What WM_DEVICECHANGE carries in lParam: the broadcast of a device interface.
struct DeviceBroadcast {
  static constexpr int kDeviceInterface = 5;
  int deviceType = kDeviceInterface;
  std::string interfacePath;
};

// The tray menu's exit command (WM_COMMAND).
constexpr int kTrayExitCommand = 100;

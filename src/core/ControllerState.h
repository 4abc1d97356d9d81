#pragma once
// The state the main controller shares between the UI thread and the device worker. Flags and
// numbers read across threads are single atomic words: a stale read only delays a streamed
// frame or a poll by one cycle.

#include <atomic>

// Main page ids (the data of the main tabs).
enum PageId : int {
  kPageHome = 0,
  kPageLighting = 1,
  kPageScreenSync = 2,
  kPageMatrix = 3,
  kPageKeys = 4,
  kPageMacros = 5,
  kPageScreen = 6,
  kPageSettings = 7,
  kPageKeyboardOnly = 8,
};

// How the selected keyboard is connected.
enum ConnectionKindValue : int {
  kConnectionNone = -1,
  kConnectionCable = 0,
  kConnectionReceiver = 1,
  kConnectionIndirect = 2,
};

// What the last hot-plug event was.
enum HotplugKind : int {
  kHotplugNone = 0,
  kHotplugArrival = 1,
  kHotplugRemoval = 2,
};

struct ControllerState {
  // Device link
  std::atomic<bool> started{false};        // StartUp has run
  std::atomic<bool> devicePresent{false};  // at least one keyboard record was enumerated
  std::atomic<bool> online{false};         // the selected keyboard can be talked to
  std::atomic<int> hotplugKind{kHotplugNone};
  std::atomic<int> hotplugModel{0};
  std::atomic<int> selectedModel{0};
  std::atomic<int> connectionKind{kConnectionNone};
  std::atomic<bool> suspended{false};
  std::atomic<int> updaterProcessId{0};
  // 1: the next streamed transfer must first open the command bracket.
  std::atomic<int> bracketClosed{1};
  std::atomic<bool> deviceSwitchInProgress{false};

  // Selection
  std::atomic<int> currentProfile{0};
  std::atomic<int> fnLayer{0};
  std::atomic<int> currentPage{kPageHome};
  std::atomic<int> pageAfterSwitch{0};  // tab position to show after a device switch

  // Lighting
  std::atomic<int> lightMode{0};
  std::atomic<bool> livePreview{false};
  std::atomic<bool> screenSyncStream{false};
  std::atomic<bool> matrixStream{false};
  // Set when the screen-sync page is opened; the page-switch task reads it.
  std::atomic<bool> pageSwitchOnce{false};
};

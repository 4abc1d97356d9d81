#pragma once
// What the features of the main controller really share: the keyboard that is shown and how it
// is connected, the profile every feature reads and writes under, the Fn layer and the page.
// Each value is a single atomic word: the UI thread and the device worker read them freely, and
// a stale read only delays a frame or a poll by one cycle. Anything else belongs to the feature
// that owns it.

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

struct SharedState {
  // The device link.
  std::atomic<bool> started{false};        // start-up has run
  std::atomic<bool> devicePresent{false};  // at least one keyboard record was enumerated
  std::atomic<bool> online{false};         // the selected keyboard can be talked to
  std::atomic<int> selectedModel{0};
  std::atomic<int> connectionKind{kConnectionNone};
  std::atomic<bool> suspended{false};  // the machine sleeps: the worker does nothing

  // What the user works on.
  std::atomic<int> currentProfile{0};
  std::atomic<int> fnLayer{0};
  std::atomic<int> currentPage{kPageHome};
  std::atomic<int> pageAfterSwitch{kPageHome};  // the page to show after a device switch

  // Whether a keyboard is attached and awake: the condition of every keyboard task.
  bool Connected() const { return devicePresent.load() && online.load(); }
};

#pragma once
// A feature of the main controller: one room of the application (the system settings, the
// profiles, the key assignments, the lighting, ...). The controller keeps an ordered list of
// features and runs every step of the window's life through it; a feature answers the steps it
// takes part in and ignores the rest.
//
// Threads: CreateControls, texts, control events, window messages and page changes arrive on the
// UI thread; the tasks a feature registers, LoadBeforeKeyboardRead, ApplyProfile and Idle run on
// the device worker; ShowProfile runs on either (it only fills controls, which any thread may).

#include <cstdint>
#include <optional>
#include <vector>

#include "ui/tessel/TextBindings.h"

class TaskTable;

namespace Tessel {
class PageHost;
}

// Where a feature stands in the orders the controller runs the profile steps in.
enum class FeatureSlot {
  kDevices,
  kProfiles,
  kKeys,
  kLighting,
  kMacros,
  kMatrix,
  kEffects,
  kScreen,
  kSystemSettings,
  kUpdates,
  kWindow,  // the window's own controls: backgrounds, languages, web buttons
};

class Feature {
 public:
  virtual ~Feature() = default;

  // The order of the profile steps (see KeyboardDlg).
  virtual FeatureSlot Slot() const = 0;

  // UI thread, once: the feature's controls, placed in the window's page areas.
  virtual void CreateControls(Tessel::PageHost& /*host*/) {}
  // The language texts of its controls, by text id; re-applied after a language change.
  virtual std::vector<TextBinding> TextBindings() const { return {}; }
  // UI thread: texts that also depend on what the feature knows (values in labels).
  virtual void ApplyTexts() {}
  // Once, before the worker starts: the feature's tasks.
  virtual void RegisterTasks(TaskTable& /*table*/) {}

  // UI thread: a control reported a user action; true when the feature handled it.
  virtual bool OnControlEvent(int /*id*/, int /*code*/, std::intptr_t /*arg1*/,
                              std::intptr_t /*arg2*/) {
    return false;
  }
  // UI thread: a window message; the result when the feature handled it.
  virtual std::optional<std::intptr_t> OnWindowMessage(unsigned /*message*/,
                                                       std::intptr_t /*wParam*/,
                                                       std::intptr_t /*lParam*/) {
    return std::nullopt;
  }
  // UI thread: the main page changed (every feature hears of every page).
  virtual void OnPageLeft(int /*pageId*/) {}
  virtual void OnPageShown(int /*pageId*/) {}

  // The profile steps, each run for every feature in the order the controller fixes.
  // Worker: what must be in place before the keyboard is read when the profile list loads.
  virtual void LoadBeforeKeyboardRead() {}
  // Any thread: show the current profile's settings on the feature's page.
  virtual void ShowProfile() {}
  // Worker: the current profile's settings again, after a switch (task 6).
  virtual void ApplyProfile() {}

  // Worker, on a cycle without a task while a keyboard record exists.
  virtual void Idle() {}
  // UI thread, once, when the window closes.
  virtual void Shutdown() {}
};

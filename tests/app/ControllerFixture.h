#pragma once
// A main controller on the headless backend, in temporary folders.

#include <gtest/gtest.h>

#include <memory>

#include "app/KeyboardDlg.h"
#include "core/AppPaths.h"
#include "core/SettingsStore.h"
#include "support/TempFolder.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

class ControllerFixture : public ::testing::Test {
 protected:
  explicit ControllerFixture(bool startWorker = false) : startWorker_(startWorker) {
    Tessel::Manager::SetBackend(&backend);
  }
  ~ControllerFixture() override {
    if (dialog) {
      dialog->CloseAndDestroy();
      dialog.reset();
    }
    Tessel::Manager::SetBackend(nullptr);
  }

  void SetUp() override {
    settings.GetRegString("create");
    dialog = std::make_unique<KeyboardDlg>(paths, settings, KeyboardDlg::Options{startWorker_});
    ASSERT_TRUE(dialog->Create(nullptr, "Tarvo", Tessel::Rect::FromSize(0, 0, 1400, 788)));
  }

  // Runs worker cycles until the queue is empty (at most `limit`).
  void RunQueuedTasks(int limit = 64) {
    for (int i = 0; i < limit && !dialog->Tasks().IsEmpty(); ++i) dialog->RunCycle();
  }

  void SetConnected(bool connected) {
    dialog->State().devicePresent.store(connected);
    dialog->State().online.store(connected);
  }

  TempFolder folder;
  AppPaths paths{folder / "app", folder / "data", folder / "config", folder / "run", "Tarvo"};
  SettingsStore settings{paths.GetConfigFolder() / "settings.ini"};
  Tessel::HeadlessBackend backend;
  std::unique_ptr<KeyboardDlg> dialog;

 private:
  bool startWorker_;
};

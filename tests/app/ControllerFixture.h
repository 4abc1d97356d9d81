#pragma once
// A main controller on the headless backend, in temporary folders.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/KeyboardDlg.h"
#include "core/AppPaths.h"
#include "core/SettingsStore.h"
#include "core/TextTable.h"
#include "sim/VirtualHidBus.h"
#include "support/TempFolder.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

class ControllerFixture : public ::testing::Test {
 protected:
  explicit ControllerFixture(bool startWorker = false) : startWorker_(startWorker) {
    Tessel::Manager::SetBackend(&backend);
  }
  ~ControllerFixture() override {
    CloseController();
    Tessel::Manager::SetBackend(nullptr);
  }
  // The controller and its threads go before the members of derived fixtures (an X server a
  // capture is connected to, a sound source).
  void TearDown() override { CloseController(); }
  void CloseController() {
    if (!dialog) return;
    dialog->CloseAndDestroy();
    dialog.reset();
  }

  // The application folder the controller reads (config.xml, language tables). Tests that
  // need the shipped data return the source tree's data folder.
  virtual std::filesystem::path AppFolder() { return folder / "app"; }
  // Called before the controller is built: write settings or files here.
  virtual void Prepare() {}
  // Called with the controller's options before it is built.
  virtual void AdjustOptions(KeyboardDlg::Options& /*options*/) {}

  void SetUp() override {
    paths = std::make_unique<AppPaths>(AppFolder(), folder / "data", folder / "config",
                                       folder / "run", "Tarvo");
    settings = std::make_unique<SettingsStore>(paths->GetConfigFolder() / "settings.ini");
    settings->GetRegString("create");
    texts = std::make_unique<core::TextTable>(paths->GetAppFolder(), 1033);
    Prepare();
    KeyboardDlg::Options options;
    options.startWorker = startWorker_;
    options.openUrl = [this](const std::string& url) {
      openedUrls.push_back(url);
      return true;
    };
    AdjustOptions(options);
    dialog = std::make_unique<KeyboardDlg>(*paths, *settings, *texts, bus, options);
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

  static std::filesystem::path ShippedData() {
    return std::filesystem::path(TARVO_SOURCE_DIR) / "data";
  }

  TempFolder folder;
  std::unique_ptr<AppPaths> paths;
  std::unique_ptr<SettingsStore> settings;
  std::unique_ptr<core::TextTable> texts;
  Tessel::HeadlessBackend backend;
  // The HID stack: keyboards a test adds to it are plugged into this bus.
  sim::VirtualHidBus bus;
  std::vector<std::string> openedUrls;
  std::unique_ptr<KeyboardDlg> dialog;

 private:
  bool startWorker_;
};

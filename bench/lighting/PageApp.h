#pragma once
// The application on the headless backend with one virtual keyboard, started up and showing a
// page; the bench's thread is the UI thread. Shared by the page benchmarks.

#include <chrono>
#include <filesystem>
#include <memory>
#include <utility>

#include "app/KeyboardDlg.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"
#include "support/TempFolder.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

inline const std::filesystem::path kData = std::filesystem::path(TARVO_SOURCE_DIR) / "data";
inline constexpr int kModel = 101;

class PageApp {
 public:
  // `worker`: the controller's own worker runs; without it, start-up is run here, cycle by cycle.
  PageApp(bool worker, int page, KeyboardDlg::Options options = {}) {
    Tessel::Manager::SetBackend(&backend_);
    Tessel::Manager::SetResourceFolder(kData);
    paths_ = std::make_unique<AppPaths>(kData, folder_ / "data", folder_ / "config",
                                        folder_ / "run", "Tarvo");
    settings_ = std::make_unique<SettingsStore>(paths_->GetConfigFolder() / "settings.ini");
    settings_->WriteDeviceType(kModel);
    texts_ = std::make_unique<core::TextTable>(kData, 1033);
    keyboard_ = sim::AddCatalogueKeyboard(bus_, kData, kModel).value_or(0);
    bus_.PlugCable(keyboard_);
    options.startWorker = worker;
    dialog_ = std::make_unique<KeyboardDlg>(*paths_, *settings_, *texts_, bus_, std::move(options));
    dialog_->Create(nullptr, "Tarvo", Tessel::Rect::FromSize(0, 0, 1400, 788));
    dialog_->ShowWindow(Tessel::kShow);
    if (!worker) {
      while (!dialog_->Tasks().IsEmpty()) {
        dialog_->RunCycle();
        backend_.PumpUntilIdle();
      }
    }
    Settle();
    dialog_->SwitchToPage(page);
    Settle();
  }
  ~PageApp() {
    dialog_->CloseAndDestroy();
    dialog_.reset();
    Tessel::Manager::SetBackend(nullptr);
  }
  PageApp(const PageApp&) = delete;
  PageApp& operator=(const PageApp&) = delete;

  // Until start-up is over and the worker has been idle for a while.
  void Settle() {
    bool settled = false;
    dialog_->WhenSettled([&settled] { settled = true; });
    backend_.RunUntil([&settled] { return settled; }, std::chrono::seconds(20));
  }

  KeyboardDlg& Dialog() { return *dialog_; }
  Tessel::HeadlessBackend& Backend() { return backend_; }
  sim::VirtualHidBus& Bus() { return bus_; }
  sim::KeyboardState Keyboard() const {
    return bus_.State(keyboard_).value_or(sim::KeyboardState{});
  }

 private:
  TempFolder folder_;
  Tessel::HeadlessBackend backend_;
  sim::VirtualHidBus bus_;
  sim::KeyboardId keyboard_ = 0;
  std::unique_ptr<AppPaths> paths_;
  std::unique_ptr<SettingsStore> settings_;
  std::unique_ptr<core::TextTable> texts_;
  std::unique_ptr<KeyboardDlg> dialog_;
};

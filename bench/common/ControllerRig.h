#pragma once
// The application on the headless backend with one virtual keyboard (by cable or through its
// receiver) in a scratch folder, started up and, when asked, showing a page; the bench's thread
// is the UI thread. Shared by the benchmarks that drive the controller.

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "app/KeyboardDlg.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"
#include "support/TempFolder.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

inline const std::filesystem::path kData = std::filesystem::path(TARVO_SOURCE_DIR) / "data";
inline constexpr int kModel = 101;

struct RigSetup {
  // The controller's own worker runs; without it, start-up is run here, cycle by cycle.
  bool worker = true;
  bool receiver = false;
  std::optional<int> page;  // shown once start-up is over
};

class ControllerRig {
 public:
  explicit ControllerRig(RigSetup setup, KeyboardDlg::Options options = {}) {
    Tessel::Manager::SetBackend(&backend_);
    Tessel::Manager::SetResourceFolder(kData);
    paths_ = std::make_unique<AppPaths>(kData, folder_ / "data", folder_ / "config",
                                        folder_ / "run", "Tarvo");
    settings_ = std::make_unique<SettingsStore>(paths_->GetConfigFolder() / "settings.ini");
    settings_->WriteDeviceType(kModel);
    texts_ = std::make_unique<core::TextTable>(kData, 1033);
    keyboard_ = sim::AddCatalogueKeyboard(bus_, kData, kModel).value_or(0);
    if (setup.receiver) {
      bus_.PlugReceiver(keyboard_);
    } else {
      bus_.PlugCable(keyboard_);
    }
    options.startWorker = setup.worker;
    dialog_ = std::make_unique<KeyboardDlg>(*paths_, *settings_, *texts_, bus_, std::move(options));
    dialog_->Create(nullptr, "Tarvo", Tessel::Rect::FromSize(0, 0, 1400, 788));
    dialog_->ShowWindow(Tessel::kShow);
    if (!setup.worker) {
      for (int i = 0; i < 64 && (!dialog_->State().started.load() || !dialog_->Tasks().IsEmpty());
           ++i) {
        dialog_->RunCycle();
        backend_.PumpUntilIdle();
      }
    }
    Settle();
    if (setup.page) {
      dialog_->SwitchToPage(*setup.page);
      Settle();
    }
  }
  ~ControllerRig() {
    dialog_->CloseAndDestroy();
    dialog_.reset();
    Tessel::Manager::SetBackend(nullptr);
  }
  ControllerRig(const ControllerRig&) = delete;
  ControllerRig& operator=(const ControllerRig&) = delete;

  // Until start-up is over and the worker has been idle for a while.
  void Settle() {
    bool settled = false;
    dialog_->WhenSettled([&settled] { settled = true; });
    backend_.RunUntil([&settled] { return settled; }, std::chrono::seconds(30));
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

#pragma once
// The main controller: the main window, the owner of every feature and of the device worker.
// It is the composition root: the features live in their own folders; this class keeps the
// ordered list of them, routes control events, window messages and page changes to them, runs
// the worker cycle with its task table, and writes down once the orders in which a profile's
// pages are loaded and sent.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/ApplicationPage.h"
#include "app/Backgrounds.h"
#include "app/DeviceSession.h"
#include "app/KeyboardModel.h"
#include "app/Notices.h"
#include "app/TrayFeature.h"
#include "catalogue/DeviceCatalogue.h"
#include "catalogue/KeyboardLayout.h"
#include "core/AppPaths.h"
#include "core/CThreadBasic.h"
#include "core/ControllerActions.h"
#include "core/DeviceTaskQueue.h"
#include "core/Feature.h"
#include "core/ModelCapabilities.h"
#include "core/SettingsStore.h"
#include "core/SharedState.h"
#include "core/TaskTable.h"
#include "core/TextTable.h"
#include "core/WindowMessages.h"
#include "device/HidApi.h"
#include "device/HidDeviceManager.h"
#include "device/KeyboardCommands.h"
#include "keyboard/KeyboardFeature.h"
#include "keys/InputRouter.h"
#include "keys/KeyMapReader.h"
#include "keys/KeysFeature.h"
#include "lighting/EffectFeature.h"
#include "lighting/KeyboardAudio.h"
#include "lighting/LightingFeature.h"
#include "lighting/MatrixFeature.h"
#include "macros/MacrosFeature.h"
#include "platform/audio/AudioSource.h"
#include "platform/input/WindowInputSource.h"
#include "platform/video/FrameSource.h"
#include "profiles/ProfilesFeature.h"
#include "screen/ScreenFeature.h"
#include "storage/SettingsDatabase.h"
#include "ui/pages/WindowHost.h"
#include "ui/tessel/MWindow.h"
#include "update/UpdateFeature.h"

// The computer's own sound (the sound server's default output), as the application listens to
// it.
std::unique_ptr<platform::AudioSource> SystemSoundSource();

class KeyboardDlg : public Tessel::MDialog,
                    public CThreadBasic,
                    public ControllerActions,
                    private KeyboardInfo::Observer {
 public:
  struct Options {
    bool startWorker = true;  // tests may drive RunCycle themselves
    // Opens a web address in the desktop's browser.
    std::function<bool(const std::string&)> openUrl;
    // The source of observed keys and buttons (key test, key capture, macro recording), made
    // when first needed; by default what the session offers (X11, evdev or the window's own).
    std::function<std::unique_ptr<platform::input::InputSource>(
        std::shared_ptr<platform::input::WindowInputFeed>)>
        inputSource;
    // The sound the music effects follow, made once; none: the analysis runs and hears nothing.
    std::function<std::unique_ptr<platform::AudioSource>()> audioSource;
    // The program the start-at-login entry runs; empty: this executable.
    std::filesystem::path autostartExecutable;
    // Reads still pictures for the effect page (the toolkit's front end brings one).
    platform::PictureLoader pictureLoader;
    // The X display the effect page reads the screen from; empty: $DISPLAY.
    std::string captureDisplay;
  };

  // Timer ids of the main window. The animation timer forwards its ticks to the controls
  // (SetMTimer(kAnimationTimer, 16)); it runs only while a page animates a control, so that an
  // idle window wakes nobody.
  static constexpr int kAnimationTimer = 1;
  static constexpr int kExitTimer = 2;
  static constexpr int kSettleTimer = 3;
  // How long shutdown waits for the worker: long enough for the command it is in (every pause
  // of a task ends at the stop request), short enough that closing stays quick; a worker that
  // has not ended by then is left to the end of the process.
  static constexpr std::chrono::milliseconds kWorkerStopTimeout{250};

  KeyboardDlg(const AppPaths& paths, SettingsStore& settings, core::TextTable& texts,
              device::HidApi& hid, Options options);
  ~KeyboardDlg() override;

  // Appends a task (any thread).
  void QueueTask(int code) { tasks_.Append(code); }
  // An interface arrived (0x8000) or went (0x8004). Any thread: handled on the UI thread as
  // the device-change message.
  void OnDeviceChange(int event, const std::string& interfacePath);
  // One worker cycle; the worker thread calls it every 16 ms.
  void RunCycle() { Run(); }

  // The user chose a main tab (its position); switches the page.
  void OnMainPageChanged(int tabPosition);
  // UI thread: switches to the page of an id; false when no tab shows it.
  bool SwitchToPage(int pageId);
  // Every language text of the window again.
  void ApplyTexts();
  // Worker: reads everything from the current keyboard inside one command bracket: its
  // information and settings, then its key map. The first step that fails ends it. True when
  // every step succeeded.
  bool ReadKeyboardState();

  // Ends the run cleanly after a while (the --exit-after-ms option).
  void ScheduleExit(int milliseconds);
  // Runs `action` on the UI thread once start-up is over: StartUp has run, no task is queued
  // or running, and half a second has passed quietly (for --screenshot).
  void WhenSettled(std::function<void()> action);
  // False when shutdown gave up waiting for the worker: the process must then end without
  // destroying this object.
  bool WorkerEnded() const { return workerEnded_.load(); }

  // What tests and the entry point look at.
  SharedState& State() { return state_; }
  DeviceTaskQueue& Tasks() { return tasks_; }
  TaskTable& GetTaskTable() { return taskTable_; }
  storage::SettingsDatabase& Database() { return database_; }
  device::HidDeviceManager& Link() { return link_; }
  std::shared_ptr<const LayoutTables> Layout() const { return layout_.Get(); }
  ModelCapabilities Capabilities() const { return model_.Get(); }
  const DeviceCatalogue& Catalogue() const { return catalogue_; }
  DeviceSession& Session() { return devices_; }
  ProfilesFeature& Profiles() { return profiles_; }
  KeyboardFeature& Keyboard() { return keyboard_; }
  LightingFeature& Lighting() { return lighting_; }
  lighting::MatrixFeature& Matrix() { return matrix_; }
  // The music analysis: started with the first start-up task, stopped when the window closes.
  lighting::KeyboardAudio& Audio() { return audio_; }
  ScreenFeature& Screen() { return screen_; }
  EffectFeature& Effects() { return effects_; }
  macros::MacrosFeature& Macros() { return macros_; }
  KeyMapReader& KeyMaps() { return keyMaps_; }
  keys::KeysFeature& Keys() { return keys_; }
  // The one input source every room that observes keys shares.
  keys::InputRouter& Input() { return input_; }
  device::KeyboardCommands& Commands() { return keyboardCommands_; }

  int WatchedUpdater() const { return updaterProcessId_.load(); }
  TrayFeature& Tray() { return tray_; }
  update::UpdateFeature& Updates() { return updates_; }

  // Window messages and control events, routed to the features.
  std::intptr_t OnWindowMessage(unsigned message, std::intptr_t wParam,
                                std::intptr_t lParam) override;
  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  void OnTimer(int timerId) override;
  void CloseAndDestroy() override;

  // ControllerActions
  void DropQueuedTasks() override;
  void ShowPage(int pageId) override;
  void LoadKeyboardModel(int modelId) override;
  void CloseChildWindows() override;
  void LoadProfileList() override;
  void ShowProfilePages() override;
  void RestoreDefaultBackgrounds() override { backgrounds_.RestoreDefaults(); }
  void CloseApplication() override { PostMessage(UM_CLOSE_APPLICATION, 0, 0); }
  void WatchUpdater(int processId) override;

  // Any thread: a message box the user sees once the UI thread is free (never inside the
  // operation that failed, which may hold the database).
  void PostNotice(int captionId, std::string text);

 protected:
  void CreateControls() override;
  void OnInitDialog() override;
  void Run() override;

 private:
  // The orders of the profile steps.
  void ForEachIn(std::initializer_list<FeatureSlot> order, void (Feature::*step)());
  void StartUp();
  void Reconnect();
  void ApplyProfile();
  void OnDeviceInfo(const KeyboardInfo::Snapshot& keyboard, bool otherKeyboard) override;
  void OnBattery(int modelId, const protocol::BatteryReport& battery) override;

  void RegisterTasks();
  // True when the task ran, false when it was dropped (no keyboard, or no such task).
  bool RunTask(int code);
  void FinishTask(const TaskSpec* spec, bool ran);
  void IdleCycle();
  void WaitForUpdater();
  void ShowTabsOfModel();

  const AppPaths& paths_;
  SettingsStore& settings_;
  core::TextTable& texts_;
  Options options_;
  WindowHost host_{*this};
  device::HidApi& hid_;
  DeviceCatalogue catalogue_;
  storage::SettingsDatabase database_;
  device::HidDeviceManager link_;
  device::KeyboardCommands keyboardCommands_;
  SharedState state_;
  DeviceTaskQueue tasks_;
  TaskTable taskTable_;
  CurrentLayout layout_;
  CurrentModel model_;
  // What the window receives of keys and buttons feeds the window input source.
  std::shared_ptr<platform::input::WindowInputFeed> inputFeed_;
  keys::InputRouter input_;
  // Before the rooms that it feeds; stopped before any of them goes.
  lighting::KeyboardAudio audio_;

  // The rooms, in the order they hear of control events, messages and pages.
  KeyboardModel keyboardModel_;
  ApplicationPage application_;
  Backgrounds backgrounds_;
  DeviceSession devices_;
  ProfilesFeature profiles_;
  KeyMapReader keyMaps_;
  keys::KeysFeature keys_;
  KeyboardFeature keyboard_;
  LightingFeature lighting_;
  macros::MacrosFeature macros_;
  lighting::MatrixFeature matrix_;
  EffectFeature effects_;
  ScreenFeature screen_;
  TrayFeature tray_;
  update::UpdateFeature updates_;
  std::vector<Feature*> features_;

  Notices notices_{texts_, [this] { PostMessage(UM_NOTICE, 0, 0); }};
  std::atomic<int> updaterProcessId_{0};
  std::atomic<bool> workerEnded_{true};
  std::atomic<bool> taskRunning_{false};
  std::function<void()> whenSettled_;
  int quietTicks_ = 0;
};

#pragma once
// The main controller: the main window, the owner of every feature's state and of the device
// worker thread. It is a composition root: the features live in their own classes; this class
// routes control events and window messages to them and holds the task table.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "app/DeviceSession.h"
#include "app/KeyMapReader.h"
#include "app/KeyboardInfo.h"
#include "app/ProfilePages.h"
#include "app/SystemSettingsPage.h"
#include "app/TaskTable.h"
#include "catalogue/DeviceCatalogue.h"
#include "catalogue/KeyboardLayout.h"
#include "core/AppPaths.h"
#include "core/CThreadBasic.h"
#include "core/ControllerContext.h"
#include "core/ControllerState.h"
#include "core/DeviceTaskQueue.h"
#include "core/SettingsStore.h"
#include "core/TextTable.h"
#include "device/HidApi.h"
#include "device/HidDeviceManager.h"
#include "storage/SettingsDatabase.h"
#include "ui/tessel/MWindow.h"

class KeyboardDlg : public Tessel::MDialog, public CThreadBasic, public ControllerActions {
 public:
  struct Options {
    bool startWorker = true;  // tests may drive RunCycle themselves
    // Opens a web address in the desktop's browser.
    std::function<bool(const std::string&)> openUrl;
  };

  // Timer ids of the main window.
  static constexpr int kAnimationTimer = 1;
  static constexpr int kExitTimer = 2;
  static constexpr int kSettleTimer = 3;
  // How long shutdown waits for the worker.
  static constexpr std::chrono::milliseconds kWorkerStopTimeout{1000};
  // The generic wait dialog's window name.
  static constexpr const char* kWaitDialogName = "WaitDlg";

  KeyboardDlg(const AppPaths& paths, SettingsStore& settings, core::TextTable& texts,
              device::HidApi& hid, Options options);
  ~KeyboardDlg() override;

  ControllerState& State() { return state_; }
  ControllerContext& Context() { return context_; }
  DeviceTaskQueue& Tasks() { return tasks_; }
  TaskTable& GetTaskTable() { return taskTable_; }

  // Appends a task (UI thread). AppendIfEmpty merges bursts of changes.
  void QueueTask(int code);
  bool QueueTaskIfEmpty(int code);
  // Empties the task queue; the tasks it held are dropped, with their UI-thread epilogues.
  void DropQueuedTasks() override;
  void ShowMainTab(int tabPosition) override;
  void LoadKeyboardModel(int modelId) override;
  void CloseChildWindows() override;

  // An interface arrived (0x8000) or went (0x8004). Any thread: handled on the UI thread as
  // the device-change message.
  void OnDeviceChange(int event, const std::string& interfacePath);
  DeviceSession& Session() { return session_; }
  ProfilePages& Profiles() { return profiles_; }
  KeyboardInfo& Keyboard() { return keyboardInfo_; }
  KeyMapReader& KeyMaps() { return keyMaps_; }
  SystemSettingsPage& SystemSettings() { return systemSettings_; }
  // Worker: reads the current keyboard's information, settings and key map into the
  // controller and the database (part of the profile view refresh).
  void ReadKeyboardState();
  // The lookup tables of the current model's layout.
  std::shared_ptr<const LayoutTables> Layout() const { return layout_.Get(); }
  device::HidDeviceManager& Link() { return link_; }
  storage::SettingsDatabase& Database() { return database_; }

  // One worker cycle; the worker thread calls it every 16 ms.
  void RunCycle() { Run(); }

  std::intptr_t OnWindowMessage(unsigned message, std::intptr_t wParam,
                                std::intptr_t lParam) override;
  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  void OnTimer(int timerId) override;
  void CloseAndDestroy() override;
  // False when shutdown gave up waiting for the worker: the process must then end without
  // destroying this object.
  bool WorkerEnded() const { return workerEnded_.load(); }
  // Ends the run cleanly after a while (the --exit-after-ms option).
  void ScheduleExit(int milliseconds);
  // Runs `action` on the UI thread once start-up is over: StartUp has run, no task is queued
  // or running, and half a second has passed quietly (for --screenshot).
  void WhenSettled(std::function<void()> action);

  // The user chose a main tab (its position); switches the page.
  void OnMainPageChanged(int tabPosition);
  // Switches to the tab that shows a page id; false when no tab does.
  bool ShowPage(int pageId);
  // Shows the background picture of the current page, from the settings or the defaults.
  void ShowBackgrounds();

  // Languages: the text of an id in "KB.DIALOG"; every text of the window again; the
  // language buttons of the settings page.
  std::string Text(int id) const;
  void ApplyTexts();
  void OnLanguageChanged();

  // The catalogue of "config.xml": the models, their connection modes, the web addresses.
  void LoadDeviceCatalogue();
  const DeviceCatalogue& Catalogue() const { return catalogue_; }

 protected:
  void CreateControls() override;
  void OnInitDialog() override;
  void Run() override;

 private:
  void BuildTaskTable();
  void RunTask(int code);
  void FinishTask(const TaskSpec* spec, bool ran);
  void IdleCycle();
  void WaitForUpdater();
  void CloseWaitDialog();

  void ShowBackgroundMenu();
  void ShowLanguageButtons();
  void ShowCloseToolTip();
  void OpenWebAddress(const std::string& url);
  void OnBackgroundMenu(int item);
  void StartUp();
  void Reconnect();
  void LoadLayout(const std::string& layoutName);

  const AppPaths& paths_;
  SettingsStore& settings_;
  core::TextTable& texts_;
  Options options_;
  DeviceCatalogue catalogue_;
  device::HidApi& hid_;
  storage::SettingsDatabase database_;
  device::HidDeviceManager link_;
  ControllerState state_;
  DeviceTaskQueue tasks_;
  TaskTable taskTable_;
  CurrentLayout layout_;
  ControllerContext context_;
  DeviceSession session_;
  KeyMapReader keyMaps_;
  KeyboardInfo keyboardInfo_;
  SystemSettingsPage systemSettings_;
  ProfilePages profiles_;
  std::atomic<bool> workerEnded_{true};
  std::atomic<bool> taskRunning_{false};
  std::function<void()> whenSettled_;
  int quietTicks_ = 0;
};

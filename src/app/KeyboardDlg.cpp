#include "app/KeyboardDlg.h"

#include "app/MainPages.h"
#include "base/Log.h"
#include "base/Text.h"
#include "core/MainTabs.h"
#include "core/TextIds.h"
#include "core/ThreadCheck.h"
#include "core/WindowMessages.h"
#include "platform/Desktop.h"
#include "platform/Process.h"
#include "platform/audio/PulseMonitorSource.h"
#include "platform/input/SourceChoice.h"
#include "protocol/DeviceInfo.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/HomePage.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/pages/ProfilePanel.h"
#include "ui/pages/SettingsPage.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/RawInput.h"

namespace {

// The orders of the profile steps. A slot without a feature yet is passed over.
//
// Showing a profile fills every page in this order; the settings page comes last.
constexpr std::initializer_list<FeatureSlot> kShowProfileOrder = {
    FeatureSlot::kKeys,          FeatureSlot::kLighting, FeatureSlot::kMacros,
    FeatureSlot::kMatrix,        FeatureSlot::kEffects,  FeatureSlot::kScreen,
    FeatureSlot::kSystemSettings};
// After a switch the keyboard receives the profile in this order.
constexpr std::initializer_list<FeatureSlot> kApplyProfileOrder = {
    FeatureSlot::kKeys, FeatureSlot::kSystemSettings, FeatureSlot::kLighting, FeatureSlot::kEffects,
    FeatureSlot::kMatrix};
// Loading the profile list prepares these pages before the keyboard is read.
constexpr std::initializer_list<FeatureSlot> kBeforeKeyboardReadOrder = {FeatureSlot::kLighting,
                                                                         FeatureSlot::kMatrix};

}  // namespace

std::unique_ptr<platform::AudioSource> SystemSoundSource() {
  return std::make_unique<platform::PulseMonitorSource>();
}

KeyboardDlg::KeyboardDlg(const AppPaths& paths, SettingsStore& settings, core::TextTable& texts,
                         device::HidApi& hid, Options options)
    : Tessel::MDialog(Tessel::Manager::GetDeviceName()),
      paths_(paths),
      settings_(settings),
      texts_(texts),
      options_(std::move(options)),
      hid_(hid),
      link_(hid),
      keyboardCommands_(link_),
      inputFeed_(std::make_shared<platform::input::WindowInputFeed>()),
      input_(
          [this] {
            return options_.inputSource ? options_.inputSource(inputFeed_)
                                        : platform::input::ChooseInputSource(inputFeed_);
          },
          [this](std::function<void()> work) { RunOnUiThread(std::move(work)); }),
      audio_(options_.audioSource ? options_.audioSource() : nullptr),
      keyboardModel_(host_, state_, paths_, settings_, database_, catalogue_, layout_, model_),
      application_(host_, settings_, texts_, catalogue_,
                   options_.openUrl ? options_.openUrl : platform::OpenUrl),
      backgrounds_(host_, state_, settings_, texts_),
      devices_(host_, state_, link_, catalogue_, settings_, model_, texts_, tasks_, *this, *this),
      profiles_(host_, state_, database_, layout_, texts_, tasks_),
      keyMaps_(state_, keyboardCommands_, database_, texts_, layout_),
      keys_(host_, state_, link_, keyboardCommands_, database_, texts_, keyMaps_, model_, layout_,
            tasks_, input_),
      keyboard_(host_, state_, keyboardCommands_, database_, model_, texts_, tasks_, *this),
      lighting_(host_, state_, link_, keyboardCommands_, database_, model_, layout_, texts_,
                tasks_),
      macros_(host_, state_, link_, keyboardCommands_, database_, model_, texts_, tasks_,
              keys_.Service(), input_),
      matrix_(host_, state_, database_, lighting_, model_, texts_, tasks_, audio_),
      effects_(host_, state_, keyboardCommands_, lighting_.Commands(), database_, model_, layout_,
               texts_, tasks_, audio_, {options_.captureDisplay, options_.pictureLoader}),
      screen_(host_, state_, link_, database_, catalogue_, paths_, texts_, tasks_, *this),
      tray_(host_, paths_, settings_, texts_, *this, options_.autostartExecutable),
      updates_(host_, state_, catalogue_, texts_, tasks_, *this, *this, paths_.GetAppFolder(),
               paths_.GetDataFolder() / "temp"),
      features_{&application_, &backgrounds_, &devices_, &profiles_, &keys_, &keyboard_, &macros_,
                &lighting_,    &matrix_,      &effects_, &screen_,   &tray_, &updates_} {
  keyboard_.Info().AddObserver(*this);
  database_.SetWriteFailureHandler([this](const std::string&) { notices_.WriteFailed(); });
  // Every pause of the link ends early when the worker is asked to stop.
  link_.SetSleeper([this](std::chrono::milliseconds duration) { SleepFor(duration); });
  // A receiver's notification read in the middle of an exchange comes back as a message.
  link_.SetNotifyHandler([this](bool online) { PostMessage(UM_DEVICE_NOTIFY, 0, online ? 1 : 0); });
  if (hid_.ReportsHotPlug()) {
    hid_.SetHotPlugListener([this](device::HotPlugEvent event, const std::string& path) {
      OnDeviceChange(static_cast<int>(event), path);
    });
  }
  RegisterTasks();
  Tessel::SetRawInputObserver([feed = inputFeed_](const Tessel::RawInputEvent& e) {
    if (e.device == Tessel::RawInputEvent::Device::kKey) {
      feed->PushKey(e.nativeCode, e.pressed, e.autoRepeat, e.numLock);
    } else {
      feed->PushButton(e.nativeCode, e.pressed);
    }
  });
}

KeyboardDlg::~KeyboardDlg() {
  audio_.StopAudioCapture();
  Tessel::SetRawInputObserver({});
  hid_.SetHotPlugListener({});
  // The worker calls into this object; it must have ended before the members go.
  Stop(std::chrono::milliseconds::max());
}

void KeyboardDlg::ForEachIn(std::initializer_list<FeatureSlot> order, void (Feature::*step)()) {
  for (FeatureSlot slot : order) {
    for (Feature* feature : features_) {
      if (feature->Slot() == slot) (feature->*step)();
    }
  }
}

// Tasks ------------------------------------------------------------------------------------

void KeyboardDlg::RegisterTasks() {
  taskTable_.SetRun(task::kStartUp, [this] { StartUp(); });
  taskTable_.SetRun(task::kReconnect, [this] { Reconnect(); });
  taskTable_.SetRun(task::kRefreshProfileView, [this] { LoadProfileList(); });
  taskTable_.SetRun(task::kApplyProfile, [this] { ApplyProfile(); });
  for (Feature* feature : features_) feature->RegisterTasks(taskTable_);
}

void KeyboardDlg::DropQueuedTasks() {
  for (int code : tasks_.Clear()) FinishTask(taskTable_.Find(code), false);
}

bool KeyboardDlg::RunTask(int code) {
  const bool connected = state_.Connected();
  const TaskSpec* spec = taskTable_.Find(code);
  bool ran = false;
  if (spec != nullptr && (spec->when == task::When::Always || connected)) {
    base::DebugLog("task %d %s", code, spec->name);
    if (spec->run) spec->run();
    ran = true;
  }
  FinishTask(spec, ran);
  // Every task closes the command bracket it opened; a stream must open it again.
  if (connected) keyboardCommands_.MarkBracketClosed();
  return ran;
}

void KeyboardDlg::FinishTask(const TaskSpec* spec, bool ran) {
  if (spec == nullptr) return;
  if (spec->waitDialog) {
    host_.CloseWaitDialog();
    if (ran) SleepFor(std::chrono::milliseconds(100));
  }
  if (spec->epilogue) RunOnUiThread(spec->epilogue);
}

void KeyboardDlg::StartUp() {
  if (state_.started.exchange(true)) return;
  // The music effects listen from the start, whatever the keyboard does.
  audio_.StartAudioCapture();
  Reconnect();
}

void KeyboardDlg::Reconnect() {
  devices_.RefreshDevices();
  devices_.ApplySelectedDevice();
  LoadProfileList();
}

// The profile steps ---------------------------------------------------------------------------

void KeyboardDlg::LoadProfileList() {
  TARVO_EXPECT_WORKER();
  profiles_.Page().LoadList();
  ForEachIn(kBeforeKeyboardReadOrder, &Feature::LoadBeforeKeyboardRead);
  ReadKeyboardState();
  ShowProfilePages();
}

void KeyboardDlg::ShowProfilePages() {
  ForEachIn(kShowProfileOrder, &Feature::ShowProfile);
}

void KeyboardDlg::ApplyProfile() {
  state_.fnLayer.store(0);
  ForEachIn(kApplyProfileOrder, &Feature::ApplyProfile);
}

bool KeyboardDlg::ReadKeyboardState() {
  KeyboardInfo& info = keyboard_.Info();
  info.BeginRead();
  // A keyboard that is not attached, or asleep behind its receiver, cannot answer: asking
  // would only hold the worker up for the time-outs of every step.
  if (!state_.Connected()) return false;
  device::CommandBracket bracket(keyboardCommands_);
  const std::optional<protocol::DeviceInfo> read = info.ReadDeviceInfo();
  if (!read) {
    base::DebugLog("keyboard read: no information or settings");
    return false;
  }
  if (!keyMaps_.ReadKeyMap(*read)) {
    base::DebugLog("keyboard read: the key map stopped answering");
    return false;
  }
  base::DebugLog("keyboard read: model %d firmware %x revision %d", state_.selectedModel.load(),
                 read->firmwareVersion, read->protocolRevision);
  return true;
}

void KeyboardDlg::OnDeviceInfo(const KeyboardInfo::Snapshot& keyboard, bool) {
  state_.connectionKind.store(devices_.ConnectionKind());
  updates_.ShowKeyboardFirmware(protocol::FirmwareVersionText(keyboard.device.firmwareVersion));
  ShowTabsOfModel();
  // The matrix page of a keyboard without a matrix light has nothing to show.
  if (!keyboard.device.matrix.present && state_.currentPage.load() == kPageMatrix) {
    ShowPage(kPageLighting);
  }
}

void KeyboardDlg::OnBattery(int modelId, const protocol::BatteryReport& battery) {
  // The device list shows the battery beside the connection it came through.
  const int kind = state_.connectionKind.load();
  devices_.Page().ShowBattery(modelId, kind >= 0 ? kind : device::kModeCable, battery.level,
                              battery.charging);
}

// Worker cycle -------------------------------------------------------------------------------

void KeyboardDlg::Run() {
  core::WorkerScope worker;
  if (state_.suspended.load()) return;
  if (updaterProcessId_.load() != 0) {
    WaitForUpdater();
    return;
  }
  if (std::optional<int> code = tasks_.Take()) {
    taskRunning_.store(true);
    const bool ran = RunTask(*code);
    taskRunning_.store(false);
    // After the epilogue was posted: whoever waits for the task hears of it after the page did.
    tasks_.FinishTaken(ran);
    return;
  }
  if (state_.devicePresent.load()) IdleCycle();
}

void KeyboardDlg::WatchUpdater(int processId) {
  if (processId <= 0) return;
  ShowWindow(Tessel::kHide);
  updaterProcessId_.store(processId);
}

void KeyboardDlg::WaitForUpdater() {
  const int processId = updaterProcessId_.load();
  // The updater talks to the keyboard itself.
  link_.CloseAll();
  // Wait in short slices so that shutdown is never held up by the updater.
  while (platform::IsProcessRunning(processId)) {
    if (!SleepFor(std::chrono::milliseconds(100))) return;
  }
  ShowWindow(Tessel::kShow);
  updaterProcessId_.store(0);
  QueueTask(task::kDeviceInstall);
}

void KeyboardDlg::IdleCycle() {
  // The streams of the pages come first; the receivers' notifications are polled last.
  for (Feature* feature : features_) {
    if (feature != &devices_) feature->Idle();
  }
  devices_.Idle();
}

// Window messages and control events ---------------------------------------------------------

std::intptr_t KeyboardDlg::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                           std::intptr_t lParam) {
  for (Feature* feature : features_) {
    if (std::optional<std::intptr_t> result = feature->OnWindowMessage(message, wParam, lParam)) {
      return *result;
    }
  }
  switch (message) {
    case Tessel::WM_POWERBROADCAST:
      if (wParam == kPowerSuspend) state_.suspended.store(true);
      if (wParam == kPowerResumeSuspend || wParam == kPowerResumeAutomatic) {
        state_.suspended.store(false);
      }
      return 1;
    case UM_DOWNLOAD_PROGRESS:
    case UM_SWALLOW:
      return 1;
    case UM_NOTICE:
      notices_.ShowAll(host_);
      return 1;
    case UM_CLOSE_APPLICATION:
      CloseAndDestroy();
      return 1;
    case UM_APPLY_TEXTS:
      ApplyTexts();
      break;
    case Tessel::WM_CLOSE:
      // The window manager's close button and Alt+F4 act like ours.
      tray_.OnCloseButton();
      return 0;
    default:
      break;
  }
  return Tessel::MDialog::OnWindowMessage(message, wParam, lParam);
}

void KeyboardDlg::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) {
  TARVO_EXPECT_UI_THREAD();
  if (id == ids::kMainTabs && code == Tessel::kEventSelChanged) {
    OnMainPageChanged(static_cast<int>(arg1));
    // The page the user chose is where a keyboard that comes back returns to.
    state_.pageAfterSwitch.store(state_.currentPage.load());
  } else if (id == ids::kMinimizeButton && code == Tessel::kEventClick) {
    ShowWindow(Tessel::kMinimize);
  } else if (id == ids::kCloseButton && code == Tessel::kEventClick) {
    tray_.OnCloseButton();
  } else {
    for (Feature* feature : features_) {
      if (feature->OnControlEvent(id, code, arg1, arg2)) return;
    }
  }
}

void KeyboardDlg::OnTimer(int timerId) {
  if (timerId == kExitTimer) {
    KillMTimer(kExitTimer);
    CloseAndDestroy();
    return;
  }
  if (timerId == kSettleTimer) {
    const bool quiet = state_.started.load() && tasks_.IsEmpty() && !taskRunning_.load();
    quietTicks_ = quiet ? quietTicks_ + 1 : 0;
    if (quietTicks_ >= 5 && whenSettled_) {
      KillMTimer(kSettleTimer);
      std::function<void()> action = std::move(whenSettled_);
      action();
    }
    return;
  }
  Tessel::MDialog::OnTimer(timerId);
}

void KeyboardDlg::ScheduleExit(int milliseconds) {
  SetMTimer(kExitTimer, milliseconds);
}

void KeyboardDlg::WhenSettled(std::function<void()> action) {
  whenSettled_ = std::move(action);
  quietTicks_ = 0;
  SetMTimer(kSettleTimer, 100);
}

// Pages ----------------------------------------------------------------------------------------

void KeyboardDlg::OnMainPageChanged(int tabPosition) {
  TARVO_EXPECT_UI_THREAD();
  auto* tabs = GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  if (tabs == nullptr || tabPosition < 0 || tabPosition >= tabs->GetCount()) return;
  const int page = static_cast<int>(tabs->GetItemData(tabPosition));
  tabs->SetCurSel(tabPosition);
  const int left = state_.currentPage.load();
  for (Feature* feature : features_) feature->OnPageLeft(left);
  ShowPageFrame(host_, page);
  state_.currentPage.store(page);
  for (Feature* feature : features_) feature->OnPageShown(page);
}

bool KeyboardDlg::SwitchToPage(int pageId) {
  ShowTabsOfModel();
  const int position = TabPositionOf(pageId);
  auto* tabs = GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  if (position < 0 || tabs == nullptr) return false;
  OnMainPageChanged(position);
  return true;
}

void KeyboardDlg::ShowPage(int pageId) {
  RunOnUiThread([this, pageId] { SwitchToPage(pageId); });
}

void KeyboardDlg::ShowTabsOfModel() {
  ShowTabsOf(host_, model_.Get(), state_.connectionKind.load());
}

// Texts ------------------------------------------------------------------------------------------

void KeyboardDlg::ApplyTexts() {
  const TextLookup lookup = [this](int id, bool caption) {
    return texts_.GetText(caption ? text::kCaptionSection : text::kDialogSection, id);
  };
  for (Feature* feature : features_) {
    ApplyTextBindings(*this, feature->TextBindings(), lookup);
    feature->ApplyTexts();
  }
}

// Controller actions ------------------------------------------------------------------------------

void KeyboardDlg::LoadKeyboardModel(int modelId) {
  keyboardModel_.Load(modelId);
  RunOnUiThread([this] { ShowTabsOfModel(); });
  const std::filesystem::path setAside = database_.TakeSetAsideFile();
  if (!setAside.empty()) {
    PostNotice(text::kDatabaseSetAsideCaption,
               base::Format(texts_.GetText(text::kDialogSection, text::kDatabaseSetAside),
                            setAside.string()));
  }
}

// Notices
// -------------------------------------------------------------------------------------------

void KeyboardDlg::PostNotice(int captionId, std::string text) {
  notices_.Post(captionId, std::move(text));
}

void KeyboardDlg::CloseChildWindows() {
  RunOnUiThread([] { CloseFeatureWindows(); });
}

void KeyboardDlg::OnDeviceChange(int event, const std::string& interfacePath) {
  RunOnUiThread([this, event, interfacePath] {
    DeviceBroadcast broadcast{DeviceBroadcast::kDeviceInterface, interfacePath};
    SendMessage(Tessel::WM_DEVICECHANGE, event, reinterpret_cast<std::intptr_t>(&broadcast));
  });
}

// Life cycle -----------------------------------------------------------------------------------

void KeyboardDlg::CreateControls() {
  CreateMainWindowControls(host_);
  CreateHomePageControls(host_);
  CreateSettingsPageControls(host_);
  CreateKeyboardViews(host_);
  for (Feature* feature : features_) feature->CreateControls(host_);
}

void KeyboardDlg::OnInitDialog() {
  if (auto* title = GetControl<Tessel::MControlFont>(ids::kProductTitle))
    title->SetTitle(GetTitle());
  keyboardModel_.LoadDeviceCatalogue();
  devices_.RegisterCatalogue();
  application_.ShowCatalogue();
  ShowTabsOfModel();
  application_.ShowLanguageButtons();
  ApplyTexts();
  tray_.AddTrayIcon();
  OnMainPageChanged(0);
  if (options_.startWorker) {
    workerEnded_.store(false);
    Start(CThreadBasic::kDefaultPeriodMs);
  }
  QueueTask(task::kStartUp);
}

void KeyboardDlg::CloseAndDestroy() {
  ShowWindow(Tessel::kHide);  // gone from the screen at once, however long the rest takes
  hid_.SetHotPlugListener({});
  if (IsRunning()) workerEnded_.store(Stop(kWorkerStopTimeout));
  audio_.StopAudioCapture();
  for (Feature* feature : features_) feature->Shutdown();
  KillMTimer(kAnimationTimer);
  DestroyWindow();
}

#include "app/KeyboardDlg.h"

#include <filesystem>

#include "base/Log.h"
#include "core/TextIds.h"
#include "core/WindowMessages.h"
#include "platform/Desktop.h"
#include "platform/Process.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/HomePage.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/pages/MainWindowTexts.h"
#include "ui/pages/ProfilePanel.h"
#include "ui/pages/SettingsPage.h"
#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/ProfileList.h"

namespace {

constexpr const char* kDefaultStillBackground = "skins/theme1/main_bkg.png";
constexpr const char* kDefaultAnimatedBackground = "skins/theme1/home_bg.gif";
constexpr const char* kStillBackgroundValue = "theme_bkg";
constexpr const char* kAnimatedBackgroundValue = "theme_bkg_gif";

enum BackgroundMenuItem : int {
  kChooseBackground = 100,
  kDefaultBackground = 101,
};

bool IsFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

// The colour every key of a new layout starts with.
constexpr Tessel::Color kDefaultKeyColor = 0x604E3A;

// Windows' device-change broadcast of a device interface: its type and path.
struct DeviceBroadcast {
  static constexpr int kDeviceInterface = 5;
  int deviceType = kDeviceInterface;
  std::string interfacePath;
};

}  // namespace

KeyboardDlg::KeyboardDlg(const AppPaths& paths, SettingsStore& settings, core::TextTable& texts,
                         device::HidApi& hid, Options options)
    : Tessel::MDialog(Tessel::Manager::GetDeviceName()),
      paths_(paths),
      settings_(settings),
      texts_(texts),
      options_(std::move(options)),
      hid_(hid),
      link_(hid),
      context_{state_, tasks_,     settings_, paths_,    *this, *this,
               texts_, catalogue_, *this,     database_, hid_,  link_},
      session_(context_),
      keyMaps_(context_,
               [this](const KeyMapReader::KeyMaps& maps) {
                 layout_.Set(WithKeyboardMaps(*layout_.Get(), maps));
               }),
      keyboardInfo_(context_, keyMaps_),
      systemSettings_(context_, keyboardInfo_,
                      SystemSettingsPage::Hooks{[this] { OnBackgroundMenu(kDefaultBackground); },
                                                [this] { profiles_.LoadProfileList(); }}),
      profiles_(context_, ProfilePages::Hooks{[this] { ReadKeyboardState(); },
                                              [this] { systemSettings_.LoadSystemSettings(); },
                                              [this] { systemSettings_.LoadSystemSettings(); }}) {
  if (!options_.openUrl) options_.openUrl = platform::OpenUrl;
  // Every pause of the link ends early when the worker is asked to stop.
  link_.SetSleeper([this](std::chrono::milliseconds duration) { SleepFor(duration); });
  // A receiver's notification read in the middle of an exchange comes back as a message.
  link_.SetNotifyHandler([this](bool online) { PostMessage(UM_DEVICE_NOTIFY, 0, online ? 1 : 0); });
  if (hid_.ReportsHotPlug()) {
    hid_.SetHotPlugListener([this](device::HotPlugEvent event, const std::string& path) {
      OnDeviceChange(static_cast<int>(event), path);
    });
  }
  BuildTaskTable();
}

KeyboardDlg::~KeyboardDlg() {
  hid_.SetHotPlugListener({});
  // The worker calls into this object; it must have ended before the members go.
  Stop(std::chrono::milliseconds::max());
}

// Tasks ------------------------------------------------------------------------------------

void KeyboardDlg::BuildTaskTable() {
  using W = TaskWhen;
  auto set = [this](int code, const char* name, W when, bool waitDialog,
                    std::function<void()> run = {}, std::function<void()> epilogue = {}) {
    taskTable_.Set(code, TaskSpec{name, when, waitDialog, std::move(run), std::move(epilogue)});
  };
  set(task::kStartUp, "StartUp", W::Always, false, [this] { StartUp(); });
  set(task::kDeviceInstall, "DeviceInstall", W::Always, false,
      [this] { session_.DeviceInstall(); });
  set(task::kDeviceUnInstall, "DeviceUnInstall", W::Always, false,
      [this] { session_.DeviceUnInstall(); });
  set(task::kReconnect, "Reconnect", W::Always, false, [this] { Reconnect(); });
  set(task::kRefreshProfileView, "RefreshProfileView", W::Connected, false,
      [this] { profiles_.LoadProfileList(); });
  set(task::kApplyProfile, "ApplyProfile", W::Connected, true,
      [this] { profiles_.ApplyProfile(); });
  set(task::kLoadKeyAssignments, "LoadKeyAssignments", W::Connected, true);
  set(task::kSendKnobAssignment, "SendKnobAssignment", W::Connected, true);
  set(task::kSendKeyAssignments, "SendKeyAssignments", W::Connected, true);
  set(task::kSendMacros, "SendMacros", W::Connected, true);
  set(task::kApplyCustomSlot, "TaskApplyCustomSlot", W::Connected, false);
  set(task::kApplyLightMode, "TaskApplyLightMode", W::Connected, false);
  set(task::kSendMatrixLightMode, "SendMatrixLightMode", W::Connected, false);
  set(task::kReadMatrixPicture, "ReadMatrixPicture", W::Connected, false);
  set(task::kSendMatrixPicture, "SendMatrixPicture", W::Connected, false);
  set(task::kSendSystemSettings, "SendSystemSettings", W::Connected, false,
      [this] { systemSettings_.SendSystemSettings(); });
  set(task::kReadCustomSlotColors, "TaskReadCustomSlotColors", W::Connected, false);
  set(task::kWriteCustomSlotColors, "TaskWriteCustomSlotColors", W::Connected, true);
  set(task::kApplyLightModeAgain, "TaskApplyLightMode", W::Connected, false);
  // The window disabled for the reset takes input again whether the reset ran or was dropped.
  set(
      task::kFactoryReset, "FactoryReset", W::Connected, true,
      [this] { systemSettings_.FactoryReset(); }, [this] { systemSettings_.FinishFactoryReset(); });
  set(task::kPageSwitch, "PageSwitch", W::Connected, false,
      [this] { keyboardInfo_.SendPageSwitch(); });
  set(task::kCloseWaitDialog, "CloseWaitDialog", W::Connected, false);
  set(task::kNothing, "Nothing", W::Connected, false);
  set(task::kUploadScreenMedia, "TaskUploadScreenMedia", W::Connected, false);
  set(task::kImportMedia, "TaskImportMedia", W::Connected, false);
  set(task::kSyncScreenClock, "TaskSyncScreenClock", W::Connected, false);
  set(task::kCheckUpdates, "CheckUpdates", W::Always, false);
  set(task::kDownloadSoftwareUpdate, "DownloadSoftwareUpdate", W::Always, false);
}

void KeyboardDlg::QueueTask(int code) {
  tasks_.Append(code);
}

bool KeyboardDlg::QueueTaskIfEmpty(int code) {
  return tasks_.AppendIfEmpty(code);
}

void KeyboardDlg::DropQueuedTasks() {
  for (int code : tasks_.Clear()) FinishTask(taskTable_.Find(code), false);
}

void KeyboardDlg::RunTask(int code) {
  const bool connected = state_.devicePresent.load() && state_.online.load();
  const TaskSpec* spec = taskTable_.Find(code);
  bool ran = false;
  if (spec != nullptr && (spec->when == TaskWhen::Always || connected)) {
    base::DebugLog("task %d %s", code, spec->name);
    if (spec->run) spec->run();
    ran = true;
  }
  FinishTask(spec, ran);
  // Every task closes the command bracket it opened; a stream must open it again.
  if (connected) state_.bracketClosed.store(1);
}

void KeyboardDlg::FinishTask(const TaskSpec* spec, bool ran) {
  if (spec == nullptr) return;
  if (spec->waitDialog) {
    CloseWaitDialog();
    if (ran) SleepFor(std::chrono::milliseconds(100));
  }
  if (spec->epilogue) RunOnUiThread(spec->epilogue);
}

void KeyboardDlg::CloseWaitDialog() {
  RunOnUiThread([] {
    if (auto* dialog =
            dynamic_cast<Tessel::MDialog*>(Tessel::Manager::FindWindow(kWaitDialogName))) {
      dialog->DoOK();
    }
  });
}

void KeyboardDlg::StartUp() {
  if (state_.started.exchange(true)) return;
  session_.RefreshDevices();
  session_.ApplySelectedDevice();
  profiles_.LoadProfileList();
}

void KeyboardDlg::ReadKeyboardState() {
  keyboardInfo_.ReadKeyboardState();
}

void KeyboardDlg::Reconnect() {
  session_.RefreshDevices();
  session_.ApplySelectedDevice();
  profiles_.LoadProfileList();
}

// Worker cycle -------------------------------------------------------------------------------

void KeyboardDlg::Run() {
  if (state_.suspended.load()) return;
  if (state_.updaterProcessId.load() != 0) {
    WaitForUpdater();
    return;
  }
  if (std::optional<int> code = tasks_.Take()) {
    taskRunning_.store(true);
    RunTask(*code);
    taskRunning_.store(false);
    return;
  }
  if (state_.devicePresent.load()) IdleCycle();
}

void KeyboardDlg::WaitForUpdater() {
  const int processId = state_.updaterProcessId.load();
  // Wait in short slices so that shutdown is never held up by the updater.
  while (platform::IsProcessRunning(processId)) {
    if (!SleepFor(std::chrono::milliseconds(100))) return;
  }
  ShowWindow(Tessel::kShow);
  state_.updaterProcessId.store(0);
  QueueTask(task::kDeviceInstall);
}

void KeyboardDlg::IdleCycle() {
  // The live preview of the lighting page and the screen-sync and matrix streams come first
  // (served by their features); the receivers' notifications are polled last.
  session_.OnDeviceNotify();
}

// Window messages and control events ---------------------------------------------------------

std::intptr_t KeyboardDlg::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                           std::intptr_t lParam) {
  switch (message) {
    case Tessel::WM_DEVICECHANGE: {
      const auto* broadcast = reinterpret_cast<const DeviceBroadcast*>(lParam);
      if (broadcast != nullptr && broadcast->deviceType == DeviceBroadcast::kDeviceInterface) {
        session_.UpdateUSBDevice(static_cast<int>(wParam), broadcast->interfacePath);
      }
      return 0;
    }
    case Tessel::WM_POWERBROADCAST:
      if (wParam == kPowerSuspend) state_.suspended.store(true);
      if (wParam == kPowerResumeSuspend || wParam == kPowerResumeAutomatic)
        state_.suspended.store(false);
      return 1;
    case UM_DOWNLOAD_PROGRESS:
      return 1;
    case UM_BACKGROUND_MENU:
      OnBackgroundMenu(static_cast<int>(lParam));
      return 1;
    case UM_PROFILE_MENU:
      profiles_.OnProfileMenuChosen(static_cast<int>(wParam));
      return 1;
    case UM_DEVICE_NOTIFY:
      QueueTask(lParam == 1 ? task::kDeviceInstall : task::kDeviceUnInstall);
      return 1;
    case UM_APPLY_TEXTS:
      ApplyTexts();
      break;
    case UM_SWALLOW:
      return 1;
    case Tessel::WM_CLOSE:
      // The window manager's close button and Alt+F4 end the application like ours.
      CloseAndDestroy();
      return 0;
    default:
      break;
  }
  return Tessel::MDialog::OnWindowMessage(message, wParam, lParam);
}

void KeyboardDlg::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t) {
  switch (id) {
    case ids::kMainTabs:
      if (code == Tessel::kEventSelChanged) OnMainPageChanged(static_cast<int>(arg1));
      break;
    case ids::kDeviceList:
      if (code == Tessel::kEventClick) session_.SelectDevice();
      break;
    case ids::kProfileAdd:
      if (code == Tessel::kEventClick) profiles_.OnAddProfile();
      break;
    case ids::kProfileImport:
      if (code == Tessel::kEventClick) profiles_.OnImportProfile();
      break;
    case ids::kProfileManage:
      if (code == Tessel::kEventClick) profiles_.ShowProfileDialog();
      break;
    case ids::kProfileList:
      if (code == Tessel::kEventSelChanged) profiles_.OnSelectProfile();
      if (code == Tessel::kEventRightClick) profiles_.OnProfileMenu();
      if (code == Tessel::kEventCommit) profiles_.OnRenameProfile(static_cast<int>(arg1));
      break;
    case ids::kMacModeSwitch:
    case ids::kGameModeSwitch:
    case ids::kLockWinSwitch:
    case ids::kWasdSwapSwitch:
    case ids::kSleepTimeCombo:
    case ids::kKeyResponseCombo:
    case ids::kKnobModeSwitch:
      systemSettings_.OnSettingChanged(id, code);
      break;
    case ids::kRestoreFactoryButton:
      if (code == Tessel::kEventClick) systemSettings_.RestoreFactorySettings();
      break;
    case ids::kBackgroundButton:
      if (code == Tessel::kEventClick) ShowBackgroundMenu();
      break;
    case ids::kMinimizeButton:
      if (code == Tessel::kEventClick) ShowWindow(Tessel::kMinimize);
      break;
    case ids::kCloseButton:
      if (code == Tessel::kEventClick) CloseAndDestroy();
      break;
    case ids::kLanguageSimplifiedChinese:
    case ids::kLanguageEnglish:
    case ids::kLanguageTraditionalChinese:
      if (code == Tessel::kEventClick) OnLanguageChanged();
      break;
    case ids::kWebsiteButton:
    case ids::kWebsiteLabel:
      if (code == Tessel::kEventClick) OpenWebAddress(catalogue_.software.website);
      break;
    case ids::kFeedbackButton:
    case ids::kFeedbackLabel:
      if (code == Tessel::kEventClick) OpenWebAddress(catalogue_.software.feedback);
      break;
    case ids::kStoreButton:
    case ids::kStoreLabel:
      if (code == Tessel::kEventClick) OpenWebAddress(catalogue_.software.store);
      break;
    case ids::kFaqsButton:
    case ids::kFaqsLabel:
      if (code == Tessel::kEventClick) OpenWebAddress(catalogue_.software.faqs);
      break;
    default:
      break;
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
  auto* tabs = GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  if (tabs == nullptr || tabPosition < 0 || tabPosition >= tabs->GetCount()) return;
  const int page = static_cast<int>(tabs->GetItemData(tabPosition));
  tabs->SetCurSel(tabPosition);

  auto setVisible = [this](int id, bool visible) {
    if (Tessel::MControl* control = FindControl(id)) control->SetVisible(visible);
  };
  setVisible(ids::kEffectView, false);
  setVisible(ids::kKeyTestArea, false);
  setVisible(ids::kMainContent, true);
  for (int shown : kMainTabPages) {
    if (shown != kPageHome) setVisible(ids::kPageArea + shown, shown == page);
  }

  switch (page) {
    case kPageHome:
      // The overview replaces everything that belongs to the model's pages.
      setVisible(ids::kMainContent, false);
      setVisible(ids::kKeyboardView, false);
      setVisible(ids::kDeviceOverview, true);
      break;
    case kPageLighting:
      state_.screenSyncStream.store(false);
      state_.livePreview.store(false);
      setVisible(ids::kKeyboardView, true);
      break;
    case kPageScreenSync:
      state_.screenSyncStream.store(true);
      setVisible(ids::kKeyboardView, false);
      setVisible(ids::kEffectView, true);
      state_.pageSwitchOnce.store(true);
      QueueTask(task::kPageSwitch);
      break;
    case kPageMatrix:
    case kPageMacros:
    case kPageScreen:
    case kPageSettings:
      setVisible(ids::kKeyboardView, false);
      break;
    case kPageKeys:
      setVisible(ids::kKeyboardView, true);
      setVisible(ids::kKeyTestArea, true);
      break;
    case kPageKeyboardOnly:
      setVisible(ids::kKeyboardView, true);
      break;
    default:
      break;
  }
  if (page != kPageHome) setVisible(ids::kDeviceOverview, false);
  // The profiles stand beside every page that shows a profile's settings.
  setVisible(ids::kProfilePanel, page != kPageHome && page != kPageSettings);
  if (auto* view = GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)) {
    const int mode = page == kPageKeys ? Tessel::kKeyboardModeSelect
                     : page == kPageLighting && state_.lightMode.load() >= 128
                         ? Tessel::kKeyboardModeColor
                         : Tessel::kKeyboardModePlain;
    view->SetKeyboardCtrlMode(mode);
    if (page == kPageLighting) view->ResetAllItemCheck(0);
  }
  state_.currentPage.store(page);
  state_.pageAfterSwitch.store(tabPosition);
  ShowBackgrounds();
}

bool KeyboardDlg::ShowPage(int pageId) {
  auto* tabs = GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  const int position = tabs == nullptr ? -1 : tabs->FindData(pageId);
  if (position < 0) return false;
  OnMainPageChanged(position);
  return true;
}

void KeyboardDlg::ShowBackgrounds() {
  const bool home = state_.currentPage.load() == kPageHome;
  const std::string still = settings_.GetRegString(kStillBackgroundValue);
  const std::string animated = settings_.GetRegString(kAnimatedBackgroundValue);
  if (auto* picture = GetControl<Tessel::MPicture>(ids::kBackground)) {
    picture->SetImage(IsFile(still) ? still : kDefaultStillBackground);
    picture->SetVisible(!home);
  }
  if (auto* picture = GetControl<Tessel::CGifPicture>(ids::kHomeBackground)) {
    picture->SetImage(IsFile(animated) ? animated : kDefaultAnimatedBackground);
    picture->SetVisible(home);
  }
}

void KeyboardDlg::ShowBackgroundMenu() {
  Tessel::MenuWnd menu(*this, UM_BACKGROUND_MENU);
  menu.AddItem(kChooseBackground, Text(text::kBackgroundChoosePicture));
  menu.AddItem(kDefaultBackground, Text(text::kBackgroundRestoreDefault));
  menu.Track();
}

void KeyboardDlg::OnBackgroundMenu(int item) {
  if (item == kChooseBackground) {
    const bool home = state_.currentPage.load() == kPageHome;
    const char* filter =
        home ? "Image Files (*.jpg;*.jpeg;*.png;*.gif)" : "Image Files (*.jpg;*.jpeg;*.png)";
    std::optional<std::string> chosen = Tessel::AskOpenFile(this, "", filter);
    if (!chosen || !IsFile(*chosen)) return;
    settings_.SetRegString(home ? kAnimatedBackgroundValue : kStillBackgroundValue, *chosen);
    ShowBackgrounds();
  } else if (item == kDefaultBackground) {
    settings_.SetRegString(kStillBackgroundValue, "");
    settings_.SetRegString(kAnimatedBackgroundValue, "");
    ShowBackgrounds();
  }
}

// Languages --------------------------------------------------------------------------------------

std::string KeyboardDlg::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

void KeyboardDlg::ApplyTexts() {
  const TextLookup lookup = [this](int id, bool caption) {
    return texts_.GetText(caption ? text::kCaptionSection : text::kDialogSection, id);
  };
  for (const auto& bindings : {MainWindowTextBindings(), HomePageTextBindings(),
                               SettingsPageTextBindings(), ProfilePanelTextBindings()}) {
    ApplyTextBindings(*this, bindings, lookup);
  }
  const std::string version = Text(text::kSoftwareVersion) + ": " + catalogue_.software.version;
  for (int id : {int{ids::kVersionLabel}, int{ids::kSoftwareVersionLabel}}) {
    if (auto* label = GetControl<Tessel::MControlFont>(id))
      label->SetTitle(catalogue_.hasSoftware ? version : "");
  }
  if (auto* list = GetControl<Tessel::CDeviceList>(ids::kDeviceList)) {
    list->SetLabels({Text(text::kDeviceConnected), Text(text::kDeviceDisconnected),
                     Text(text::kDeviceWired), Text(text::kDeviceWireless),
                     Text(text::kDeviceCharging)});
  }
  keyboardInfo_.ApplyTexts();
  ShowCloseToolTip();
  Tessel::CUIMessageBox::SetButtonTitles(Text(text::kOk), Text(text::kCancel));
}

void KeyboardDlg::ShowCloseToolTip() {
  // The close button says what it does: hide to the tray or end the application.
  if (Tessel::MControl* close = FindControl(ids::kCloseButton)) {
    close->SetToolTip(Text(settings_.GetRegInt("exit_mode") == 1 ? text::kCloseTipHideToTray
                                                                 : text::kCloseTipExit));
  }
}

void KeyboardDlg::ShowLanguageButtons() {
  const int language = texts_.Language();
  const int id = language == 2052   ? ids::kLanguageSimplifiedChinese
                 : language == 1028 ? ids::kLanguageTraditionalChinese
                                    : ids::kLanguageEnglish;
  if (auto* radio = GetControl<Tessel::CRadioButton>(id)) radio->SetCheck(true);
}

void KeyboardDlg::OnLanguageChanged() {
  auto checked = [this](int id) {
    auto* radio = GetControl<Tessel::CRadioButton>(id);
    return radio != nullptr && radio->GetCheck();
  };
  const int language = checked(ids::kLanguageSimplifiedChinese)    ? 2052
                       : checked(ids::kLanguageTraditionalChinese) ? 1028
                                                                   : 1033;
  texts_.SetLanguage(language);
  settings_.WriteLcid(language);
  ApplyTexts();
}

// Catalogue
// ----------------------------------------------------------------------------------------

void KeyboardDlg::LoadDeviceCatalogue() {
  const int selected = settings_.ReadSelectedModel();
  auto* list = GetControl<Tessel::CDeviceList>(ids::kDeviceList);
  list->ClearList();
  catalogue_ = ReadDeviceCatalogue(paths_.GetAppFolder());
  for (const KeyboardModelRecord& model : catalogue_.models) {
    list->AddDevice(model.name, model.modelId, model.disconnectedPicture, model.connectedPicture);
  }
  const bool website = !catalogue_.software.website.empty();
  const bool feedback = !catalogue_.software.feedback.empty();
  for (int id : {ids::kWebsiteButton, ids::kWebsiteLabel}) FindControl(id)->SetVisible(website);
  for (int id : {ids::kFeedbackButton, ids::kFeedbackLabel}) FindControl(id)->SetVisible(feedback);
  for (int id : {ids::kStoreButton, ids::kStoreLabel})
    FindControl(id)->SetVisible(!catalogue_.software.store.empty());
  for (int id : {ids::kFaqsButton, ids::kFaqsLabel})
    FindControl(id)->SetVisible(!catalogue_.software.faqs.empty());
  list->SetSelectDevice(selected);
  session_.RegisterCatalogue();
  LoadKeyboardModel(selected);
}

// Controller actions ------------------------------------------------------------------------------

void KeyboardDlg::ShowMainTab(int tabPosition) {
  RunOnUiThread([this, tabPosition] { OnMainPageChanged(tabPosition); });
}

void KeyboardDlg::LoadKeyboardModel(int modelId) {
  const KeyboardModelRecord* model = catalogue_.FindModel(modelId);
  const std::string name = model != nullptr ? model->name : std::string();
  if (auto* title = GetControl<Tessel::MControlFont>(ids::kProductTitle)) {
    title->SetTitle(name.empty() ? GetTitle() : name);
  }
  state_.selectedModel.store(modelId);
  database_.SwitchKeyboardModel(paths_.GetDataFolder(), name, modelId);
  LoadLayout(model != nullptr ? model->layoutName : std::string());
  // A keypad has no lighting, matrix or screen pages.
  const bool keypad = modelId >= 150 && modelId <= 180;
  if (auto* tabs = GetControl<Tessel::MTabCtrl>(ids::kMainTabs)) {
    for (int position = 1; position <= 3; ++position) tabs->SetItemVisible(position, !keypad);
  }
}

void KeyboardDlg::LoadLayout(const std::string& layoutName) {
  const KeyboardLayout layout = ReadKeyboardLayout(paths_.GetAppFolder(), layoutName);
  // Whatever the file gives, nothing of the previous model stays: its keys would otherwise
  // seed the new model's database.
  layout_.Set(layout.Usable() ? BuildLayoutTables(layout) : LayoutTables{});
  auto* keyboard = GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView);
  auto* effect = GetControl<Tessel::AuroraEffect>(ids::kEffectView);
  keyboard->ClearItem();
  effect->ClearItem();
  if (!layout.Usable() || !layout.hasKeyboard) return;
  const Tessel::Rect rect = Tessel::Rect::FromSize(layout.x, layout.y, layout.width, layout.height);
  const std::string picture = "keyboard\\" + layout.image;
  keyboard->SetRect(rect);
  keyboard->SetKeyboardImage(picture);
  keyboard->SetWidthAndHeight(layout.width, layout.height);
  keyboard->SetKeyboardColor(static_cast<Tessel::Color>(layout.backgroundColor));
  effect->SetRect(rect);
  effect->SetKeyboardImage(picture);
  effect->SetWidthAndHeight(layout.width, layout.height);
  for (const LayoutKey& key : layout.keys) {
    const Tessel::Rect keyRect =
        Tessel::Rect::FromSize(key.rectLeft, key.rectTop, key.rectWidth, key.rectHeight);
    keyboard->AddKeyItem(key.name, key.desc, key.code, keyRect, "", kDefaultKeyColor);
    effect->AddKeyItem(key.name, key.code, keyRect, key.column, key.row);
  }
}

void KeyboardDlg::CloseChildWindows() {
  RunOnUiThread([] {
    auto post = [](const char* name, std::intptr_t wParam) {
      if (Tessel::MWindow* window = Tessel::Manager::FindWindow(name))
        window->PostMessage(Tessel::WM_CLOSE, wParam, 0);
    };
    for (const char* name :
         {"CloseWindowTipDlg", "CustomKeyDKSDlg", "CustomKeyDKSTipsDlg", "CustomKeyStrokeDlg",
          "StrokeCheckDlg", "StrokeTestDlg", "CustomKeyDlg"}) {
      post(name, 0);
    }
    post(Tessel::CUIMessageBox::kWindowName, Tessel::kResultCancel);
    post(kWaitDialogName, 0);
    post(Tessel::MenuWnd::kWindowName, 0);
    for (const char* name : {"KeyboardTip Window", "ComboWnd"}) {
      if (Tessel::MWindow* window = Tessel::Manager::FindWindow(name))
        window->ShowWindow(Tessel::kHide);
    }
    post("SystemSettingDlg", 0);
    post("UpdateTipDlg", 0);
  });
}

void KeyboardDlg::OnDeviceChange(int event, const std::string& interfacePath) {
  RunOnUiThread([this, event, interfacePath] {
    DeviceBroadcast broadcast{DeviceBroadcast::kDeviceInterface, interfacePath};
    SendMessage(Tessel::WM_DEVICECHANGE, event, reinterpret_cast<std::intptr_t>(&broadcast));
  });
}

void KeyboardDlg::OpenWebAddress(const std::string& url) {
  if (!url.empty()) options_.openUrl(url);
}

// Life cycle -----------------------------------------------------------------------------------

void KeyboardDlg::CreateControls() {
  CreateMainWindowControls(*this);
  CreateHomePageControls(*this);
  CreateSettingsPageControls(*this);
  CreateKeyboardViews(*this);
  CreateProfilePanelControls(*this);
}

void KeyboardDlg::OnInitDialog() {
  if (auto* title = GetControl<Tessel::MControlFont>(ids::kProductTitle))
    title->SetTitle(GetTitle());
  LoadDeviceCatalogue();
  ShowLanguageButtons();
  ApplyTexts();
  OnMainPageChanged(0);
  SetMTimer(kAnimationTimer, 16);
  if (options_.startWorker) {
    workerEnded_.store(false);
    Start(CThreadBasic::kDefaultPeriodMs);
  }
  QueueTask(task::kStartUp);
}

void KeyboardDlg::CloseAndDestroy() {
  hid_.SetHotPlugListener({});
  if (IsRunning()) workerEnded_.store(Stop(kWorkerStopTimeout));
  KillMTimer(kAnimationTimer);
  DestroyWindow();
}

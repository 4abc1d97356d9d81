#include "app/TrayFeature.h"

#include "base/Log.h"
#include "base/Text.h"
#include "core/AppPaths.h"
#include "core/ControllerActions.h"
#include "core/SettingsStore.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/WindowMessages.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/PageHost.h"

namespace {

constexpr const char* kExitMode = "exit_mode";
constexpr const char* kAutorunMinimize = "autorun_minimize";
// Desktops cut longer tips; the tip is the product name.
constexpr std::size_t kMaxTipLength = 127;

}  // namespace

TrayFeature::TrayFeature(Tessel::PageHost& host, const AppPaths& paths, SettingsStore& settings,
                         const core::TextTable& texts, ControllerActions& actions,
                         const std::filesystem::path& executable)
    : host_(host),
      productName_(paths.GetProductName()),
      appFolder_(paths.GetAppFolder()),
      settings_(settings),
      texts_(texts),
      actions_(actions),
      autostart_(paths.GetAutostartFolder(), paths.GetProductName(),
                 executable.empty() ? platform::Autostart::CurrentExecutable() : executable),
      tray_(host.WindowTrayIcon()) {}

std::string TrayFeature::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

int TrayFeature::StartShowCommand(bool autorun, SettingsStore& settings) {
  return autorun && settings.GetRegInt(kAutorunMinimize) == 1 ? Tessel::kMinimize : Tessel::kShow;
}

void TrayFeature::CreateControls(Tessel::PageHost&) {
  ShowStartupSettings();
}

void TrayFeature::ApplyTexts() {
  ShowCloseTip();
  // The exit item speaks the new language too.
  if (tray_.IsAdded()) AddTrayIcon();
}

// The tray --------------------------------------------------------------------------------------

void TrayFeature::AddTrayIcon() {
  Tessel::TrayIconInfo info;
  info.id = kTrayIconId;
  info.notifyMessage = UM_TRAY_NOTIFY;
  info.icon = appFolder_ / Tessel::Manager::GetThemeSkins() / "DeviceDriver.ico";
  info.tip = base::CodePointPrefix(productName_, kMaxTipLength);
  info.menu = {{kTrayExitCommand, Text(text::kTrayExit)}};
  if (!tray_.Add(std::move(info))) {
    base::DebugLog("tray: the icon could not be made");
    return;
  }
  base::DebugLog("tray: icon added, notification area: %s",
                 Tessel::TrayIcon::IsHostAvailable() ? "yes" : "no");
}

void TrayFeature::OnCloseButton() {
  if (!HidesToTray()) {
    RemoveTrayIcon();
    actions_.CloseApplication();
    return;
  }
  // Without a notification area a hidden window could not be brought back.
  if (tray_.IsAdded() && Tessel::TrayIcon::IsHostAvailable()) {
    host_.ShowWindowAs(Tessel::kHide);
  } else {
    base::DebugLog("tray: no notification area, the window is minimised instead");
    host_.ShowWindowAs(Tessel::kMinimize);
  }
}

void TrayFeature::OnTrayNotify(int mouseMessage) {
  if (mouseMessage == Tessel::kTrayLeftButtonDown || mouseMessage == Tessel::kTrayLeftDoubleClick) {
    host_.BringWindowToFront();
  }
}

void TrayFeature::ExitFromTray() {
  base::DebugLog("tray: exit");
  actions_.CloseChildWindows();
  RemoveTrayIcon();
  // Posted: the pop-up windows get their close messages first.
  actions_.CloseApplication();
}

std::optional<std::intptr_t> TrayFeature::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                                          std::intptr_t lParam) {
  switch (message) {
    case UM_TRAY_NOTIFY:
      OnTrayNotify(static_cast<int>(lParam));
      return 0;
    case UM_TRAY_COMMAND:
      if (lParam == kTrayExitRequest) ExitFromTray();
      return 0;
    case Tessel::WM_COMMAND:
      if (wParam != kTrayExitCommand) return std::nullopt;
      ExitFromTray();
      return 0;
    default:
      return std::nullopt;
  }
}

// The settings page -------------------------------------------------------------------------------

bool TrayFeature::OnControlEvent(int id, int code, std::intptr_t, std::intptr_t) {
  if (code != Tessel::kEventClick) return false;
  switch (id) {
    case ids::kAutorunSwitch:
      OnAutorunClicked();
      return true;
    case ids::kAutorunMinimizeSwitch:
      OnAutorunMinimizeClicked();
      return true;
    case ids::kExitModeHideToTray:
    case ids::kExitModeQuit:
      OnExitModeClicked();
      return true;
    default:
      return false;
  }
}

bool TrayFeature::HidesToTray() const {
  return settings_.GetRegInt(kExitMode) == 1;
}

void TrayFeature::ShowStartupSettings() {
  const bool autorun = autostart_.IsEnabled();
  if (auto* button = host_.GetControl<Tessel::CSwitchButton>(ids::kAutorunSwitch)) {
    button->SetCheck(autorun);
  }
  if (auto* button = host_.GetControl<Tessel::CSwitchButton>(ids::kAutorunMinimizeSwitch)) {
    button->SetCheck(autorun && settings_.GetRegInt(kAutorunMinimize) == 1);
    button->SetVisible(autorun);
  }
  const int chosen = HidesToTray() ? ids::kExitModeHideToTray : ids::kExitModeQuit;
  if (auto* radio = host_.GetControl<Tessel::CRadioButton>(chosen)) radio->SetCheck(true);
  ShowCloseTip();
}

TrayFeature::AutorunResult TrayFeature::SetAutorun(bool on) {
  AutorunResult result = AutorunResult::kDone;
  if (on) {
    if (!autostart_.Enable()) result = AutorunResult::kNotWritten;
  } else {
    // Switched off, the start-minimised choice starts again from "no".
    if (!settings_.SetRegString(kAutorunMinimize, "0")) {
      base::DebugLog("autostart: %s could not be stored", kAutorunMinimize);
    }
    if (!autostart_.Disable()) result = AutorunResult::kNotRemoved;
  }
  ShowStartupSettings();
  return result;
}

bool TrayFeature::SetAutorunMinimize(bool on) {
  const bool stored = settings_.SetRegString(kAutorunMinimize, on ? "1" : "0");
  ShowStartupSettings();
  return stored;
}

bool TrayFeature::SetExitMode(bool hideToTray) {
  const bool stored = settings_.SetRegString(kExitMode, hideToTray ? "1" : "0");
  ShowStartupSettings();
  return stored;
}

void TrayFeature::OnAutorunClicked() {
  auto* button = host_.GetControl<Tessel::CSwitchButton>(ids::kAutorunSwitch);
  if (button == nullptr) return;
  const std::string file = autostart_.GetFile().string();
  switch (SetAutorun(button->GetCheck())) {
    case AutorunResult::kDone:
      break;
    case AutorunResult::kNotWritten:
      host_.AskMessage(Text(text::kSettingsAutorun),
                       base::Format(Text(text::kAutorunNotWritten), file), false);
      break;
    case AutorunResult::kNotRemoved:
      host_.AskMessage(Text(text::kSettingsAutorun),
                       base::Format(Text(text::kAutorunNotRemoved), file), false);
      break;
  }
}

void TrayFeature::OnAutorunMinimizeClicked() {
  auto* button = host_.GetControl<Tessel::CSwitchButton>(ids::kAutorunMinimizeSwitch);
  if (button != nullptr && !SetAutorunMinimize(button->GetCheck())) ShowSettingNotSaved();
}

void TrayFeature::OnExitModeClicked() {
  auto* first = host_.GetControl<Tessel::CRadioButton>(ids::kExitModeHideToTray);
  if (first != nullptr && !SetExitMode(first->GetCheck())) ShowSettingNotSaved();
}

void TrayFeature::ShowSettingNotSaved() {
  host_.AskMessage(Text(text::kNotice),
                   base::Format(Text(text::kSettingNotSaved), settings_.GetFile().string()), false);
}

// The close button says what it does: hide to the tray or end the application.
void TrayFeature::ShowCloseTip() {
  if (Tessel::MControl* close = host_.FindControl(ids::kCloseButton)) {
    close->SetToolTip(Text(HidesToTray() ? text::kCloseTipHideToTray : text::kCloseTipExit));
  }
}

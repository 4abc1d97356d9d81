#pragma once
// The application on the desktop: its icon in the notification area with the exit item, what
// the window's close buttons do ("exit_mode": 1 hides the window to the tray, anything else
// ends the application), and the settings page's start-at-login switch, start-minimised switch
// ("autorun_minimize") and close-action choice.
//
// Where the desktop has no notification area, hiding to the tray minimises instead: the
// window is never left where the user cannot reach it. Ending always goes through the
// controller's orderly shutdown (ControllerActions::CloseApplication).

#include <filesystem>
#include <string>

#include "core/Feature.h"
#include "platform/Autostart.h"
#include "ui/tessel/TrayIcon.h"

class AppPaths;
class ControllerActions;
class SettingsStore;
namespace core {
class TextTable;
}
class TrayFeature : public Feature {
 public:
  // The tray icon's identifier (wParam of its messages).
  static constexpr int kTrayIconId = 109;
  // UM_TRAY_COMMAND with this lParam ends the application.
  static constexpr int kTrayExitRequest = 610;

  // The start-at-login entry runs `executable` (empty: this program).
  TrayFeature(Tessel::PageHost& host, const AppPaths& paths, SettingsStore& settings,
              const core::TextTable& texts, ControllerActions& actions,
              const std::filesystem::path& executable);

  FeatureSlot Slot() const override { return FeatureSlot::kWindow; }
  void CreateControls(Tessel::PageHost& host) override;
  void ApplyTexts() override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  std::optional<std::intptr_t> OnWindowMessage(unsigned message, std::intptr_t wParam,
                                               std::intptr_t lParam) override;
  void Shutdown() override { RemoveTrayIcon(); }

  // The show command of the first showing: a start from the autostart entry ("-autorun")
  // is minimised only when the start-minimised switch is on.
  static int StartShowCommand(bool autorun, SettingsStore& settings);

  // UI thread. The icon with the product name as its tip and the exit item in its menu.
  void AddTrayIcon();
  void RemoveTrayIcon() { tray_.Remove(); }
  bool HasTrayIcon() const { return tray_.IsAdded(); }

  // The close button and the window manager's close: hide to the tray, or end.
  void OnCloseButton();
  // A click on the tray icon (kTrayLeftButtonDown, kTrayLeftDoubleClick): the window comes
  // back.
  void OnTrayNotify(int mouseMessage);
  // The menu's exit item: pop-up windows close, the icon goes, the application ends.
  void ExitFromTray();

  // What the settings page and tarvoctl share. UI thread.
  enum class AutorunResult {
    kDone,
    kNotWritten,  // the autostart file could not be written: the switch is off
    kNotRemoved,  // the autostart file could not be removed: the switch is on
  };
  AutorunResult SetAutorun(bool on);
  bool IsAutorunOn() const { return autostart_.IsEnabled(); }
  std::filesystem::path AutostartFile() const { return autostart_.GetFile(); }
  // False when the settings file could not be written (the page shows what is stored).
  bool SetAutorunMinimize(bool on);
  bool SetExitMode(bool hideToTray);
  bool HidesToTray() const;
  // The switches and choices as stored.
  void ShowStartupSettings();

 private:
  std::string Text(int id) const;
  void OnAutorunClicked();
  void OnAutorunMinimizeClicked();
  void OnExitModeClicked();
  void ShowCloseTip();
  void ShowSettingNotSaved();

  Tessel::PageHost& host_;
  const std::string productName_;
  const std::filesystem::path appFolder_;
  SettingsStore& settings_;
  const core::TextTable& texts_;
  ControllerActions& actions_;
  platform::Autostart autostart_;
  Tessel::TrayIcon& tray_;  // the window's
};

#include "ui/pages/SettingsPage.h"

#include <span>

#include "base/Text.h"
#include "core/SettingChoices.h"
#include "core/SharedState.h"
#include "core/TextIds.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/BatteryCtrl.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/PageHost.h"

using Tessel::Rect;

namespace {

constexpr int kPage = ids::kPageArea + kPageSettings;

// The right-hand column of cards; the keyboard card has two columns of switches and one of
// choices.
constexpr int kRightCardLeft = 472;
constexpr int kRightCardWidth = 880;
constexpr int kInnerLeft = 24;
constexpr int kSwitchColumnWidth = 260;
constexpr int kSecondSwitchColumn = kInnerLeft + kSwitchColumnWidth + 12;
constexpr int kChoiceLabelLeft = kSecondSwitchColumn + kSwitchColumnWidth + 12;
constexpr int kComboWidth = 176;
constexpr int kComboLeft = kRightCardWidth - 24 - kComboWidth;
constexpr int kRowHeight = 32;
constexpr int kFirstRow = 60;
constexpr int kRowStep = 40;

Tessel::MArea* AddCard(Tessel::PageHost& window, int id, int titleId, const Rect& rect) {
  auto* card = window.CreateArea(id, kPage);
  card->SetRect(rect);
  card->SetStyle("card");
  auto* title = window.Add<Tessel::MControlFont>(titleId, id);
  title->SetRect(Rect::FromSize(24, 16, rect.Width() - 48, 28));
  title->SetStyle("card-title");
  return card;
}

void AddSwitch(Tessel::PageHost& window, int id, int x, int row) {
  auto* button = window.Add<Tessel::CSwitchButton>(id, ids::kKeyboardCard);
  button->SetRect(Rect::FromSize(x, kFirstRow + row * kRowStep, kSwitchColumnWidth, kRowHeight));
}

void AddChoice(Tessel::PageHost& window, int labelId, int comboId, int row,
               std::span<const SettingChoice> items, int defaultValue) {
  const int y = kFirstRow + row * kRowStep;
  auto* label = window.Add<Tessel::MControlFont>(labelId, ids::kKeyboardCard);
  label->SetRect(
      Rect::FromSize(kChoiceLabelLeft, y, kComboLeft - kChoiceLabelLeft - 8, kRowHeight));
  auto* combo = window.Add<Tessel::MComboBox>(comboId, ids::kKeyboardCard);
  combo->SetRect(Rect::FromSize(kComboLeft, y, kComboWidth, kRowHeight));
  for (const SettingChoice& item : items) combo->AddItem(item.text, item.value);
  combo->SelectData(defaultValue);
}

// The application's own settings: its version and the update check, what the close button
// does, start at login. The start-minimised switch, shown only while start at login is on,
// comes last so that hiding it leaves no hole between the other rows.
void CreateApplicationCard(Tessel::PageHost& window) {
  constexpr int kCardWidth = 400;
  constexpr int kWidth = kCardWidth - 2 * kInnerLeft;
  constexpr int kCheckWidth = 168;
  AddCard(window, ids::kApplicationCard, ids::kApplicationTitle,
          Rect::FromSize(48, 280, kCardWidth, 316));
  auto* version =
      window.Add<Tessel::MControlFont>(ids::kSoftwareVersionLabel, ids::kApplicationCard);
  version->SetRect(Rect::FromSize(kInnerLeft, 56, kWidth - kCheckWidth - 8, 28));
  auto* check = window.Add<Tessel::MButton>(ids::kCheckUpdatesButton, ids::kApplicationCard);
  check->SetRect(Rect::FromSize(kCardWidth - kInnerLeft - kCheckWidth, 52, kCheckWidth, 36));

  auto* exitLabel = window.Add<Tessel::MControlFont>(ids::kExitModeLabel, ids::kApplicationCard);
  exitLabel->SetRect(Rect::FromSize(kInnerLeft, 104, kWidth, 24));
  exitLabel->SetStyle("secondary");
  int y = 132;
  for (int id : {ids::kExitModeHideToTray, ids::kExitModeQuit}) {
    auto* radio = window.Add<Tessel::CRadioButton>(id, ids::kApplicationCard);
    radio->SetRect(Rect::FromSize(kInnerLeft, y, kWidth, kRowHeight));
    radio->SetGroup(ids::kExitModeGroup);
    y += 36;
  }

  y += 12;
  auto* autorun = window.Add<Tessel::CSwitchButton>(ids::kAutorunSwitch, ids::kApplicationCard);
  autorun->SetRect(Rect::FromSize(kInnerLeft, y, kWidth, kRowHeight));
  // Indented: it belongs to the switch above.
  auto* minimize =
      window.Add<Tessel::CSwitchButton>(ids::kAutorunMinimizeSwitch, ids::kApplicationCard);
  minimize->SetRect(Rect::FromSize(2 * kInnerLeft, y + kRowStep, kWidth - kInnerLeft, kRowHeight));
  minimize->SetVisible(false);
}

void CreateLanguageAndApplicationCards(Tessel::PageHost& window) {
  AddCard(window, ids::kLanguageCard, ids::kLanguageTitle, Rect::FromSize(48, 60, 400, 200));
  int y = 60;
  for (int id :
       {ids::kLanguageSimplifiedChinese, ids::kLanguageEnglish, ids::kLanguageTraditionalChinese}) {
    auto* radio = window.Add<Tessel::CRadioButton>(id, ids::kLanguageCard);
    radio->SetRect(Rect::FromSize(24, y, 340, 32));
    radio->SetGroup(ids::kLanguageGroup);
    y += 40;
  }

  CreateApplicationCard(window);
}

void CreateKeyboardCard(Tessel::PageHost& window) {
  AddCard(window, ids::kKeyboardCard, ids::kKeyboardTitle,
          Rect::FromSize(kRightCardLeft, 60, kRightCardWidth, 200));
  AddSwitch(window, ids::kMacModeSwitch, kInnerLeft, 0);
  AddSwitch(window, ids::kGameModeSwitch, kInnerLeft, 1);
  AddSwitch(window, ids::kLockWinSwitch, kInnerLeft, 2);
  AddSwitch(window, ids::kWasdSwapSwitch, kSecondSwitchColumn, 0);
  // Shown for keyboards with a knob.
  AddSwitch(window, ids::kKnobModeSwitch, kSecondSwitchColumn, 1);
  AddChoice(window, ids::kSleepTimeLabel, ids::kSleepTimeCombo, 0, SleepTimeChoices(),
            kDefaultSleepTime);
  AddChoice(window, ids::kKeyResponseLabel, ids::kKeyResponseCombo, 1, KeyResponseChoices(),
            kDefaultKeyResponse);
  window.FindControl(ids::kKnobModeSwitch)->SetVisible(false);
}

void CreateFirmwareCard(Tessel::PageHost& window) {
  AddCard(window, ids::kFirmwareCard, ids::kFirmwareTitle,
          Rect::FromSize(kRightCardLeft, 280, kRightCardWidth, 120));
  auto* version = window.Add<Tessel::MControlFont>(ids::kFirmwareVersionLabel, ids::kFirmwareCard);
  version->SetRect(Rect::FromSize(kInnerLeft, 56, 260, 28));
  auto* latest = window.Add<Tessel::MControlFont>(ids::kFirmwareLatestLabel, ids::kFirmwareCard);
  latest->SetRect(Rect::FromSize(kInnerLeft, 84, 260, 24));
  latest->SetStyle("hint");
  // Shown while the keyboard's firmware is older than the shipped updater's.
  auto* update = window.Add<Tessel::MButton>(ids::kFirmwareUpdateLabel, ids::kFirmwareCard);
  update->SetRect(Rect::FromSize(kInnerLeft, 80, 180, 30));
  update->SetVisible(false);

  auto* batteryLabel = window.Add<Tessel::MControlFont>(ids::kBatteryLabel, ids::kFirmwareCard);
  batteryLabel->SetRect(Rect::FromSize(300, 56, 120, 28));
  batteryLabel->SetStyle("secondary");
  batteryLabel->SetVisible(false);  // until a keyboard reports its battery
  auto* battery = window.Add<Tessel::BatteryCtrl>(ids::kBattery, ids::kFirmwareCard);
  battery->SetRect(Rect::FromSize(300, 82, 200, 28));

  auto* restore = window.Add<Tessel::MButton>(ids::kRestoreFactoryButton, ids::kFirmwareCard);
  restore->SetRect(Rect::FromSize(kRightCardWidth - 24 - 240, 60, 240, 40));
  restore->SetStyle("danger");
}

}  // namespace

void CreateSettingsPageControls(Tessel::PageHost& window) {
  auto* caption = window.Add<Tessel::MControlFont>(ids::kSettingsCaption, kPage);
  caption->SetRect(Rect::FromSize(48, 8, 600, 36));
  caption->SetStyle("page-title");
  CreateLanguageAndApplicationCards(window);
  CreateKeyboardCard(window);
  CreateFirmwareCard(window);
}

void ShowSleepTimeTexts(Tessel::PageHost& window, const std::string& minutesPattern) {
  auto* combo = window.GetControl<Tessel::MComboBox>(ids::kSleepTimeCombo);
  if (combo == nullptr) return;
  const std::span<const SettingChoice> choices = SleepTimeChoices();
  for (std::size_t i = 0; i < choices.size(); ++i) {
    combo->SetItemText(static_cast<int>(i), base::Format(minutesPattern, choices[i].word));
  }
}

std::vector<TextBinding> SettingsPageTextBindings() {
  return {
      {ids::kSettingsCaption, text::kCaptionSettings, TextTarget::Title, 0, true},
      {ids::kLanguageTitle, text::kSettingsLanguage},
      {ids::kLanguageSimplifiedChinese, text::kLanguageSimplifiedChinese},
      {ids::kLanguageEnglish, text::kLanguageEnglish},
      {ids::kLanguageTraditionalChinese, text::kLanguageTraditionalChinese},
      {ids::kApplicationTitle, text::kSettingsApplicationTitle},
      {ids::kAutorunSwitch, text::kSettingsAutorun},
      {ids::kAutorunMinimizeSwitch, text::kSettingsAutorunMinimized},
      {ids::kExitModeLabel, text::kSettingsCloseAction},
      {ids::kExitModeHideToTray, text::kSettingsCloseHidesToTray},
      {ids::kExitModeQuit, text::kSettingsCloseQuits},
      {ids::kCheckUpdatesButton, text::kSettingsCheckUpdates},
      {ids::kKeyboardTitle, text::kSettingsKeyboardTitle},
      {ids::kMacModeSwitch, text::kSettingsMacMode},
      {ids::kGameModeSwitch, text::kSettingsGameMode},
      {ids::kLockWinSwitch, text::kSettingsLockWin},
      {ids::kWasdSwapSwitch, text::kSettingsWasdSwap},
      {ids::kSleepTimeLabel, text::kSettingsSleepTime},
      {ids::kKeyResponseLabel, text::kSettingsKeyResponse},
      {ids::kKnobModeSwitch, text::kSettingsKnobMode},
      {ids::kFirmwareTitle, text::kSettingsFirmwareTitle},
      {ids::kFirmwareLatestLabel, text::kUpToDate},
      {ids::kFirmwareUpdateLabel, text::kUpdateFirmware},
      {ids::kBatteryLabel, text::kDeviceBattery},
      {ids::kRestoreFactoryButton, text::kRestoreFactoryCaption},
  };
}

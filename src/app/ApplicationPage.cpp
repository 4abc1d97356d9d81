#include "app/ApplicationPage.h"

#include "catalogue/DeviceCatalogue.h"
#include "core/SettingsStore.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/WindowMessages.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/HomePage.h"
#include "ui/pages/MainWindowTexts.h"
#include "ui/pages/SettingsPage.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/PageHost.h"

namespace {

// The language buttons and the language each stands for.
struct LanguageButton {
  int id;
  int language;
};
constexpr LanguageButton kLanguageButtons[] = {
    {ids::kLanguageSimplifiedChinese, 2052},
    {ids::kLanguageEnglish, 1033},
    {ids::kLanguageTraditionalChinese, 1028},
};

// The web buttons (icon and label) and the catalogue address each opens.
struct WebLink {
  int button;
  int label;
  std::string SoftwareInfo::*address;
};
constexpr WebLink kWebLinks[] = {
    {ids::kWebsiteButton, ids::kWebsiteLabel, &SoftwareInfo::website},
    {ids::kFeedbackButton, ids::kFeedbackLabel, &SoftwareInfo::feedback},
    {ids::kStoreButton, ids::kStoreLabel, &SoftwareInfo::store},
    {ids::kFaqsButton, ids::kFaqsLabel, &SoftwareInfo::faqs},
};

}  // namespace

ApplicationPage::ApplicationPage(Tessel::PageHost& host, SettingsStore& settings,
                                 core::TextTable& texts, const DeviceCatalogue& catalogue,
                                 OpenUrl openUrl)
    : host_(host),
      settings_(settings),
      texts_(texts),
      catalogue_(catalogue),
      openUrl_(std::move(openUrl)) {}

std::string ApplicationPage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

std::vector<TextBinding> ApplicationPage::TextBindings() const {
  std::vector<TextBinding> bindings;
  for (const auto& list :
       {MainWindowTextBindings(), HomePageTextBindings(), SettingsPageTextBindings()}) {
    bindings.insert(bindings.end(), list.begin(), list.end());
  }
  return bindings;
}

void ApplicationPage::ApplyTexts() {
  const std::string version = Text(text::kSoftwareVersion) + ": " + catalogue_.software.version;
  for (int id : {int{ids::kVersionLabel}, int{ids::kSoftwareVersionLabel}}) {
    if (auto* label = host_.GetControl<Tessel::MControlFont>(id)) {
      label->SetTitle(catalogue_.hasSoftware ? version : "");
    }
  }
  if (auto* list = host_.GetControl<Tessel::CDeviceList>(ids::kDeviceList)) {
    list->SetLabels({Text(text::kDeviceConnected), Text(text::kDeviceDisconnected),
                     Text(text::kDeviceWired), Text(text::kDeviceWireless),
                     Text(text::kDeviceCharging), Text(text::kDeviceAsleep),
                     Text(text::kBatteryLow)});
  }
  Tessel::CUIMessageBox::SetButtonTitles(Text(text::kOk), Text(text::kCancel));
}

bool ApplicationPage::OnControlEvent(int id, int code, std::intptr_t, std::intptr_t) {
  const bool click = code == Tessel::kEventClick;
  for (const LanguageButton& button : kLanguageButtons) {
    if (button.id != id) continue;
    if (click) OnLanguageChanged();
    return true;
  }
  for (const WebLink& link : kWebLinks) {
    if (link.button != id && link.label != id) continue;
    if (click) OpenWebAddress(catalogue_.software.*link.address);
    return true;
  }
  return false;
}

void ApplicationPage::ShowCatalogue() {
  for (const WebLink& link : kWebLinks) {
    const bool shown = !(catalogue_.software.*link.address).empty();
    host_.SetVisible(link.button, shown);
    host_.SetVisible(link.label, shown);
  }
}

void ApplicationPage::ShowLanguageButtons() {
  const int language = texts_.Language();
  int id = ids::kLanguageEnglish;
  for (const LanguageButton& button : kLanguageButtons) {
    if (button.language == language) id = button.id;
  }
  if (auto* radio = host_.GetControl<Tessel::CRadioButton>(id)) radio->SetCheck(true);
}

void ApplicationPage::OnLanguageChanged() {
  int language = 1033;
  for (const LanguageButton& button : kLanguageButtons) {
    auto* radio = host_.GetControl<Tessel::CRadioButton>(button.id);
    if (radio != nullptr && radio->GetCheck()) language = button.language;
  }
  texts_.SetLanguage(language);
  settings_.WriteLcid(language);
  host_.SendMessage(UM_APPLY_TEXTS, 0, 0);
}

void ApplicationPage::OpenWebAddress(const std::string& url) {
  if (!url.empty()) openUrl_(url);
}

#include "ui/pages/HomePage.h"

#include "core/TextIds.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/PageHost.h"

using Tessel::Rect;

namespace {

constexpr int kOverviewHeight = 672;  // the device overview area below the tabs
constexpr int kFooterHeight = 56;

void AddWebLink(Tessel::PageHost& window, int buttonId, int labelId, int x, const char* icon) {
  auto* button = window.Add<Tessel::MButton>(buttonId, ids::kFooter);
  button->SetRect(Rect::FromSize(x, 14, 28, 28));
  button->SetStyle("window-button");
  button->SetIcon(icon);
  auto* label = window.Add<Tessel::MButton>(labelId, ids::kFooter);
  label->SetRect(Rect::FromSize(x + 32, 14, 96, 28));
  label->SetStyle("link");
}

}  // namespace

void CreateHomePageControls(Tessel::PageHost& window) {
  auto* title = window.Add<Tessel::MControlFont>(ids::kDevicesTitle, ids::kDeviceOverview);
  title->SetRect(Rect::FromSize(48, 8, 600, 36));
  title->SetStyle("page-title");
  auto* hint = window.Add<Tessel::MControlFont>(ids::kChooseHint, ids::kDeviceOverview);
  hint->SetRect(Rect::FromSize(48, 44, 800, 24));
  hint->SetStyle("hint");

  auto* list = window.Add<Tessel::CDeviceList>(ids::kDeviceList, ids::kDeviceOverview);
  list->SetRect(Rect::FromSize(48, 88, kMainWindowWidth - 96, 480));

  auto* none = window.Add<Tessel::MControlFont>(ids::kNoKeyboardText, ids::kDeviceOverview);
  none->SetRect(Rect::FromSize(200, 250, kMainWindowWidth - 400, 44));
  none->SetStyle("empty-title");
  none->SetAlign(Tessel::TextAlign::Center);
  none->SetVisible(false);
  auto* noneHint = window.Add<Tessel::MControlFont>(ids::kNoKeyboardHint, ids::kDeviceOverview);
  noneHint->SetRect(Rect::FromSize(200, 300, kMainWindowWidth - 400, 48));
  noneHint->SetStyle("hint");
  noneHint->SetAlign(Tessel::TextAlign::Center);
  noneHint->SetWordWrap(true);
  noneHint->SetVisible(false);

  auto* footer = window.CreateArea(ids::kFooter, ids::kDeviceOverview);
  footer->SetRect(
      Rect::FromSize(0, kOverviewHeight - kFooterHeight, kMainWindowWidth, kFooterHeight));
  footer->SetStyle("footer");
  auto* version = window.Add<Tessel::MControlFont>(ids::kVersionLabel, ids::kFooter);
  version->SetRect(Rect::FromSize(48, 14, 400, 28));
  version->SetStyle("hint");
  AddWebLink(window, ids::kWebsiteButton, ids::kWebsiteLabel, kMainWindowWidth - 608,
             "skins/theme1/icon_web.png");
  AddWebLink(window, ids::kStoreButton, ids::kStoreLabel, kMainWindowWidth - 468,
             "skins/theme1/icon_store.png");
  AddWebLink(window, ids::kFeedbackButton, ids::kFeedbackLabel, kMainWindowWidth - 328,
             "skins/theme1/icon_feedback.png");
  AddWebLink(window, ids::kFaqsButton, ids::kFaqsLabel, kMainWindowWidth - 188,
             "skins/theme1/icon_faq.png");
}

std::vector<TextBinding> HomePageTextBindings() {
  return {
      {ids::kDevicesTitle, text::kHomeDevicesTitle},
      {ids::kChooseHint, text::kHomeChooseHint},
      {ids::kNoKeyboardText, text::kHomeNoKeyboard},
      {ids::kNoKeyboardHint, text::kHomeNoKeyboardHint},
      {ids::kWebsiteButton, text::kWebsite, TextTarget::ToolTip},
      {ids::kWebsiteLabel, text::kWebsite},
      {ids::kStoreButton, text::kStore, TextTarget::ToolTip},
      {ids::kStoreLabel, text::kStore},
      {ids::kFeedbackButton, text::kFeedback, TextTarget::ToolTip},
      {ids::kFeedbackLabel, text::kFeedback},
      {ids::kFaqsButton, text::kFaq, TextTarget::ToolTip},
      {ids::kFaqsLabel, text::kFaq},
  };
}

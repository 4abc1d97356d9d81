#include "ui/pages/SettingsPage.h"

#include "core/ControllerState.h"
#include "core/TextIds.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/MWindow.h"

using Tessel::Rect;

namespace {

constexpr int kPage = ids::kPageArea + kPageSettings;

Tessel::MArea* AddCard(Tessel::MWindow& window, int id, int titleId, const Rect& rect) {
  auto* card = window.CreateArea(id, kPage);
  card->SetRect(rect);
  card->SetStyle("card");
  auto* title = window.Add<Tessel::MControlFont>(titleId, id);
  title->SetRect(Rect::FromSize(24, 16, rect.Width() - 48, 28));
  title->SetStyle("card-title");
  return card;
}

}  // namespace

void CreateSettingsPageControls(Tessel::MWindow& window) {
  auto* caption = window.Add<Tessel::MControlFont>(ids::kSettingsCaption, kPage);
  caption->SetRect(Rect::FromSize(48, 8, 600, 36));
  caption->SetStyle("page-title");

  AddCard(window, ids::kLanguageCard, ids::kLanguageTitle, Rect::FromSize(48, 60, 400, 200));
  int y = 60;
  for (int id : {ids::kLanguageSimplifiedChinese, ids::kLanguageEnglish, ids::kLanguageTraditionalChinese}) {
    auto* radio = window.Add<Tessel::CRadioButton>(id, ids::kLanguageCard);
    radio->SetRect(Rect::FromSize(24, y, 340, 32));
    radio->SetGroup(ids::kLanguageGroup);
    y += 40;
  }

  AddCard(window, ids::kApplicationCard, ids::kApplicationTitle, Rect::FromSize(48, 280, 400, 120));
  auto* version = window.Add<Tessel::MControlFont>(ids::kSoftwareVersionLabel, ids::kApplicationCard);
  version->SetRect(Rect::FromSize(24, 60, 340, 28));
}

std::vector<TextBinding> SettingsPageTextBindings() {
  return {
      {ids::kSettingsCaption, text::kCaptionSettings, TextTarget::Title, 0, true},
      {ids::kLanguageTitle, text::kSettingsLanguage},
      {ids::kLanguageSimplifiedChinese, text::kLanguageSimplifiedChinese},
      {ids::kLanguageEnglish, text::kLanguageEnglish},
      {ids::kLanguageTraditionalChinese, text::kLanguageTraditionalChinese},
      {ids::kApplicationTitle, text::kSettingsApplicationTitle},
  };
}

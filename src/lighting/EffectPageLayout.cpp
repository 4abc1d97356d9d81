#include "lighting/EffectPageLayout.h"

#include "core/SharedState.h"
#include "core/TextIds.h"
#include "lighting/EffectService.h"
#include "lighting/LightModes.h"
#include "ui/pages/ColorFields.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/PageParts.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/PageHost.h"

using pages::Place;
using Tessel::Rect;

namespace lighting {
namespace {

namespace ids = effect_ids;

constexpr int kPage = ::ids::kPageArea + kPageScreenSync;

// The cards sit in a row below the effect view, right of the profile column, as on the light
// page.
constexpr int kCardTop = 372;
constexpr int kCardHeight = 276;
constexpr int kCardsLeft = 280;
constexpr int kCardsRight = 1376;
constexpr int kGap = 12;
constexpr int kColorCardWidth = 280;
constexpr Rect kColorCard =
    Rect::FromSize(kCardsRight - kColorCardWidth, kCardTop, kColorCardWidth, kCardHeight);
constexpr int kInner = 20;

// The panels fill the effect card below its tabs; the narrow card's width is what they plan
// for.
constexpr int kPanelTop = 56;
constexpr int kPanelHeight = 148;
constexpr int kNarrowWidth = kColorCard.left - kGap - kCardsLeft;
constexpr int kColumnWidth = (kNarrowWidth - 3 * kInner) / 2;
constexpr int kRightColumn = 2 * kInner + kColumnWidth;

Tessel::MArea* AddPanel(Tessel::PageHost& window, int id) {
  auto* panel = window.CreateArea(id, ids::kEffectCard);
  panel->SetRect(Rect::FromSize(0, kPanelTop, kCardsRight - kCardsLeft, kPanelHeight));
  panel->SetVisible(false);
  return panel;
}

Tessel::MControlFont* AddText(Tessel::PageHost& window, int id, int parent, const Rect& rect,
                              const char* style) {
  auto* text = Place<Tessel::MControlFont>(window, id, parent, rect, style);
  text->SetWordWrap(true);
  return text;
}

void CreateEffectCard(Tessel::PageHost& window) {
  auto* card = window.CreateArea(ids::kEffectCard, kPage);
  card->SetRect(EffectCardRect(true));
  card->SetStyle("card");
  auto* tabs = Place<Tessel::TabCtrlEx>(window, ids::kModeTabs, ids::kEffectCard,
                                        Rect::FromSize(12, 10, kNarrowWidth - 24, 38));
  for (int mode : kEffectTabModes) tabs->AddItem("", mode);
  tabs->SetCurSel(0);
  // Below the panels: a line about the mode, what keeps it from working, a failed write.
  constexpr int kWide = kCardsRight - kCardsLeft - 2 * kInner;
  AddText(window, ids::kModeHint, ids::kEffectCard, Rect::FromSize(kInner, 206, kWide, 20), "hint");
  AddText(window, ids::kNotice, ids::kEffectCard, Rect::FromSize(kInner, 228, kWide, 40), "error")
      ->SetVisible(false);
  AddText(window, ids::kNotSavedLabel, ids::kEffectCard, Rect::FromSize(kInner, 228, kWide, 40),
          "error")
      ->SetVisible(false);
}

void AddSlider(Tessel::PageHost& window, int labelId, int sliderId, int top, int maximum) {
  Place<Tessel::MControlFont>(window, labelId, ids::kMusicPanel,
                              Rect::FromSize(kRightColumn, top, kColumnWidth, 20), "secondary");
  auto* slider = Place<Tessel::MSlider>(window, sliderId, ids::kMusicPanel,
                                        Rect::FromSize(kRightColumn, top + 20, kColumnWidth, 24));
  slider->SetRange(0, maximum);
}

void CreateMusicPanel(Tessel::PageHost& window) {
  AddPanel(window, ids::kMusicPanel);
  const int parent = ids::kMusicPanel;
  Place<Tessel::MControlFont>(window, ids::kForegroundLabel, parent,
                              Rect::FromSize(kInner, 4, kColumnWidth, 20), "secondary");
  auto* foreground = Place<Tessel::MComboBox>(window, ids::kForegroundCombo, parent,
                                              Rect::FromSize(kInner, 26, kColumnWidth, 34));
  auto* background = Place<Tessel::MComboBox>(window, ids::kBackgroundCombo, parent,
                                              Rect::FromSize(kInner, 100, kColumnWidth, 34));
  Place<Tessel::MControlFont>(window, ids::kBackgroundLabel, parent,
                              Rect::FromSize(kInner, 78, kColumnWidth, 20), "secondary");
  for (int pattern = 0; pattern < kVisualizerPatternCount; ++pattern) {
    foreground->AddItem("", pattern);
    background->AddItem("", pattern);
  }
  foreground->AddItem("", kMatrixLightsForeground);
  foreground->AddItem("", kForegroundOff);
  AddSlider(window, ids::kAmplitudeLabel, ids::kAmplitudeSlider, 0, kAmplitudeSliderMax);
  AddSlider(window, ids::kBackBrightnessLabel, ids::kBackBrightnessSlider, 50, 100);
  AddSlider(window, ids::kLightBrightnessLabel, ids::kLightBrightnessSlider, 100, 100);
}

void CreateMediaPanel(Tessel::PageHost& window) {
  AddPanel(window, ids::kMediaPanel);
  Place<Tessel::MButton>(window, ids::kFileButton, ids::kMediaPanel,
                         Rect::FromSize(kInner, 12, 200, 36), "primary");
  auto* name = Place<Tessel::MControlFont>(window, ids::kFileName, ids::kMediaPanel,
                                           Rect::FromSize(kInner + 216, 18, 600, 24), "value");
  name->SetAlign(Tessel::TextAlign::Left);
}

void CreateWindowPanel(Tessel::PageHost& window) {
  AddPanel(window, ids::kWindowPanel);
  const int parent = ids::kWindowPanel;
  Place<Tessel::MControlFont>(window, ids::kWindowLabel, parent, Rect::FromSize(kInner, 4, 480, 20),
                              "secondary");
  Place<Tessel::MComboBox>(window, ids::kWindowCombo, parent, Rect::FromSize(kInner, 26, 480, 34));
  Place<Tessel::MButton>(window, ids::kRefreshButton, parent,
                         Rect::FromSize(kInner + 492, 26, 140, 34));
}

void CreateLayersPanel(Tessel::PageHost& window) {
  AddPanel(window, ids::kLayersPanel);
  Place<Tessel::CCheckButton>(window, ids::kLayerCheck, ids::kLayersPanel,
                              Rect::FromSize(kInner, 12, 320, 28));
}

void CreateColorCard(Tessel::PageHost& window) {
  const int parent = ids::kColorCard;
  auto* card = window.CreateArea(parent, kPage);
  card->SetRect(kColorCard);
  card->SetStyle("card");
  Place<Tessel::CCheckButton>(window, ids::kColorfulCheck, parent,
                              Rect::FromSize(kColorCardWidth - kInner - 120, 10, 120, 28));
  pages::CreateColorCardControls(
      window,
      {.card = parent,
       .title = ids::kColorTitle,
       .fields = {ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit, ids::kBlueEdit},
       .redLabel = ids::kRedLabel,
       .greenLabel = ids::kGreenLabel,
       .blueLabel = ids::kBlueLabel,
       .presetLabel = ids::kPresetLabel,
       .firstPreset = ids::kFirstPreset,
       .cardWidth = kColorCardWidth,
       .titleWidth = 120},
      kPresetColors, static_cast<int>(std::size(kPresetColors)));
}

}  // namespace

Rect EffectCardRect(bool besideColorCard) {
  const int right = besideColorCard ? kColorCard.left - kGap : kCardsRight;
  return Rect::FromSize(kCardsLeft, kCardTop, right - kCardsLeft, kCardHeight);
}

void CreateEffectPageControls(Tessel::PageHost& window) {
  CreateEffectCard(window);
  CreateMusicPanel(window);
  CreateMediaPanel(window);
  CreateWindowPanel(window);
  CreateLayersPanel(window);
  CreateColorCard(window);
}

std::vector<TextBinding> EffectPageTextBindings() {
  std::vector<TextBinding> bindings = {
      {ids::kForegroundLabel, text::kEffectForeground},
      {ids::kBackgroundLabel, text::kEffectBackground},
      {ids::kAmplitudeLabel, text::kEffectAmplitude},
      {ids::kBackBrightnessLabel, text::kEffectBackgroundBrightness},
      {ids::kLightBrightnessLabel, text::kEffectLightBrightness},
      {ids::kFileButton, text::kEffectChooseFile},
      {ids::kWindowLabel, text::kEffectWindowLabel},
      {ids::kRefreshButton, text::kEffectRefreshWindows},
      {ids::kLayerCheck, text::kEffectMusicLayer},
      {ids::kColorTitle, text::kLightColor},
      {ids::kColorfulCheck, text::kLightColorful},
      {ids::kRedLabel, text::kColorRed},
      {ids::kGreenLabel, text::kColorGreen},
      {ids::kBlueLabel, text::kColorBlue},
      {ids::kPresetLabel, text::kLightPresetColors},
      {ids::kNotSavedLabel, text::kLightNotSaved},
  };
  for (std::size_t tab = 0; tab < kEffectTabModes.size(); ++tab) {
    bindings.push_back({ids::kModeTabs, text::kEffectMusic + kEffectTabModes[tab] - 1,
                        TextTarget::Item, static_cast<int>(tab)});
  }
  for (int pattern = 0; pattern < kVisualizerPatternCount; ++pattern) {
    bindings.push_back(
        {ids::kForegroundCombo, text::kPatternFirst + pattern, TextTarget::Item, pattern});
    bindings.push_back(
        {ids::kBackgroundCombo, text::kPatternFirst + pattern, TextTarget::Item, pattern});
  }
  bindings.push_back({ids::kForegroundCombo, text::kPatternMatrixLights, TextTarget::Item,
                      kVisualizerPatternCount});
  bindings.push_back(
      {ids::kForegroundCombo, text::kPatternOff, TextTarget::Item, kVisualizerPatternCount + 1});
  return bindings;
}

}  // namespace lighting

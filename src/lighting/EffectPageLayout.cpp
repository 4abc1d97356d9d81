#include "lighting/EffectPageLayout.h"

#include "core/SharedState.h"
#include "core/TextIds.h"
#include "lighting/EffectService.h"
#include "lighting/LightModes.h"
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

// The colour card, as on the light page: the wheel, the number fields beside it, the presets.
constexpr int kWheelWidth = 150;
constexpr int kWheelHeight = 132;
constexpr int kFieldLeft = kInner + kWheelWidth + 14;
constexpr int kFieldWidth = kColorCardWidth - kFieldLeft - kInner;
constexpr int kPresetStep = 26;
constexpr int kPresetSide = 24;

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

void CreateNumberField(Tessel::PageHost& window, int labelId, int editId, int top) {
  Place<Tessel::MControlFont>(window, labelId, ids::kColorCard,
                              Rect::FromSize(kFieldLeft, top, kFieldWidth, 16), "hint");
  auto* edit = Place<Tessel::MEdit>(window, editId, ids::kColorCard,
                                    Rect::FromSize(kFieldLeft, top + 17, kFieldWidth, 28));
  edit->SetMaxLength(4);
}

void CreateColorCard(Tessel::PageHost& window) {
  const int parent = ids::kColorCard;
  auto* card = window.CreateArea(parent, kPage);
  card->SetRect(kColorCard);
  card->SetStyle("card");
  Place<Tessel::MControlFont>(window, ids::kColorTitle, parent, Rect::FromSize(kInner, 12, 120, 24),
                              "card-title");
  Place<Tessel::CCheckButton>(window, ids::kColorfulCheck, parent,
                              Rect::FromSize(kColorCardWidth - kInner - 120, 10, 120, 28));
  Place<Tessel::ColorWheel>(window, ids::kColorWheel, parent,
                            Rect::FromSize(kInner, 44, kWheelWidth, kWheelHeight));
  CreateNumberField(window, ids::kRedLabel, ids::kRedEdit, 42);
  CreateNumberField(window, ids::kGreenLabel, ids::kGreenEdit, 88);
  CreateNumberField(window, ids::kBlueLabel, ids::kBlueEdit, 134);
  Place<Tessel::MControlFont>(window, ids::kPresetLabel, parent,
                              Rect::FromSize(kInner, 186, 240, 18), "hint");
  int x = kInner - 1;
  int id = ids::kFirstPreset;
  for (std::uint32_t color : kPresetColors) {
    auto* preset = Place<Tessel::CColorButton>(window, id++, parent,
                                               Rect::FromSize(x, 208, kPresetSide, kPresetSide));
    preset->SetColor(color);
    x += kPresetStep;
  }
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

#include "lighting/MatrixPageLayout.h"

#include "core/SharedState.h"
#include "core/TextIds.h"
#include "lighting/LightModes.h"
#include "lighting/MatrixModes.h"
#include "ui/pages/ColorFields.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/PageParts.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/MatrixScreen.h"
#include "ui/tessel/PageHost.h"

using pages::AddCard;
using pages::Place;
using Tessel::Rect;

namespace lighting {
namespace {

namespace ids = matrix_ids;

constexpr int kPage = ::ids::kPageArea + kPageMatrix;

// Right of the profile column: the view's card as high as the column, the modes above the
// settings and the colour picker.
constexpr int kTop = 8;
constexpr int kBottom = 648;
constexpr int kRightLeft = 792;
constexpr int kRightWidth = 1376 - kRightLeft;
constexpr Rect kViewCard = Rect::FromSize(280, kTop, kRightLeft - 12 - 280, kBottom - kTop);
constexpr Rect kModesCard = Rect::FromSize(kRightLeft, kTop, kRightWidth, 208);
constexpr int kLowerTop = kModesCard.bottom + 12;
constexpr int kLowerWidth = (kRightWidth - 12) / 2;
constexpr Rect kSettingsCard =
    Rect::FromSize(kRightLeft, kLowerTop, kLowerWidth, kBottom - kLowerTop);
constexpr Rect kColorCard =
    Rect::FromSize(kRightLeft + kLowerWidth + 12, kLowerTop, kLowerWidth, kBottom - kLowerTop);
constexpr int kInner = 20;

constexpr int kViewSide = 448;
constexpr int kViewTop = 52;
constexpr int kSettingsWidth = kSettingsCard.Width() - 2 * kInner;
constexpr int kHalfWidth = kSettingsWidth / 2;

void CreateViewCard(Tessel::PageHost& window) {
  const int parent = ids::kViewCard;
  AddCard(window, kPage, parent, kViewCard);
  Place<Tessel::MControlFont>(window, ids::kViewTitle, parent, Rect::FromSize(kInner, 14, 300, 26),
                              "card-title");
  Place<Tessel::MatrixScreen>(
      window, ids::kMatrixView, parent,
      Rect::FromSize((kViewCard.Width() - kViewSide) / 2, kViewTop, kViewSide, kViewSide));
  // The hint of the drawing and the music presets' word on the sound share the place below.
  const Rect below = Rect::FromSize(kInner + 10, kViewTop + kViewSide + 20,
                                    kViewCard.Width() - 2 * kInner - 20, 48);
  for (const auto& [id, style] :
       {std::pair{ids::kDrawHint, "hint"}, std::pair{ids::kSoundStatus, "secondary"}}) {
    auto* label = Place<Tessel::MControlFont>(window, id, parent, below, style);
    label->SetWordWrap(true);
    label->SetAlign(Tessel::TextAlign::Center);
    label->SetVisible(false);
  }
}

void CreateModesCard(Tessel::PageHost& window) {
  const int parent = ids::kModesCard;
  AddCard(window, kPage, parent, kModesCard);
  Place<Tessel::CSwitchButton>(window, ids::kMatrixSwitch, parent,
                               Rect::FromSize(kInner, 12, 220, 32));
  auto* modes = Place<Tessel::IconList>(window, ids::kModeList, parent,
                                        Rect::FromSize(12, 54, kModesCard.Width() - 24, 142));
  modes->SetTileSize(86, 66);
}

// The settings card's rows are placed by ArrangeMatrixSettings.
void CreateSettingsCard(Tessel::PageHost& window) {
  const int parent = ids::kSettingsCard;
  AddCard(window, kPage, parent, kSettingsCard);
  for (int label : {ids::kPresetLabel, ids::kBrightnessLabel, ids::kSpeedLabel,
                    ids::kAmplitudeLabel, ids::kDirectionLabel}) {
    window.Add<Tessel::MControlFont>(label, parent)->SetStyle("secondary");
  }
  auto* presets = window.Add<Tessel::MComboBox>(ids::kPresetCombo, parent);
  for (const MatrixPresetEntry& entry : MatrixPresetList()) presets->AddItem("", entry.preset);
  presets->SetCurSel(0);
  for (int slider : {ids::kBrightnessSlider, ids::kSpeedSlider, ids::kAmplitudeSlider}) {
    window.Add<Tessel::MSlider>(slider, parent);
  }
  auto* amplitude = window.GetControl<Tessel::MSlider>(ids::kAmplitudeSlider);
  amplitude->SetRange(0, kMaxAmplitude);
  amplitude->SetProgress(kInitialAmplitude);
  for (int radio :
       {ids::kDirectionLeft, ids::kDirectionRight, ids::kDirectionUp, ids::kDirectionDown}) {
    window.Add<Tessel::CRadioButton>(radio, parent)->SetGroup(ids::kDirectionGroup);
  }
  window.Add<Tessel::CColorButton>(ids::kSingleColorButton, parent);
  window.Add<Tessel::CCheckButton>(ids::kColorfulCheck, parent);
  auto* notSaved = window.Add<Tessel::MControlFont>(ids::kNotSavedLabel, parent);
  notSaved->SetStyle("error");
  notSaved->SetWordWrap(true);
  notSaved->SetVisible(false);
  ArrangeMatrixSettings(window);
}

void CreateColorCard(Tessel::PageHost& window) {
  AddCard(window, kPage, ids::kColorCard, kColorCard);
  pages::CreateColorCardControls(
      window,
      {.card = ids::kColorCard,
       .title = ids::kColorTitle,
       .fields = {ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit, ids::kBlueEdit},
       .redLabel = ids::kRedLabel,
       .greenLabel = ids::kGreenLabel,
       .blueLabel = ids::kBlueLabel,
       .presetLabel = ids::kPresetColorLabel,
       .firstPreset = ids::kFirstPresetColor,
       .cardWidth = kColorCard.Width(),
       .titleTop = 14,
       .titleHeight = 26,
       .wheelTop = 52,
       .wheelWidth = 168,
       .wheelHeight = 150,
       .firstFieldTop = 50,
       .fieldStep = 52,
       .presetLabelTop = 222,
       .presetTop = 246,
       .presetSide = 23,
       .presetStep = 27},
      kPresetColors, static_cast<int>(std::size(kPresetColors)));
}

bool Shown(Tessel::PageHost& window, int id) {
  const Tessel::MControl* control = window.FindControl(id);
  return control != nullptr && control->IsVisible();
}

void PlaceAt(Tessel::PageHost& window, int id, const Rect& rect) {
  if (Tessel::MControl* control = window.FindControl(id)) control->SetRect(rect);
}

}  // namespace

void ArrangeMatrixSettings(Tessel::PageHost& window) {
  int top = 16;
  // A label above its control, for each row that is shown.
  const auto labelled = [&](int label, int control, int height) {
    if (!Shown(window, control)) return;
    PlaceAt(window, label, Rect::FromSize(kInner, top, kSettingsWidth, 20));
    PlaceAt(window, control, Rect::FromSize(kInner, top + 22, kSettingsWidth, height));
    top += 22 + height + 14;
  };
  labelled(ids::kPresetLabel, ids::kPresetCombo, 32);
  labelled(ids::kBrightnessLabel, ids::kBrightnessSlider, 24);
  labelled(ids::kSpeedLabel, ids::kSpeedSlider, 24);
  labelled(ids::kAmplitudeLabel, ids::kAmplitudeSlider, 24);
  if (Shown(window, ids::kDirectionLabel)) {
    PlaceAt(window, ids::kDirectionLabel, Rect::FromSize(kInner, top, kSettingsWidth, 20));
    // Left and right share their places with up and down: a mode offers one pair.
    const int pairs[2][2] = {{ids::kDirectionLeft, ids::kDirectionRight},
                             {ids::kDirectionUp, ids::kDirectionDown}};
    for (const auto& pair : pairs) {
      for (int side = 0; side < 2; ++side) {
        PlaceAt(window, pair[side],
                Rect::FromSize(kInner + side * kHalfWidth, top + 22, kHalfWidth, 28));
      }
    }
    top += 22 + 28 + 14;
  }
  if (Shown(window, ids::kSingleColorButton)) {
    PlaceAt(window, ids::kSingleColorButton, Rect::FromSize(kInner - 4, top, 36, 36));
    PlaceAt(window, ids::kColorfulCheck,
            Rect::FromSize(kInner + 44, top + 4, kSettingsWidth - 44, 28));
    top += 36 + 14;
  }
  PlaceAt(window, ids::kNotSavedLabel, Rect::FromSize(kInner, top, kSettingsWidth, 60));
}

void CreateMatrixPageControls(Tessel::PageHost& window) {
  CreateViewCard(window);
  CreateModesCard(window);
  CreateSettingsCard(window);
  CreateColorCard(window);
}

std::vector<TextBinding> MatrixPageTextBindings() {
  std::vector<TextBinding> bindings = {
      {ids::kViewTitle, text::kMatrixEffectsTitle},
      {ids::kDrawHint, text::kMatrixDrawHint},
      {ids::kMatrixSwitch, text::kMatrixSwitch},
      {ids::kPresetLabel, text::kMatrixPresetLabel},
      {ids::kBrightnessLabel, text::kLightBrightness},
      {ids::kSpeedLabel, text::kLightSpeed},
      {ids::kAmplitudeLabel, text::kMatrixAmplitude},
      {ids::kDirectionLabel, text::kLightDirection},
      {ids::kDirectionLeft, text::kLightDirectionLeft},
      {ids::kDirectionRight, text::kLightDirectionRight},
      {ids::kDirectionUp, text::kLightDirectionUp},
      {ids::kDirectionDown, text::kLightDirectionDown},
      {ids::kSingleColorButton, text::kLightColor, TextTarget::ToolTip},
      {ids::kColorfulCheck, text::kLightColorful},
      {ids::kNotSavedLabel, text::kLightNotSaved},
      {ids::kColorTitle, text::kLightColor},
      {ids::kRedLabel, text::kColorRed},
      {ids::kGreenLabel, text::kColorGreen},
      {ids::kBlueLabel, text::kColorBlue},
      {ids::kPresetColorLabel, text::kLightPresetColors},
  };
  int position = 0;
  for (const MatrixPresetEntry& entry : MatrixPresetList()) {
    bindings.push_back({ids::kPresetCombo, entry.textId, TextTarget::Item, position++});
  }
  return bindings;
}

}  // namespace lighting

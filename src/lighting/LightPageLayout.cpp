#include "lighting/LightPageLayout.h"

#include "core/SharedState.h"
#include "core/TextIds.h"
#include "lighting/LightModes.h"
#include "ui/pages/ColorFields.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/PageParts.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/PageHost.h"

using pages::AddCard;
using pages::Place;
using Tessel::Rect;

namespace lighting {
namespace {

constexpr int kPage = ::ids::kPageArea + kPageLighting;

// The cards sit in a row below the keyboard view, right of the profile column.
constexpr int kCardTop = 372;
constexpr int kCardHeight = 276;
constexpr Rect kModesCard = Rect::FromSize(280, kCardTop, 520, kCardHeight);
constexpr Rect kSettingsCard = Rect::FromSize(812, kCardTop, 272, kCardHeight);
constexpr Rect kColorCard = Rect::FromSize(1096, kCardTop, 280, kCardHeight);
constexpr int kInner = 20;

// The settings card: one row per setting, a label above its control.
constexpr int kSettingsWidth = kSettingsCard.Width() - 2 * kInner;
constexpr int kHalfWidth = kSettingsWidth / 2;

void CreateModesCard(Tessel::PageHost& window) {
  AddCard(window, kPage, ids::kModesCard, kModesCard);
  auto* tabs = Place<Tessel::TabCtrlEx>(window, ids::kZoneTabs, ids::kModesCard,
                                        Rect::FromSize(12, 10, 360, 38));
  for (int zone : {kZoneKeys, kZoneSide, kZoneTop}) tabs->AddItem("", zone);
  tabs->SetCurSel(0);
  Place<Tessel::CSwitchButton>(window, ids::kLightSwitch, ids::kModesCard,
                               Rect::FromSize(kModesCard.Width() - kInner - 124, 12, 124, 32));
  auto* modes = Place<Tessel::IconList>(window, ids::kModeList, ids::kModesCard,
                                        Rect::FromSize(12, 56, kModesCard.Width() - 24, 212));
  modes->SetTileSize(77, 48);
}

void CreateSliders(Tessel::PageHost& window) {
  const int parent = ids::kSettingsCard;
  Place<Tessel::MControlFont>(window, ids::kBrightnessLabel, parent,
                              Rect::FromSize(kInner, 12, kSettingsWidth, 20), "secondary");
  Place<Tessel::MSlider>(window, ids::kBrightnessSlider, parent,
                         Rect::FromSize(kInner, 34, kSettingsWidth, 24));
  Place<Tessel::MControlFont>(window, ids::kSpeedLabel, parent,
                              Rect::FromSize(kInner, 66, kSettingsWidth, 20), "secondary");
  Place<Tessel::MSlider>(window, ids::kSpeedSlider, parent,
                         Rect::FromSize(kInner, 88, kSettingsWidth, 24));
}

void CreateDirections(Tessel::PageHost& window) {
  const int parent = ids::kSettingsCard;
  Place<Tessel::MControlFont>(window, ids::kDirectionLabel, parent,
                              Rect::FromSize(kInner, 120, kSettingsWidth, 20), "secondary");
  // Left and right share their places with up and down: a mode offers one pair.
  const int pairs[2][2] = {{ids::kDirectionLeft, ids::kDirectionRight},
                           {ids::kDirectionUp, ids::kDirectionDown}};
  for (const auto& pair : pairs) {
    for (int side = 0; side < 2; ++side) {
      auto* radio = Place<Tessel::CRadioButton>(
          window, pair[side], parent,
          Rect::FromSize(kInner + side * kHalfWidth, 142, kHalfWidth, 28));
      radio->SetGroup(ids::kDirectionGroup);
    }
  }
}

void CreateSettingsCard(Tessel::PageHost& window) {
  const int parent = ids::kSettingsCard;
  AddCard(window, kPage, parent, kSettingsCard);
  CreateSliders(window);
  CreateDirections(window);
  // The custom slots use the rows of speed and direction, which they do not offer.
  Place<Tessel::MControlFont>(window, ids::kSlotLabel, parent,
                              Rect::FromSize(kInner, 66, kSettingsWidth, 20), "secondary");
  auto* slots = Place<Tessel::MComboBox>(window, ids::kSlotCombo, parent,
                                         Rect::FromSize(kInner, 88, kSettingsWidth, 32));
  for (int slot = kFirstSlot; slot <= kLastSlot; ++slot) slots->AddItem("", slot);
  slots->SetCurSel(0);
  auto* hint = Place<Tessel::MControlFont>(window, ids::kPaintHint, parent,
                                           Rect::FromSize(kInner, 126, kSettingsWidth, 56), "hint");
  hint->SetWordWrap(true);
  Place<Tessel::MButton>(window, ids::kSelectAllButton, parent,
                         Rect::FromSize(kInner, 186, kSettingsWidth, 32));

  Place<Tessel::CColorButton>(window, ids::kSingleColorButton, parent,
                              Rect::FromSize(kInner - 4, 180, 36, 36));
  Place<Tessel::CCheckButton>(window, ids::kColorfulCheck, parent,
                              Rect::FromSize(kInner + 44, 184, kSettingsWidth - 44, 28));
  Place<Tessel::CSwitchButton>(window, ids::kPreviewSwitch, parent,
                               Rect::FromSize(kInner, 230, 140, 32));
  Place<Tessel::MButton>(window, ids::kApplyButton, parent,
                         Rect::FromSize(kSettingsCard.Width() - kInner - 88, 228, 88, 34),
                         "primary");
}

void CreateColorCard(Tessel::PageHost& window) {
  const int parent = ids::kColorCard;
  AddCard(window, kPage, parent, kColorCard);
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
       .cardWidth = kColorCard.Width()},
      kPresetColors, static_cast<int>(std::size(kPresetColors)));
  auto* notSaved = Place<Tessel::MControlFont>(window, ids::kNotSavedLabel, parent,
                                               Rect::FromSize(kInner, 240, 240, 30), "error");
  notSaved->SetWordWrap(true);
  notSaved->SetVisible(false);
}

}  // namespace

void CreateLightPageControls(Tessel::PageHost& window) {
  CreateModesCard(window);
  CreateSettingsCard(window);
  CreateColorCard(window);
}

std::vector<TextBinding> LightPageTextBindings() {
  std::vector<TextBinding> bindings = {
      {ids::kZoneTabs, text::kLightTabKeys, TextTarget::Item, 0},
      {ids::kZoneTabs, text::kLightTabSide, TextTarget::Item, 1},
      {ids::kLightSwitch, text::kLightSwitch},
      {ids::kBrightnessLabel, text::kLightBrightness},
      {ids::kSpeedLabel, text::kLightSpeed},
      {ids::kDirectionLabel, text::kLightDirection},
      {ids::kDirectionLeft, text::kLightDirectionLeft},
      {ids::kDirectionRight, text::kLightDirectionRight},
      {ids::kDirectionUp, text::kLightDirectionUp},
      {ids::kDirectionDown, text::kLightDirectionDown},
      {ids::kSingleColorButton, text::kLightColor, TextTarget::ToolTip},
      {ids::kColorfulCheck, text::kLightColorful},
      {ids::kPreviewSwitch, text::kLightPreview},
      {ids::kApplyButton, text::kApply},
      {ids::kSlotLabel, text::kLightCustomSlot},
      {ids::kPaintHint, text::kLightPaintHint},
      {ids::kSelectAllButton, text::kLightSelectAll},
      {ids::kColorTitle, text::kLightColor},
      {ids::kRedLabel, text::kColorRed},
      {ids::kGreenLabel, text::kColorGreen},
      {ids::kBlueLabel, text::kColorBlue},
      {ids::kPresetLabel, text::kLightPresetColors},
      {ids::kNotSavedLabel, text::kLightNotSaved},
  };
  for (int slot = 0; slot < kSlotCount; ++slot) {
    bindings.push_back({ids::kSlotCombo, text::kLightSlotFirst + slot, TextTarget::Item, slot});
  }
  return bindings;
}

}  // namespace lighting

#include "keys/KeyAssignmentLayout.h"

#include "core/SharedState.h"
#include "core/TextIds.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/KeyControls.h"
#include "ui/tessel/PageHost.h"

using Tessel::Rect;

namespace {

constexpr int kPage = ids::kPageArea + kPageKeys;

// Below the keyboard view (which the layout places from the window's top), right of the
// profile column. Page coordinates start 116 pixels below the window's top.
constexpr int kLeft = 280;
constexpr int kRight = 1376;
constexpr int kRowTop = 372;
constexpr int kRowHeight = 36;
constexpr int kCardTop = 416;
constexpr int kCardHeight = 232;  // the cards end where the profile column does
constexpr int kKeyTestWidth = 240;
constexpr int kCardWidth = kRight - kLeft - 12 - kKeyTestWidth;
constexpr int kInnerWidth = kCardWidth - 32;
constexpr int kPageTop = 116;  // where the page area starts in the window
constexpr int kKeyTestLeft = kLeft + kCardWidth + 12;
constexpr int kButtonWidth = 160;
constexpr int kMacroPanelWidth = 272;

// Modifier toggles, from bit 0x01 to 0x80.
constexpr const char* kModifierTitles[key_ids::kModifierCount] = {
    "LCtrl", "LShift", "LAlt", "LWin", "RCtrl", "RShift", "RAlt", "RWin"};

template <class T>
T* AddIn(Tessel::PageHost& window, int id, int parent, const Rect& rect, const char* style = "") {
  auto* control = window.Add<T>(id, parent);
  control->SetRect(rect);
  if (*style != '\0') control->SetStyle(style);
  return control;
}

void CreateLayerRow(Tessel::PageHost& window) {
  AddIn<Tessel::MControlFont>(window, key_ids::kLayerLabel, kPage,
                              Rect::FromSize(kLeft, kRowTop, 96, kRowHeight), "secondary");
  auto* layers = AddIn<Tessel::MTabCtrl>(window, key_ids::kLayerTabs, kPage,
                                         Rect::FromSize(kLeft + 100, kRowTop, 272, kRowHeight));
  for (int layer = 0; layer < 4; ++layer) layers->AddItem("", layer);
  layers->SetCurSel(0);
  AddIn<Tessel::MButton>(
      window, key_ids::kRestoreKeyButton, kPage,
      Rect::FromSize(kRight - 2 * kButtonWidth - 12, kRowTop, kButtonWidth, kRowHeight));
  AddIn<Tessel::MButton>(window, key_ids::kRestoreLayerButton, kPage,
                         Rect::FromSize(kRight - kButtonWidth, kRowTop, kButtonWidth, kRowHeight));
}

void CreateMacroPanel(Tessel::PageHost& window) {
  auto* panel = window.CreateArea(key_ids::kMacroPanel, key_ids::kFunctionCard);
  panel->SetRect(Rect::FromSize(kInnerWidth - kMacroPanelWidth + 16, 56, kMacroPanelWidth, 164));
  panel->SetVisible(false);
  AddIn<Tessel::MControlFont>(window, key_ids::kPlayModeLabel, key_ids::kMacroPanel,
                              Rect::FromSize(0, 0, 272, 20), "secondary");
  int y = 24;
  for (int id : key_ids::kPlayModeButtons) {
    auto* radio = AddIn<Tessel::CRadioButton>(window, id, key_ids::kMacroPanel,
                                              Rect::FromSize(0, y, 272, 24));
    radio->SetGroup(key_ids::kPlayModeGroup);
    y += 25;
  }
  AddIn<Tessel::MControlFont>(window, key_ids::kRepeatLabel, key_ids::kMacroPanel,
                              Rect::FromSize(0, 130, 150, 32), "secondary");
  auto* count = AddIn<Tessel::MEdit>(window, key_ids::kRepeatCount, key_ids::kMacroPanel,
                                     Rect::FromSize(156, 130, 96, 32));
  count->SetMaxLength(3);
  count->SetAlign(Tessel::TextAlign::Center);
}

void CreateCombinationPanel(Tessel::PageHost& window) {
  auto* panel = window.CreateArea(key_ids::kCombinationPanel, key_ids::kFunctionCard);
  panel->SetRect(Rect::FromSize(16, 56, kInnerWidth, 164));
  panel->SetVisible(false);
  const int parent = key_ids::kCombinationPanel;
  AddIn<Tessel::MControlFont>(window, key_ids::kCaptureHint, parent, Rect::FromSize(0, 4, 340, 22),
                              "secondary");
  auto* field =
      AddIn<Tessel::MEdit>(window, key_ids::kCaptureField, parent, Rect::FromSize(0, 32, 340, 44));
  field->SetReadOnly(true);  // the captured key's name is all it shows
  field->SetAlign(Tessel::TextAlign::Center);
  field->SetFontSize(16);
  AddIn<Tessel::MControlFont>(window, key_ids::kModifiersLabel, parent,
                              Rect::FromSize(372, 4, 400, 22), "secondary");
  for (int i = 0; i < key_ids::kModifierCount; ++i) {
    auto* toggle =
        AddIn<Tessel::CCheckButton>(window, key_ids::kFirstModifier + i, parent,
                                    Rect::FromSize(372 + (i % 4) * 100, 32 + (i / 4) * 40, 96, 32));
    toggle->SetTitle(kModifierTitles[i]);
  }
  AddIn<Tessel::MButton>(window, key_ids::kApplyCombination, parent,
                         Rect::FromSize(kInnerWidth - kButtonWidth, 120, kButtonWidth, 40),
                         "primary");
}

void CreateFunctionCard(Tessel::PageHost& window) {
  auto* card = window.CreateArea(key_ids::kFunctionCard, kPage);
  card->SetRect(Rect::FromSize(kLeft, kCardTop, kCardWidth, kCardHeight));
  card->SetStyle("card");
  auto* tabs = AddIn<Tessel::TabCtrlEx>(window, key_ids::kFunctionTabs, key_ids::kFunctionCard,
                                        Rect::FromSize(16, 8, kInnerWidth, 40));
  for (int tab : key_ids::kPickerTabs) tabs->AddItem("", tab);
  AddIn<Tessel::KeyFuncValue>(window, key_ids::kPicker, key_ids::kFunctionCard, PickerRect(false));
  auto* hint = AddIn<Tessel::MControlFont>(window, key_ids::kPageHint, key_ids::kFunctionCard,
                                           Rect::FromSize(24, 100, kInnerWidth - 16, 60), "hint");
  hint->SetAlign(Tessel::TextAlign::Center);
  hint->SetWordWrap(true);
  hint->SetVisible(false);
  CreateMacroPanel(window);
  CreateCombinationPanel(window);
}

void CreateKeyTest(Tessel::PageHost& window) {
  // A top-level area: the window's page frame shows it with the key page.
  auto* area = window.CreateArea(ids::kKeyTestArea);
  area->SetRect(
      Rect::FromSize(kKeyTestLeft, kPageTop + kCardTop, kRight - kKeyTestLeft, kCardHeight));
  area->SetStyle("card");
  area->SetVisible(false);
  const int width = kRight - kKeyTestLeft - 32;
  AddIn<Tessel::MControlFont>(window, key_ids::kKeyTestTitle, ids::kKeyTestArea,
                              Rect::FromSize(16, 14, width, 28), "card-title");
  auto* hint = AddIn<Tessel::MControlFont>(window, key_ids::kKeyTestHint, ids::kKeyTestArea,
                                           Rect::FromSize(16, 44, width, 36), "hint");
  hint->SetWordWrap(true);
  AddIn<Tessel::CKeyTestCtrl>(window, key_ids::kKeyTestList, ids::kKeyTestArea,
                              Rect::FromSize(16, 88, width, kCardHeight - 100));
}

}  // namespace

Tessel::Rect PickerRect(bool besideMacroOptions) {
  const int width = kInnerWidth - (besideMacroOptions ? kMacroPanelWidth + 16 : 0);
  // Four rows of the grid's cells.
  return Rect::FromSize(16, 64, width, 146);
}

void CreateKeyPageControls(Tessel::PageHost& window) {
  CreateLayerRow(window);
  CreateFunctionCard(window);
  CreateKeyTest(window);
}

std::vector<TextBinding> KeyPageTextBindings() {
  std::vector<TextBinding> bindings = {
      {key_ids::kLayerLabel, text::kKeyLayerLabel},
      {key_ids::kRestoreKeyButton, text::kKeyRestoreKey},
      {key_ids::kRestoreLayerButton, text::kKeyRestoreLayerCaption},
      {key_ids::kPageHint, text::kKeyPageHint},
      {key_ids::kPlayModeLabel, text::kMacroPlayModeLabel},
      {key_ids::kPlayCount, text::kMacroPlayCount},
      {key_ids::kPlayUntilKey, text::kMacroPlayUntilAnyKey},
      {key_ids::kPlayWhileHeld, text::kMacroPlayWhileHeld},
      {key_ids::kPlayToggle, text::kMacroPlayToggle},
      {key_ids::kRepeatLabel, text::kMacroRepeatCountLabel},
      {key_ids::kCaptureHint, text::kCombinationCaptureHint},
      {key_ids::kModifiersLabel, text::kCombinationModifiers},
      {key_ids::kApplyCombination, text::kApply},
      {key_ids::kKeyTestTitle, text::kKeyTestTitle},
      {key_ids::kKeyTestHint, text::kKeyTestHint},
  };
  const int layerTexts[] = {text::kKeyLayerBase, text::kKeyLayerFn1, text::kKeyLayerFn2,
                            text::kKeyLayerFn3};
  for (int layer = 0; layer < 4; ++layer) {
    bindings.push_back({key_ids::kLayerTabs, layerTexts[layer], TextTarget::Item, layer});
  }
  const int tabTexts[] = {text::kPickerTabDefault,
                          text::kPickerTabKeys,
                          text::kPickerTabMacros,
                          text::kPickerTabMouse,
                          text::kPickerTabMedia,
                          text::kPickerTabShortcuts,
                          text::kPickerTabKeyboardFunctions,
                          text::kPickerTabCombination};
  for (int tab = 0; tab < static_cast<int>(key_ids::kPickerTabs.size()); ++tab) {
    bindings.push_back({key_ids::kFunctionTabs, tabTexts[tab], TextTarget::Item, tab});
  }
  return bindings;
}

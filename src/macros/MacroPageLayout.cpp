#include "macros/MacroPageLayout.h"

#include "core/SharedState.h"
#include "core/TextIds.h"
#include "macros/MacroEvents.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/PageParts.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/ProfileList.h"
#include "ui/tessel/RecordList.h"

using pages::AddCard;
using pages::Place;
using Tessel::Rect;

namespace {

namespace mi = macro_ids;

constexpr int kPage = ids::kPageArea + kPageMacros;

// Three cards right of the profile column, as tall as it is.
constexpr int kCardTop = 8;
constexpr int kCardHeight = 640;
constexpr Rect kMacrosCard = Rect::FromSize(280, kCardTop, 276, kCardHeight);
constexpr Rect kEventsCard = Rect::FromSize(568, kCardTop, 500, kCardHeight);
constexpr Rect kSettingsCard = Rect::FromSize(1080, kCardTop, 296, kCardHeight);
constexpr int kInner = 20;
constexpr int kButtonHeight = 36;
constexpr int kGap = 8;

// The mouse buttons of the editor's chooser, with their texts.
struct ButtonChoice {
  int bit;
  int textId;
};
constexpr ButtonChoice kButtonChoices[] = {
    {macros::button::kLeft, text::kMacroMouseLeft},
    {macros::button::kRight, text::kMacroMouseRight},
    {macros::button::kMiddle, text::kMacroMouseMiddle},
    {macros::button::kBack, text::kMacroMouseBack},
    {macros::button::kForward, text::kMacroMouseForward},
};

void CreateMacrosCard(Tessel::PageHost& window) {
  AddCard(window, kPage, mi::kMacrosCard, kMacrosCard);
  const int width = kMacrosCard.Width();
  const int half = (width - 2 * kInner - kGap) / 2;
  Place<Tessel::MControlFont>(window, mi::kMacrosTitle, mi::kMacrosCard,
                              Rect::FromSize(kInner, 14, 160, 30), "card-title");
  auto* count =
      Place<Tessel::MControlFont>(window, mi::kMacroCount, mi::kMacrosCard,
                                  Rect::FromSize(width - kInner - 80, 18, 80, 24), "hint");
  count->SetAlign(Tessel::TextAlign::Right);
  Place<Tessel::MacroList>(window, mi::kMacroList, mi::kMacrosCard,
                           Rect::FromSize(8, 56, width - 16, 480));
  const int row1 = 548;
  const int row2 = row1 + kButtonHeight + kGap;
  Place<Tessel::MButton>(window, mi::kNewMacro, mi::kMacrosCard,
                         Rect::FromSize(kInner, row1, half, kButtonHeight), "primary");
  Place<Tessel::MButton>(window, mi::kCopyMacro, mi::kMacrosCard,
                         Rect::FromSize(kInner + half + kGap, row1, half, kButtonHeight));
  Place<Tessel::MButton>(window, mi::kRenameMacro, mi::kMacrosCard,
                         Rect::FromSize(kInner, row2, half, kButtonHeight));
  Place<Tessel::MButton>(window, mi::kDeleteMacro, mi::kMacrosCard,
                         Rect::FromSize(kInner + half + kGap, row2, half, kButtonHeight));
}

void CreateEventsCard(Tessel::PageHost& window) {
  AddCard(window, kPage, mi::kEventsCard, kEventsCard);
  const int inner = kEventsCard.Width() - 2 * kInner;
  const int third = (inner - 2 * kGap) / 3;
  Place<Tessel::MControlFont>(window, mi::kEventsTitle, mi::kEventsCard,
                              Rect::FromSize(kInner, 14, inner, 30), "card-title");
  Place<Tessel::CRecordList>(window, mi::kEventList, mi::kEventsCard,
                             Rect::FromSize(12, 56, kEventsCard.Width() - 24, 444));
  auto* empty = Place<Tessel::MControlFont>(window, mi::kEmptyHint, mi::kEventsCard,
                                            Rect::FromSize(60, 230, inner - 80, 64), "hint");
  empty->SetAlign(Tessel::TextAlign::Center);
  empty->SetWordWrap(true);
  Place<Tessel::MControlFont>(window, mi::kRoomLabel, mi::kEventsCard,
                              Rect::FromSize(kInner, 506, inner, 34), "hint");
  auto* state = Place<Tessel::MControlFont>(window, mi::kRecordingState, mi::kEventsCard,
                                            Rect::FromSize(kInner, 506, inner, 34), "accent");
  state->SetWordWrap(true);
  state->SetVisible(false);
  const int row1 = 548;
  const int row2 = row1 + kButtonHeight + kGap;
  const int lastWidth = inner - 2 * third - 2 * kGap;
  auto at = [&](int column, int row, int width) {
    return Rect::FromSize(kInner + column * (third + kGap), row, width, kButtonHeight);
  };
  Place<Tessel::MButton>(window, mi::kRecordButton, mi::kEventsCard, at(0, row1, third), "primary");
  Place<Tessel::MButton>(window, mi::kInsertButton, mi::kEventsCard, at(1, row1, third));
  Place<Tessel::MButton>(window, mi::kClearEvents, mi::kEventsCard, at(2, row1, lastWidth));
  Place<Tessel::MButton>(window, mi::kDeleteEvent, mi::kEventsCard, at(0, row2, third));
  Place<Tessel::MButton>(window, mi::kMoveUp, mi::kEventsCard, at(1, row2, third));
  Place<Tessel::MButton>(window, mi::kMoveDown, mi::kEventsCard, at(2, row2, lastWidth));
}

void CreateDelayOptions(Tessel::PageHost& window) {
  const int inner = kSettingsCard.Width() - 2 * kInner;
  Place<Tessel::MControlFont>(window, mi::kDelayTitle, mi::kSettingsCard,
                              Rect::FromSize(kInner, 14, inner, 30), "card-title");
  int y = 54;
  for (int id : mi::kDelayOptions) {
    auto* option = Place<Tessel::CRadioButton>(window, id, mi::kSettingsCard,
                                               Rect::FromSize(kInner, y, inner, 28));
    option->SetGroup(mi::kDelayGroup);
    y += 32;
  }
  window.GetControl<Tessel::CRadioButton>(mi::kDelayRecorded)->SetCheck(true);
  Place<Tessel::MControlFont>(window, mi::kFixedDelayLabel, mi::kSettingsCard,
                              Rect::FromSize(kInner + 28, y + 4, inner - 128, 32), "secondary");
  auto* field = Place<Tessel::MEdit>(window, mi::kFixedDelayField, mi::kSettingsCard,
                                     Rect::FromSize(kInner + inner - 92, y + 4, 92, 32));
  field->SetMaxLength(5);
  field->SetAlign(Tessel::TextAlign::Center);
  field->SetEditText(std::to_string(macros::kNewEventDelay));
  field->SetEnabled(false);
}

void CreateEditor(Tessel::PageHost& window) {
  const int inner = kSettingsCard.Width() - 2 * kInner;
  auto* area = window.CreateArea(mi::kEditorArea, mi::kSettingsCard);
  area->SetRect(Rect::FromSize(0, 212, kSettingsCard.Width(), 250));
  area->SetVisible(false);
  const int parent = mi::kEditorArea;
  Place<Tessel::MControlFont>(window, mi::kEditorTitle, parent,
                              Rect::FromSize(kInner, 0, inner, 30), "card-title");
  Place<Tessel::MControlFont>(window, mi::kEventKindLabel, parent,
                              Rect::FromSize(kInner, 42, 84, 34), "secondary");
  Place<Tessel::MComboBox>(window, mi::kEventKind, parent,
                           Rect::FromSize(kInner + 88, 42, inner - 88, 34));
  auto* key =
      Place<Tessel::MEdit>(window, mi::kKeyField, parent, Rect::FromSize(kInner, 88, inner, 44));
  key->SetReadOnly(true);  // the key pressed while it has the focus is all it shows
  key->SetAlign(Tessel::TextAlign::Center);
  key->SetFontSize(16);
  key->SetMaxLength(10);
  auto* hint = Place<Tessel::MControlFont>(window, mi::kKeyFieldHint, parent,
                                           Rect::FromSize(kInner, 138, inner, 40), "hint");
  hint->SetWordWrap(true);
  auto* pause = Place<Tessel::MEdit>(window, mi::kPauseField, parent,
                                     Rect::FromSize(kInner, 88, inner - 72, 36));
  pause->SetMaxLength(5);
  pause->SetAlign(Tessel::TextAlign::Center);
  Place<Tessel::MControlFont>(window, mi::kPauseUnit, parent,
                              Rect::FromSize(kInner + inner - 64, 88, 64, 36), "secondary");
  auto* buttons = Place<Tessel::MComboBox>(window, mi::kMouseButton, parent,
                                           Rect::FromSize(kInner, 88, inner, 36));
  for (const ButtonChoice& choice : kButtonChoices) buttons->AddItem("", choice.bit);
}

void CreateSettingsCard(Tessel::PageHost& window) {
  AddCard(window, kPage, mi::kSettingsCard, kSettingsCard);
  CreateDelayOptions(window);
  CreateEditor(window);
  const int inner = kSettingsCard.Width() - 2 * kInner;
  auto* source = Place<Tessel::MControlFont>(window, mi::kSourceHint, mi::kSettingsCard,
                                             Rect::FromSize(kInner, 540, inner, 88), "hint");
  source->SetWordWrap(true);
  source->SetVisible(false);
}

}  // namespace

void CreateMacroPageControls(Tessel::PageHost& window) {
  CreateMacrosCard(window);
  CreateEventsCard(window);
  CreateSettingsCard(window);
}

std::vector<TextBinding> MacroPageTextBindings() {
  std::vector<TextBinding> bindings = {
      {mi::kMacrosTitle, text::kMacroListTitle},
      {mi::kNewMacro, text::kMacroNewTip},
      {mi::kCopyMacro, text::kShortcutCopy},
      {mi::kRenameMacro, text::kMacroRename},
      // "Delete macro" does not fit the button: the card says whose button it is.
      {mi::kDeleteMacro, text::kMacroEventMenuDelete},
      {mi::kDeleteMacro, text::kMacroDeleteTip, TextTarget::ToolTip},
      {mi::kEventsTitle, text::kMacroEventsTitle},
      {mi::kEmptyHint, text::kMacroRecordHint},
      {mi::kInsertButton, text::kMacroInsertCaption},
      {mi::kClearEvents, text::kMacroClearEvents},
      {mi::kDeleteEvent, text::kMacroDeleteEvent},
      {mi::kMoveUp, text::kMacroMoveUp},
      {mi::kMoveDown, text::kMacroMoveDown},
      {mi::kDelayTitle, text::kMacroDelayTitle},
      {mi::kDelayNone, text::kMacroDelayNone},
      {mi::kDelayRecorded, text::kMacroDelayRecorded},
      {mi::kDelayFixed, text::kMacroDelayFixed},
      {mi::kFixedDelayLabel, text::kMacroFixedDelayLabel},
      {mi::kEditorTitle, text::kMacroEventEditorTitle},
      {mi::kEventKindLabel, text::kMacroEventKindLabel},
      {mi::kKeyFieldHint, text::kMacroKeyFieldTip},
      {mi::kKeyField, text::kMacroKeyFieldTip, TextTarget::ToolTip},
      {mi::kPauseUnit, text::kMacroMilliseconds},
      {mi::kSourceHint, text::kMacroOnlyThisWindow},
  };
  int item = 0;
  for (const ButtonChoice& choice : kButtonChoices) {
    bindings.push_back({mi::kMouseButton, choice.textId, TextTarget::Item, item++});
  }
  return bindings;
}

#include "keys/KeyAssignmentPage.h"

#include <algorithm>

#include "base/Log.h"
#include "base/Text.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "core/WindowMessages.h"
#include "keys/KeyAssignmentLayout.h"
#include "keys/KeyCodes.h"
#include "keys/KnobConfigDlg.h"
#include "keys/KnobFunctions.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/KeyControls.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/PageHost.h"

namespace keys {
namespace {

namespace ft = protocol::function_type;

// Items per row of each tab's grid; macros come three to a row of 60 pixels.
struct TabGrid {
  int tab;
  int columns;
};
constexpr TabGrid kTabGrids[] = {
    {key_ids::kTabKeys, 8},
    {key_ids::kTabMouse, 4},
    {key_ids::kTabMedia, 4},
    {key_ids::kTabShortcuts, 4},
    {key_ids::kTabKeyboardFunctions, 6},
};
constexpr int kMacroColumns = 3;
constexpr int kMacroRowHeight = 60;

int ColumnsOf(int tab) {
  for (const TabGrid& grid : kTabGrids) {
    if (grid.tab == tab) return grid.columns;
  }
  return Tessel::KeyFuncValue::kDefaultColumns;
}

// The stored functions the picker can show as its current item.
bool ListsFunctionType(int type) {
  return type == ft::kKeyboardKey || type == ft::kMacro || type == ft::kMouse ||
         type == ft::kMedia || type == ft::kShortcut || type == ft::kKeyboardFunction;
}

}  // namespace

KeyAssignmentPage::KeyAssignmentPage(Tessel::PageHost& host, SharedState& state,
                                     const CurrentModel& model, const core::TextTable& texts,
                                     KeyAssignmentService& service, InputRouter& input)
    : host_(host),
      state_(state),
      model_(model),
      texts_(texts),
      service_(service),
      keyTest_(host, input, texts),
      capture_(input) {}

KeyAssignmentPage::~KeyAssignmentPage() {
  capture_.End();
  keyTest_.StopKeyTest();
}

Tessel::KeyboardCtrl* KeyAssignmentPage::View() const {
  return host_.GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView);
}

Tessel::KeyFuncValue* KeyAssignmentPage::Picker() const {
  return host_.GetControl<Tessel::KeyFuncValue>(key_ids::kPicker);
}

std::string KeyAssignmentPage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

void KeyAssignmentPage::Say(int captionId, int textId) {
  host_.AskMessage(Text(captionId), Text(textId), false);
}

// Events ----------------------------------------------------------------------------------------

bool KeyAssignmentPage::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t) {
  TARVO_EXPECT_UI_THREAD();
  const bool click = code == Tessel::kEventClick;
  if (id == ids::kKeyboardView) {
    // On the lighting page the same clicks paint keys.
    if (state_.currentPage.load() != kPageKeys) return false;
    OnKeySelected(code, static_cast<int>(arg1));
    return true;
  }
  if (const auto mode =
          std::find(key_ids::kPlayModeButtons.begin(), key_ids::kPlayModeButtons.end(), id);
      mode != key_ids::kPlayModeButtons.end()) {
    if (click) {
      ShowPlayOptions(static_cast<int>(mode - key_ids::kPlayModeButtons.begin()), 1,
                      id == key_ids::kPlayCount);
      OnMacroPlayOptionChanged();
    }
    return true;
  }
  switch (id) {
    case key_ids::kLayerTabs:
      if (code == Tessel::kEventSelChanged) OnFnLayerChanged();
      return true;
    case key_ids::kFunctionTabs:
      if (code == Tessel::kEventSelChanged) {
        const auto position = static_cast<std::size_t>(arg1);
        if (position < key_ids::kPickerTabs.size()) {
          OnFunctionTabChanged(key_ids::kPickerTabs[position]);
        }
      }
      return true;
    case key_ids::kPicker:
      if (click) OnFunctionPicked();
      return true;
    case key_ids::kRepeatCount:
      if (code == Tessel::kEventCommit) OnMacroPlayOptionChanged();
      return true;
    case key_ids::kCaptureField:
      if (code == Tessel::kEventFocus) OnCaptureFieldFocus(arg1 != 0);
      return true;
    case key_ids::kApplyCombination:
      if (click) ApplyKeyCombination();
      return true;
    case key_ids::kRestoreKeyButton:
      if (click) RestoreSelectedKey();
      return true;
    case key_ids::kRestoreLayerButton:
      if (click) RestoreCurrentLayer();
      return true;
    default:
      return id >= key_ids::kFirstModifier &&
             id < key_ids::kFirstModifier + key_ids::kModifierCount;
  }
}

void KeyAssignmentPage::OnPageShown() {
  if (functionTab_ < 0) SelectTab(key_ids::kTabKeys);
  keyTest_.StartKeyTest();
  ShowCurrentLayer();
  ShowLayerAssignments();
}

void KeyAssignmentPage::OnPageLeft() {
  capture_.End();
  keyTest_.StopKeyTest();
}

void KeyAssignmentPage::ApplyTexts() {
  if (auto* field = host_.GetControl<Tessel::MEdit>(key_ids::kCaptureField)) {
    field->SetPlaceholder(Text(text::kCombinationCaptureHint));
  }
  // The picker's names follow the language.
  service_.BuildCatalogue();
  if (functionTab_ >= 0) host_.RunOnUiThread([this] { FillPicker(functionTab_); });
}

// The keyboard view -------------------------------------------------------------------------------

void KeyAssignmentPage::ShowLayerAssignments() {
  if (auto* view = View()) view->ResetAllItemCheck(0);
  selectedKey_.store(0);
  LabelLayer();
}

void KeyAssignmentPage::LabelLayer() {
  auto* view = View();
  if (view == nullptr) return;
  view->ResetTipKey();
  const int layer = state_.fnLayer.load();
  for (const storage::KeyAssignmentRecord& row :
       service_.LayerRows(state_.currentProfile.load(), layer)) {
    view->SetKeyItemInfo(row.key_code, row.macro_desc, row.macro_type, row.macro_desc);
  }
  view->UpdateControl();
}

void KeyAssignmentPage::ShowCurrentLayer() {
  if (auto* tabs = host_.GetControl<Tessel::MTabCtrl>(key_ids::kLayerTabs)) {
    tabs->SetCurSel(state_.fnLayer.load());
  }
}

void KeyAssignmentPage::OnKeyChanged(const storage::KeyAssignmentRecord& row) {
  if (row.profile != state_.currentProfile.load() || row.fn_layer != state_.fnLayer.load()) return;
  if (auto* view = View()) {
    view->SetKeyItemInfo(row.key_code, row.macro_desc, row.macro_type, row.macro_desc);
    view->UpdateControl();
  }
}

void KeyAssignmentPage::OnLayerChanged(int profile, int layer) {
  if (profile == state_.currentProfile.load() && layer == state_.fnLayer.load()) LabelLayer();
}

void KeyAssignmentPage::OnFnLayerChanged() {
  auto* tabs = host_.GetControl<Tessel::MTabCtrl>(key_ids::kLayerTabs);
  if (tabs == nullptr || tabs->GetCurSel() < 0) return;
  const int layer = std::clamp(static_cast<int>(tabs->GetCurData()), 0, protocol::kLayerCount - 1);
  state_.fnLayer.store(layer);
  // The labels change at once, whether or not a keyboard is there or tasks wait.
  ShowLayerAssignments();
}

void KeyAssignmentPage::OnKeySelected(int event, int code) {
  auto* view = View();
  selectedKey_.store(view != nullptr ? view->GetSelectedKeyCode() : 0);
  if (event == Tessel::kEventRightClick) {
    if (code > 0) OnKeyMenuAt(code);
    return;
  }
  if ((event != Tessel::kEventClick && event != Tessel::kEventDragOver) || code <= 0) return;
  if (code == Tessel::kKnobKeyCode) {
    OpenKnobDialog();
    return;
  }
  MarkStoredFunction(code);
}

void KeyAssignmentPage::MarkStoredFunction(int code) {
  auto* picker = Picker();
  if (picker == nullptr) return;
  const auto row = service_.Row(state_.currentProfile.load(), state_.fnLayer.load(), code);
  // Only the tab of the stored function lists it: another tab's item with the same value is
  // another function.
  if (row && ListsFunctionType(row->macro_type) && row->macro_type == functionTab_) {
    picker->SetCurData(row->macro_value);
  } else {
    picker->SetCurData(-1);
  }
}

void KeyAssignmentPage::OnKeyMenuAt(int) {
  host_.TrackMenu(UM_KEY_FUNCTION_MENU, {{kMenuRestoreKey, Text(text::kKeyRestoreKey)},
                                         {kMenuKeys, Text(text::kPickerTabKeys)},
                                         {kMenuMacros, Text(text::kPickerTabMacros)},
                                         {kMenuMouse, Text(text::kPickerTabMouse)},
                                         {kMenuShortcuts, Text(text::kPickerTabShortcuts)}});
}

void KeyAssignmentPage::OnKeyMenu(int item) {
  switch (item) {
    case kMenuRestoreKey:
      RestoreSelectedKey();
      SelectTab(key_ids::kTabKeys);
      break;
    case kMenuKeys:
      SelectTab(key_ids::kTabKeys);
      break;
    case kMenuMacros:
    case kMenuMouse:
    case kMenuShortcuts:
      SelectTab(item);
      if (selectedKey_.load() > 0) MarkStoredFunction(selectedKey_.load());
      break;
    default:
      break;
  }
}

void KeyAssignmentPage::OnViewDrag(int x, int y) {
  if (auto* view = View()) view->DragMove(x, y);
}

// The function picker -----------------------------------------------------------------------------

void KeyAssignmentPage::SelectTab(int tab) {
  auto* tabs = host_.GetControl<Tessel::TabCtrlEx>(key_ids::kFunctionTabs);
  if (tabs != nullptr) tabs->SelectData(tab);
  OnFunctionTabChanged(tab);
}

void KeyAssignmentPage::OnFunctionTabChanged(int tab) {
  if (functionTab_ == key_ids::kTabCombination && tab != key_ids::kTabCombination) {
    capture_.End();
  }
  const bool macros = tab == key_ids::kTabMacros;
  const bool combination = tab == key_ids::kTabCombination;
  host_.SetVisible(key_ids::kMacroPanel, macros);
  host_.SetVisible(key_ids::kCombinationPanel, combination);
  host_.SetVisible(key_ids::kPicker, tab != key_ids::kTabDefault && !combination);
  host_.SetVisible(key_ids::kPageHint, tab == key_ids::kTabDefault);
  functionTab_ = tab;
  if (auto* tabs = host_.GetControl<Tessel::TabCtrlEx>(key_ids::kFunctionTabs)) {
    tabs->SelectData(tab);
  }
  // The default tab restores the selected key; without one it only shows how to choose one.
  if (tab == key_ids::kTabDefault && selectedKey_.load() > 0) RestoreSelectedKey();
  if (macros) ShowPlayOptions(0, 1, true);
  if (combination) {
    capturedKey_ = 0;
    if (auto* field = host_.GetControl<Tessel::MEdit>(key_ids::kCaptureField))
      field->SetEditText("");
  }
  FillPicker(tab);
  if (selectedKey_.load() > 0) MarkStoredFunction(selectedKey_.load());
}

void KeyAssignmentPage::FillPicker(int tab) {
  auto* picker = Picker();
  if (picker == nullptr) return;
  picker->ClearList();
  const bool macros = tab == key_ids::kTabMacros;
  picker->SetRect(PickerRect(macros));
  if (macros) {
    const std::vector<MacroName> list = service_.MacroList();
    for (const MacroName& macro : list) picker->AddItem(macro.name, macro.id);
    picker->SetColumns(kMacroColumns);
    const int rows = (static_cast<int>(list.size()) + kMacroColumns - 1) / kMacroColumns;
    picker->SetAllHeight(rows * kMacroRowHeight);
    return;
  }
  picker->SetColumns(ColumnsOf(tab));
  picker->SetAllHeight(0);
  if (tab == key_ids::kTabDefault || tab == key_ids::kTabCombination) return;
  for (const KeyFunctionEntry& entry : service_.Catalogue().OfType(tab)) {
    picker->AddItem(entry.name, entry.code, entry.note);
  }
}

void KeyAssignmentPage::OnFunctionPicked() {
  int value = 0;
  std::string name;
  auto* picker = Picker();
  if (picker == nullptr || !picker->GetCurValue(value, name) || name.empty()) return;
  protocol::KeyFunction function{functionTab_, value, 0, 0};
  if (functionTab_ == key_ids::kTabMacros) {
    if (service_.MacroEventCount(value) < 1) {
      Say(text::kAssignMacroCaption, text::kMacroWithoutEventsMessage);
      return;
    }
    // The key plays the macro as the options show it: the macro's own play options.
    const auto macro = service_.Macro(value);
    const int mode = macro ? std::clamp(macro->play_type, 0, 3) : 0;
    const int count = macro ? std::clamp(macro->play_times, 1, 255) : 1;
    ShowPlayOptions(mode, count, mode == 0);
    function.value2 = mode;
    function.value3 = mode == 0 ? count : 0;
  }
  const int key = selectedKey_.load();
  if (key <= 0) {
    Say(text::kNotice, text::kNoKeySelectedMessage);
    return;
  }
  ShowOutcome(service_.AssignFunction(state_.fnLayer.load(), key, {function, name}));
}

// Macro play options
// -------------------------------------------------------------------------------

void KeyAssignmentPage::ShowPlayOptions(int mode, int count, bool enabled) {
  for (std::size_t i = 0; i < key_ids::kPlayModeButtons.size(); ++i) {
    if (auto* radio = host_.GetControl<Tessel::CRadioButton>(key_ids::kPlayModeButtons[i]))
      radio->SetCheck(static_cast<int>(i) == mode);
  }
  if (auto* field = host_.GetControl<Tessel::MEdit>(key_ids::kRepeatCount)) {
    field->SetEditText(std::to_string(count));
    field->SetEnabled(enabled);
  }
}

int KeyAssignmentPage::CheckedPlayMode() const {
  for (std::size_t i = 1; i < key_ids::kPlayModeButtons.size(); ++i) {
    auto* radio = host_.GetControl<Tessel::CRadioButton>(key_ids::kPlayModeButtons[i]);
    if (radio != nullptr && radio->GetCheck()) return static_cast<int>(i);
  }
  return 0;
}

void KeyAssignmentPage::OnMacroPlayOptionChanged() {
  int value = 0;
  std::string name;
  auto* picker = Picker();
  if (picker == nullptr || !picker->GetCurValue(value, name) || name.empty()) return;
  const int key = selectedKey_.load();
  if (key <= 0) return;
  const int mode = CheckedPlayMode();
  auto* field = host_.GetControl<Tessel::MEdit>(key_ids::kRepeatCount);
  const std::string typed = field != nullptr ? field->GetEditText() : std::string();
  const int count = base::Trim(typed).empty() ? 1 : base::ToInt(typed);
  const ChangeResult result =
      service_.SetMacroPlayOptions(state_.fnLayer.load(), key, value, name, mode, count);
  ShowOutcome(result);
  // The field shows the count as stored (0 became 1, 300 became 255).
  if (result == ChangeResult::kDone && mode == 0 && field != nullptr) {
    if (const auto row = service_.Row(state_.currentProfile.load(), state_.fnLayer.load(), key))
      field->SetEditText(std::to_string(row->macro_value3));
  }
}

// The key combination
// -------------------------------------------------------------------------------

void KeyAssignmentPage::OnCaptureFieldFocus(bool gained) {
  if (!gained) {
    capture_.End();
    if (state_.currentPage.load() == kPageKeys) keyTest_.StartKeyTest();
    return;
  }
  capturedKey_ = 0;
  if (auto* field = host_.GetControl<Tessel::MEdit>(key_ids::kCaptureField)) field->SetEditText("");
  // The key test and the capture do not watch the keys together.
  keyTest_.StopKeyTest();
  if (!capture_.Begin([this](const KeyEvent& event, auto) { OnCapturedKey(event); })) {
    base::DebugLog("keys: no input source for the key combination");
  }
}

void KeyAssignmentPage::OnCapturedKey(const KeyEvent& event) {
  if (event.kind != event_kind::kKey && event.kind != event_kind::kIgnored) return;
  capturedKey_ = event.value;
  if (auto* field = host_.GetControl<Tessel::MEdit>(key_ids::kCaptureField))
    field->SetEditText(event.name);
}

int KeyAssignmentPage::ModifierMask() const {
  int mask = 0;
  for (int i = 0; i < key_ids::kModifierCount; ++i) {
    auto* toggle = host_.GetControl<Tessel::CCheckButton>(key_ids::kFirstModifier + i);
    if (toggle != nullptr && toggle->GetCheck()) mask |= 1 << i;
  }
  return mask;
}

void KeyAssignmentPage::ApplyKeyCombination() {
  const int key = selectedKey_.load();
  if (key <= 0) {
    Say(text::kCombinationCaption, text::kNoKeySelectedMessage);
    return;
  }
  const int usage = VirtualKeyToUsage(capturedKey_);
  auto* field = host_.GetControl<Tessel::MEdit>(key_ids::kCaptureField);
  // A key without a usage (a volume key, say) is no part of the combination the keyboard sends.
  const std::string keyName = usage != 0 && field != nullptr ? field->GetEditText() : std::string();
  const int mask = ModifierMask();
  const ChangeResult result = service_.AssignFunction(
      state_.fnLayer.load(), key,
      {{ft::kKeyboardKey, usage, mask, 0}, CombinationDescription(mask, keyName)});
  if (result == ChangeResult::kUnknownFunction) {
    Say(text::kCombinationCaption, text::kCombinationCaptureHint);
    return;
  }
  ShowOutcome(result);
}

// Restoring
// -----------------------------------------------------------------------------------------

void KeyAssignmentPage::RestoreSelectedKey() {
  const int key = View() != nullptr ? View()->GetSelectedKeyCode() : 0;
  if (selectedKey_.load() <= 0 || key <= 0) {
    RestoreCurrentLayer();
    return;
  }
  ShowOutcome(service_.ResetKey(state_.fnLayer.load(), key));
}

void KeyAssignmentPage::RestoreCurrentLayer() {
  if (host_.AskMessage(Text(text::kKeyRestoreLayerCaption), Text(text::kKeyRestoreLayerMessage),
                       true) == Tessel::kResultCancel) {
    return;
  }
  ShowOutcome(service_.ResetLayer(state_.fnLayer.load()));
}

void KeyAssignmentPage::ShowOutcome(ChangeResult result) {
  switch (result) {
    case ChangeResult::kDone:
      return;
    case ChangeResult::kMacroWithoutEvents:
      Say(text::kAssignMacroCaption, text::kMacroWithoutEventsMessage);
      return;
    case ChangeResult::kNotStored:
      // The keys show what is stored, and the user hears that the change did not stay.
      LabelLayer();
      Say(text::kNotice, text::kKeyNotStoredMessage);
      return;
    case ChangeResult::kFactoryTablesUnread:
      Say(text::kNotice, text::kKeyTablesUnknownMessage);
      return;
    default:
      base::DebugLog("keys: change not made: %s", ChangeResultName(result));
      return;
  }
}

// The knob
// ------------------------------------------------------------------------------------------

void KeyAssignmentPage::OpenKnobDialog() {
  if (!model_.Get().HasKnob() || openKnobDialog_ != nullptr) return;
  const int layer = state_.fnLayer.load();
  KnobConfigDlg dialog(texts_, BuildKnobFunctionList(service_.Catalogue(), texts_), layer,
                       service_.KnobRowsOfLayer(layer));
  openKnobDialog_ = &dialog;
  host_.RunDialog(dialog, Text(text::kKnobTitle), KnobConfigDlg::kWidth, KnobConfigDlg::kHeight);
  // Choices whose message has not arrived yet are taken now: none is lost with the dialog.
  for (int action : dialog.UntakenActions()) TakeKnobRows(dialog, action);
  openKnobDialog_ = nullptr;
}

void KeyAssignmentPage::OnKnobConfig(int action, std::intptr_t dialog) {
  if (action < 0 || action >= KnobConfigDlg::kActionCount) return;
  if (dialog == 0) {
    // Somebody asks for an action to be sent as it is.
    const int layer = state_.fnLayer.load();
    service_.SetKnobRows(layer, service_.KnobRowsOfLayer(layer), action);
    return;
  }
  // A dialog that has closed already handed its choices over.
  if (openKnobDialog_ == nullptr || dialog != reinterpret_cast<std::intptr_t>(openKnobDialog_))
    return;
  TakeKnobRows(*openKnobDialog_, action);
}

void KeyAssignmentPage::TakeKnobRows(KnobConfigDlg& dialog, int action) {
  service_.SetKnobRows(dialog.Layer(), dialog.GetRows(), action);
  dialog.MarkTaken(action);
}

}  // namespace keys

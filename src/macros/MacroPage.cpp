#include "macros/MacroPage.h"

#include <algorithm>

#include "base/Log.h"
#include "base/Text.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "core/WindowMessages.h"
#include "macros/MacroPageLayout.h"
#include "platform/input/SourceChoice.h"
#include "protocol/MacroImage.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/ProfileList.h"
#include "ui/tessel/RecordList.h"

namespace macros {
namespace {

namespace mi = macro_ids;
namespace me = protocol::macro_event;

// The key an inserted key press starts with; the editor's key field takes the real one.
constexpr int kInsertedKey = 'A';

Tessel::RecordItem ItemOf(const MacroEvent& event) {
  return {event.text, event.type, event.value, event.delay};
}

MacroEvent EventOf(const Tessel::RecordItem& item) {
  return {item.type, item.value, item.delay, item.text};
}

int KindOf(int type) {
  switch (type) {
    case me::kDelay:
      return mi::kKindPause;
    case me::kKeyDown:
    case me::kKeyUp:
      return mi::kKindKey;
    case me::kButtonDown:
    case me::kButtonUp:
      return mi::kKindMouse;
    default:
      return 0;
  }
}

int KindText(int kind) {
  switch (kind) {
    case mi::kKindPause:
      return text::kMacroEventKindDelay;
    case mi::kKindKey:
      return text::kMacroEventKindKey;
    default:
      return text::kMacroEventKindMouse;
  }
}

}  // namespace

MacroPage::MacroPage(Tessel::PageHost& host, const core::TextTable& texts, MacroService& service,
                     keys::InputRouter& input, MacroRecorder::ClockSource clock)
    : host_(host),
      texts_(texts),
      service_(service),
      input_(input),
      capture_(input),
      recorder_(std::move(clock)) {}

MacroPage::~MacroPage() {
  capture_.End();
}

Tessel::MacroList* MacroPage::List() const {
  return host_.GetControl<Tessel::MacroList>(mi::kMacroList);
}

Tessel::CRecordList* MacroPage::Events() const {
  return host_.GetControl<Tessel::CRecordList>(mi::kEventList);
}

std::string MacroPage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

void MacroPage::Say(int captionId, int textId) {
  host_.AskMessage(Text(captionId), Text(textId), false);
}

// Events of the page ----------------------------------------------------------------------------

bool MacroPage::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t) {
  const bool click = code == Tessel::kEventClick;
  switch (id) {
    case mi::kMacroList:
      if (code == Tessel::kEventSelChanged) SelectMacro(SelectedMacro());
      if (code == Tessel::kEventCommit) RenameSelectedMacro();
      return true;
    case mi::kNewMacro:
      if (click) NewMacro();
      return true;
    case mi::kCopyMacro:
      if (click) CopySelectedMacro();
      return true;
    case mi::kRenameMacro:
      if (click) StartRename();
      return true;
    case mi::kDeleteMacro:
      if (click) DeleteSelectedMacro();
      return true;
    case mi::kEventList:
      if (code == Tessel::kEventSelChanged) OnEventSelected(static_cast<int>(arg1));
      if (code == Tessel::kEventRightClick) OpenEventMenu(static_cast<int>(arg1));
      return true;
    case mi::kRecordButton:
      if (click) ToggleRecording();
      return true;
    case mi::kInsertButton:
      if (click) OpenInsertMenu();
      return true;
    case mi::kDeleteEvent:
      if (click) DeleteSelectedEvent();
      return true;
    case mi::kMoveUp:
      if (click) MoveEventUp();
      return true;
    case mi::kMoveDown:
      if (click) MoveEventDown();
      return true;
    case mi::kClearEvents:
      if (click) ClearEvents();
      return true;
    case mi::kDelayNone:
    case mi::kDelayRecorded:
    case mi::kDelayFixed:
      if (click) OnDelayOptionChanged(id);
      return true;
    case mi::kFixedDelayField:
      if (code == Tessel::kEventCommit || (code == Tessel::kEventFocus && arg1 == 0))
        OnFixedDelayEdited();
      return true;
    case mi::kKeyField:
      if (code == Tessel::kEventFocus) OnKeyFieldFocus(arg1 != 0);
      return true;
    case mi::kPauseField:
      if (code == Tessel::kEventCommit || (code == Tessel::kEventFocus && arg1 == 0))
        OnPauseEdited();
      return true;
    case mi::kMouseButton:
      if (code == Tessel::kEventSelChanged) OnMouseButtonChosen();
      return true;
    default:
      return false;
  }
}

std::optional<std::intptr_t> MacroPage::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                                        std::intptr_t lParam) {
  switch (message) {
    case UM_MACRO_INSERT_MENU:
      OnInsertMenu(static_cast<int>(wParam));
      return 1;
    case UM_MACRO_EVENT_MENU:
      OnEventMenu(static_cast<int>(wParam));
      return 1;
    case UM_RECORD_KEY:
      return OnRecordKey(reinterpret_cast<const RecordedInput*>(lParam));
    case UM_RECORD_MOUSE:
      return OnRecordMouse(reinterpret_cast<const RecordedInput*>(lParam));
    case Tessel::WM_SHOWWINDOW:
      // Hidden or minimised: nobody sees the recording any more.
      if (wParam == Tessel::kHide || wParam == Tessel::kMinimize ||
          wParam == Tessel::kShowMinimized) {
        StopRecording();
        EndKeyCapture();
      }
      return std::nullopt;  // the window's other rooms hear of it too
    default:
      return std::nullopt;
  }
}

void MacroPage::OnPageShown() {
  // A database without macros gets the ten default ones when the page is visited.
  if (List() != nullptr && List()->GetItemCount() == 0 && service_.EnsureDefaultMacros()) {
    ReloadList(0);
  }
  host_.SetVisible(mi::kSourceHint, !platform::input::SeesOtherPrograms(input_.Kind()));
  ShowRoom();
}

void MacroPage::OnPageLeft() {
  StopRecording();
  EndKeyCapture();
}

void MacroPage::Shutdown() {
  StopRecording();
  EndKeyCapture();
}

void MacroPage::ApplyTexts() {
  if (auto* record = host_.GetControl<Tessel::MButton>(mi::kRecordButton))
    record->SetTitle(Text(Recording() ? text::kMacroStopRecording : text::kMacroRecord));
  if (auto* kind = host_.GetControl<Tessel::MComboBox>(mi::kEventKind); kind && kind->GetCount())
    kind->SetItemText(0, Text(KindText(static_cast<int>(kind->GetItemData(0)))));
  ShowRoom();
  ShowMacroCount();
}

// The macro list ---------------------------------------------------------------------------------

void MacroPage::LoadMacroPage() {
  host_.RunOnUiThread([this] { ReloadList(0); });
}

void MacroPage::ReloadList(int macroId) {
  StopRecording();
  EndKeyCapture();
  Tessel::MacroList* list = List();
  if (list == nullptr) return;
  list->ClearList();
  for (const storage::MacroRecord& macro : service_.ListMacros()) {
    list->AddItem(service_.DisplayName(macro.name), macro.macro_id, "");
  }
  ShowMacroCount();
  if (list->GetItemCount() == 0) {
    ShowEvents({});
    ShowEditor(false);
    ShowRoom();
    return;
  }
  if (macroId <= 0 || !list->SetCurData(macroId)) list->SetSelectItem(0);
  SelectMacro(SelectedMacro());
}

int MacroPage::SelectedMacro() const {
  const Tessel::MacroList* list = List();
  return list == nullptr ? 0 : static_cast<int>(list->GetCurData());
}

void MacroPage::SelectMacro(int macroId) {
  EndKeyCapture();
  ShowEditor(false);
  const std::optional<storage::MacroRecord> macro = service_.Macro(macroId);
  if (!macro) {
    ShowEvents({});
    ShowRoom();
    return;
  }
  ShowDelaySettings(*macro);
  ShowEvents(service_.Events(macroId));
  ShowRoom();
}

void MacroPage::ShowMacroCount() {
  if (auto* count = host_.GetControl<Tessel::MControlFont>(mi::kMacroCount)) {
    const int macros = List() != nullptr ? List()->GetItemCount() : 0;
    count->SetTitle(std::to_string(macros) + " / " + std::to_string(MacroService::kMaxMacros));
  }
}

void MacroPage::NewMacro() {
  Tessel::MacroList* list = List();
  if (list == nullptr) return;
  if (static_cast<std::size_t>(list->GetItemCount()) >= MacroService::kMaxMacros) {
    Say(text::kMacroBaseName, text::kMacroLimitMessage);
    return;
  }
  std::vector<std::string> taken;
  for (const auto& item : list->GetItems()) taken.push_back(item.text);
  const std::string name = service_.NewMacroName(taken);
  int macroId = 0;
  const MacroResult result = service_.AddMacro(name, &macroId);
  if (result == MacroResult::kLimit) Say(text::kMacroBaseName, text::kMacroLimitMessage);
  if (result != MacroResult::kDone) return;
  list->SetSelectItem(list->AddItem(name, macroId, ""));
  ShowMacroCount();
  SelectMacro(macroId);
}

void MacroPage::CopySelectedMacro() {
  Tessel::MacroList* list = List();
  const int source = SelectedMacro();
  if (list == nullptr || source <= 0) return;
  int macroId = 0;
  switch (service_.CopyMacro(source, &macroId)) {
    case MacroResult::kDone:
      break;
    case MacroResult::kLimit:
      Say(text::kMacroBaseName, text::kMacroLimitMessage);
      return;
    case MacroResult::kNoRoom:
      Say(text::kMacroBaseName, text::kMacroMemoryFullMessage);
      return;
    case MacroResult::kMemoryUnknown:
      Say(text::kMacroBaseName, text::kMacroMemoryUnknown);
      return;
    default:
      return;
  }
  const std::optional<storage::MacroRecord> copy = service_.Macro(macroId);
  list->SetSelectItem(list->AddItem(service_.DisplayName(copy ? copy->name : ""), macroId, ""));
  ShowMacroCount();
  SelectMacro(macroId);
}

void MacroPage::DeleteSelectedMacro() {
  Tessel::MacroList* list = List();
  if (list == nullptr) return;
  const int position = list->GetSelectItem();
  const int macroId = SelectedMacro();
  if (position < 0 || macroId <= 0) return;
  if (service_.DeleteMacro(macroId) != MacroResult::kDone) return;
  list->DeleteItem(position);
  list->SetSelectItem(position - 1);
  ShowMacroCount();
  if (position - 1 >= 0) {
    SelectMacro(static_cast<int>(list->GetItemData(position - 1)));
  } else {
    ShowEvents({});
    ShowEditor(false);
    ShowRoom();
  }
}

void MacroPage::StartRename() {
  if (Tessel::MacroList* list = List(); list != nullptr && list->GetSelectItem() >= 0)
    list->ShowEdit(list->GetSelectItem());
}

void MacroPage::RenameSelectedMacro() {
  Tessel::MacroList* list = List();
  const int macroId = SelectedMacro();
  if (list == nullptr || macroId <= 0) return;
  const int position = list->GetSelectItem();
  const std::string typed = list->GetItemText(position);
  // An empty name (or one that cannot be stored) gives the old name back.
  if (base::Trim(typed).empty() || service_.RenameMacro(macroId, typed) != MacroResult::kDone) {
    if (const std::optional<storage::MacroRecord> macro = service_.Macro(macroId))
      list->SetItemText(position, service_.DisplayName(macro->name));
  }
}

// The event list
// -----------------------------------------------------------------------------------

std::vector<MacroEvent> MacroPage::ListedEvents() const {
  std::vector<MacroEvent> events;
  if (const Tessel::CRecordList* list = Events()) {
    for (const Tessel::RecordItem& item : list->GetRecordItems()) events.push_back(EventOf(item));
  }
  return events;
}

void MacroPage::ShowEvents(const std::vector<MacroEvent>& events, int selected) {
  Tessel::CRecordList* list = Events();
  if (list == nullptr) return;
  std::vector<Tessel::RecordItem> items;
  items.reserve(events.size());
  for (const MacroEvent& event : events) items.push_back(ItemOf(event));
  list->SetRecordItems(std::move(items));
  list->SetCurSel(selected);
  host_.SetVisible(mi::kEmptyHint, events.empty());
}

std::optional<std::size_t> MacroPage::RoomLeft() {
  const std::optional<std::size_t> most = service_.MaxEventsOf(SelectedMacro());
  if (!most) return std::nullopt;
  const std::size_t listed = Events() != nullptr ? Events()->GetItemCount() : 0;
  return *most > listed ? *most - listed : 0;
}

void MacroPage::ShowRoom() {
  auto* label = host_.GetControl<Tessel::MControlFont>(mi::kRoomLabel);
  if (label == nullptr) return;
  const std::optional<std::size_t> room = SelectedMacro() > 0 ? RoomLeft() : std::nullopt;
  if (!room) {
    label->SetTitle(SelectedMacro() > 0 ? Text(text::kMacroMemoryUnknown) : std::string());
    return;
  }
  label->SetTitle(base::Format(Text(text::kMacroRoomLeft), std::to_string(*room)));
}

bool MacroPage::HasRoomFor(std::size_t events, int captionId) {
  if (SelectedMacro() <= 0) {
    Say(captionId, text::kMacroNoneSelectedMessage);
    return false;
  }
  const std::optional<std::size_t> room = RoomLeft();
  if (!room) {
    Say(captionId, text::kMacroMemoryUnknown);
    return false;
  }
  if (*room < events) {
    Say(captionId, text::kMacroMemoryFullMessage);
    return false;
  }
  return true;
}

bool MacroPage::SaveEvents() {
  const int macroId = SelectedMacro();
  if (macroId <= 0) return false;
  const MacroResult result = service_.ReplaceEvents(macroId, ListedEvents());
  if (result != MacroResult::kDone) {
    // What is stored is what the page shows.
    ShowEvents(service_.Events(macroId));
    ShowEditor(false);
    if (result == MacroResult::kNoRoom) Say(text::kMacroRecord, text::kMacroMemoryFullMessage);
    if (result == MacroResult::kMemoryUnknown) Say(text::kMacroRecord, text::kMacroMemoryUnknown);
  }
  host_.SetVisible(mi::kEmptyHint, Events() != nullptr && Events()->GetItemCount() == 0);
  ShowRoom();
  return result == MacroResult::kDone;
}

void MacroPage::ClearEvents() {
  const int macroId = SelectedMacro();
  if (macroId <= 0) return;
  EndKeyCapture();
  service_.ClearEvents(macroId);
  ShowEvents(service_.Events(macroId));
  ShowEditor(false);
  ShowRoom();
}

void MacroPage::DeleteSelectedEvent() {
  Tessel::CRecordList* list = Events();
  if (list == nullptr) return;
  const int position = list->GetCurSel();
  if (position < 0) return;
  EndKeyCapture();
  list->DeleteItem(position);
  list->SetCurSel(position - 1);
  if (SaveEvents() && position - 1 >= 0) {
    OnEventSelected(position - 1);
  } else {
    ShowEditor(false);
  }
}

void MacroPage::MoveEventUp() {
  Tessel::CRecordList* list = Events();
  if (list == nullptr) return;
  const int position = list->GetCurSel();
  if (position <= 0) return;
  list->SwapItem(position, position - 1);
  list->SetCurSel(position - 1);
  list->EnsureVisible(position - 1);
  SaveEvents();
}

void MacroPage::MoveEventDown() {
  Tessel::CRecordList* list = Events();
  if (list == nullptr) return;
  const int position = list->GetCurSel();
  if (position < 0 || position + 1 >= list->GetItemCount()) return;
  list->SwapItem(position, position + 1);
  list->SetCurSel(position + 1);
  list->EnsureVisible(position + 1);
  SaveEvents();
}

void MacroPage::InsertEvents(std::vector<MacroEvent> events) {
  Tessel::CRecordList* list = Events();
  if (list == nullptr || !HasRoomFor(events.size(), text::kMacroInsertCaption)) return;
  const int selected = list->GetCurSel();
  int position = selected >= 0 ? selected + 1 : (insertAtStart_ ? 0 : list->GetItemCount());
  const int first = position;
  for (MacroEvent& event : events) list->InsertItem(position++, ItemOf(event));
  list->SetCurSel(first);
  list->EnsureVisible(position - 1);
  if (SaveEvents()) OnEventSelected(first);
}

void MacroPage::OpenInsertMenu() {
  if (SelectedMacro() <= 0) {
    Say(text::kMacroInsertCaption, text::kMacroNoneSelectedMessage);
    return;
  }
  if (!HasRoomFor(1, text::kMacroInsertCaption)) return;
  host_.TrackMenu(UM_MACRO_INSERT_MENU,
                  {{kInsertKeyPress, Text(text::kMacroInsertKeyPress)},
                   {kInsertClick, Text(text::kMacroInsertMouseClick)},
                   {kInsertPause, Text(text::kMacroInsertDelay)},
                   {kInsertAtStart, Text(text::kMacroInsertAtStart), insertAtStart_},
                   {kInsertAtEnd, Text(text::kMacroInsertAtEnd), !insertAtStart_}});
}

void MacroPage::OnInsertMenu(int item) {
  switch (item) {
    case kInsertAtStart:
    case kInsertAtEnd:
      insertAtStart_ = item == kInsertAtStart;
      break;
    case kInsertKeyPress:
      InsertEvents({MakeKeyEvent(kInsertedKey, true), MakeKeyEvent(kInsertedKey, false)});
      // The next key pressed becomes the key of the pair.
      if (auto* field = host_.GetControl<Tessel::MEdit>(mi::kKeyField); field && field->IsShown())
        field->SetFocus();
      break;
    case kInsertClick:
      InsertEvents({MakeButtonEvent(button::kLeft, true), MakeButtonEvent(button::kLeft, false)});
      break;
    case kInsertPause:
      InsertEvents({MakePauseEvent(kNewEventDelay)});
      break;
    default:
      break;
  }
}

void MacroPage::OpenEventMenu(int position) {
  const Tessel::CRecordList* list = Events();
  if (list == nullptr || SelectedMacro() <= 0) return;
  menuPosition_ = position;
  std::vector<Tessel::MenuItem> items;
  if (position >= 0) {
    OnEventSelected(position);
    items = {{kEventEdit, Text(text::kMacroEventMenuEdit)},
             {kEventDuplicate, Text(text::kMacroEventMenuDuplicate)},
             {kEventDelete, Text(text::kMacroEventMenuDelete)}};
  }
  if (list->GetItemCount() > 0) items.push_back({kEventClearAll, Text(text::kMacroEventMenuClear)});
  if (!items.empty()) host_.TrackMenu(UM_MACRO_EVENT_MENU, items);
}

void MacroPage::OnEventMenu(int item) {
  Tessel::CRecordList* list = Events();
  if (list == nullptr) return;
  const int position = menuPosition_;
  switch (item) {
    case kEventEdit:
      if (position < 0) return;
      list->SetCurSel(position);
      OnEventSelected(position);
      for (int id : {mi::kKeyField, mi::kPauseField}) {
        if (auto* field = host_.GetControl<Tessel::MEdit>(id); field && field->IsShown())
          field->SetFocus();
      }
      break;
    case kEventDuplicate:
      if (const std::optional<Tessel::RecordItem> event = list->GetRecordInfo(position)) {
        list->SetCurSel(position);
        InsertEvents({EventOf(*event)});
      }
      break;
    case kEventDelete:
      list->SetCurSel(position);
      DeleteSelectedEvent();
      break;
    case kEventClearAll:
      ClearEvents();
      break;
    default:
      break;
  }
}

// Delay options
// ------------------------------------------------------------------------------------

int MacroPage::CheckedDelayType() const {
  for (std::size_t type = 0; type < mi::kDelayOptions.size(); ++type) {
    const auto* option = host_.GetControl<Tessel::CRadioButton>(mi::kDelayOptions[type]);
    if (option != nullptr && option->GetCheck()) return static_cast<int>(type);
  }
  return kDelayRecorded;
}

int MacroPage::FixedDelayField() {
  auto* field = host_.GetControl<Tessel::MEdit>(mi::kFixedDelayField);
  if (field == nullptr) return kNewEventDelay;
  if (base::Trim(field->GetEditText()).empty()) field->SetEditText(std::to_string(kNewEventDelay));
  return std::clamp(base::ToInt(field->GetEditText()), kMinTypedDelay, kMaxTypedDelay);
}

void MacroPage::ShowDelaySettings(const storage::MacroRecord& macro) {
  const int type =
      std::clamp(macro.delay_type, static_cast<int>(kDelayNone), static_cast<int>(kDelayFixed));
  if (auto* option = host_.GetControl<Tessel::CRadioButton>(mi::kDelayOptions[type]))
    option->SetCheck(true);
  if (auto* field = host_.GetControl<Tessel::MEdit>(mi::kFixedDelayField)) {
    const bool fixed = type == kDelayFixed;
    field->SetEditText(std::to_string(
        fixed ? std::clamp(macro.delay_time, kMinTypedDelay, kMaxTypedDelay) : kNewEventDelay));
    field->SetEnabled(fixed && !Recording());
  }
}

void MacroPage::OnDelayOptionChanged(int option) {
  if (auto* field = host_.GetControl<Tessel::MEdit>(mi::kFixedDelayField)) {
    const bool fixed = option == mi::kDelayFixed;
    if (fixed) field->SetEditText(std::to_string(kNewEventDelay));
    field->SetEnabled(fixed);
  }
  SaveDelaySettings();
}

void MacroPage::OnFixedDelayEdited() {
  auto* field = host_.GetControl<Tessel::MEdit>(mi::kFixedDelayField);
  if (field == nullptr) return;
  const std::string typed = field->GetEditText();
  if (!base::Trim(typed).empty()) {
    const int value = std::clamp(base::ToInt(typed), kMinTypedDelay, kMaxTypedDelay);
    if (std::to_string(value) != typed) {
      field->SetEditText(std::to_string(value));
      field->SetToolTip(std::to_string(value));
    }
  }
  SaveDelaySettings();
}

void MacroPage::SaveDelaySettings() {
  const int macroId = SelectedMacro();
  if (macroId <= 0) return;
  const int type = CheckedDelayType();
  const int time = type == kDelayFixed ? FixedDelayField() : 0;
  if (service_.SetDelaySettings(macroId, type, time) != MacroResult::kDone) {
    if (const std::optional<storage::MacroRecord> macro = service_.Macro(macroId))
      ShowDelaySettings(*macro);
  }
}

// The event editor -------------------------------------------------------------------------------

void MacroPage::ShowEditor(bool shown) {
  host_.SetVisible(mi::kEditorArea, shown);
}

void MacroPage::ShowEditorKind(int kind) {
  host_.SetVisible(mi::kKeyField, kind == mi::kKindKey);
  host_.SetVisible(mi::kKeyFieldHint, kind == mi::kKindKey);
  host_.SetVisible(mi::kPauseField, kind == mi::kKindPause);
  host_.SetVisible(mi::kPauseUnit, kind == mi::kKindPause);
  host_.SetVisible(mi::kMouseButton, kind == mi::kKindMouse);
}

void MacroPage::OnEventSelected(int position) {
  EndKeyCapture();
  const Tessel::CRecordList* list = Events();
  const std::optional<Tessel::RecordItem> item =
      list != nullptr ? list->GetRecordInfo(position) : std::nullopt;
  const int kind = item ? KindOf(item->type) : 0;
  if (kind == 0) {
    ShowEditor(false);
    return;
  }
  if (auto* chooser = host_.GetControl<Tessel::MComboBox>(mi::kEventKind)) {
    chooser->ResetContent();
    chooser->AddItem(Text(KindText(kind)), kind);
    chooser->SetCurSel(0);
  }
  ShowEditorKind(kind);
  if (kind == mi::kKindKey) {
    if (auto* field = host_.GetControl<Tessel::MEdit>(mi::kKeyField))
      field->SetEditText(KeyName(item->value));
  } else if (kind == mi::kKindPause) {
    if (auto* field = host_.GetControl<Tessel::MEdit>(mi::kPauseField))
      field->SetEditText(std::to_string(item->value));
  } else if (auto* buttons = host_.GetControl<Tessel::MComboBox>(mi::kMouseButton)) {
    buttons->SelectData(item->value);
  }
  ShowEditor(true);
}

void MacroPage::RewritePair(int position,
                            const std::function<MacroEvent(const MacroEvent&)>& change) {
  Tessel::CRecordList* list = Events();
  if (list == nullptr || position < 0) return;
  const std::vector<MacroEvent> events = ListedEvents();
  if (static_cast<std::size_t>(position) >= events.size()) return;
  std::vector<std::size_t> changed{static_cast<std::size_t>(position)};
  if (const auto partner = PartnerOf(events, changed[0])) changed.push_back(*partner);
  for (std::size_t index : changed) {
    MacroEvent event = change(events[index]);
    event.delay = events[index].delay;
    list->SetItem(static_cast<int>(index), ItemOf(event));
  }
}

void MacroPage::OnKeyFieldFocus(bool gained) {
  auto* field = host_.GetControl<Tessel::MEdit>(mi::kKeyField);
  const Tessel::CRecordList* list = Events();
  if (field == nullptr || list == nullptr) return;
  if (gained) {
    capturedKey_.reset();
    field->SetEditText("");
    BeginKeyCapture();
    return;
  }
  EndKeyCapture();
  const int position = list->GetCurSel();
  if (capturedKey_ && position >= 0) {
    const int key = *capturedKey_;
    RewritePair(position, [key](const MacroEvent& e) { return MakeKeyEvent(key, IsDownEvent(e)); });
    SaveEvents();
  }
  capturedKey_.reset();
  if (const std::optional<Tessel::RecordItem> item = list->GetRecordInfo(position))
    field->SetEditText(KeyName(item->value));
}

void MacroPage::OnPauseEdited() {
  auto* field = host_.GetControl<Tessel::MEdit>(mi::kPauseField);
  Tessel::CRecordList* list = Events();
  if (field == nullptr || list == nullptr) return;
  const int position = list->GetCurSel();
  const std::optional<Tessel::RecordItem> item = list->GetRecordInfo(position);
  if (!item || item->type != me::kDelay) return;
  const int value = std::clamp(base::ToInt(field->GetEditText()), kMinTypedDelay, kMaxTypedDelay);
  if (std::to_string(value) != field->GetEditText()) field->SetEditText(std::to_string(value));
  if (value == item->value) return;
  MacroEvent pause = MakePauseEvent(value);
  pause.delay = item->delay;
  list->SetItem(position, ItemOf(pause));
  SaveEvents();
}

void MacroPage::OnMouseButtonChosen() {
  const auto* buttons = host_.GetControl<Tessel::MComboBox>(mi::kMouseButton);
  const Tessel::CRecordList* list = Events();
  if (buttons == nullptr || list == nullptr) return;
  const int bit = static_cast<int>(buttons->GetCurData());
  const int position = list->GetCurSel();
  const std::optional<Tessel::RecordItem> item = list->GetRecordInfo(position);
  if (!item || KindOf(item->type) != mi::kKindMouse || item->value == bit) return;
  RewritePair(position,
              [bit](const MacroEvent& e) { return MakeButtonEvent(bit, IsDownEvent(e)); });
  SaveEvents();
}

void MacroPage::BeginKeyCapture() {
  const bool started = capture_.Begin(
      [this](const keys::KeyEvent& event, std::chrono::steady_clock::time_point when) {
        RecordedInput input{event, when};
        host_.SendMessage(UM_RECORD_KEY, 0, reinterpret_cast<std::intptr_t>(&input));
      },
      keys::KeyCapture::Options{false, true});
  capturingKey_ = started;
}

void MacroPage::EndKeyCapture() {
  if (!capturingKey_) return;
  capturingKey_ = false;
  capture_.End();
}

void MacroPage::OnCaptured(const keys::KeyEvent& event, std::chrono::steady_clock::time_point) {
  if (event.kind != keys::event_kind::kKey || event.value <= 0) return;
  capturedKey_ = event.value;
  if (auto* field = host_.GetControl<Tessel::MEdit>(mi::kKeyField)) field->SetEditText(event.name);
}

// Recording
// ----------------------------------------------------------------------------------------

void MacroPage::SetLocked(bool locked) {
  for (int id : mi::kLockedWhileRecording) {
    if (Tessel::MControl* control = host_.FindControl(id)) control->SetEnabled(!locked);
  }
  if (!locked) {
    // The fixed delay field is usable with its option only.
    if (auto* field = host_.GetControl<Tessel::MEdit>(mi::kFixedDelayField))
      field->SetEnabled(CheckedDelayType() == kDelayFixed);
  }
  if (auto* record = host_.GetControl<Tessel::MButton>(mi::kRecordButton))
    record->SetTitle(Text(locked ? text::kMacroStopRecording : text::kMacroRecord));
  host_.SetVisible(mi::kRecordingState, locked);
  host_.SetVisible(mi::kRoomLabel, !locked);
}

void MacroPage::ToggleRecording() {
  TARVO_EXPECT_UI_THREAD();
  if (Recording()) {
    StopRecording();
    return;
  }
  const int macroId = SelectedMacro();
  if (macroId <= 0) {
    Say(text::kMacroRecord, text::kMacroNoneSelectedMessage);
    return;
  }
  const std::optional<std::size_t> most = service_.MaxEventsOf(macroId);
  if (!most) {
    Say(text::kMacroRecord, text::kMacroMemoryUnknown);
    return;
  }
  std::vector<MacroEvent> events = ListedEvents();
  if (events.size() >= *most) {
    Say(text::kMacroRecord, text::kMacroMemoryFullMessage);
    return;
  }
  EndKeyCapture();
  ShowEditor(false);
  const int delayType = CheckedDelayType();
  const int fixedDelay = delayType == kDelayFixed ? FixedDelayField() : 0;
  recorder_.Begin(std::move(events), {delayType, fixedDelay, *most});
  const bool started = capture_.Begin(
      [this](const keys::KeyEvent& event, std::chrono::steady_clock::time_point when) {
        RecordedInput input{event, when};
        const bool mouse = event.kind == keys::event_kind::kMouse;
        host_.SendMessage(mouse ? UM_RECORD_MOUSE : UM_RECORD_KEY, 0,
                          reinterpret_cast<std::intptr_t>(&input));
      },
      keys::KeyCapture::Options{true, true});
  if (!started) {
    recorder_.End();
    base::ErrorLog("macros: no input source runs; nothing can be recorded");
    return;
  }
  if (!capture_.HoldsKeyboard()) {
    base::ErrorLog("macros: recording while other programs also receive the keys: %s",
                   capture_.GrabFailure().c_str());
  }
  if (auto* state = host_.GetControl<Tessel::MControlFont>(mi::kRecordingState)) {
    state->SetTitle(Text(capture_.HoldsKeyboard() ? text::kMacroRecordingGrabbed
                                                  : text::kMacroRecordingShared));
  }
  host_.SetVisible(mi::kEmptyHint, false);
  if (Tessel::CRecordList* list = Events()) list->SetCurSel(-1);
  SetLocked(true);
}

void MacroPage::StopRecording() {
  if (!Recording()) return;
  capture_.End();  // the keyboard goes back to the other programs first
  const std::vector<MacroEvent> events = recorder_.End();
  ShowEvents(events);
  SetLocked(false);
  SaveEvents();
}

void MacroPage::FinishRecording(bool full) {
  StopRecording();
  if (full) Say(text::kMacroRecord, text::kMacroMemoryFullMessage);
}

void MacroPage::AddRecordedEvent(const keys::KeyEvent& event,
                                 std::chrono::steady_clock::time_point when) {
  if (!Recording()) return;
  const std::size_t before = recorder_.Events().size();
  const MacroRecorder::Outcome outcome = recorder_.Add(event, when);
  if (recorder_.Events().size() != before) {
    ShowEvents(recorder_.Events());
    if (Tessel::CRecordList* list = Events())
      list->EnsureVisible(static_cast<int>(recorder_.Events().size()) - 1);
  }
  if (outcome == MacroRecorder::Outcome::kFull) FinishRecording(true);
}

std::intptr_t MacroPage::OnRecordKey(const RecordedInput* input) {
  if (input == nullptr) return 0;
  if (Recording()) {
    AddRecordedEvent(input->event, input->when);
  } else if (capturingKey_) {
    OnCaptured(input->event, input->when);
  }
  // Keys captured for the page go nowhere else.
  return 1;
}

std::intptr_t MacroPage::OnRecordMouse(const RecordedInput* input) {
  if (input != nullptr && Recording()) AddRecordedEvent(input->event, input->when);
  return 0;  // mouse buttons always reach their windows
}

}  // namespace macros

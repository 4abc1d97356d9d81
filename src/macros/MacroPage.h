#pragma once
// The macro page (page 5): the macro list (ten macros M1 to M10 on first use; new, copy, rename,
// delete), the selected macro's events (record, insert, delete, move, clear), its delay options
// and the editor of the selected event. UI thread, except where noted; what is stored goes
// through the macro service, which also sends it.
//
// Recording takes keys and mouse buttons from the shared input source through a key capture,
// which holds the keyboard away from other programs while it runs (where the session allows
// it; the mouse is never taken). The recording ends and is saved when the record button is
// pressed again, when the memory is full, when the page changes, when the window is hidden or
// minimised, and when the application ends: nothing is left holding the keyboard.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "keys/InputEvents.h"
#include "keys/KeyCapture.h"
#include "macros/MacroEvents.h"
#include "macros/MacroRecorder.h"
#include "macros/MacroService.h"

namespace core {
class TextTable;
}
namespace Tessel {
class CRecordList;
class MacroList;
class PageHost;
}  // namespace Tessel

namespace macros {

// What UM_RECORD_KEY and UM_RECORD_MOUSE carry (lParam points to it for the call).
struct RecordedInput {
  keys::KeyEvent event;
  std::chrono::steady_clock::time_point when;
};

class MacroPage {
 public:
  // Items of the insert menu (window message 1710).
  enum InsertItem : int {
    kInsertAtStart = 101,
    kInsertAtEnd = 103,
    kInsertKeyPress = 105,
    kInsertClick = 106,
    kInsertPause = 107,
  };
  // Items of the event list's menu (window message 1711).
  enum EventMenuItem : int {
    kEventEdit = 100,
    kEventDuplicate = 101,
    kEventDelete = 102,
    kEventClearAll = 103,
  };

  MacroPage(Tessel::PageHost& host, const core::TextTable& texts, MacroService& service,
            keys::InputRouter& input, MacroRecorder::ClockSource clock = MacroRecorder::Clock::now);
  ~MacroPage();
  MacroPage(const MacroPage&) = delete;
  MacroPage& operator=(const MacroPage&) = delete;

  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2);
  // The insert menu (1710), the event menu (1711), recorded input (1692, 1693), the window
  // hidden or minimised.
  std::optional<std::intptr_t> OnWindowMessage(unsigned message, std::intptr_t wParam,
                                               std::intptr_t lParam);
  void OnPageShown();
  void OnPageLeft();
  // Texts with values in them (the room left, the macro count, the recording state).
  void ApplyTexts();
  void Shutdown();

  // Fills the macro list as stored and selects the first macro (the ten default macros are
  // made when the page is shown and there are none). Any thread: the work is done on the UI
  // thread.
  void LoadMacroPage();
  // The macro list read again, the macro with this id selected (the first when it is gone).
  // UI thread.
  void ReloadList(int macroId);
  void SelectMacro(int macroId);
  int SelectedMacro() const;

  // The user's actions on macros.
  void NewMacro();
  void CopySelectedMacro();
  void DeleteSelectedMacro();
  void StartRename();
  void RenameSelectedMacro();
  // The user's actions on events.
  void ClearEvents();
  void DeleteSelectedEvent();
  void MoveEventUp();
  void MoveEventDown();
  void OpenInsertMenu();
  void OnInsertMenu(int item);
  void OpenEventMenu(int position);
  void OnEventMenu(int item);
  // Stores the event list of the selected macro and sends it; false when it was refused (the
  // list then shows what is stored again).
  bool SaveEvents();
  // The delay options.
  void OnDelayOptionChanged(int option);
  void OnFixedDelayEdited();
  void SaveDelaySettings();
  // The event editor.
  void OnEventSelected(int position);
  void OnKeyFieldFocus(bool gained);
  void OnPauseEdited();
  void OnMouseButtonChosen();

  // Recording.
  void ToggleRecording();
  bool Recording() const { return recorder_.Active(); }
  // Ends a recording under way and stores it; nothing when none runs.
  void StopRecording();
  // Whether the keyboard is held away from other programs now.
  bool HoldsKeyboard() const { return capture_.HoldsKeyboard(); }
  std::intptr_t OnRecordKey(const RecordedInput* input);
  std::intptr_t OnRecordMouse(const RecordedInput* input);
  void AddRecordedEvent(const keys::KeyEvent& event, std::chrono::steady_clock::time_point when);

 private:
  Tessel::MacroList* List() const;
  Tessel::CRecordList* Events() const;
  std::string Text(int id) const;
  void Say(int captionId, int textId);
  std::vector<MacroEvent> ListedEvents() const;
  void ShowEvents(const std::vector<MacroEvent>& events, int selected = -1);
  void ShowDelaySettings(const storage::MacroRecord& macro);
  void ShowRoom();
  void ShowMacroCount();
  void ShowEditor(bool shown);
  void ShowEditorKind(int kind);
  int CheckedDelayType() const;
  int FixedDelayField();
  void SetLocked(bool locked);
  std::optional<std::size_t> RoomLeft();
  bool HasRoomFor(std::size_t events, int captionId);
  void InsertEvents(std::vector<MacroEvent> events);
  void RewritePair(int position, const std::function<MacroEvent(const MacroEvent&)>& change);
  void BeginKeyCapture();
  void EndKeyCapture();
  void OnCaptured(const keys::KeyEvent& event, std::chrono::steady_clock::time_point when);
  void FinishRecording(bool full);

  Tessel::PageHost& host_;
  const core::TextTable& texts_;
  MacroService& service_;
  keys::InputRouter& input_;
  keys::KeyCapture capture_;
  MacroRecorder recorder_;
  bool capturingKey_ = false;       // the editor's key field has the keyboard
  std::optional<int> capturedKey_;  // the key pressed for the editor
  bool insertAtStart_ = false;      // where inserted events go when none is selected
  int menuPosition_ = -1;           // the event the event menu was opened on
};

}  // namespace macros

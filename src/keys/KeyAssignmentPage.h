#pragma once
// The key page (page 4): the Fn layer tabs, the keyboard view labelled with what each key does
// on the layer, the function picker with its tabs, the macro play options, the key combination
// panel, the restore buttons and the knob dialog. UI thread, except where noted; changes go
// through the key assignment service, which stores and sends them.

#include <atomic>
#include <cstdint>
#include <string>

#include "keys/KeyAssignmentService.h"
#include "keys/KeyCapture.h"
#include "keys/KeyTestPage.h"

class CurrentModel;
struct SharedState;
namespace Tessel {
class KeyboardCtrl;
class KeyFuncValue;
class PageHost;
}  // namespace Tessel

namespace keys {

class KnobConfigDlg;

class KeyAssignmentPage : public KeyAssignmentService::Observer {
 public:
  // Items of the key menu (window message 1834): restore the key, or show a tab.
  enum MenuItem : int {
    kMenuRestoreKey = 0,
    kMenuKeys = 2,
    kMenuMacros = 3,
    kMenuMouse = 5,
    kMenuShortcuts = 7
  };

  KeyAssignmentPage(Tessel::PageHost& host, SharedState& state, const CurrentModel& model,
                    const core::TextTable& texts, KeyAssignmentService& service,
                    InputRouter& input);
  ~KeyAssignmentPage() override;

  // A control of the page reported an action; false when it is none of the page's.
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2);
  void OnPageShown();
  void OnPageLeft();
  // Texts that are no binding (the capture field's placeholder, the picker's names).
  void ApplyTexts();

  // Any thread: the keyboard view labelled with the stored functions of the current profile's
  // current layer; the selection goes.
  void ShowLayerAssignments();
  // The layer tabs show the current layer (after a profile switch put it back to 0). Any thread.
  void ShowCurrentLayer();

  // The user's actions.
  void OnFnLayerChanged();
  void OnKeySelected(int event, int code);
  void OnFunctionTabChanged(int tab);
  void OnFunctionPicked();
  void OnMacroPlayOptionChanged();
  void OnCaptureFieldFocus(bool gained);
  void ApplyKeyCombination();
  void RestoreSelectedKey();
  void RestoreCurrentLayer();
  void OpenKnobDialog();
  // Window messages: the key menu's choice (1834), the knob dialog's choice (1826, the action
  // and the dialog), a drag over the keyboard view (2025, the pointer in the view's parent).
  void OnKeyMenu(int item);
  void OnKnobConfig(int action, std::intptr_t dialog);
  void OnViewDrag(int x, int y);

  int SelectedKey() const { return selectedKey_.load(); }
  int FunctionTab() const { return functionTab_; }
  KeyTestPage& KeyTest() { return keyTest_; }
  KeyCapture& Capture() { return capture_; }

  // KeyAssignmentService::Observer
  void OnKeyChanged(const storage::KeyAssignmentRecord& row) override;
  void OnLayerChanged(int profile, int layer) override;

 private:
  Tessel::KeyboardCtrl* View() const;
  Tessel::KeyFuncValue* Picker() const;
  std::string Text(int id) const;
  void Say(int captionId, int textId);
  void LabelLayer();
  void FillPicker(int tab);
  void ShowPlayOptions(int mode, int count, bool enabled);
  void ShowOutcome(ChangeResult result);
  int CheckedPlayMode() const;
  int ModifierMask() const;
  void OnCapturedKey(const KeyEvent& event);
  void SelectTab(int tab);
  void TakeKnobRows(KnobConfigDlg& dialog, int action);
  void MarkStoredFunction(int code);
  void OnKeyMenuAt(int code);

  Tessel::PageHost& host_;
  SharedState& state_;
  const CurrentModel& model_;
  const core::TextTable& texts_;
  KeyAssignmentService& service_;
  KeyTestPage keyTest_;
  KeyCapture capture_;
  std::atomic<int> selectedKey_{0};
  int functionTab_ = -1;
  int capturedKey_ = 0;  // virtual-key code of the key captured for a combination
  KnobConfigDlg* openKnobDialog_ = nullptr;
};

}  // namespace keys

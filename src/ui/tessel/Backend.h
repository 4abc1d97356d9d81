#pragma once
// The drawing side of the toolkit. The model (windows, controls) is plain C++; a backend shows
// it and turns user actions into calls of the controls' User* operations on the UI thread.
// The application uses the Qt backend; tests and --headless use HeadlessBackend.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/tessel/Types.h"

namespace Tessel {

class MWindow;
class MControl;
struct TrayIconInfo;

struct MenuItem {
  int id = 0;
  std::string text;
  bool checked = false;
};

// A question the backend must answer with the user: a message box, a file dialog, a pop-up
// menu, or a modal window that has just started its run.
struct DialogRequest {
  enum class Kind { MessageBox, OpenFile, SaveFile, Menu, ColorPicker, ModalShown };
  Kind kind = Kind::MessageBox;
  MWindow* window = nullptr;  // the parent, or for ModalShown the modal window itself
  std::string caption;
  std::string text;         // message text, or the suggested file name of a save dialog
  std::string filter;       // "Image Files (*.jpg;*.png)" style filter of file dialogs
  bool withCancel = false;  // message box offers Cancel besides OK
  std::vector<MenuItem> items;
  Color color = 0;  // initial colour of the colour picker
};

struct DialogAnswer {
  static DialogAnswer Result(int result) {
    DialogAnswer answer;
    answer.result = result;
    return answer;
  }
  int result = kResultCancel;  // message box result, chosen menu item id (0 = none), 1 = picked
  std::string path;            // chosen file (empty = none)
  Color color = 0;             // picked colour
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Runs `work` on the UI thread after what runs there now. Callable from any thread.
  virtual void Post(std::function<void()> work) = 0;
  virtual bool IsUiThread() const = 0;

  // Runs a nested event loop until EndModal is called for the window; returns its result.
  virtual int RunModal(MWindow& window) = 0;
  virtual void EndModal(MWindow& window, int result) = 0;

  // Modal questions; UI thread only.
  virtual DialogAnswer Ask(const DialogRequest& request) = 0;

  // Timers of a window: OnTimer(id) is called on the UI thread every `periodMs`.
  virtual void StartTimer(MWindow& window, int id, int periodMs) = 0;
  virtual void StopTimer(MWindow& window, int id) = 0;

  // Life of windows and controls (UI thread).
  virtual void WindowCreated(MWindow& window) = 0;
  virtual void WindowDestroyed(MWindow& window) = 0;
  // Title, rectangle, show command or enabled state changed.
  virtual void WindowShowStateChanged(MWindow& window) = 0;
  // Brings the window in front of the others and gives it the focus.
  virtual void RaiseWindow(MWindow& window) = 0;
  virtual void ControlAdded(MControl& control) = 0;

  // A control's state changed; called from any thread. The backend repaints on the UI thread.
  virtual void ControlChanged(MControl& control) = 0;

  // The notification area (see TrayIcon). UI thread.
  // Whether the desktop shows tray icons now.
  virtual bool IsTrayAvailable() const = 0;
  // Makes the window's icon, or changes it: shown whenever the desktop has a notification
  // area. False when it cannot be made.
  virtual bool ShowTrayIcon(MWindow& owner, const TrayIconInfo& icon) = 0;
  virtual void HideTrayIcon(MWindow& owner) = 0;
};

}  // namespace Tessel

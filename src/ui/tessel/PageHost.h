#pragma once
// What a page may do with the window it lives in, without holding the window: find and create
// its controls, run work on the UI thread, ask the user, and keep the user out of the window
// while a long task runs. The main window implements it for the feature pages.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/tessel/Backend.h"
#include "ui/tessel/MControl.h"

namespace Tessel {

class TrayIcon;

class MDialog;

class PageHost {
 public:
  virtual ~PageHost() = default;

  // Controls. Finding and changing controls works from any thread; creating them only on the
  // UI thread.
  virtual MControl* FindControl(int id) const = 0;
  template <class T>
  T* GetControl(int id) const {
    return dynamic_cast<T*>(FindControl(id));
  }
  virtual MControl* CreateControl(std::string_view className, int id, int parentId) = 0;
  virtual MArea* CreateArea(int id, int parentId = 0) = 0;
  template <class T>
  T* Add(int id, int parentId = 0) {
    return dynamic_cast<T*>(CreateControl(T::kClassName, id, parentId));
  }
  // Shows or hides a control when it exists.
  void SetVisible(int id, bool visible);

  // Runs work on the UI thread: at once when called there, otherwise posted. Any thread.
  virtual void RunOnUiThread(std::function<void()> work) = 0;
  // Queues a window message for the window (menus report their choice this way). Any thread.
  virtual void PostMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) = 0;
  // Hands a window message to the window at once; UI thread.
  virtual std::intptr_t SendMessage(unsigned message, std::intptr_t wParam,
                                    std::intptr_t lParam) = 0;

  // Questions to the user, modal over the window; UI thread.
  // A message box: 1 for OK, 2 when cancelled or closed.
  virtual int AskMessage(const std::string& caption, const std::string& text, bool withCancel) = 0;
  virtual std::optional<std::string> AskOpenFile(const std::string& filter) = 0;
  virtual std::optional<std::string> AskSaveFile(const std::string& filter,
                                                 const std::string& suggestedName) = 0;
  // A pop-up menu at the pointer; the choice comes back as `message` with the item id.
  virtual void TrackMenu(unsigned message, const std::vector<MenuItem>& items) = 0;
  // Creates a dialog of the page over the window, runs it modally and destroys it; its result.
  virtual int RunDialog(MDialog& dialog, const std::string& title, int width, int height) = 0;

  // The generic wait dialog: ShowWaitDialog runs it modally (UI thread) until CloseWaitDialog
  // (any thread) or the task it waits for closes it.
  virtual void ShowWaitDialog(const std::string& message) = 0;
  virtual void CloseWaitDialog() = 0;
  // A disabled window shows its controls but takes no input; its dialogs stay usable.
  virtual void SetWindowEnabled(bool enabled) = 0;
  // The window shown, hidden or minimised (kShow, kHide, kMinimize), or brought to the front.
  virtual void ShowWindowAs(int showCommand) = 0;
  virtual void BringWindowToFront() = 0;
  // The window's icon in the desktop's notification area (one per window).
  virtual TrayIcon& WindowTrayIcon() = 0;
};

}  // namespace Tessel

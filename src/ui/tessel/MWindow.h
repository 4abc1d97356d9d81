#pragma once
// Windows of the toolkit model. A window owns its controls, receives their events and its
// messages, and runs modally through the backend. Everything that changes what the backend
// shows may be called from any thread: work that needs the UI thread is posted there.

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "ui/tessel/MControl.h"
#include "ui/tessel/Types.h"

namespace Tessel {

class MWindow {
 public:
  // `name` identifies the window among the live windows (Manager::FindWindow).
  explicit MWindow(std::string name);
  virtual ~MWindow();
  MWindow(const MWindow&) = delete;
  MWindow& operator=(const MWindow&) = delete;

  const std::string& GetName() const { return name_; }

  // Builds the controls (CreateControls, OnLayout), shows nothing yet, then OnInitDialog.
  // UI thread.
  bool Create(MWindow* parent, std::string title, const Rect& rect);
  // Ends a modal run, destroys the backend's window and the controls' drawing. Any thread.
  void DestroyWindow();
  bool IsCreated() const { return created_.load(); }
  // A number that identifies the window while it exists; 0 when it does not.
  std::uintptr_t GetSafeHwnd() const;
  MWindow* GetParentWindow() const { return parent_; }

  void SetTitle(std::string title);
  std::string GetTitle() const;
  Rect GetWindowRect() const;
  void MoveWindow(const Rect& rect);
  // Centres the window on the screen when it is next shown.
  void CenterWindow();
  bool IsCentred() const;

  void ShowWindow(int showCommand);
  // The window system changed the show state itself (the user minimised the window from the
  // desktop's task bar, say): the model follows without asking the backend again. UI thread.
  void UserShowState(int showCommand);
  int GetShowCommand() const;
  bool IsWindowVisible() const;
  bool IsMinimized() const;
  // Shows the window normally and brings it in front of the others.
  void BringToFront();
  // A disabled window keeps showing its controls but takes no input from the user (while a
  // long task runs); the dialogs it owns stay usable. Any thread.
  void SetWindowEnabled(bool enabled);
  bool IsWindowEnabled() const;

  // Shows the window and runs it modally; returns the result that ended the run. UI thread.
  int ShowModal(int showCommand = kShow);
  bool IsModal() const { return modal_.load(); }
  // Ends the modal run with a result. Any thread.
  void EndModal(int result);

  // Queues a message for OnWindowMessage on the UI thread. Any thread.
  bool PostMessage(unsigned message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
  // Calls OnWindowMessage directly on the UI thread; from another thread it waits for the
  // UI thread to handle it (0 when the window goes away first).
  std::intptr_t SendMessage(unsigned message, std::intptr_t wParam = 0, std::intptr_t lParam = 0);
  virtual std::intptr_t OnWindowMessage(unsigned message, std::intptr_t wParam,
                                        std::intptr_t lParam);

  // Controls are created by class name and ID, inside an area (parentId) or at the top level.
  MControl* CreateControl(std::string_view className, int id, int parentId = 0);
  MArea* CreateArea(int id, int parentId = 0);
  template <class T>
  T* Add(int id, int parentId = 0) {
    return dynamic_cast<T*>(CreateControl(T::kClassName, id, parentId));
  }
  MControl* FindControl(int id) const;
  template <class T>
  T* GetControl(int id) const {
    return dynamic_cast<T*>(FindControl(id));
  }
  std::vector<MControl*> GetControls() const;
  std::vector<MControl*> GetTopControls() const;

  // A control reports a user action (UI thread).
  virtual void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2);

  // Timers: OnTimer(id) runs on the UI thread every period. Any thread.
  void SetMTimer(int timerId, int periodMs);
  void KillMTimer(int timerId);
  // The default forwards the tick to every control (animated pictures, effect views).
  virtual void OnTimer(int timerId);

  // Runs `work` on the UI thread: at once when called there, otherwise posted; dropped when
  // the window is destroyed before it runs.
  void RunOnUiThread(std::function<void()> work);

 protected:
  virtual void CreateControls() {}
  virtual void OnLayout() {}
  virtual void OnInitDialog() {}

 private:
  void Post(std::function<void()> work);
  void SetShowCommand(int showCommand);
  void DestroyOnUiThread();

  const std::string name_;
  MWindow* parent_ = nullptr;
  std::atomic<bool> created_{false};
  std::atomic<bool> modal_{false};
  std::shared_ptr<std::atomic<bool>> alive_;

  mutable std::mutex stateMutex_;
  std::string title_;
  Rect rect_;
  int showCommand_ = kHide;
  bool centred_ = false;
  bool enabled_ = true;

  mutable std::shared_mutex controlsMutex_;
  std::vector<std::unique_ptr<MControl>> controls_;
  std::map<int, MControl*> controlsById_;
};

// A window with the dialog conventions: DoOK and DoCancel end its modal run.
class MDialog : public MWindow {
 public:
  using MWindow::MWindow;

  void DoOK() { EndModal(kResultOK); }
  void DoCancel() { EndModal(kResultCancel); }
  // Shutdown of the dialog; the default destroys the window.
  virtual void CloseAndDestroy() { DestroyWindow(); }
  std::intptr_t OnWindowMessage(unsigned message, std::intptr_t wParam,
                                std::intptr_t lParam) override;
};

}  // namespace Tessel

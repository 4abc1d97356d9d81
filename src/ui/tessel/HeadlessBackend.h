#pragma once
// A backend without a screen: it runs the event loop of the model (posted work, timers, modal
// runs) on the thread that created it and answers questions (message boxes, file dialogs,
// menus, modal windows) from a responder. Tests and `tarvo --headless` use it.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "ui/tessel/Backend.h"
#include "ui/tessel/TrayIcon.h"

namespace Tessel {

class HeadlessBackend : public Backend {
 public:
  // What a responder returns for a modal window that should stay open until the program ends it.
  static constexpr int kLeaveOpen = -1;
  // Answers a question; nullopt gives the default answer: message boxes are cancelled, file and
  // colour dialogs choose nothing, menus choose nothing, other modal windows stay open.
  using Responder = std::function<std::optional<DialogAnswer>(const DialogRequest&)>;

  HeadlessBackend();
  ~HeadlessBackend() override;

  void SetResponder(Responder responder);
  // Every question asked so far, in order.
  std::vector<DialogRequest> AskedQuestions() const;

  // Makes the calling thread the UI thread.
  void BindToCurrentThread();

  // Runs posted work and due timers until none is ready; returns how many ran.
  int PumpUntilIdle();
  // Runs the loop, waiting for work, until `done` holds or the time is up; returns `done()`.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Runs the loop for a while.
  void RunFor(std::chrono::milliseconds duration);

  void Post(std::function<void()> work) override;
  bool IsUiThread() const override;
  int RunModal(MWindow& window) override;
  void EndModal(MWindow& window, int result) override;
  DialogAnswer Ask(const DialogRequest& request) override;
  void StartTimer(MWindow& window, int id, int periodMs) override;
  void StopTimer(MWindow& window, int id) override;
  void WindowCreated(MWindow& window) override;
  void WindowDestroyed(MWindow& window) override;
  void WindowShowStateChanged(MWindow&) override {}
  void RaiseWindow(MWindow& window) override;
  void ControlAdded(MControl&) override {}
  void ControlChanged(MControl& control) override;

  bool IsTrayAvailable() const override;
  bool ShowTrayIcon(MWindow& owner, const TrayIconInfo& icon) override;
  void HideTrayIcon(MWindow& owner) override;

  // The notification area: none until a test says there is one. Any thread.
  void SetTrayAvailable(bool available);
  // The icon a window gave the desktop; empty when it has none.
  std::optional<TrayIconInfo> TrayIconOf(const MWindow& window) const;
  // The user clicks the icon (kTrayLeftButtonDown, ...) or chooses an item of its menu: the
  // owner receives what a desktop would send. False when no icon can be seen (none added, or
  // no notification area) or the menu has no such item.
  bool ClickTrayIcon(MWindow& window, int mouseMessage);
  bool ChooseTrayMenuItem(MWindow& window, int itemId);

  // How often a window was asked to come to the front.
  int RaiseCount(const MWindow& window) const;
  std::uint64_t ControlChangeCount() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Timer {
    std::chrono::milliseconds period;
    Clock::time_point next;
  };
  struct ModalFrame {
    MWindow* window;
    bool ended = false;
    int result = kResultNone;
  };

  // Runs one ready piece of work or timer; false when nothing was ready.
  bool RunOne();
  // Waits until work is posted or the next timer or `deadline` is due.
  void WaitForWork(Clock::time_point deadline);
  bool ModalEnded(const MWindow& window);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::thread::id uiThread_;
  std::deque<std::function<void()>> posted_;
  std::map<std::pair<MWindow*, int>, Timer> timers_;
  std::vector<ModalFrame> modalStack_;
  std::map<const MWindow*, int> raises_;
  std::vector<DialogRequest> asked_;
  Responder responder_;
  std::uint64_t controlChanges_ = 0;
  bool trayAvailable_ = false;
  std::map<const MWindow*, TrayIconInfo> trayIcons_;
};

}  // namespace Tessel

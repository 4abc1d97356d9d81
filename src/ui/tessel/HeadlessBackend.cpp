#include "ui/tessel/HeadlessBackend.h"

#include <algorithm>

#include "ui/tessel/MWindow.h"

namespace Tessel {

HeadlessBackend::HeadlessBackend() : uiThread_(std::this_thread::get_id()) {}

HeadlessBackend::~HeadlessBackend() = default;

void HeadlessBackend::SetResponder(Responder responder) {
  std::lock_guard lock(mutex_);
  responder_ = std::move(responder);
}

std::vector<DialogRequest> HeadlessBackend::AskedQuestions() const {
  std::lock_guard lock(mutex_);
  return asked_;
}

void HeadlessBackend::BindToCurrentThread() {
  std::lock_guard lock(mutex_);
  uiThread_ = std::this_thread::get_id();
}

void HeadlessBackend::Post(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(work));
  }
  wake_.notify_all();
}

bool HeadlessBackend::IsUiThread() const {
  std::lock_guard lock(mutex_);
  return std::this_thread::get_id() == uiThread_;
}

bool HeadlessBackend::RunOne() {
  std::function<void()> work;
  {
    std::lock_guard lock(mutex_);
    if (!posted_.empty()) {
      work = std::move(posted_.front());
      posted_.pop_front();
    } else {
      const auto now = Clock::now();
      for (auto& [key, timer] : timers_) {
        if (timer.next > now) continue;
        timer.next = now + timer.period;
        MWindow* window = key.first;
        const int id = key.second;
        work = [window, id] { window->OnTimer(id); };
        break;
      }
    }
  }
  if (!work) return false;
  work();
  return true;
}

void HeadlessBackend::WaitForWork(Clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  if (!posted_.empty()) return;
  for (const auto& entry : timers_) deadline = std::min(deadline, entry.second.next);
  wake_.wait_until(lock, deadline, [this] { return !posted_.empty(); });
}

int HeadlessBackend::PumpUntilIdle() {
  int ran = 0;
  while (RunOne()) ++ran;
  return ran;
}

bool HeadlessBackend::RunUntil(const std::function<bool()>& done,
                               std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (true) {
    PumpUntilIdle();
    if (done()) return true;
    if (Clock::now() >= deadline) return false;
    WaitForWork(deadline);
  }
}

void HeadlessBackend::RunFor(std::chrono::milliseconds duration) {
  RunUntil([] { return false; }, duration);
}

bool HeadlessBackend::ModalEnded(const MWindow& window) {
  std::lock_guard lock(mutex_);
  for (const ModalFrame& frame : modalStack_) {
    if (frame.window == &window) return frame.ended;
  }
  return true;
}

int HeadlessBackend::RunModal(MWindow& window) {
  {
    std::lock_guard lock(mutex_);
    modalStack_.push_back({&window});
  }
  DialogRequest shown;
  shown.kind = DialogRequest::Kind::ModalShown;
  shown.window = &window;
  shown.caption = window.GetTitle();
  const DialogAnswer answer = Ask(shown);
  if (answer.result != kLeaveOpen) EndModal(window, answer.result);
  while (!ModalEnded(window)) {
    if (!RunOne()) WaitForWork(Clock::now() + std::chrono::milliseconds(50));
  }
  std::lock_guard lock(mutex_);
  auto frame = std::find_if(modalStack_.begin(), modalStack_.end(),
                            [&](const ModalFrame& f) { return f.window == &window; });
  const int result = frame->result;
  modalStack_.erase(frame);
  return result;
}

void HeadlessBackend::EndModal(MWindow& window, int result) {
  {
    std::lock_guard lock(mutex_);
    for (ModalFrame& frame : modalStack_) {
      if (frame.window == &window && !frame.ended) {
        frame.ended = true;
        frame.result = result;
      }
    }
  }
  wake_.notify_all();
}

DialogAnswer HeadlessBackend::Ask(const DialogRequest& request) {
  Responder responder;
  {
    std::lock_guard lock(mutex_);
    asked_.push_back(request);
    responder = responder_;
  }
  if (responder) {
    if (std::optional<DialogAnswer> answer = responder(request)) return *answer;
  }
  DialogAnswer answer;
  switch (request.kind) {
    case DialogRequest::Kind::Menu:
      answer.result = 0;
      break;
    case DialogRequest::Kind::ModalShown:
      answer.result = request.window != nullptr && request.window->GetName() == "MessageBox"
                          ? kResultCancel
                          : kLeaveOpen;
      break;
    default:
      answer.result = kResultCancel;
      break;
  }
  return answer;
}

void HeadlessBackend::StartTimer(MWindow& window, int id, int periodMs) {
  {
    std::lock_guard lock(mutex_);
    const auto period = std::chrono::milliseconds(std::max(1, periodMs));
    timers_[{&window, id}] = Timer{period, Clock::now() + period};
  }
  wake_.notify_all();
}

void HeadlessBackend::StopTimer(MWindow& window, int id) {
  std::lock_guard lock(mutex_);
  timers_.erase({&window, id});
}

void HeadlessBackend::WindowCreated(MWindow&) {}

void HeadlessBackend::WindowDestroyed(MWindow& window) {
  std::lock_guard lock(mutex_);
  std::erase_if(timers_, [&](const auto& entry) { return entry.first.first == &window; });
  trayIcons_.erase(&window);
}

void HeadlessBackend::RaiseWindow(MWindow& window) {
  std::lock_guard lock(mutex_);
  ++raises_[&window];
}

int HeadlessBackend::RaiseCount(const MWindow& window) const {
  std::lock_guard lock(mutex_);
  auto found = raises_.find(&window);
  return found == raises_.end() ? 0 : found->second;
}

void HeadlessBackend::ControlChanged(MControl&) {
  std::lock_guard lock(mutex_);
  ++controlChanges_;
}

std::uint64_t HeadlessBackend::ControlChangeCount() const {
  std::lock_guard lock(mutex_);
  return controlChanges_;
}

bool HeadlessBackend::IsTrayAvailable() const {
  std::lock_guard lock(mutex_);
  return trayAvailable_;
}

bool HeadlessBackend::ShowTrayIcon(MWindow& owner, const TrayIconInfo& icon) {
  std::lock_guard lock(mutex_);
  trayIcons_[&owner] = icon;
  return true;
}

void HeadlessBackend::HideTrayIcon(MWindow& owner) {
  std::lock_guard lock(mutex_);
  trayIcons_.erase(&owner);
}

void HeadlessBackend::SetTrayAvailable(bool available) {
  std::lock_guard lock(mutex_);
  trayAvailable_ = available;
}

std::optional<TrayIconInfo> HeadlessBackend::TrayIconOf(const MWindow& window) const {
  std::lock_guard lock(mutex_);
  auto found = trayIcons_.find(&window);
  if (found == trayIcons_.end()) return std::nullopt;
  return found->second;
}

bool HeadlessBackend::ClickTrayIcon(MWindow& window, int mouseMessage) {
  const std::optional<TrayIconInfo> icon = TrayIconOf(window);
  if (!icon || !IsTrayAvailable()) return false;
  return window.PostMessage(icon->notifyMessage, icon->id, mouseMessage);
}

bool HeadlessBackend::ChooseTrayMenuItem(MWindow& window, int itemId) {
  const std::optional<TrayIconInfo> icon = TrayIconOf(window);
  if (!icon || !IsTrayAvailable()) return false;
  for (const MenuItem& item : icon->menu) {
    if (item.id == itemId) return window.PostMessage(WM_COMMAND, itemId, itemId);
  }
  return false;
}

}  // namespace Tessel

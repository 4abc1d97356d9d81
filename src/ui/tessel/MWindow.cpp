#include "ui/tessel/MWindow.h"

#include <future>

#include "ui/tessel/Backend.h"
#include "ui/tessel/ControlFactory.h"
#include "ui/tessel/Manager.h"

namespace Tessel {
namespace {

bool OnUiThread() {
  Backend* backend = Manager::GetBackend();
  return backend == nullptr || backend->IsUiThread();
}

}  // namespace

MWindow::MWindow(std::string name)
    : name_(std::move(name)), alive_(std::make_shared<std::atomic<bool>>(true)) {}

MWindow::~MWindow() {
  alive_->store(false);
  if (created_.load()) DestroyOnUiThread();
}

bool MWindow::Create(MWindow* parent, std::string title, const Rect& rect) {
  if (created_.load()) return false;
  parent_ = parent;
  {
    std::lock_guard lock(stateMutex_);
    title_ = std::move(title);
    rect_ = rect;
  }
  CreateControls();
  OnLayout();
  created_.store(true);
  Manager::RegisterWindow(this);
  if (Backend* backend = Manager::GetBackend()) backend->WindowCreated(*this);
  OnInitDialog();
  return true;
}

void MWindow::DestroyWindow() {
  if (!created_.load()) return;
  if (OnUiThread()) {
    DestroyOnUiThread();
  } else {
    Post([this] { DestroyOnUiThread(); });
  }
}

void MWindow::DestroyOnUiThread() {
  if (!created_.exchange(false)) return;
  if (Backend* backend = Manager::GetBackend()) {
    if (modal_.load()) backend->EndModal(*this, kResultNone);
    backend->WindowDestroyed(*this);
  }
  Manager::UnregisterWindow(this);
  SetShowCommand(kHide);
}

std::uintptr_t MWindow::GetSafeHwnd() const {
  return created_.load() ? reinterpret_cast<std::uintptr_t>(this) : 0;
}

void MWindow::SetTitle(std::string title) {
  {
    std::lock_guard lock(stateMutex_);
    if (title_ == title) return;
    title_ = std::move(title);
  }
  RunOnUiThread([this] {
    if (Backend* backend = Manager::GetBackend(); backend && created_.load()) {
      backend->WindowShowStateChanged(*this);
    }
  });
}

std::string MWindow::GetTitle() const {
  std::lock_guard lock(stateMutex_);
  return title_;
}

Rect MWindow::GetWindowRect() const {
  std::lock_guard lock(stateMutex_);
  return rect_;
}

void MWindow::MoveWindow(const Rect& rect) {
  {
    std::lock_guard lock(stateMutex_);
    rect_ = rect;
  }
  RunOnUiThread([this] {
    if (Backend* backend = Manager::GetBackend(); backend && created_.load()) {
      backend->WindowShowStateChanged(*this);
    }
  });
}

void MWindow::CenterWindow() {
  std::lock_guard lock(stateMutex_);
  centred_ = true;
}

bool MWindow::IsCentred() const {
  std::lock_guard lock(stateMutex_);
  return centred_;
}

void MWindow::SetShowCommand(int showCommand) {
  std::lock_guard lock(stateMutex_);
  showCommand_ = showCommand;
}

void MWindow::ShowWindow(int showCommand) {
  SetShowCommand(showCommand);
  RunOnUiThread([this] {
    if (Backend* backend = Manager::GetBackend(); backend && created_.load()) {
      backend->WindowShowStateChanged(*this);
    }
  });
  if (created_.load()) PostMessage(WM_SHOWWINDOW, showCommand, 0);
}

void MWindow::UserShowState(int showCommand) {
  if (GetShowCommand() == showCommand) return;
  SetShowCommand(showCommand);
  if (created_.load()) PostMessage(WM_SHOWWINDOW, showCommand, 0);
}

int MWindow::GetShowCommand() const {
  std::lock_guard lock(stateMutex_);
  return showCommand_;
}

bool MWindow::IsWindowVisible() const {
  return created_.load() && GetShowCommand() != kHide;
}

bool MWindow::IsMinimized() const {
  const int command = GetShowCommand();
  return command == kMinimize || command == kShowMinimized;
}

void MWindow::BringToFront() {
  ShowWindow(kShowNormal);
  RunOnUiThread([this] {
    if (Backend* backend = Manager::GetBackend(); backend && created_.load()) {
      backend->RaiseWindow(*this);
    }
  });
}

void MWindow::SetWindowEnabled(bool enabled) {
  {
    std::lock_guard lock(stateMutex_);
    if (enabled_ == enabled) return;
    enabled_ = enabled;
  }
  RunOnUiThread([this] {
    if (Backend* backend = Manager::GetBackend(); backend && created_.load()) {
      backend->WindowShowStateChanged(*this);
    }
  });
}

bool MWindow::IsWindowEnabled() const {
  std::lock_guard lock(stateMutex_);
  return enabled_;
}

int MWindow::ShowModal(int showCommand) {
  Backend* backend = Manager::GetBackend();
  if (backend == nullptr || !created_.load()) return kResultNone;
  ShowWindow(showCommand);
  modal_.store(true);
  const int result = backend->RunModal(*this);
  modal_.store(false);
  if (created_.load()) ShowWindow(kHide);
  return result;
}

void MWindow::EndModal(int result) {
  RunOnUiThread([this, result] {
    Backend* backend = Manager::GetBackend();
    if (backend != nullptr && modal_.load()) backend->EndModal(*this, result);
  });
}

void MWindow::Post(std::function<void()> work) {
  Backend* backend = Manager::GetBackend();
  if (backend == nullptr) return;
  backend->Post([alive = alive_, work = std::move(work)] {
    if (alive->load()) work();
  });
}

void MWindow::RunOnUiThread(std::function<void()> work) {
  if (OnUiThread()) {
    work();
  } else {
    Post(std::move(work));
  }
}

bool MWindow::PostMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
  if (Manager::GetBackend() == nullptr) return false;
  Post([this, message, wParam, lParam] { OnWindowMessage(message, wParam, lParam); });
  return true;
}

std::intptr_t MWindow::SendMessage(unsigned message, std::intptr_t wParam, std::intptr_t lParam) {
  if (OnUiThread()) return OnWindowMessage(message, wParam, lParam);
  auto result = std::make_shared<std::promise<std::intptr_t>>();
  std::future<std::intptr_t> answer = result->get_future();
  Backend* backend = Manager::GetBackend();
  backend->Post([this, alive = alive_, result, message, wParam, lParam] {
    result->set_value(alive->load() ? OnWindowMessage(message, wParam, lParam) : 0);
  });
  return answer.get();
}

std::intptr_t MWindow::OnWindowMessage(unsigned, std::intptr_t, std::intptr_t) {
  return 0;
}

MControl* MWindow::CreateControl(std::string_view className, int id, int parentId) {
  std::unique_ptr<MControl> control = ControlFactory::Create(className, *this, id);
  if (control == nullptr) return nullptr;
  MControl* raw = control.get();
  {
    std::unique_lock lock(controlsMutex_);
    if (controlsById_.contains(id)) return nullptr;
    if (parentId != 0) {
      auto parent = controlsById_.find(parentId);
      if (parent == controlsById_.end()) return nullptr;
      raw->AttachTo(parent->second);
    }
    controlsById_.emplace(id, raw);
    controls_.push_back(std::move(control));
  }
  if (created_.load()) {
    if (Backend* backend = Manager::GetBackend()) backend->ControlAdded(*raw);
  }
  return raw;
}

MArea* MWindow::CreateArea(int id, int parentId) {
  return Add<MArea>(id, parentId);
}

MControl* MWindow::FindControl(int id) const {
  std::shared_lock lock(controlsMutex_);
  auto found = controlsById_.find(id);
  return found == controlsById_.end() ? nullptr : found->second;
}

std::vector<MControl*> MWindow::GetControls() const {
  std::shared_lock lock(controlsMutex_);
  std::vector<MControl*> all;
  all.reserve(controls_.size());
  for (const auto& control : controls_) all.push_back(control.get());
  return all;
}

std::vector<MControl*> MWindow::GetTopControls() const {
  std::shared_lock lock(controlsMutex_);
  std::vector<MControl*> top;
  for (const auto& control : controls_) {
    if (control->GetParent() == nullptr) top.push_back(control.get());
  }
  return top;
}

void MWindow::OnControlEvent(int, int, std::intptr_t, std::intptr_t) {}

void MWindow::SetMTimer(int timerId, int periodMs) {
  RunOnUiThread([this, timerId, periodMs] {
    if (Backend* backend = Manager::GetBackend(); backend && created_.load()) {
      backend->StartTimer(*this, timerId, periodMs);
    }
  });
}

void MWindow::KillMTimer(int timerId) {
  RunOnUiThread([this, timerId] {
    if (Backend* backend = Manager::GetBackend()) backend->StopTimer(*this, timerId);
  });
}

void MWindow::OnTimer(int timerId) {
  for (MControl* control : GetControls()) control->OnTimer(timerId);
}

std::intptr_t MDialog::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                       std::intptr_t lParam) {
  if (message == WM_CLOSE) {
    EndModal(wParam == kResultCancel ? kResultCancel : kResultNone);
    if (!IsModal()) ShowWindow(kHide);
    return 0;
  }
  return MWindow::OnWindowMessage(message, wParam, lParam);
}

}  // namespace Tessel

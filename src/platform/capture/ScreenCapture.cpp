#include "platform/capture/ScreenCapture.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "base/Log.h"
#include "platform/capture/ScreenGrabber.h"
#include "platform/capture/X11Connection.h"

namespace platform {
namespace {

bool IsWaylandSession() {
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  const char* session = std::getenv("XDG_SESSION_TYPE");
  return (wayland != nullptr && *wayland != '\0') ||
         (session != nullptr && std::string_view(session) == "wayland");
}

CaptureState StateOf(GrabResult result) {
  switch (result) {
    case GrabResult::Ok:
      return CaptureState::Capturing;
    case GrabResult::WindowGone:
      return CaptureState::WindowGone;
    case GrabResult::NotViewable:
      return CaptureState::NotViewable;
    case GrabResult::Failed:
      break;
  }
  return CaptureState::Failed;
}

}  // namespace

CaptureAvailability DetectCaptureAvailability(const char* displayName) {
  if (IsWaylandSession()) return CaptureAvailability::Wayland;
  return X11Connection::Open(displayName) ? CaptureAvailability::Available
                                          : CaptureAvailability::NoDisplay;
}

const char* CaptureStateName(CaptureState state) {
  switch (state) {
    case CaptureState::Stopped:
      return "stopped";
    case CaptureState::Idle:
      return "idle";
    case CaptureState::Capturing:
      return "capturing";
    case CaptureState::WindowGone:
      return "window gone";
    case CaptureState::NotViewable:
      return "window not shown";
    case CaptureState::NotAvailable:
      return "not available";
    case CaptureState::Failed:
      return "failed";
  }
  return "unknown";
}

ScreenCapture::ScreenCapture(std::string displayName)
    : displayName_(std::move(displayName)),
      availability_(DetectCaptureAvailability(DisplayNameOrNull())) {
  request_.rows = kMaxGridRows;
  request_.columns = kMaxGridColumns;
  if (availability_ != CaptureAvailability::Available) state_ = CaptureState::NotAvailable;
}

ScreenCapture::~ScreenCapture() {
  Stop();
}

const char* ScreenCapture::DisplayNameOrNull() const {
  return displayName_.empty() ? nullptr : displayName_.c_str();
}

CaptureAvailability ScreenCapture::Availability() const {
  return availability_;
}

bool ScreenCapture::Start() {
  if (availability_ != CaptureAvailability::Available) return false;
  std::lock_guard lifecycle(lifecycleMutex_);
  std::lock_guard lock(mutex_);
  if (running_) return false;
  running_ = true;
  stopping_ = false;
  state_ = request_.target == Target::Nothing ? CaptureState::Idle : CaptureState::Capturing;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void ScreenCapture::Stop() {
  std::lock_guard lifecycle(lifecycleMutex_);
  {
    std::lock_guard lock(mutex_);
    if (!running_) return;
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
  std::lock_guard lock(mutex_);
  running_ = false;
  state_ = CaptureState::Stopped;
}

bool ScreenCapture::SetGridSize(int rows, int columns) {
  if (!IsValidGridSize(rows, columns)) return false;
  {
    std::lock_guard lock(mutex_);
    if (request_.rows == rows && request_.columns == columns) return true;
    request_.rows = rows;
    request_.columns = columns;
    ++request_.generation;
    latest_.reset();
  }
  wake_.notify_all();
  return true;
}

void ScreenCapture::FollowScreen() {
  {
    std::lock_guard lock(mutex_);
    request_.target = Target::Screen;
    request_.window = 0;
    ++request_.generation;
    latest_.reset();
  }
  wake_.notify_all();
}

void ScreenCapture::FollowWindow(CaptureWindowId window) {
  {
    std::lock_guard lock(mutex_);
    request_.target = window == 0 ? Target::Nothing : Target::Window;
    request_.window = window;
    ++request_.generation;
    latest_.reset();
  }
  wake_.notify_all();
}

void ScreenCapture::FollowNothing() {
  FollowWindow(0);
}

void ScreenCapture::SetPeriod(std::chrono::milliseconds period) {
  std::lock_guard lock(mutex_);
  period_ = std::clamp(period, std::chrono::milliseconds(1), std::chrono::milliseconds(1000));
}

CaptureState ScreenCapture::State() const {
  std::lock_guard lock(mutex_);
  return state_;
}

std::optional<CapturedFrame> ScreenCapture::Latest() const {
  std::lock_guard lock(mutex_);
  return latest_;
}

std::vector<CaptureWindowEntry> ScreenCapture::ListWindows() const {
  if (availability_ != CaptureAvailability::Available) return {};
  const auto connection = X11Connection::Open(DisplayNameOrNull());
  if (!connection) return {};
  return ListCaptureWindows(*connection);
}

bool ScreenCapture::WindowStillExists(CaptureWindowId window) const {
  if (window == 0 || availability_ != CaptureAvailability::Available) return false;
  const auto connection = X11Connection::Open(DisplayNameOrNull());
  return connection && WindowExists(*connection, window);
}

void ScreenCapture::Publish(const Request& request, CaptureState state,
                            std::optional<ColorGrid> grid) {
  std::lock_guard lock(mutex_);
  // The target changed while this picture was taken: it belongs to the old one.
  if (request.generation != request_.generation || stopping_) return;
  state_ = state;
  if (grid) latest_ = CapturedFrame{std::move(*grid), ++sequence_};
}

void ScreenCapture::Run() {
  const auto connection = X11Connection::Open(DisplayNameOrNull());
  if (!connection) {
    base::ErrorLog("screen capture: the X display cannot be opened");
    std::lock_guard lock(mutex_);
    state_ = CaptureState::Failed;
    return;
  }
  ScreenGrabber grabber(*connection);
  std::uint64_t goneGeneration = ~std::uint64_t{0};
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    const Request request = request_;
    const auto period = period_;
    lock.unlock();
    const auto started = std::chrono::steady_clock::now();
    if (connection->Broken()) {
      Publish(request, CaptureState::Failed, std::nullopt);
    } else if (request.target == Target::Screen) {
      Grab grab = grabber.CaptureScreen(request.rows, request.columns);
      Publish(request, StateOf(grab.result), std::move(grab.grid));
    } else if (request.target == Target::Window && request.generation != goneGeneration) {
      Grab grab = grabber.CaptureWindow(request.window, request.rows, request.columns);
      // A closed window stays closed: no more requests for it until a new choice.
      if (grab.result == GrabResult::WindowGone) goneGeneration = request.generation;
      Publish(request, StateOf(grab.result), std::move(grab.grid));
    } else if (request.target == Target::Nothing) {
      Publish(request, CaptureState::Idle, std::nullopt);
    }
    lock.lock();
    const auto changed = [&] { return stopping_ || request_.generation != request.generation; };
    // Nothing to follow, a window that closed or a lost server: sleep until a new choice.
    const bool idle = connection->Broken() || request.target == Target::Nothing ||
                      (request.target == Target::Window && request.generation == goneGeneration);
    if (idle) {
      wake_.wait(lock, changed);
    } else {
      wake_.wait_until(lock, started + period, changed);
    }
  }
}

}  // namespace platform

#pragma once
// Follows the screen or one window on a thread of its own with its own X connection, and
// keeps the latest picture reduced to a colour grid for whoever streams it.
//
// Every operation is thread-safe. Only the capture thread talks to its X connection; the
// window list uses a short connection of its own, so it can be asked for from any thread.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/capture/ColorGrid.h"
#include "platform/capture/WindowList.h"

namespace platform {

// Whether the screen can be read at all. Under Wayland an X server (if any) sees only the
// windows of X programs, so the screen would read black: that counts as not available.
enum class CaptureAvailability {
  Available,
  NoDisplay,  // no X display to connect to
  Wayland,    // a Wayland session
};

// From the environment and one connection attempt to the display named (or $DISPLAY).
CaptureAvailability DetectCaptureAvailability(const char* displayName = nullptr);

enum class CaptureState {
  Stopped,       // not started, or stopped
  Idle,          // running, following nothing
  Capturing,     // pictures arrive
  WindowGone,    // the followed window closed; nothing is captured until a new choice
  NotViewable,   // the followed window is not shown right now
  NotAvailable,  // no display (or Wayland): see Availability()
  Failed,        // the server refused the picture or the connection broke
};

const char* CaptureStateName(CaptureState state);

struct CapturedFrame {
  ColorGrid grid;
  std::uint64_t sequence = 0;  // grows by one with every new picture
};

class ScreenCapture {
 public:
  static constexpr std::chrono::milliseconds kDefaultPeriod{16};

  // `displayName` null: $DISPLAY.
  explicit ScreenCapture(std::string displayName = {});
  ~ScreenCapture();
  ScreenCapture(const ScreenCapture&) = delete;
  ScreenCapture& operator=(const ScreenCapture&) = delete;

  // Starts the thread; false when the screen cannot be read (see Availability) or when
  // already started.
  bool Start();
  // Ends the thread and closes its connection. Safe to call more than once.
  void Stop();
  CaptureAvailability Availability() const;

  // What to follow. A grid size outside 1..8 x 1..32 is refused (false) and changes nothing.
  bool SetGridSize(int rows, int columns);
  void FollowScreen();
  void FollowWindow(CaptureWindowId window);
  void FollowNothing();
  void SetPeriod(std::chrono::milliseconds period);

  CaptureState State() const;
  // The newest picture; empty before the first one. A new target starts empty again.
  std::optional<CapturedFrame> Latest() const;

  // The windows that can be followed, topmost first; empty when no display is there.
  std::vector<CaptureWindowEntry> ListWindows() const;
  // Whether a window chosen from an earlier list still exists.
  bool WindowStillExists(CaptureWindowId window) const;

 private:
  enum class Target { Nothing, Screen, Window };
  struct Request {
    Target target = Target::Nothing;
    CaptureWindowId window = 0;
    int rows = 0;
    int columns = 0;
    std::uint64_t generation = 0;  // grows with every change of target or size
  };

  void Run();
  void Publish(const Request& request, CaptureState state, std::optional<ColorGrid> grid);
  const char* DisplayNameOrNull() const;

  const std::string displayName_;
  CaptureAvailability availability_;

  // Start and Stop one at a time (taken before mutex_).
  std::mutex lifecycleMutex_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool running_ = false;
  bool stopping_ = false;
  Request request_;
  std::chrono::milliseconds period_ = kDefaultPeriod;
  CaptureState state_ = CaptureState::Stopped;
  std::optional<CapturedFrame> latest_;
  std::uint64_t sequence_ = 0;
  std::thread thread_;
};

}  // namespace platform

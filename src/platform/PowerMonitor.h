#pragma once
// The machine going to sleep and waking: logind's PrepareForSleep signal on the system bus.
// Where there is no system bus or no logind, nothing is reported and the application is never
// suspended.

#include <functional>
#include <memory>
#include <thread>

#include "platform/UniqueFd.h"

namespace platform {

class PowerMonitor {
 public:
  // Called on the monitor's thread: true before the machine sleeps, false after it woke.
  using Listener = std::function<void(bool sleeping)>;

  explicit PowerMonitor(Listener listener);
  ~PowerMonitor();
  PowerMonitor(const PowerMonitor&) = delete;
  PowerMonitor& operator=(const PowerMonitor&) = delete;

  bool Running() const { return running_; }

 private:
  struct Bus;
  void Run();

  Listener listener_;
  std::unique_ptr<Bus> bus_;
  UniqueFd stop_;
  bool running_ = false;
  std::thread thread_;  // last: it stops before anything it uses goes
};

}  // namespace platform

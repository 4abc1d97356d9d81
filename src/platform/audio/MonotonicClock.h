#pragma once
// Time as the sound layers see it: a monotonic count that never wraps, injectable so that
// tests and simulations decide how fast it runs.

#include <atomic>
#include <chrono>
#include <functional>

namespace platform {

// Time since an arbitrary fixed start; never decreases.
using MonotonicClock = std::function<std::chrono::nanoseconds()>;

// The system's steady clock.
MonotonicClock SteadyClock();

// A clock that moves only when told to. Safe to read and advance from any thread.
class ManualClock {
 public:
  explicit ManualClock(std::chrono::nanoseconds start = std::chrono::nanoseconds{0})
      : now_(start.count()) {}
  ManualClock(const ManualClock&) = delete;
  ManualClock& operator=(const ManualClock&) = delete;

  std::chrono::nanoseconds Now() const { return std::chrono::nanoseconds{now_.load()}; }
  void Advance(std::chrono::nanoseconds step) {
    if (step.count() > 0) now_.fetch_add(step.count());
  }
  // A MonotonicClock reading this one; the ManualClock must outlive it.
  MonotonicClock Clock() const {
    return [this] { return Now(); };
  }

 private:
  std::atomic<std::chrono::nanoseconds::rep> now_;
};

}  // namespace platform

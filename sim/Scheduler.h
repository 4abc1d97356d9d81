#pragma once
// Runs tasks at given times on one thread of its own, started on first use. Used for what a
// device does later by itself: late replies, replugging, the screen channel coming and going.

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

#include "sim/KeyboardState.h"

namespace sim {

class Scheduler {
 public:
  Scheduler() = default;
  ~Scheduler();
  Scheduler(const Scheduler&) = delete;
  Scheduler& operator=(const Scheduler&) = delete;

  // Tasks run without any lock of the scheduler held, in time order.
  void At(Clock::time_point when, std::function<void()> task);

  // Ends the thread after the task in progress; pending and later tasks are dropped.
  void Stop();

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wakeUp_;
  std::multimap<Clock::time_point, std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace sim

#pragma once
// A thread that calls Run in a fixed cycle: it measures how long Run took and sleeps the rest
// of the period. Every wait of the thread (the cycle's sleep and SleepFor inside Run) ends at
// once when the thread is asked to stop, so shutdown never waits on a long sleep.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "core/Sleeper.h"

class CThreadBasic : public core::Sleeper {
 public:
  static constexpr int kDefaultPeriodMs = 16;

  CThreadBasic() = default;
  // The owner must call Stop before its own members go away.
  virtual ~CThreadBasic();
  CThreadBasic(const CThreadBasic&) = delete;
  CThreadBasic& operator=(const CThreadBasic&) = delete;

  // 0 when already running, 1 when started.
  int Start(int periodMs = kDefaultPeriodMs);
  // Asks the thread to end and waits at most `timeout`; true when it has ended (and is
  // joined). When it has not, the thread still uses this object: the caller must not destroy it.
  bool Stop(std::chrono::milliseconds timeout);
  bool IsRunning() const { return running_.load(); }
  int GetPeriodMs() const { return periodMs_; }
  // Milliseconds of the monotonic clock when the thread was started.
  std::int64_t GetStartTick() const { return startTick_; }

  // Sleeps for the duration; returns false at once when the thread is asked to stop. Callable
  // from Run (also when Run is called without the thread, as tests do).
  bool SleepFor(std::chrono::milliseconds duration) override;

 protected:
  // One cycle. Runs on the thread.
  virtual void Run() = 0;

 private:
  void Loop();

  std::thread thread_;
  std::atomic<bool> running_{false};
  std::atomic<bool> stopRequested_{false};
  int periodMs_ = kDefaultPeriodMs;
  std::int64_t startTick_ = 0;

  std::mutex mutex_;
  std::condition_variable wake_;      // stop requests
  std::condition_variable finished_;  // the loop has ended
  bool loopEnded_ = true;
};

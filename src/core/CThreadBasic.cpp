#include "core/CThreadBasic.h"

CThreadBasic::~CThreadBasic() {
  if (thread_.joinable()) {
    Stop(std::chrono::milliseconds::max());
  }
}

int CThreadBasic::Start(int periodMs) {
  if (running_.load()) return 0;
  if (thread_.joinable()) thread_.join();
  periodMs_ = periodMs > 0 ? periodMs : kDefaultPeriodMs;
  startTick_ = std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
                   .count();
  {
    std::lock_guard lock(mutex_);
    loopEnded_ = false;
    stopRequested_.store(false);
  }
  running_.store(true);
  thread_ = std::thread([this] { Loop(); });
  return 1;
}

void CThreadBasic::Loop() {
  const auto period = std::chrono::milliseconds(periodMs_);
  while (running_.load()) {
    const auto started = std::chrono::steady_clock::now();
    Run();
    std::unique_lock lock(mutex_);
    wake_.wait_until(lock, started + period, [this] { return !running_.load(); });
  }
  {
    std::lock_guard lock(mutex_);
    loopEnded_ = true;
  }
  finished_.notify_all();
}

bool CThreadBasic::Stop(std::chrono::milliseconds timeout) {
  {
    std::lock_guard lock(mutex_);
    running_.store(false);
    stopRequested_.store(true);
  }
  wake_.notify_all();
  if (!thread_.joinable()) return true;
  {
    std::unique_lock lock(mutex_);
    const bool ended = timeout == std::chrono::milliseconds::max()
                           ? (finished_.wait(lock, [this] { return loopEnded_; }), true)
                           : finished_.wait_for(lock, timeout, [this] { return loopEnded_; });
    if (!ended) return false;
  }
  thread_.join();
  return true;
}

bool CThreadBasic::SleepFor(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !wake_.wait_for(lock, duration, [this] { return stopRequested_.load(); });
}

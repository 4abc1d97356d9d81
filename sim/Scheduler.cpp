#include "sim/Scheduler.h"

namespace sim {

Scheduler::~Scheduler() {
  Stop();
}

void Scheduler::At(Clock::time_point when, std::function<void()> task) {
  std::lock_guard lock(mutex_);
  if (stopping_) return;
  tasks_.emplace(when, std::move(task));
  if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  wakeUp_.notify_one();
}

void Scheduler::Stop() {
  std::thread thread;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    tasks_.clear();
    thread.swap(thread_);
    wakeUp_.notify_one();
  }
  if (thread.joinable()) thread.join();
}

void Scheduler::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (tasks_.empty()) {
      wakeUp_.wait(lock);
      continue;
    }
    const auto next = tasks_.begin();
    if (next->first > Clock::now()) {
      // A copy: the wait reads its deadline again after waking, when Stop may have emptied
      // the tasks.
      const Clock::time_point when = next->first;
      wakeUp_.wait_until(lock, when);
      continue;
    }
    std::function<void()> task = std::move(next->second);
    tasks_.erase(next);
    lock.unlock();
    task();
    lock.lock();
  }
}

}  // namespace sim

#include "core/DeviceTaskQueue.h"

#include <utility>

DeviceTaskQueue::Sequence DeviceTaskQueue::Append(int code) {
  std::lock_guard lock(mutex_);
  codes_.push_back({code, ++lastAppended_});
  return lastAppended_;
}

bool DeviceTaskQueue::AppendIfEmpty(int code) {
  std::lock_guard lock(mutex_);
  if (!codes_.empty()) return false;
  codes_.push_back({code, ++lastAppended_});
  return true;
}

std::optional<int> DeviceTaskQueue::Take() {
  DueHooks due;
  std::optional<int> code;
  {
    std::lock_guard lock(mutex_);
    if (running_ != 0) NoteFinished(running_, true);
    running_ = 0;
    if (!codes_.empty()) {
      code = codes_.front().code;
      running_ = codes_.front().sequence;
      codes_.pop_front();
    }
    due = TakeDue();
  }
  Run(std::move(due));
  return code;
}

void DeviceTaskQueue::FinishTaken(bool ran) {
  DueHooks due;
  {
    std::lock_guard lock(mutex_);
    if (running_ == 0) return;
    NoteFinished(running_, ran);
    running_ = 0;
    due = TakeDue();
  }
  Run(std::move(due));
}

std::vector<int> DeviceTaskQueue::Clear() {
  DueHooks due;
  std::vector<int> removed;
  {
    std::lock_guard lock(mutex_);
    for (const Entry& entry : codes_) {
      removed.push_back(entry.code);
      NoteFinished(entry.sequence, false);
    }
    codes_.clear();
    due = TakeDue();
  }
  Run(std::move(due));
  return removed;
}

bool DeviceTaskQueue::IsEmpty() const {
  std::lock_guard lock(mutex_);
  return codes_.empty();
}

std::size_t DeviceTaskQueue::Size() const {
  std::lock_guard lock(mutex_);
  return codes_.size();
}

DeviceTaskQueue::Sequence DeviceTaskQueue::LastAppended() const {
  std::lock_guard lock(mutex_);
  return lastAppended_;
}

// Completion ------------------------------------------------------------------------------------

DeviceTaskQueue::Sequence DeviceTaskQueue::FinishedThrough() const {
  if (running_ != 0) return running_ - 1;
  if (!codes_.empty()) return codes_.front().sequence - 1;
  return lastAppended_;
}

void DeviceTaskQueue::NoteFinished(Sequence sequence, bool ran) {
  if (ran) return;
  for (auto& [id, waiter] : waiters_) {
    if (sequence >= waiter.first && (!waiter.ended || sequence <= waiter.last)) {
      waiter.allRan = false;
    }
  }
}

DeviceTaskQueue::DueHooks DeviceTaskQueue::TakeDue() {
  DueHooks due;
  const Sequence finished = FinishedThrough();
  for (auto it = waiters_.begin(); it != waiters_.end();) {
    if (it->second.ended && it->second.last <= finished) {
      due.emplace_back(std::move(it->second.hook), it->second.allRan);
      it = waiters_.erase(it);
    } else {
      ++it;
    }
  }
  return due;
}

void DeviceTaskQueue::Run(DueHooks due) {
  // Outside the lock: a hook may append tasks or watch again.
  for (auto& [hook, allRan] : due) {
    if (hook) hook(allRan);
  }
}

void DeviceTaskQueue::WhenAppendedFinished(FinishedHook hook) {
  DueHooks due;
  {
    std::lock_guard lock(mutex_);
    Waiter waiter;
    // Tasks finished before now are not watched: first lies beyond every task appended so far.
    waiter.first = lastAppended_ + 1;
    waiter.last = lastAppended_;
    waiter.ended = true;
    waiter.hook = std::move(hook);
    waiters_.emplace(nextWaiter_++, std::move(waiter));
    due = TakeDue();
  }
  Run(std::move(due));
}

DeviceTaskQueue::Watch DeviceTaskQueue::BeginWatch() {
  std::lock_guard lock(mutex_);
  Waiter waiter;
  waiter.first = lastAppended_ + 1;
  const std::uint64_t id = nextWaiter_++;
  waiters_.emplace(id, std::move(waiter));
  return Watch(*this, id);
}

void DeviceTaskQueue::EndWatch(Watch& watch, FinishedHook hook) {
  if (watch.queue_ != this) return;
  DueHooks due;
  {
    std::lock_guard lock(mutex_);
    const auto found = waiters_.find(watch.id_);
    if (found == waiters_.end() || found->second.ended) return;
    if (lastAppended_ < found->second.first) {
      // Nothing was appended while watching: nothing to wait for.
      waiters_.erase(found);
      due.emplace_back(std::move(hook), true);
    } else {
      found->second.last = lastAppended_;
      found->second.ended = true;
      found->second.hook = std::move(hook);
      due = TakeDue();
    }
  }
  // The hook now belongs to the queue: the watch no longer forgets it.
  watch.queue_ = nullptr;
  Run(std::move(due));
}

void DeviceTaskQueue::Forget(std::uint64_t watchId) {
  std::lock_guard lock(mutex_);
  const auto found = waiters_.find(watchId);
  if (found != waiters_.end() && !found->second.ended) waiters_.erase(found);
}

DeviceTaskQueue::Watch::Watch(Watch&& other) noexcept
    : queue_(std::exchange(other.queue_, nullptr)), id_(other.id_) {}

DeviceTaskQueue::Watch::~Watch() {
  if (queue_ != nullptr) queue_->Forget(id_);
}

#include "core/DeviceTaskQueue.h"

void DeviceTaskQueue::Append(int code) {
  std::lock_guard lock(mutex_);
  codes_.push_back(code);
}

bool DeviceTaskQueue::AppendIfEmpty(int code) {
  std::lock_guard lock(mutex_);
  if (!codes_.empty()) return false;
  codes_.push_back(code);
  return true;
}

std::optional<int> DeviceTaskQueue::Take() {
  std::lock_guard lock(mutex_);
  if (codes_.empty()) return std::nullopt;
  const int code = codes_.front();
  codes_.pop_front();
  return code;
}

std::vector<int> DeviceTaskQueue::Clear() {
  std::lock_guard lock(mutex_);
  std::vector<int> removed(codes_.begin(), codes_.end());
  codes_.clear();
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

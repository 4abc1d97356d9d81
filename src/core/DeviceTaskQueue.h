#pragma once
// The hand-over of numbered tasks from the UI thread to the device worker: first in, first
// out. Append, take and clear exclude each other.

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

class DeviceTaskQueue {
 public:
  void Append(int code);
  // Appends only when nothing is queued (merges bursts of changes); true when appended.
  bool AppendIfEmpty(int code);
  // The first code, removed from the queue; empty when nothing is queued.
  std::optional<int> Take();
  // Empties the queue and returns what it held, in order.
  std::vector<int> Clear();
  bool IsEmpty() const;
  std::size_t Size() const;

 private:
  mutable std::mutex mutex_;
  std::deque<int> codes_;
};

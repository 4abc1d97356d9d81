#pragma once
// The hand-over of numbered tasks from the UI thread to the device worker: first in, first
// out. Append, take and clear exclude each other.
//
// Every appended task gets a sequence number (1, 2, 3, ... in the order of appending), so a
// caller can learn when what it asked for has reached the keyboard: a task counts as finished
// once the worker reports it done (FinishTaken) or it was dropped (Clear). Because tasks run in
// order, "every task up to N has finished" is one number to compare.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

class DeviceTaskQueue {
 public:
  using Sequence = std::uint64_t;
  // Runs once the tasks it waits for have finished; `allRan` is false when one of the watched
  // tasks was dropped instead of run.
  using FinishedHook = std::function<void(bool allRan)>;

  DeviceTaskQueue() = default;
  DeviceTaskQueue(const DeviceTaskQueue&) = delete;
  DeviceTaskQueue& operator=(const DeviceTaskQueue&) = delete;

  // Appends a task; returns its sequence number.
  Sequence Append(int code);
  // Appends only when nothing is queued (merges bursts of changes); true when appended.
  bool AppendIfEmpty(int code);
  // The first code, removed from the queue; empty when nothing is queued. The task taken is
  // the running one until FinishTaken (or the next Take, which finishes it as run).
  std::optional<int> Take();
  // The worker is done with the task it took last: it ran, or it was dropped (`ran` false).
  void FinishTaken(bool ran);
  // Empties the queue and returns what it held, in order; those tasks count as dropped.
  std::vector<int> Clear();
  bool IsEmpty() const;
  std::size_t Size() const;

  // The sequence number of the last task appended so far (0 before the first).
  Sequence LastAppended() const;

  // Runs `hook` once every task appended before this call has finished: at once on this thread
  // when none is left, else on the thread that finishes or drops the last of them. `allRan` is
  // always true here: the outcome of tasks finished earlier is not kept.
  void WhenAppendedFinished(FinishedHook hook);

  // Watches the tasks appended from BeginWatch on: EndWatch gives the hook that runs once all
  // of them (up to EndWatch) have finished, and learns whether every one of them ran; with none
  // appended it runs at once. A watch that is not ended is forgotten when the object goes.
  class Watch {
   public:
    Watch(Watch&& other) noexcept;
    Watch& operator=(Watch&&) = delete;
    Watch(const Watch&) = delete;
    ~Watch();

   private:
    friend class DeviceTaskQueue;
    Watch(DeviceTaskQueue& queue, std::uint64_t id) : queue_(&queue), id_(id) {}
    DeviceTaskQueue* queue_;
    std::uint64_t id_;
  };
  [[nodiscard]] Watch BeginWatch();
  void EndWatch(Watch& watch, FinishedHook hook);

 private:
  struct Entry {
    int code;
    Sequence sequence;
  };
  struct Waiter {
    Sequence first = 0;  // the first task whose outcome counts
    Sequence last = 0;   // the task that must have finished; meaningful once `ended`
    bool ended = false;  // the hook is known and `last` fixed
    bool allRan = true;
    FinishedHook hook;
  };
  using DueHooks = std::vector<std::pair<FinishedHook, bool>>;

  // Every task up to this number has finished. Under the lock.
  Sequence FinishedThrough() const;
  // Notes the outcome of a finished task and takes out the waiters now due. Under the lock.
  void NoteFinished(Sequence sequence, bool ran);
  DueHooks TakeDue();
  static void Run(DueHooks due);
  void Forget(std::uint64_t watchId);

  mutable std::mutex mutex_;
  std::deque<Entry> codes_;
  Sequence lastAppended_ = 0;
  Sequence running_ = 0;  // the task taken and not yet finished; 0 when none
  std::uint64_t nextWaiter_ = 1;
  std::map<std::uint64_t, Waiter> waiters_;
};

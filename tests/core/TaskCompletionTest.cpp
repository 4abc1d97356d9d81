// Learning when queued tasks have reached the worker: sequence numbers, the hook that runs once
// every task appended before it has finished, and watches that learn whether their tasks ran.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/DeviceTaskQueue.h"

namespace {

// Takes and finishes the next task as the worker does.
bool RunNext(DeviceTaskQueue& queue, bool ran = true) {
  if (!queue.Take()) return false;
  queue.FinishTaken(ran);
  return true;
}

TEST(TaskCompletion, SequenceNumbersFollowTheOrderOfAppending) {
  DeviceTaskQueue queue;
  EXPECT_EQ(queue.LastAppended(), 0u);
  EXPECT_EQ(queue.Append(17), 1u);
  EXPECT_EQ(queue.Append(6), 2u);
  EXPECT_TRUE(queue.Clear().size() == 2);
  EXPECT_TRUE(queue.AppendIfEmpty(4));
  EXPECT_EQ(queue.LastAppended(), 3u);
}

TEST(TaskCompletion, TheHookWaitsForTheTasksBeforeItAndNotForLaterOnes) {
  DeviceTaskQueue queue;
  int calls = 0;
  queue.WhenAppendedFinished([&](bool) { ++calls; });
  EXPECT_EQ(calls, 1) << "nothing queued: the hook runs at once";

  queue.Append(17);
  queue.Append(6);
  queue.WhenAppendedFinished([&](bool) { ++calls; });
  queue.Append(13);  // appended after the hook: not waited for
  ASSERT_TRUE(queue.Take());
  EXPECT_EQ(calls, 1);
  queue.FinishTaken(true);
  EXPECT_EQ(calls, 1) << "task 6 is still queued";
  ASSERT_TRUE(queue.Take());
  EXPECT_EQ(calls, 1) << "task 6 is taken but still running";
  queue.FinishTaken(true);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(queue.Size(), 1u);
  ASSERT_TRUE(RunNext(queue));
  EXPECT_EQ(calls, 2) << "a hook runs once";
}

TEST(TaskCompletion, AWatchLearnsWhetherEveryOneOfItsTasksRan) {
  struct Case {
    const char* name;
    bool dropEarlier;  // a task appended before the watch is dropped
    bool dropWatched;  // one of the watched tasks is dropped by the worker
    bool clear;        // the queue is cleared while the watched tasks wait
    bool allRan;
  };
  const Case cases[] = {
      {"all run", false, false, false, true},
      {"an earlier task dropped", true, false, false, true},
      {"the worker drops one", false, true, false, false},
      {"the queue is cleared", false, false, true, false},
  };
  for (const Case& c : cases) {
    DeviceTaskQueue queue;
    queue.Append(4);
    DeviceTaskQueue::Watch watch = queue.BeginWatch();
    queue.Append(17);
    queue.Append(6);
    std::vector<bool> outcomes;
    queue.EndWatch(watch, [&](bool allRan) { outcomes.push_back(allRan); });
    queue.Append(13);
    ASSERT_TRUE(RunNext(queue, !c.dropEarlier)) << c.name;
    if (c.clear) {
      EXPECT_EQ(queue.Clear().size(), 3u);
    } else {
      ASSERT_TRUE(RunNext(queue, !c.dropWatched)) << c.name;
      EXPECT_TRUE(outcomes.empty()) << c.name;
      ASSERT_TRUE(RunNext(queue)) << c.name;
    }
    ASSERT_EQ(outcomes.size(), 1u) << c.name;
    EXPECT_EQ(outcomes[0], c.allRan) << c.name;
  }
}

TEST(TaskCompletion, AWatchWithoutTasksEndsAtOnceAndAnUnendedWatchIsForgotten) {
  DeviceTaskQueue queue;
  queue.Append(4);
  int calls = 0;
  {
    DeviceTaskQueue::Watch watch = queue.BeginWatch();
    queue.EndWatch(watch, [&](bool allRan) { calls += allRan ? 1 : 100; });
    EXPECT_EQ(calls, 1) << "the task queued before the watch is not waited for";
  }
  {
    DeviceTaskQueue::Watch forgotten = queue.BeginWatch();
    queue.Append(6);
  }
  ASSERT_TRUE(RunNext(queue, false));
  ASSERT_TRUE(RunNext(queue, false));
  EXPECT_EQ(calls, 1);
}

TEST(TaskCompletion, AHookMayQueueAndWaitAgain) {
  DeviceTaskQueue queue;
  queue.Append(22);
  int secondCalls = 0;
  queue.WhenAppendedFinished([&](bool) {
    queue.Append(4);
    queue.WhenAppendedFinished([&](bool) { ++secondCalls; });
  });
  ASSERT_TRUE(RunNext(queue));
  EXPECT_EQ(secondCalls, 0);
  ASSERT_TRUE(RunNext(queue));
  EXPECT_EQ(secondCalls, 1);
}

TEST(TaskCompletion, EveryHookRunsOnceAfterItsTasksWhileAWorkerRunsThemOnAnotherThread) {
  DeviceTaskQueue queue;
  std::atomic<bool> producing{true};
  std::atomic<std::uint64_t> finishedThrough{0};
  std::thread worker([&] {
    while (producing.load() || !queue.IsEmpty()) {
      if (queue.Take()) {
        // What the worker finishes next; a hook must never see less than its last task.
        finishedThrough.store(finishedThrough.load() + 1);
        queue.FinishTaken(true);
      }
    }
  });
  constexpr int kRounds = 2000;
  std::atomic<int> hooks{0};
  std::atomic<int> early{0};
  for (int round = 0; round < kRounds; ++round) {
    DeviceTaskQueue::Watch watch = queue.BeginWatch();
    const auto last = queue.Append(round % 30 + 1);
    queue.EndWatch(watch, [&, last](bool allRan) {
      if (!allRan || finishedThrough.load() < last) early.fetch_add(1);
      hooks.fetch_add(1);
    });
  }
  producing.store(false);
  worker.join();
  EXPECT_EQ(hooks.load(), kRounds);
  EXPECT_EQ(early.load(), 0);
}

}  // namespace

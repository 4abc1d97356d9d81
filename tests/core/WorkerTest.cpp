#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/CThreadBasic.h"
#include "core/DeviceTaskQueue.h"

namespace {

TEST(DeviceTaskQueue, IsFirstInFirstOutAndMergesBursts) {
  DeviceTaskQueue queue;
  EXPECT_FALSE(queue.Take().has_value());
  queue.Append(13);
  EXPECT_FALSE(queue.AppendIfEmpty(17));
  queue.Append(6);
  EXPECT_EQ(queue.Size(), 2u);
  EXPECT_EQ(queue.Take(), 13);
  EXPECT_EQ(queue.Clear(), std::vector<int>{6});
  EXPECT_TRUE(queue.IsEmpty());
  EXPECT_TRUE(queue.AppendIfEmpty(17));
  EXPECT_EQ(queue.Take(), 17);
}

TEST(DeviceTaskQueue, AppendTakeAndClearFromSeveralThreadsLoseNothing) {
  DeviceTaskQueue queue;
  constexpr int kPerThread = 5000;
  std::atomic<int> taken{0};
  std::atomic<bool> producing{true};
  std::thread consumer([&] {
    while (producing.load() || !queue.IsEmpty()) {
      if (queue.Take()) taken.fetch_add(1);
    }
  });
  std::vector<std::thread> producers;
  for (int t = 0; t < 3; ++t) {
    producers.emplace_back([&] {
      for (int i = 0; i < kPerThread; ++i) queue.Append(i % 31 + 1);
    });
  }
  for (auto& producer : producers) producer.join();
  producing.store(false);
  consumer.join();
  EXPECT_EQ(taken.load(), 3 * kPerThread);
}

class CountingThread : public CThreadBasic {
 public:
  std::atomic<int> cycles{0};
  std::atomic<int> sleepMs{0};
  std::atomic<bool> lastSleepCompleted{true};
  ~CountingThread() override { Stop(std::chrono::milliseconds::max()); }

 protected:
  void Run() override {
    cycles.fetch_add(1);
    if (const int ms = sleepMs.load())
      lastSleepCompleted.store(SleepFor(std::chrono::milliseconds(ms)));
  }
};

TEST(CThreadBasic, StartsOnceAndStopsPromptly) {
  CountingThread thread;
  EXPECT_EQ(thread.Start(), 1);
  EXPECT_EQ(thread.Start(), 0);
  EXPECT_EQ(thread.GetPeriodMs(), 16);
  while (thread.cycles.load() < 3) std::this_thread::yield();
  EXPECT_TRUE(thread.Stop(std::chrono::milliseconds(1000)));
  EXPECT_FALSE(thread.IsRunning());
  const int cycles = thread.cycles.load();
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  EXPECT_EQ(thread.cycles.load(), cycles);
  EXPECT_EQ(thread.Start(), 1);  // a stopped thread can start again
}

TEST(CThreadBasic, StopInterruptsALongSleepInsideRun) {
  CountingThread thread;
  thread.sleepMs.store(60'000);
  thread.Start();
  while (thread.cycles.load() < 1) std::this_thread::yield();
  const auto before = std::chrono::steady_clock::now();
  EXPECT_TRUE(thread.Stop(std::chrono::milliseconds(1000)));
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(1));
  EXPECT_FALSE(thread.lastSleepCompleted.load());
}

}  // namespace

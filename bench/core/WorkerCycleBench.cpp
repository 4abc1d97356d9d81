// The device worker's cycle: how close its period stays to 16 ms over five seconds, as the mean
// period and the 99th percentile of the gaps between cycle starts.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

#include "core/CThreadBasic.h"

namespace {

using Clock = std::chrono::steady_clock;

class StampingThread : public CThreadBasic {
 public:
  ~StampingThread() override { Stop(std::chrono::milliseconds::max()); }
  std::vector<Clock::time_point> Stamps() {
    std::lock_guard lock(mutex_);
    return stamps_;
  }

 protected:
  void Run() override {
    std::lock_guard lock(mutex_);
    stamps_.push_back(Clock::now());
  }

 private:
  std::mutex mutex_;
  std::vector<Clock::time_point> stamps_;
};

void BM_WorkerCyclePeriod(benchmark::State& state) {
  const auto duration = std::chrono::milliseconds(state.range(0));
  std::vector<double> gapsMs;
  for (auto _ : state) {
    StampingThread thread;
    thread.Start(16);
    std::this_thread::sleep_for(duration);
    thread.Stop(std::chrono::seconds(1));
    const auto stamps = thread.Stamps();
    for (std::size_t i = 1; i < stamps.size(); ++i) {
      gapsMs.push_back(
          std::chrono::duration<double, std::milli>(stamps[i] - stamps[i - 1]).count());
    }
  }
  if (gapsMs.empty()) return;
  std::sort(gapsMs.begin(), gapsMs.end());
  const double mean =
      std::accumulate(gapsMs.begin(), gapsMs.end(), 0.0) / static_cast<double>(gapsMs.size());
  const double p99 = gapsMs[std::min(gapsMs.size() - 1, gapsMs.size() * 99 / 100)];
  state.counters["mean_ms"] = mean;
  state.counters["p99_ms"] = p99;
  state.counters["max_ms"] = gapsMs.back();
  state.counters["cycles"] = static_cast<double>(gapsMs.size());
}
BENCHMARK(BM_WorkerCyclePeriod)
    ->Arg(5000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

// The light page against the virtual keyboard:
// - how long a slider change takes to reach the keyboard, through the worker's 16 ms cycle
//   (target: under 50 ms);
// - the worker CPU of one idle cycle of the light page with the live preview on (target: under
//   1 ms; the virtual keyboard answers in the same process, so its own work is counted too);
// - stream frames per second from a 16 ms worker (target: at least 55), for the matrix and the
//   screen-sync frames, and the live colour reads of the light page's own worker.

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <numeric>
#include <vector>

#include "app/KeyboardDlg.h"
#include "common/ControllerRig.h"
#include "core/CThreadBasic.h"
#include "core/ThreadCheck.h"
#include "device/HidDeviceManager.h"
#include "device/KeyboardCommands.h"
#include "device/LightingCommands.h"
#include "lighting/LightPageLayout.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

double ThreadCpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

// Live colour reads in a frame log: each read's first chunk asks for offset 0.
long CountLiveReads(const std::vector<sim::LoggedFrame>& log) {
  return std::count_if(log.begin(), log.end(), [](const sim::LoggedFrame& frame) {
    return frame.direction == sim::Direction::kToDevice && frame.bytes.size() > 4 &&
           frame.bytes[1] == 0xAA && frame.bytes[2] == 0x34 && frame.bytes[3] == 0 &&
           frame.bytes[4] == 0;
  });
}

void Summarise(benchmark::State& state, std::vector<double> samples, const char* unit) {
  if (samples.empty()) return;
  std::sort(samples.begin(), samples.end());
  const double mean =
      std::accumulate(samples.begin(), samples.end(), 0.0) / static_cast<double>(samples.size());
  state.counters[std::string("mean_") + unit] = mean;
  state.counters[std::string("p95_") + unit] =
      samples[std::min(samples.size() - 1, samples.size() * 95 / 100)];
  state.counters[std::string("max_") + unit] = samples.back();
}

// A slider moved by the user until the keyboard's settings block holds the new brightness.
void BM_SliderChangeReachesKeyboard(benchmark::State& state) {
  ControllerRig app({.worker = true, .page = kPageLighting});
  auto* slider = app.Dialog().GetControl<Tessel::MSlider>(lighting::ids::kBrightnessSlider);
  std::vector<double> latencies;
  int value = 1;
  for (auto _ : state) {
    value = value == 1 ? 3 : 1;
    const Clock::time_point start = Clock::now();
    slider->UserSetValue(value, true);
    const bool reached = app.Backend().RunUntil([&] { return app.Keyboard().settings[3] == value; },
                                                std::chrono::seconds(2));
    const Clock::duration took = Clock::now() - start;
    state.SetIterationTime(std::chrono::duration<double>(took).count());
    if (!reached) state.SkipWithError("the brightness did not reach the keyboard");
    latencies.push_back(Milliseconds(took));
    // Let the change settle and start the next one at a random point of the worker's cycle.
    app.Backend().RunFor(std::chrono::milliseconds(7 + value * 3));
  }
  Summarise(state, latencies, "ms");
}
BENCHMARK(BM_SliderChangeReachesKeyboard)
    ->Iterations(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// One idle cycle of the worker on the light page with the preview on: the live colour read and
// the keyboard view's update.
void BM_LightPageIdleCycleCpu(benchmark::State& state) {
  ControllerRig app({.worker = false, .page = kPageLighting});
  app.Dialog().GetControl<Tessel::CSwitchButton>(lighting::ids::kPreviewSwitch)->UserClick();
  // The cycle measured must be one that reads the live colours.
  app.Bus().SetFrameLogging(true);
  app.Dialog().RunCycle();
  if (CountLiveReads(app.Bus().FrameLog()) != 1) return state.SkipWithError("no live colour read");
  app.Bus().SetFrameLogging(false);
  std::vector<double> cpu;
  for (auto _ : state) {
    const double before = ThreadCpuMicroseconds();
    app.Dialog().RunCycle();
    cpu.push_back(ThreadCpuMicroseconds() - before);
  }
  Summarise(state, cpu, "cpu_us");
}
BENCHMARK(BM_LightPageIdleCycleCpu)->Iterations(500)->Unit(benchmark::kMicrosecond);

// A worker that sends one frame of a stream per 16 ms cycle, as the matrix and screen-sync
// pages do in their idle cycles.
class StreamWorker : public CThreadBasic {
 public:
  StreamWorker(sim::VirtualHidBus& bus, bool screenSync)
      : link_(bus), keyboard_(link_), lighting_(link_, keyboard_), screenSync_(screenSync) {
    link_.SetSleeper([this](std::chrono::milliseconds duration) { SleepFor(duration); });
    for (const auto& entry : {device::CatalogueEntry{0x36B0, 0x3002, "", 102, 0}}) {
      link_.AddCatalogueEntry(entry);
    }
    link_.EnumerateDevice();
    link_.SetSelectedModel(102);
  }
  ~StreamWorker() override { Stop(std::chrono::milliseconds::max()); }
  int Sent() const { return sent_.load(); }

 protected:
  void Run() override {
    core::WorkerScope worker;
    ++frame_;
    const bool sent = screenSync_ ? SendScreenSync() : SendMatrix();
    if (sent) sent_.fetch_add(1);
  }

 private:
  bool SendMatrix() {
    protocol::MatrixColors cells{};
    for (std::size_t cell = 0; cell < cells.size(); ++cell)
      cells[cell] = (frame_ * 7 + cell) * 0x10203;
    return lighting_.StreamMatrix(cells);
  }
  bool SendScreenSync() {
    std::vector<protocol::LitKey> keys;
    for (int light = 0; light < 106; ++light) keys.push_back({light, (frame_ + light) * 0x30507u});
    return lighting_.StreamScreenSync(keys, keys.size());
  }

  device::HidDeviceManager link_;
  device::KeyboardCommands keyboard_;
  device::LightingCommands lighting_;
  bool screenSync_;
  unsigned frame_ = 0;
  std::atomic<int> sent_{0};
};

void BM_StreamFramesPerSecond(benchmark::State& state) {
  const bool screenSync = state.range(0) == 1;
  sim::VirtualHidBus bus;
  const auto keyboard = sim::AddCatalogueKeyboard(bus, kData, 102);
  if (!keyboard) return state.SkipWithError("no virtual keyboard");
  bus.PlugCable(*keyboard);
  double rate = 0;
  for (auto _ : state) {
    StreamWorker worker(bus, screenSync);
    const Clock::time_point start = Clock::now();
    worker.Start(CThreadBasic::kDefaultPeriodMs);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    worker.Stop(std::chrono::seconds(1));
    rate = worker.Sent() / std::chrono::duration<double>(Clock::now() - start).count();
  }
  state.counters["frames_per_s"] = rate;
}
BENCHMARK(BM_StreamFramesPerSecond)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("screen_sync")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The light page's own stream: live colour reads while the preview is on, from the real worker.
void BM_LivePreviewReadsPerSecond(benchmark::State& state) {
  ControllerRig app({.worker = true, .page = kPageLighting});
  app.Dialog().GetControl<Tessel::CSwitchButton>(lighting::ids::kPreviewSwitch)->UserClick();
  double rate = 0;
  for (auto _ : state) {
    app.Bus().SetFrameLogging(true);
    app.Bus().ClearFrameLog();
    const Clock::time_point start = Clock::now();
    app.Backend().RunFor(std::chrono::seconds(3));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const std::vector<sim::LoggedFrame> log = app.Bus().FrameLog();
    app.Bus().SetFrameLogging(false);
    rate = static_cast<double>(CountLiveReads(log)) / seconds;
  }
  state.counters["reads_per_s"] = rate;
}
BENCHMARK(BM_LivePreviewReadsPerSecond)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

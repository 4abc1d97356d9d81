// What the music effect costs while it streams: the application with the effect page in its
// music mode, a generated sound at 120 beats per minute, the visualizer drawing and the worker
// streaming every frame to the virtual keyboard. Reported: frames reaching the keyboard per
// second and the whole process's CPU in percent of one core (target: under 5 %; the virtual
// keyboard answers in the same process, so its work is counted too).

#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <memory>

#include "common/ControllerRig.h"
#include "lighting/EffectFeature.h"
#include "platform/audio/GeneratedSource.h"
#include "platform/audio/MonotonicClock.h"

namespace {

using Clock = std::chrono::steady_clock;

double ProcessCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

KeyboardDlg::Options MusicOptions() {
  KeyboardDlg::Options options;
  options.audioSource = [] {
    platform::SignalSpec spec;
    spec.shape = platform::SignalSpec::Shape::Clicks;
    spec.amplitude = 0.8;
    spec.frequency = 60.0;
    spec.beatsPerMinute = 120.0;
    return std::make_unique<platform::GeneratedSource>(spec, 48000, 768, platform::SteadyClock());
  };
  return options;
}

void BM_MusicEffectStreaming(benchmark::State& state) {
  ControllerRig app({.worker = true, .page = kPageScreenSync}, MusicOptions());
  if (!app.Dialog().Effects().Page().ChooseMode(1)) {
    state.SkipWithError("the music mode was refused");
    return;
  }
  double cpuPercent = 0;
  double framesPerSecond = 0;
  for (auto _ : state) {
    const std::uint64_t framesBefore = app.Dialog().Effects().Service().CurrentStatus().framesSent;
    const double cpuBefore = ProcessCpuSeconds();
    const Clock::time_point start = Clock::now();
    app.Backend().RunUntil([] { return false; }, std::chrono::seconds(3));
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    cpuPercent = 100.0 * (ProcessCpuSeconds() - cpuBefore) / seconds;
    framesPerSecond =
        static_cast<double>(app.Dialog().Effects().Service().CurrentStatus().framesSent -
                            framesBefore) /
        seconds;
  }
  state.counters["cpu_percent"] = cpuPercent;
  state.counters["frames_per_s"] = framesPerSecond;
}
BENCHMARK(BM_MusicEffectStreaming)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

// Sound to light: how long after a click reaches the sound server's output the music analysis
// hands a raised level to the lights (target: under 60 ms with the keyboard frame that follows,
// which the matrix and effect streams send on the next 16 ms cycle). A private PulseAudio server
// with a null output stands in for the desktop's; a playback stream of this program plays
// silence and then a click, and the clock starts when the server reports the click playing.

#include <benchmark/benchmark.h>
#include <pulse/simple.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "lighting/AudioFeed.h"
#include "lighting/KeyboardAudio.h"
#include "platform/audio/PulseMonitorSource.h"
#include "platform_audio/PulseDaemon.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr unsigned kRate = 48000;
constexpr std::size_t kChunkFrames = kRate / 100;  // 10 ms written at a time
constexpr float kHeard = 0.2f;                     // a level the click raises, silence never

// The time the lights first hear a level above kHeard.
class LevelWatch : public lighting::AudioFeed {
 public:
  void SetExternalAudioData(float level, float, float, int, float) override {
    if (level > kHeard && !heard_.load()) {
      heardAt_.store(Clock::now().time_since_epoch().count());
      heard_.store(true);
    }
  }
  void Reset() { heard_.store(false); }
  bool Heard() const { return heard_.load(); }
  Clock::time_point HeardAt() const { return Clock::time_point(Clock::duration(heardAt_.load())); }

 private:
  std::atomic<bool> heard_{false};
  std::atomic<Clock::rep> heardAt_{0};
};

// A playback stream into the daemon's first output, with a short buffer.
struct Player {
  pa_simple* stream = nullptr;
  explicit Player(const std::string& server) {
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, kRate, 2};
    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<std::uint32_t>(-1);
    buffer.tlength = static_cast<std::uint32_t>(kChunkFrames * 2 * sizeof(float) * 2);
    buffer.prebuf = static_cast<std::uint32_t>(-1);
    buffer.minreq = static_cast<std::uint32_t>(-1);
    stream = pa_simple_new(server.c_str(), "bench", PA_STREAM_PLAYBACK, PulseDaemon::kFirstSink,
                           "click", &spec, nullptr, &buffer, nullptr);
  }
  ~Player() {
    if (stream != nullptr) pa_simple_free(stream);
  }
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  bool Write(const std::vector<float>& samples) {
    return pa_simple_write(stream, samples.data(), samples.size() * sizeof(float), nullptr) == 0;
  }
  // How long what was written last still waits before it is heard.
  std::chrono::microseconds Queued() {
    return std::chrono::microseconds(pa_simple_get_latency(stream, nullptr));
  }
};

void BM_SoundToLight(benchmark::State& state) {
  PulseDaemon daemon;
  if (!daemon.Start()) {
    state.SkipWithError("the private PulseAudio server did not start");
    return;
  }
  lighting::KeyboardAudio audio(std::make_unique<platform::PulseMonitorSource>(
      platform::PulseMonitorSource::Options{.server = daemon.Server()}));
  LevelWatch watch;
  audio.AddFeed(watch);
  audio.StartAudioCapture();
  daemon.Wake(PulseDaemon::kFirstSink);
  Player player(daemon.Server());
  if (player.stream == nullptr) {
    state.SkipWithError("no playback stream");
    return;
  }
  const std::vector<float> silence(kChunkFrames * 2, 0.0f);
  const std::vector<float> click(kChunkFrames * 2, 0.9f);
  for (auto _ : state) {
    // Long enough silence for the level and its average to fall back.
    for (int i = 0; i < 60; ++i) player.Write(silence);
    watch.Reset();
    player.Write(click);
    // The click is the last thing written: it starts one chunk before the stream's end.
    const Clock::time_point playing = Clock::now() + player.Queued() - 10ms;
    for (int i = 0; i < 20 && !watch.Heard(); ++i) player.Write(silence);
    while (!watch.Heard() && Clock::now() - playing < 1s) std::this_thread::sleep_for(1ms);
    if (!watch.Heard()) {
      state.SkipWithError("the click was never heard");
      break;
    }
    const Clock::duration delay = std::max(Clock::duration::zero(), watch.HeardAt() - playing);
    state.SetIterationTime(std::chrono::duration<double>(delay).count());
  }
  audio.StopAudioCapture();
}
BENCHMARK(BM_SoundToLight)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

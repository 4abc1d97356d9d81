// Cost of the music analysis: one 16 ms step (target: under 20 µs, the spectrum's share
// included) and one spectrum of 2048 values with its bands and beat (target: under 150 µs).

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <vector>

#include "lighting/AudioAnalyser.h"
#include "lighting/BeatDetector.h"
#include "lighting/KeyboardAudio.h"
#include "lighting/LoudnessNormaliser.h"
#include "lighting/SpectrumAnalyser.h"
#include "lighting/SpectrumBands.h"
#include "platform/audio/GeneratedSource.h"

namespace {

constexpr unsigned kRate = 48000;
constexpr std::size_t kStepFrames = 768;  // 16 ms at 48 kHz

std::vector<float> Music(std::size_t frames) {
  platform::SignalSpec spec;
  spec.shape = platform::SignalSpec::Shape::Clicks;
  spec.frequency = 40.0;
  spec.clickSeconds = 0.2;
  platform::SignalGenerator generator(spec, kRate);
  return generator.Next(frames);
}

// The analysis alone: one step's packet and the step's end; every 2.7th step also runs a
// spectrum, so the mean includes its share.
void AnalysisStep(benchmark::State& state) {
  const std::vector<float> samples = Music(kStepFrames * 64);
  platform::ManualClock clock;
  lighting::AudioAnalyser analyser(clock.Clock());
  std::size_t step = 0;
  for (auto _ : state) {
    const std::span<const float> packet(samples.data() + (step % 64) * kStepFrames * 2,
                                        kStepFrames * 2);
    analyser.AddPacket({packet, kStepFrames, kRate});
    benchmark::DoNotOptimize(analyser.FinishStep());
    clock.Advance(std::chrono::milliseconds(16));
    ++step;
  }
  state.counters["spectra per step"] =
      static_cast<double>(analyser.Results().spectra) / static_cast<double>(step);
}
BENCHMARK(AnalysisStep);

// What the loop does each 16 ms: take the queued packet, analyse, publish the snapshot,
// call a feed.
void CaptureStep(benchmark::State& state) {
  const std::vector<float> samples = Music(kStepFrames * 64);
  platform::ManualClock clock;
  lighting::KeyboardAudio audio(nullptr, clock.Clock());
  lighting::AudioFeed feed;
  audio.AddFeed(feed);
  std::size_t step = 0;
  for (auto _ : state) {
    const std::span<const float> packet(samples.data() + (step % 64) * kStepFrames * 2,
                                        kStepFrames * 2);
    audio.QueuePacket({packet, kStepFrames, kRate});
    benchmark::DoNotOptimize(audio.CaptureStep());
    clock.Advance(std::chrono::milliseconds(16));
    ++step;
  }
}
BENCHMARK(CaptureStep);

// One spectrum as the analysis runs it: window and FFT, loudness, 32 and 64 bands, tone
// energies, beat.
void Spectrum(benchmark::State& state) {
  const std::vector<float> samples = Music(lighting::SpectrumAnalyser::kPoints);
  std::array<float, lighting::SpectrumAnalyser::kPoints> values{};
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = samples[2 * i];
  lighting::SpectrumAnalyser analyser;
  lighting::LoudnessNormaliser normaliser(kRate);
  lighting::BeatDetector beats;
  std::array<float, lighting::SpectrumAnalyser::kBins> magnitudes{};
  std::array<float, 32> bands32{};
  std::array<float, 64> bands64{};
  std::chrono::nanoseconds now{0};
  for (auto _ : state) {
    analyser.Magnitudes(values, magnitudes);
    normaliser.Apply(magnitudes);
    lighting::ComputeBands(magnitudes, bands32);
    lighting::ComputeBands(magnitudes, bands64);
    benchmark::DoNotOptimize(lighting::ComputeToneEnergies(bands32));
    beats.Update(lighting::BeatDetector::Energy(bands32), now);
    now += std::chrono::milliseconds(43);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(Spectrum);

}  // namespace

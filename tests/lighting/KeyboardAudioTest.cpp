// The music analysis fed by generated sound at a clock the test moves.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "lighting/KeyboardAudio.h"
#include "platform/audio/GeneratedSource.h"

namespace lighting {
namespace {

using namespace std::chrono_literals;
using platform::SignalSpec;

class GeneratedSound {
 public:
  GeneratedSound(const SignalSpec& spec, unsigned rate = 48000) : generator_(spec, rate) {}

  // One step of `frames` frames: the packet, then the clock, then the analysis.
  bool Step(KeyboardAudio& audio, std::size_t frames) {
    const std::vector<float> samples = generator_.Next(frames);
    audio.QueuePacket({samples, frames, generator_.SampleRate()});
    clock.Advance(std::chrono::nanoseconds(frames * 1'000'000'000ull / generator_.SampleRate()));
    return audio.CaptureStep();
  }
  void Steps(KeyboardAudio& audio, int count, std::size_t frames = 768) {
    for (int i = 0; i < count; ++i) Step(audio, frames);
  }

  platform::ManualClock clock{10s};

 private:
  platform::SignalGenerator generator_;
};

SignalSpec Sine(double amplitude = 0.5, double frequency = 440.0) {
  SignalSpec spec;
  spec.shape = SignalSpec::Shape::Sine;
  spec.amplitude = amplitude;
  spec.frequency = frequency;
  return spec;
}

SignalSpec Clicks(double beatsPerMinute) {
  SignalSpec spec;
  spec.shape = SignalSpec::Shape::Clicks;
  // A deep thump: the beat energy weighs the lowest bands most.
  spec.amplitude = 0.8;
  spec.frequency = 30.0;
  spec.beatsPerMinute = beatsPerMinute;
  spec.clickSeconds = 0.05;
  return spec;
}

bool AllFinite(const AudioAnalysis& r) {
  auto finite = [](const auto& values) {
    return std::all_of(values.begin(), values.end(), [](float v) { return std::isfinite(v); });
  };
  return std::isfinite(r.level) && std::isfinite(r.peakHold) && std::isfinite(r.averageLevel) &&
         std::isfinite(r.rms) && std::isfinite(r.bass) && std::isfinite(r.mid) &&
         std::isfinite(r.treble) && std::isfinite(r.beatIntensity) && std::isfinite(r.tempo) &&
         std::isfinite(r.loudnessGain) && finite(r.bands) && finite(r.bandPeaks) &&
         finite(r.smoothedBands) && finite(r.bands32) && finite(r.bands64) && finite(r.wave);
}

TEST(KeyboardAudio, SilenceGivesLevelZeroAndAPeakHoldDecayingBy095PerStep) {
  GeneratedSound loud(Sine());
  KeyboardAudio audio(nullptr, loud.clock.Clock());
  loud.Step(audio, 768);
  ASSERT_EQ(audio.Snapshot().peakHold, 1.0f);
  const float loudLevel = audio.Snapshot().level;
  ASSERT_GT(loudLevel, 0.0f);
  GeneratedSound silence(SignalSpec{});
  float expectedPeak = 1.0f;
  for (int step = 0; step < 10; ++step) {
    ASSERT_TRUE(silence.Step(audio, 768));
    expectedPeak *= 0.95f;
    const AudioAnalysis r = audio.Snapshot();
    EXPECT_EQ(r.level, 0.0f);
    EXPECT_EQ(r.rms, 0.0f);
    EXPECT_FLOAT_EQ(r.peakHold, expectedPeak);
    for (float band : r.bands) EXPECT_EQ(band, 0.0f);
    EXPECT_FALSE(r.beat);
  }
  // The 64-step history still holds the one loud step.
  EXPECT_FLOAT_EQ(audio.Snapshot().averageLevel, loudLevel / 64);
}

TEST(KeyboardAudio, AClickTrackAt120BeatsPerMinuteGivesATempoNear120AndBass) {
  GeneratedSound sound(Clicks(120));
  KeyboardAudio audio(nullptr, sound.clock.Clock());
  sound.Steps(audio, 500);  // 8 seconds
  const AudioAnalysis r = audio.Snapshot();
  EXPECT_NEAR(r.tempo, 120.0f, 3.0f);
  EXPECT_GT(r.bass, 0.0f);
  EXPECT_GT(r.spectra, 180u);
}

TEST(KeyboardAudio, BeatsOnSpectrumBoundariesGiveExactlyTheirTempo) {
  // 49152 frames per second: a beat every 24576 frames is every 12th spectrum, 500 ms apart.
  GeneratedSound sound(Clicks(120), 49152);
  KeyboardAudio audio(nullptr, sound.clock.Clock());
  sound.Steps(audio, 60, 2048);
  EXPECT_FLOAT_EQ(audio.Snapshot().tempo, 120.0f);
}

// After every packet the wave holds the newest 256 points (one per two frames, across packet
// edges) at its end, each twice, whatever the packet sizes.
TEST(KeyboardAudio, PacketsOfAnySizeKeepTheNewestPointsAtTheWavesEnd) {
  const std::vector<std::size_t> sizes{1, 3, 511, 512, 513, 1027, 1028, 1029, 4096, 2, 10000, 7};
  KeyboardAudio audio(nullptr);
  audio.SetWaveGain(100);
  std::vector<float> points;
  float pending = 0.0f;
  bool half = false;
  int frameNumber = 0;
  for (std::size_t size : sizes) {
    std::vector<float> samples;
    for (std::size_t i = 0; i < size; ++i, ++frameNumber) {
      const float value = static_cast<float>(frameNumber % 1000) / 1000.0f;
      samples.push_back(value);
      samples.push_back(-0.5f * value);
      pending += 0.5f * value;
      half = !half;
      if (!half) points.push_back(std::exchange(pending, 0.0f) / 4.0f * 2.0f * 100.0f);
    }
    const std::size_t pointsBefore = audio.Snapshot().stepsWithSound;
    audio.QueuePacket({samples, size, 48000});
    // A single frame completes no point: such a step has no sound to report.
    ASSERT_EQ(audio.CaptureStep(), size > 1) << size;
    ASSERT_EQ(audio.Snapshot().stepsWithSound, pointsBefore + (size > 1 ? 1 : 0));
    const AudioAnalysis r = audio.Snapshot();
    const std::size_t shown = std::min<std::size_t>(points.size(), 256);
    for (std::size_t j = 0; j < shown; ++j) {
      const float expected = points[points.size() - shown + j];
      const std::size_t at = 2 * (256 - shown + j);
      ASSERT_NEAR(r.wave[at], expected, 1e-3f) << "packet of " << size << ", point " << j;
      ASSERT_EQ(r.wave[at + 1], r.wave[at]);
    }
  }
}

TEST(KeyboardAudio, NaNAndInfiniteSamplesCountAsSilenceAndPoisonNothing) {
  SignalSpec spec = Sine(0.5, 100.0);
  spec.nanEvery = 5;
  spec.infinityEvery = 7;
  GeneratedSound poisoned(spec);
  KeyboardAudio audio(nullptr, poisoned.clock.Clock());
  poisoned.Steps(audio, 40, 4096);
  AudioAnalysis r = audio.Snapshot();
  EXPECT_TRUE(AllFinite(r));
  EXPECT_GT(r.spectra, 70u);
  EXPECT_GE(r.loudnessGain, 0.1f);
  EXPECT_LE(r.loudnessGain, 100.0f);

  SignalSpec allNaN;
  allNaN.nanEvery = 1;
  GeneratedSound nothing(allNaN);
  nothing.Steps(audio, 5, 4096);
  r = audio.Snapshot();
  EXPECT_EQ(r.level, 0.0f);
  EXPECT_EQ(r.rms, 0.0f);
  EXPECT_TRUE(AllFinite(r));

  // A clean sound afterwards is analysed as on a fresh start: the gain was not poisoned.
  GeneratedSound clean(Sine(0.5, 100.0));
  clean.Steps(audio, 200, 768);
  KeyboardAudio fresh(nullptr);
  GeneratedSound cleanAgain(Sine(0.5, 100.0));
  cleanAgain.Steps(fresh, 400, 768);
  EXPECT_NEAR(audio.Snapshot().loudnessGain, fresh.Snapshot().loudnessGain,
              0.05f * fresh.Snapshot().loudnessGain);
  EXPECT_GT(audio.Snapshot().level, 0.0f);
}

TEST(KeyboardAudio, PacketsWithARateOutOfRangeAreRefusedAndOthersAnalysedAtTheirRate) {
  KeyboardAudio audio(nullptr);
  const std::vector<float> samples(2 * 768, 0.25f);
  for (unsigned rate : {0u, 999u, 384001u, 4000000000u}) audio.QueuePacket({samples, 768, rate});
  EXPECT_FALSE(audio.CaptureStep());
  EXPECT_EQ(audio.Snapshot().packetsRefused, 4u);
  // The frame count is bounded by the samples actually there.
  audio.QueuePacket({samples, 100000, 44100});
  EXPECT_TRUE(audio.CaptureStep());
  EXPECT_EQ(audio.Snapshot().sampleRate, 44100u);
  EXPECT_EQ(audio.Snapshot().spectra, 0u);
  audio.QueuePacket({samples, 768, 44100});
  audio.QueuePacket({samples, 768, 44100});
  EXPECT_TRUE(audio.CaptureStep());
  EXPECT_EQ(audio.Snapshot().spectra, 1u);
}

TEST(KeyboardAudio, AStalledLoopDropsTheOldestSoundBeyondOneSecond) {
  KeyboardAudio audio(nullptr);
  const std::vector<float> samples(2 * 4096, 0.1f);
  for (int i = 0; i < 20; ++i) audio.QueuePacket({samples, 4096, 48000});
  EXPECT_EQ(audio.FramesDropped(), 20u * 4096 - 11u * 4096);
}

class RecordingFeed : public AudioFeed {
 public:
  void SetAudioData(std::span<const float> bands) override { Record(bands.size() == 7); }
  void SetMasterVolume(float volume) override { Record(volume == 1.0f); }
  void SetInputWave(std::span<const float> wave) override { Record(wave.size() == 512); }
  void SetExternalAudioData(float level, float peak, float, int percent, float) override {
    Record(level >= 0 && level <= 1 && peak >= 0 && peak <= 1 && percent == int(level * 100));
  }
  void SetFFTSpectrum(std::span<const float> b32, std::span<const float> b64) override {
    Record(b32.size() == 32 && b64.size() == 64);
  }
  void SetBeatData(int beat, float, float, float, float, float) override {
    Record(beat == 0 || beat == 1);
  }
  int Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
  }
  int Wrong() const {
    std::lock_guard lock(mutex_);
    return wrong_;
  }

 private:
  void Record(bool right) {
    std::lock_guard lock(mutex_);
    ++calls_;
    if (!right) ++wrong_;
  }
  mutable std::mutex mutex_;
  int calls_ = 0;
  int wrong_ = 0;
};

TEST(KeyboardAudio, FeedsGetEveryCallAfterAStepWithSoundUntilRemoved) {
  GeneratedSound sound(Sine());
  KeyboardAudio audio(nullptr, sound.clock.Clock());
  RecordingFeed first, second;
  audio.AddFeed(first);
  audio.AddFeed(second);
  audio.AddFeed(first);  // once is enough
  sound.Steps(audio, 3);
  EXPECT_EQ(first.Calls(), 3 * 6);
  EXPECT_EQ(second.Calls(), 3 * 6);
  audio.CaptureStep();  // nothing arrived
  EXPECT_EQ(first.Calls(), 3 * 6);
  audio.RemoveFeed(first);
  sound.Steps(audio, 2);
  EXPECT_EQ(first.Calls(), 3 * 6);
  EXPECT_EQ(second.Calls(), 5 * 6);
  EXPECT_EQ(first.Wrong() + second.Wrong(), 0);
}

TEST(KeyboardAudio, TheLoopRunsOnItsOwnThreadStartsOnceAndStopsCleanly) {
  auto source =
      std::make_unique<platform::GeneratedSource>(Sine(), 48000, 512, platform::SteadyClock());
  KeyboardAudio audio(std::move(source));
  RecordingFeed feed;
  ASSERT_TRUE(audio.StartAudioCapture());
  EXPECT_FALSE(audio.StartAudioCapture());
  audio.AddFeed(feed);
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (audio.Snapshot().stepsWithSound < 10 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(5ms);
  const AudioAnalysis r = audio.Snapshot();
  EXPECT_GE(r.stepsWithSound, 10u);
  EXPECT_GT(r.level, 0.0f);
  EXPECT_EQ(r.source.state, platform::AudioSourceState::Capturing);
  audio.RemoveFeed(feed);
  const int calls = feed.Calls();
  EXPECT_GT(calls, 0);
  audio.StopAudioCapture();
  EXPECT_EQ(audio.Snapshot().source.state, platform::AudioSourceState::Stopped);
  EXPECT_EQ(feed.Calls(), calls);
  EXPECT_EQ(feed.Wrong(), 0);
  audio.StopAudioCapture();
}

TEST(KeyboardAudio, WithoutASourceTheLoopRunsAndDoesNothing) {
  KeyboardAudio audio(nullptr);
  ASSERT_TRUE(audio.StartAudioCapture());
  std::this_thread::sleep_for(40ms);
  audio.StopAudioCapture();
  EXPECT_EQ(audio.Snapshot().stepsWithSound, 0u);
}

}  // namespace
}  // namespace lighting

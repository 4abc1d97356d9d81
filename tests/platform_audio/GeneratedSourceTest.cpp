#include <gtest/gtest.h>

#include <cmath>
#include <mutex>
#include <thread>

#include "platform/audio/GeneratedSource.h"

namespace platform {
namespace {

TEST(SignalGenerator, ClicksStartOnEveryBeatAndAreSilentBetween) {
  SignalSpec spec;
  spec.shape = SignalSpec::Shape::Clicks;
  spec.beatsPerMinute = 120;
  spec.clickSeconds = 0.01;
  spec.frequency = 1000;
  SignalGenerator generator(spec, 48000);
  const std::vector<float> samples = generator.Next(3 * 24000);
  auto loudest = [&](std::size_t from, std::size_t to) {
    float peak = 0.0f;
    for (std::size_t frame = from; frame < to; ++frame)
      peak = std::max(peak, std::abs(samples[2 * frame]));
    return peak;
  };
  for (std::size_t beat = 0; beat < 3; ++beat) {
    EXPECT_GT(loudest(beat * 24000, beat * 24000 + 480), 0.4f) << beat;
    EXPECT_EQ(loudest(beat * 24000 + 481, (beat + 1) * 24000), 0.0f) << beat;
  }
}

TEST(SignalGenerator, InjectsNaNsAndInfinitiesWhereAsked) {
  SignalSpec spec;
  spec.shape = SignalSpec::Shape::Sine;
  spec.nanEvery = 3;
  spec.infinityEvery = 4;
  SignalGenerator generator(spec, 48000);
  const std::vector<float> samples = generator.Next(6);
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::size_t number = i + 1;
    if (number % 3 == 0) {
      EXPECT_TRUE(std::isnan(samples[i])) << i;
    } else if (number % 4 == 0) {
      EXPECT_TRUE(std::isinf(samples[i])) << i;
    } else {
      EXPECT_TRUE(std::isfinite(samples[i])) << i;
    }
  }
}

TEST(GeneratedSource, DeliversExactlyTheFramesTheClockAllows) {
  ManualClock clock;
  GeneratedSource source(SignalSpec{}, 48000, 768, clock.Clock());
  std::mutex mutex;
  std::size_t frames = 0;
  ASSERT_TRUE(source.Start([&](const AudioPacket& packet) {
    std::lock_guard lock(mutex);
    EXPECT_EQ(packet.samples.size(), 2 * packet.frames);
    frames += packet.frames;
  }));
  EXPECT_FALSE(source.Start([](const AudioPacket&) {}));
  auto delivered = [&] {
    std::lock_guard lock(mutex);
    return frames;
  };
  for (std::size_t expected : {4800u, 4800u + 480u, 48000u + 480u}) {
    clock.Advance(std::chrono::nanoseconds(static_cast<std::int64_t>(expected - delivered()) *
                                           1'000'000'000 / 48000));
    for (int i = 0; i < 2000 && delivered() < expected; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(delivered(), expected);
  }
  EXPECT_EQ(source.Status().state, AudioSourceState::Capturing);
  source.Stop();
  EXPECT_EQ(source.Status().state, AudioSourceState::Stopped);
}

}  // namespace
}  // namespace platform

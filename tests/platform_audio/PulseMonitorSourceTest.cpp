// The monitor source against a private PulseAudio server of the test's own.

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>

#include "lighting/KeyboardAudio.h"
#include "platform/audio/GeneratedSource.h"
#include "platform/audio/PulseMonitorSource.h"
#include "platform_audio/PulseDaemon.h"
#include "platform_audio/WavBytes.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Counts what a source delivers and checks every packet's shape.
class Listener {
 public:
  AudioSource::PacketHandler Handler() {
    return [this](const AudioPacket& packet) {
      std::lock_guard lock(mutex_);
      if (packet.samples.size() != 2 * packet.frames) ++malformed_;
      frames_ += packet.frames;
      rate_ = packet.sampleRate;
    };
  }
  std::uint64_t Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
  }
  unsigned Rate() const {
    std::lock_guard lock(mutex_);
    return rate_;
  }
  int Malformed() const {
    std::lock_guard lock(mutex_);
    return malformed_;
  }

 private:
  mutable std::mutex mutex_;
  std::uint64_t frames_ = 0;
  unsigned rate_ = 0;
  int malformed_ = 0;
};

bool ListensTo(const AudioSource& source, const std::string& device) {
  const AudioSourceStatus status = source.Status();
  return status.state == AudioSourceState::Capturing && status.device == device;
}

TEST(PulseMonitorSource, FollowsANewDefaultOutputAtItsRate) {
  PulseDaemon daemon;
  ASSERT_TRUE(daemon.Start()) << daemon.Log();
  PulseMonitorSource source({.server = daemon.Server()});
  Listener listener;
  ASSERT_TRUE(source.Start(listener.Handler()));
  ASSERT_TRUE(WaitFor([&] { return ListensTo(source, "tarvo_first.monitor"); }))
      << AudioSourceStateName(source.Status().state) << " " << source.Status().detail;
  EXPECT_EQ(source.Status().sampleRate, 48000u);

  ASSERT_TRUE(
      daemon.Pactl({"load-module", "module-null-sink", "sink_name=tarvo_second", "rate=44100"}));
  ASSERT_TRUE(daemon.Pactl({"set-default-sink", "tarvo_second"}));
  ASSERT_TRUE(WaitFor([&] { return ListensTo(source, "tarvo_second.monitor"); }))
      << AudioSourceStateName(source.Status().state) << " " << source.Status().device;
  EXPECT_EQ(source.Status().sampleRate, 44100u);
  ASSERT_TRUE(daemon.Wake("tarvo_second"));
  EXPECT_TRUE(WaitFor([&] { return listener.Rate() == 44100u; }));
  source.Stop();
  EXPECT_EQ(source.Status().state, AudioSourceState::Stopped);
  EXPECT_EQ(listener.Malformed(), 0);
}

TEST(PulseMonitorSource, WaitsForALostServerTryingOncePerIntervalAndResumes) {
  PulseDaemon daemon;
  ASSERT_TRUE(daemon.Start()) << daemon.Log();
  PulseMonitorSource source({.server = daemon.Server()});
  Listener listener;
  ASSERT_TRUE(source.Start(listener.Handler()));
  ASSERT_TRUE(WaitFor([&] { return ListensTo(source, "tarvo_first.monitor"); }));

  daemon.Kill();
  ASSERT_TRUE(WaitFor([&] { return source.Status().state == AudioSourceState::WaitingForServer; }));
  const std::uint64_t attempts = source.Status().connectAttempts;
  std::this_thread::sleep_for(1500ms);
  // Once a second: at most two more attempts in 1.5 s (one per 16 ms would be about 90).
  EXPECT_LE(source.Status().connectAttempts, attempts + 2);

  ASSERT_TRUE(daemon.Start()) << daemon.Log();
  const std::uint64_t framesBefore = listener.Frames();
  ASSERT_TRUE(WaitFor([&] { return ListensTo(source, "tarvo_first.monitor"); }))
      << AudioSourceStateName(source.Status().state) << " " << source.Status().detail;
  ASSERT_TRUE(daemon.Wake(PulseDaemon::kFirstSink));
  EXPECT_TRUE(WaitFor([&] { return listener.Frames() > framesBefore; }));
  EXPECT_GT(source.Status().connectAttempts, attempts);
}

TEST(PulseMonitorSource, AStopWhileTheServerIsAbsentEndsAtOnce) {
  PulseMonitorSource source({.server = "unix:/nonexistent/tarvo/native"});
  Listener listener;
  ASSERT_TRUE(source.Start(listener.Handler()));
  EXPECT_TRUE(WaitFor([&] { return source.Status().state == AudioSourceState::WaitingForServer; }));
  source.Stop();
  EXPECT_EQ(source.Status().state, AudioSourceState::Stopped);
  EXPECT_FALSE(source.Start(nullptr));
}

TEST(PulseCapture, AClickTrackPlayedToTheOutputGivesItsTempoAndBass) {
  PulseDaemon daemon;
  ASSERT_TRUE(daemon.Start()) << daemon.Log();
  SignalSpec clicks;
  clicks.shape = SignalSpec::Shape::Clicks;
  clicks.amplitude = 0.8;
  clicks.frequency = 30.0;
  clicks.beatsPerMinute = 120.0;
  clicks.clickSeconds = 0.05;
  SignalGenerator generator(clicks, 48000);
  const auto track = daemon.File("clicks.wav");
  Wav16(generator.Next(48000 * 3), 48000).Save(track);  // six beats

  lighting::KeyboardAudio audio(
      std::make_unique<PulseMonitorSource>(PulseMonitorSource::Options{.server = daemon.Server()}));
  ASSERT_TRUE(audio.StartAudioCapture());
  ASSERT_TRUE(
      WaitFor([&] { return audio.Snapshot().source.state == AudioSourceState::Capturing; }));
  ASSERT_TRUE(daemon.Wake(PulseDaemon::kFirstSink));
  auto player = daemon.Play(track, PulseDaemon::kFirstSink);
  ASSERT_TRUE(player);
  EXPECT_EQ(player->Wait(), 0) << daemon.Log();
  std::this_thread::sleep_for(200ms);  // the last packets reach the analysis
  const lighting::AudioAnalysis r = audio.Snapshot();
  audio.StopAudioCapture();
  EXPECT_NEAR(r.tempo, 120.0f, 12.0f);
  EXPECT_GT(r.bass, 0.0f);
  EXPECT_EQ(r.sampleRate, 48000u);
}

}  // namespace
}  // namespace platform

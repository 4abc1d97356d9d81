#pragma once
// A sound source that makes its own signal: silence, a sine, a click track at a tempo, with
// NaN or infinite samples mixed in on request. Used to exercise the analysis without a sound
// server, at a pace set by an injectable clock.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "platform/audio/AudioSource.h"
#include "platform/audio/MonotonicClock.h"
#include "platform/audio/PacedDelivery.h"

namespace platform {

struct SignalSpec {
  enum class Shape { Silence, Sine, Clicks };
  Shape shape = Shape::Silence;
  double amplitude = 0.5;
  double frequency = 440.0;       // of the sine, and of the tone inside each click
  double beatsPerMinute = 120.0;  // clicks
  double clickSeconds = 0.1;      // length of one click (a tone burst)
  std::size_t nanEvery = 0;       // every n-th sample is a NaN (0: none)
  std::size_t infinityEvery = 0;  // every n-th sample is +infinity (0: none)
};

class SignalGenerator {
 public:
  SignalGenerator(const SignalSpec& spec, unsigned sampleRate);

  // Writes the next out.size() / 2 frames (interleaved stereo); returns that count.
  std::size_t Produce(std::span<float> out);
  std::vector<float> Next(std::size_t frames);

  unsigned SampleRate() const { return sampleRate_; }
  std::uint64_t FramesMade() const { return frame_; }

 private:
  float Sample(std::uint64_t frame) const;
  float ClickSample(std::uint64_t frame) const;
  float Inject(float value);

  SignalSpec spec_;
  unsigned sampleRate_;
  std::uint64_t frame_ = 0;
  std::uint64_t sample_ = 0;
};

class GeneratedSource final : public AudioSource {
 public:
  GeneratedSource(const SignalSpec& spec, unsigned sampleRate, std::size_t packetFrames,
                  MonotonicClock clock);

  bool Start(PacketHandler handler) override;
  void Stop() override { delivery_.Stop(); }
  AudioSourceStatus Status() const override { return delivery_.Status(); }

 private:
  SignalGenerator generator_;
  PacedDelivery delivery_;  // last: its thread ends before the generator goes
};

}  // namespace platform

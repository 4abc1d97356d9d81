#include "platform/audio/GeneratedSource.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <limits>
#include <numbers>

namespace platform {

SignalGenerator::SignalGenerator(const SignalSpec& spec, unsigned sampleRate)
    : spec_(spec), sampleRate_(std::max(1u, sampleRate)) {
  spec_.beatsPerMinute = std::clamp(spec_.beatsPerMinute, 1.0, 6000.0);
  spec_.clickSeconds = std::clamp(spec_.clickSeconds, 0.0001, 10.0);
}

float SignalGenerator::ClickSample(std::uint64_t frame) const {
  // Clicks start at whole frames, at the nearest frame to each beat's exact time.
  const double framesPerBeat = 60.0 * sampleRate_ / spec_.beatsPerMinute;
  const auto beat = static_cast<std::uint64_t>(std::floor((frame + 0.5) / framesPerBeat));
  auto start = static_cast<std::uint64_t>(std::llround(beat * framesPerBeat));
  if (start > frame) {
    if (beat == 0) return 0.0f;
    start = static_cast<std::uint64_t>(std::llround((beat - 1) * framesPerBeat));
  }
  const double t = static_cast<double>(frame - start) / sampleRate_;
  if (t >= spec_.clickSeconds) return 0.0f;
  // A steady tone with 2 ms fades at both ends, so that it has no crack of its own.
  const double fade = std::min(0.002, spec_.clickSeconds / 2);
  const double envelope = std::min({1.0, t / fade, (spec_.clickSeconds - t) / fade});
  return static_cast<float>(spec_.amplitude * envelope *
                            std::sin(2.0 * std::numbers::pi * spec_.frequency * t));
}

float SignalGenerator::Sample(std::uint64_t frame) const {
  switch (spec_.shape) {
    case SignalSpec::Shape::Silence:
      return 0.0f;
    case SignalSpec::Shape::Sine: {
      const double t = static_cast<double>(frame) / sampleRate_;
      return static_cast<float>(spec_.amplitude *
                                std::sin(2.0 * std::numbers::pi * spec_.frequency * t));
    }
    case SignalSpec::Shape::Clicks:
      return ClickSample(frame);
  }
  return 0.0f;
}

float SignalGenerator::Inject(float value) {
  ++sample_;
  if (spec_.nanEvery > 0 && sample_ % spec_.nanEvery == 0)
    return std::numeric_limits<float>::quiet_NaN();
  if (spec_.infinityEvery > 0 && sample_ % spec_.infinityEvery == 0)
    return std::numeric_limits<float>::infinity();
  return value;
}

std::size_t SignalGenerator::Produce(std::span<float> out) {
  const std::size_t frames = out.size() / 2;
  for (std::size_t i = 0; i < frames; ++i) {
    const float value = Sample(frame_++);
    out[2 * i] = Inject(value);
    out[2 * i + 1] = Inject(value);
  }
  return frames;
}

std::vector<float> SignalGenerator::Next(std::size_t frames) {
  std::vector<float> out(frames * 2);
  Produce(out);
  return out;
}

GeneratedSource::GeneratedSource(const SignalSpec& spec, unsigned sampleRate,
                                 std::size_t packetFrames, MonotonicClock clock)
    : generator_(spec, sampleRate),
      delivery_(generator_.SampleRate(), packetFrames, std::move(clock), "generated signal") {}

bool GeneratedSource::Start(PacketHandler handler) {
  return delivery_.Start([this](std::span<float> out) { return generator_.Produce(out); },
                         std::move(handler));
}

}  // namespace platform

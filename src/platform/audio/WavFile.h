#pragma once
// Reading RIFF WAVE files (PCM 16-bit and float 32-bit) into stereo float32, and a sound
// source that plays one at the pace of a clock. Every header field is checked; a file that
// contradicts itself or runs past its end is refused with a reason.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/audio/AudioSource.h"
#include "platform/audio/MonotonicClock.h"
#include "platform/audio/PacedDelivery.h"

namespace platform {

// Larger files are refused rather than read into memory.
constexpr std::uintmax_t kMaxWavFileBytes = 256u * 1024 * 1024;

struct WavAudio {
  unsigned sampleRate = 0;
  unsigned channels = 0;       // in the file; `samples` is always stereo
  std::vector<float> samples;  // left, right, ...
  std::size_t Frames() const { return samples.size() / 2; }
};

struct WavReadResult {
  std::optional<WavAudio> audio;
  std::string error;  // set when audio is empty
};

WavReadResult ParseWav(std::span<const std::byte> file);
WavReadResult ReadWavFile(const std::filesystem::path& path);

class WavFileSource final : public AudioSource {
 public:
  WavFileSource(WavAudio audio, std::size_t packetFrames, MonotonicClock clock);

  bool Start(PacketHandler handler) override;
  void Stop() override { delivery_.Stop(); }
  AudioSourceStatus Status() const override { return delivery_.Status(); }

 private:
  WavAudio audio_;
  std::size_t nextFrame_ = 0;
  PacedDelivery delivery_;  // last: its thread ends before the audio goes
};

}  // namespace platform

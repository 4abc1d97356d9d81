#pragma once
// Runs a thread that hands out the frames a producer makes as fast as a clock says they
// would play: after t seconds of the clock, t × rate frames have been delivered. Sources that
// are not a sound server (a file, a generated signal) deliver through it.

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/AudioSource.h"
#include "platform/audio/MonotonicClock.h"

namespace platform {

class PacedDelivery {
 public:
  // Fills `out` (interleaved stereo) with up to out.size() / 2 frames; returns how many it
  // wrote. Fewer than asked means the producer has nothing more.
  using Producer = std::function<std::size_t(std::span<float> out)>;

  // A rate or packet size of 0 is raised to 1.
  PacedDelivery(unsigned sampleRate, std::size_t packetFrames, MonotonicClock clock,
                std::string device);
  ~PacedDelivery();
  PacedDelivery(const PacedDelivery&) = delete;
  PacedDelivery& operator=(const PacedDelivery&) = delete;

  bool Start(Producer producer, AudioSource::PacketHandler handler);
  void Stop();
  AudioSourceStatus Status() const;

 private:
  void Run(std::chrono::nanoseconds start);
  std::size_t FramesDue(std::chrono::nanoseconds elapsed) const;
  // Delivers one packet of at most `frames` frames; false when the producer is exhausted.
  bool DeliverPacket(std::size_t frames);
  void SetState(AudioSourceState state);

  const unsigned sampleRate_;
  const std::size_t packetFrames_;
  const MonotonicClock clock_;
  Producer producer_;
  AudioSource::PacketHandler handler_;
  std::vector<float> buffer_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  bool running_ = false;
  bool started_ = false;
  AudioSourceStatus status_;
  std::thread thread_;
};

}  // namespace platform

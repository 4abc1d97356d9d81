#pragma once
// Listens to what the computer plays: records the monitor of the sound server's default
// output (PulseAudio, or PipeWire's PulseAudio server) as float32 stereo at the output's
// rate. Follows a change of the default output, and when the server goes away, tries again
// once per retry interval until it is back.

#include <chrono>
#include <memory>
#include <string>

#include "platform/audio/AudioSource.h"

namespace platform {

class PulseMonitorSource final : public AudioSource {
 public:
  struct Options {
    std::string server;  // empty: the user's default sound server
    std::string clientName = "Tarvo";
    std::chrono::milliseconds retryInterval{1000};
    std::chrono::milliseconds fragment{16};  // how much sound each packet carries
  };

  PulseMonitorSource();
  explicit PulseMonitorSource(Options options);
  ~PulseMonitorSource() override;
  PulseMonitorSource(const PulseMonitorSource&) = delete;
  PulseMonitorSource& operator=(const PulseMonitorSource&) = delete;

  // False only when the client's event thread cannot be started; an absent server is
  // waited for.
  bool Start(PacketHandler handler) override;
  void Stop() override;
  AudioSourceStatus Status() const override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform

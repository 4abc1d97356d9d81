#pragma once
// The seam between the system's sound output and the music analysis: a source hands over
// interleaved stereo float32 packets on a thread of its own.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace platform {

struct AudioPacket {
  std::span<const float> samples;  // left, right, left, right, ...
  std::size_t frames = 0;          // samples.size() / 2
  unsigned sampleRate = 0;         // frames per second
};

enum class AudioSourceState {
  Stopped,           // not started, or stopped
  Connecting,        // asking the sound server for its default output
  Capturing,         // packets flow (or would, when something plays)
  WaitingForServer,  // the sound server is unreachable; a new attempt follows
  WaitingForDevice,  // the server has no output device to listen to
  Finished,          // a file or generated source delivered everything it had
  Failed,            // cannot work at all (see the detail)
};

const char* AudioSourceStateName(AudioSourceState state);

struct AudioSourceStatus {
  AudioSourceState state = AudioSourceState::Stopped;
  std::string device;       // what is being listened to, when known
  std::string detail;       // the last problem, in words
  unsigned sampleRate = 0;  // of the packets, once known
  std::uint64_t connectAttempts = 0;
  std::uint64_t packets = 0;
};

class AudioSource {
 public:
  // Called on the source's own thread, one packet at a time; it should return quickly.
  using PacketHandler = std::function<void(const AudioPacket&)>;

  virtual ~AudioSource() = default;

  // Begins delivering packets to the handler. False when already started or when the source
  // cannot run at all; a sound server that is not there yet is not a failure.
  virtual bool Start(PacketHandler handler) = 0;
  // Ends the delivery. When it returns, the handler is not running and is not called again.
  virtual void Stop() = 0;
  // Thread-safe.
  virtual AudioSourceStatus Status() const = 0;
};

}  // namespace platform

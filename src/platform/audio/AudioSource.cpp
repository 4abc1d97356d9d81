#include "platform/audio/AudioSource.h"

namespace platform {

const char* AudioSourceStateName(AudioSourceState state) {
  switch (state) {
    case AudioSourceState::Stopped:
      return "stopped";
    case AudioSourceState::Connecting:
      return "connecting";
    case AudioSourceState::Capturing:
      return "capturing";
    case AudioSourceState::WaitingForServer:
      return "waiting for the sound server";
    case AudioSourceState::WaitingForDevice:
      return "waiting for an output device";
    case AudioSourceState::Finished:
      return "finished";
    case AudioSourceState::Failed:
      return "failed";
  }
  return "unknown";
}

}  // namespace platform

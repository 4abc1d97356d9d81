#include "platform/audio/MonotonicClock.h"

namespace platform {

MonotonicClock SteadyClock() {
  return [] {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
  };
}

}  // namespace platform

#pragma once
// A pause of the device worker that ends early when the application shuts down.

#include <chrono>

namespace core {

class Sleeper {
 public:
  virtual ~Sleeper() = default;
  // False at once when the worker is asked to stop.
  virtual bool SleepFor(std::chrono::milliseconds duration) = 0;
};

}  // namespace core

#pragma once
// Turns SIGINT, SIGTERM and SIGHUP into a callback on a thread of ours, so that the
// application can shut down cleanly instead of dying in the middle of a transfer.

#include <functional>
#include <thread>

#include "platform/UniqueFd.h"

namespace platform {

class TerminationSignals {
 public:
  // Blocks the signals in the calling thread (and the threads it starts later) and waits for
  // them. Create it before any other thread starts.
  explicit TerminationSignals(std::function<void(int signal)> onSignal);
  ~TerminationSignals();
  TerminationSignals(const TerminationSignals&) = delete;
  TerminationSignals& operator=(const TerminationSignals&) = delete;

 private:
  void Wait();

  std::function<void(int)> onSignal_;
  UniqueFd signals_;
  UniqueFd stop_;
  std::thread thread_;
};

}  // namespace platform

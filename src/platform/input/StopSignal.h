#pragma once
// Wakes a thread that waits in poll(): the thread polls Fd() beside its own descriptors and ends
// when it becomes readable.

#include "platform/UniqueFd.h"

namespace platform::input {

class StopSignal {
 public:
  StopSignal();
  bool IsValid() const { return fd_.IsValid(); }
  int Fd() const { return fd_.Get(); }
  void Raise();
  // Makes the signal unraised again, for the next run of the thread.
  void Clear();

 private:
  UniqueFd fd_;
};

}  // namespace platform::input

#include "platform/input/StopSignal.h"

#include <sys/eventfd.h>

#include <cstdint>

namespace platform::input {

StopSignal::StopSignal() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

void StopSignal::Raise() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(fd_.Get(), &one, sizeof one);
}

void StopSignal::Clear() {
  std::uint64_t value = 0;
  [[maybe_unused]] const ssize_t read = ::read(fd_.Get(), &value, sizeof value);
}

}  // namespace platform::input

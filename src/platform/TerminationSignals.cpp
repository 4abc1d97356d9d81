#include "platform/TerminationSignals.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>

namespace platform {
namespace {

sigset_t TerminationSet() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  sigaddset(&set, SIGHUP);
  return set;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void(int)> onSignal)
    : onSignal_(std::move(onSignal)) {
  const sigset_t set = TerminationSet();
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
  signals_.Reset(::signalfd(-1, &set, SFD_CLOEXEC));
  stop_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (signals_.IsValid() && stop_.IsValid()) thread_ = std::thread([this] { Wait(); });
}

TerminationSignals::~TerminationSignals() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stop_.Get(), &one, sizeof one);
    thread_.join();
  }
  const sigset_t set = TerminationSet();
  pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

void TerminationSignals::Wait() {
  while (true) {
    pollfd fds[2] = {{signals_.Get(), POLLIN, 0}, {stop_.Get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[1].revents != 0) return;
    signalfd_siginfo info{};
    if (::read(signals_.Get(), &info, sizeof info) == sizeof info && onSignal_) {
      onSignal_(static_cast<int>(info.ssi_signo));
    }
  }
}

}  // namespace platform

#include "platform/PowerMonitor.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstdint>

namespace platform {

struct PowerMonitor::Bus {
  sd_bus* bus = nullptr;
  sd_bus_slot* match = nullptr;
  ~Bus() {
    sd_bus_slot_unref(match);
    sd_bus_flush_close_unref(bus);
  }
};

namespace {

int OnPrepareForSleep(sd_bus_message* message, void* userdata, sd_bus_error*) {
  int sleeping = 0;
  if (sd_bus_message_read(message, "b", &sleeping) < 0) return 0;
  const auto* listener = static_cast<const PowerMonitor::Listener*>(userdata);
  if (*listener) (*listener)(sleeping != 0);
  return 0;
}

}  // namespace

PowerMonitor::PowerMonitor(Listener listener)
    : listener_(std::move(listener)), bus_(std::make_unique<Bus>()) {
  stop_.Reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!stop_.IsValid() || sd_bus_open_system(&bus_->bus) < 0) return;
  if (sd_bus_match_signal(bus_->bus, &bus_->match, "org.freedesktop.login1",
                          "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                          "PrepareForSleep", OnPrepareForSleep, &listener_) < 0) {
    return;
  }
  running_ = true;
  thread_ = std::thread([this] { Run(); });
}

PowerMonitor::~PowerMonitor() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(stop_.Get(), &one, sizeof one);
    thread_.join();
  }
}

void PowerMonitor::Run() {
  while (true) {
    // Handle everything queued, then wait for the bus or the stop request.
    int processed = 0;
    while ((processed = sd_bus_process(bus_->bus, nullptr)) > 0) {
    }
    if (processed < 0) return;
    pollfd fds[2] = {
        {sd_bus_get_fd(bus_->bus), static_cast<short>(sd_bus_get_events(bus_->bus)), 0},
        {stop_.Get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 && errno != EINTR) return;
    if (fds[1].revents != 0) return;
  }
}

}  // namespace platform

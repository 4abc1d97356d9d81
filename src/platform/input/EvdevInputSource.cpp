#include "platform/input/EvdevInputSource.h"

#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <set>
#include <vector>

#include "base/Log.h"
#include "platform/input/EvdevDevice.h"

namespace platform::input {
namespace {

bool IsEventNode(const std::string& name) {
  return name.rfind("event", 0) == 0;
}

// A key of the device is down right now, as the kernel knows it.
bool AnyKeyDown(const EvdevDevice& device) {
  unsigned char bits[KEY_MAX / 8 + 1] = {};
  if (::ioctl(device.Fd(), EVIOCGKEY(sizeof bits), bits) < 0) return false;
  return std::any_of(std::begin(bits), std::end(bits), [](unsigned char b) { return b != 0; });
}

bool IsGrabbable(const EvdevDevice& device) {
  return device.Roles().keyboard && !device.Roles().mouse;
}

}  // namespace

struct EvdevInputSource::Devices {
  mutable std::mutex mutex;
  std::vector<std::shared_ptr<EvdevDevice>> open;  // guarded by `mutex`
  int grabs = 0;                                   // live grab holders; guarded by `mutex`
  std::atomic<bool> numLock{false};
  std::set<std::filesystem::path> reported;  // skipped nodes already logged; reading thread

  bool IsOpen(const std::filesystem::path& path) const {
    std::lock_guard lock(mutex);
    return std::any_of(open.begin(), open.end(), [&](const auto& d) { return d->Path() == path; });
  }

  void TryOpen(const std::filesystem::path& path) {
    if (IsOpen(path)) return;
    std::string why;
    std::shared_ptr<EvdevDevice> device = EvdevDevice::Open(path, &why);
    if (!device) {
      if (reported.insert(path).second) {
        base::DebugLog("input: skipped %s: %s", path.c_str(), why.c_str());
      }
      return;
    }
    reported.erase(path);
    if (libevdev_has_event_code(&device->Device(), EV_LED, LED_NUML)) {
      numLock.store(libevdev_get_event_value(&device->Device(), EV_LED, LED_NUML) != 0);
    }
    std::lock_guard lock(mutex);
    open.push_back(device);
    GrabIfDue(*device);
  }

  void Remove(const EvdevDevice& device) {
    std::lock_guard lock(mutex);
    std::erase_if(open, [&](const auto& d) { return d.get() == &device; });
  }

  // With `mutex` held. A device is grabbed only when none of its keys is down: the program
  // that saw a key go down must also see it come up, or the key would stay pressed there.
  int GrabIfDue(EvdevDevice& device) {
    if (grabs == 0 || device.Grabbed() || !IsGrabbable(device) || AnyKeyDown(device)) return 0;
    return device.SetGrab(true);
  }

  // Called by the reading thread after a device's events: keys that were down may be up now.
  void GrabPending(EvdevDevice& device) {
    std::lock_guard lock(mutex);
    if (const int rc = GrabIfDue(device); rc < 0) {
      base::DebugLog("input: %s not grabbed: %s", device.Path().c_str(), std::strerror(-rc));
    }
  }
};

namespace {

class EvdevGrabHolder : public KeyboardGrab::Holder {
 public:
  explicit EvdevGrabHolder(std::shared_ptr<EvdevInputSource::Devices> devices)
      : devices_(std::move(devices)) {}

  // Grabs what can be grabbed now; the rest follows when its keys are up. Empty on success.
  std::string Begin() {
    std::lock_guard lock(devices_->mutex);
    ++devices_->grabs;
    int keyboards = 0;
    int failure = 0;
    for (const auto& device : devices_->open) {
      if (!IsGrabbable(*device)) continue;
      if (const int rc = devices_->GrabIfDue(*device); rc < 0) {
        failure = -rc;
      } else {
        ++keyboards;
      }
    }
    if (keyboards > 0) return {};
    if (failure != 0) return std::string("keyboard not grabbed: ") + std::strerror(failure);
    return "keyboard not grabbed: no keyboard device is open";
  }

  ~EvdevGrabHolder() override {
    std::lock_guard lock(devices_->mutex);
    if (--devices_->grabs != 0) return;
    for (const auto& device : devices_->open) device->SetGrab(false);
  }

 private:
  std::shared_ptr<EvdevInputSource::Devices> devices_;
};

// Reads what a device has; false when it went away.
bool ReadDevice(EvdevDevice& device, std::atomic<bool>& numLock, const InputCallback& callback) {
  unsigned flags = LIBEVDEV_READ_FLAG_NORMAL;
  for (;;) {
    input_event event{};
    const int rc = libevdev_next_event(&device.Device(), flags, &event);
    if (rc == -EAGAIN && flags == LIBEVDEV_READ_FLAG_SYNC) {
      flags = LIBEVDEV_READ_FLAG_NORMAL;  // caught up after events were dropped
      continue;
    }
    if (rc != LIBEVDEV_READ_STATUS_SUCCESS && rc != LIBEVDEV_READ_STATUS_SYNC) return rc == -EAGAIN;
    if (rc == LIBEVDEV_READ_STATUS_SYNC) flags = LIBEVDEV_READ_FLAG_SYNC;
    if (event.type == EV_LED && event.code == LED_NUML) numLock.store(event.value != 0);
    if (auto key = KeyEventOf(event, device.Roles(), numLock.load())) callback(*key);
  }
}

// Opens the nodes that appeared or became readable.
void ReadNotifications(int inotifyFd, const std::filesystem::path& folder,
                       EvdevInputSource::Devices& devices) {
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t length = ::read(inotifyFd, buffer, sizeof buffer);
    if (length <= 0) return;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->len == 0 || at > length) continue;
      const std::string name(event->name, strnlen(event->name, event->len));
      if (IsEventNode(name)) devices.TryOpen(folder / name);
    }
  }
}

void OpenExisting(const std::filesystem::path& folder, EvdevInputSource::Devices& devices) {
  std::error_code error;
  std::vector<std::filesystem::path> nodes;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (IsEventNode(entry.path().filename().string())) nodes.push_back(entry.path());
  }
  std::sort(nodes.begin(), nodes.end());
  for (const auto& node : nodes) devices.TryOpen(node);
}

}  // namespace

EvdevInputSource::EvdevInputSource(std::filesystem::path folder)
    : folder_(std::move(folder)), devices_(std::make_shared<Devices>()) {}

EvdevInputSource::~EvdevInputSource() {
  Stop();
}

bool EvdevInputSource::HasReadableKeyboard(const std::filesystem::path& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (!IsEventNode(entry.path().filename().string())) continue;
    std::string why;
    const auto device = EvdevDevice::Open(entry.path(), &why);
    if (device && device->Roles().keyboard) return true;
  }
  return false;
}

bool EvdevInputSource::Start(InputCallback callback) {
  Stop();
  UniqueFd inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
  if (!stop_.IsValid() || !inotify.IsValid() ||
      ::inotify_add_watch(inotify.Get(), folder_.c_str(), IN_CREATE | IN_ATTRIB | IN_MOVED_TO) <
          0) {
    base::DebugLog("input: cannot watch %s: %s", folder_.c_str(), std::strerror(errno));
    return false;
  }
  OpenExisting(folder_, *devices_);
  stop_.Clear();
  thread_ = std::thread([this, inotify = std::move(inotify), callback = std::move(callback)] {
    Run(inotify.Get(), callback);
  });
  return true;
}

void EvdevInputSource::Run(int inotifyFd, const InputCallback& callback) {
  for (;;) {
    std::vector<std::shared_ptr<EvdevDevice>> open;
    {
      std::lock_guard lock(devices_->mutex);
      open = devices_->open;
    }
    std::vector<pollfd> fds{{stop_.Fd(), POLLIN, 0}, {inotifyFd, POLLIN, 0}};
    for (const auto& device : open) fds.push_back({device->Fd(), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR) break;
    if (fds[0].revents != 0) break;
    if (fds[1].revents != 0) ReadNotifications(inotifyFd, folder_, *devices_);
    for (std::size_t i = 0; i < open.size(); ++i) {
      if (fds[i + 2].revents == 0) continue;
      if (ReadDevice(*open[i], devices_->numLock, callback)) {
        devices_->GrabPending(*open[i]);
      } else {
        base::DebugLog("input: %s went away", open[i]->Path().c_str());
        devices_->Remove(*open[i]);
      }
    }
  }
}

void EvdevInputSource::Stop() {
  if (thread_.joinable()) {
    stop_.Raise();
    thread_.join();
  }
  // Closing the descriptors ends their grabs too.
  std::lock_guard lock(devices_->mutex);
  devices_->open.clear();
}

KeyboardGrab EvdevInputSource::GrabKeyboard() {
  if (!thread_.joinable()) return KeyboardGrab::Failed("keyboard not grabbed: evdev is not read");
  auto holder = std::make_unique<EvdevGrabHolder>(devices_);
  std::string failure = holder->Begin();
  if (!failure.empty()) return KeyboardGrab::Failed(std::move(failure));
  return KeyboardGrab::Held(std::move(holder));
}

int EvdevInputSource::OpenDeviceCount() const {
  std::lock_guard lock(devices_->mutex);
  return static_cast<int>(devices_->open.size());
}

}  // namespace platform::input

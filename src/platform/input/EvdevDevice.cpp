#include "platform/input/EvdevDevice.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace platform::input {
namespace {

bool HasKey(const libevdev& device, unsigned code) {
  return libevdev_has_event_code(&device, EV_KEY, code) != 0;
}

bool IsMouseButton(int code) {
  return code >= BTN_MOUSE && code <= BTN_TASK;
}

// Keyboard keys: below the button block, or the multimedia keys above it.
bool IsKeyboardKey(int code) {
  return (code > KEY_RESERVED && code < BTN_MISC) || (code >= KEY_OK && code < BTN_DPAD_UP) ||
         (code >= KEY_ALS_TOGGLE && code < BTN_TRIGGER_HAPPY);
}

std::chrono::steady_clock::time_point TimeOf(const input_event& event) {
  using std::chrono::microseconds;
  using std::chrono::seconds;
  const auto sinceBoot = seconds(event.input_event_sec) + microseconds(event.input_event_usec);
  return std::chrono::steady_clock::time_point(
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(sinceBoot));
}

}  // namespace

DeviceRoles RolesOf(const libevdev& device) {
  DeviceRoles roles;
  const libevdev* dev = &device;
  roles.keyboard = (HasKey(device, KEY_A) && HasKey(device, KEY_SPACE)) ||
                   HasKey(device, KEY_VOLUMEUP) || HasKey(device, KEY_PLAYPAUSE);
  const bool motion = libevdev_has_event_code(dev, EV_REL, REL_X) != 0 ||
                      libevdev_has_event_code(dev, EV_ABS, ABS_X) != 0;
  roles.mouse = HasKey(device, BTN_LEFT) && motion;
  return roles;
}

std::optional<InputEvent> KeyEventOf(const input_event& event, DeviceRoles roles, bool numLock) {
  if (event.type != EV_KEY || event.value < 0 || event.value > 2) return std::nullopt;
  InputEvent result;
  result.source = SourceKind::kEvdev;
  result.code = event.code;
  if (roles.mouse && IsMouseButton(event.code)) {
    result.device = DeviceKind::kMouse;
  } else if (!roles.keyboard || !IsKeyboardKey(event.code)) {
    return std::nullopt;
  }
  constexpr InputAction kActions[] = {InputAction::kRelease, InputAction::kPress,
                                      InputAction::kRepeat};
  result.action = kActions[event.value];
  result.numLock = numLock;
  result.time = TimeOf(event);
  return result;
}

std::unique_ptr<EvdevDevice> EvdevDevice::Open(const std::filesystem::path& path,
                                               std::string* why) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd.IsValid()) {
    *why = std::strerror(errno);
    return nullptr;
  }
  libevdev* raw = nullptr;
  if (const int rc = libevdev_new_from_fd(fd.Get(), &raw); rc < 0) {
    *why = std::string("not an input device: ") + std::strerror(-rc);
    return nullptr;
  }
  std::unique_ptr<libevdev, EvdevFree> device(raw);
  const DeviceRoles roles = RolesOf(*device);
  if (!roles.Any()) {
    *why = "neither a keyboard nor a mouse";
    return nullptr;
  }
  libevdev_set_clock_id(device.get(), CLOCK_MONOTONIC);
  return std::make_unique<EvdevDevice>(path, std::move(fd), std::move(device), roles);
}

EvdevDevice::EvdevDevice(std::filesystem::path path, UniqueFd fd,
                         std::unique_ptr<libevdev, EvdevFree> dev, DeviceRoles roles)
    : path_(std::move(path)), fd_(std::move(fd)), device_(std::move(dev)), roles_(roles) {}

int EvdevDevice::SetGrab(bool grab) {
  if (grab == grabbed_) return 0;
  const int rc = libevdev_grab(device_.get(), grab ? LIBEVDEV_GRAB : LIBEVDEV_UNGRAB);
  if (rc == 0) grabbed_ = grab;
  return rc;
}

}  // namespace platform::input

#pragma once
// One evdev input device as the evdev source sees it: whether it is a keyboard or a mouse, and
// what its key events mean.

#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/UniqueFd.h"
#include "platform/input/InputSource.h"

namespace platform::input {

struct DeviceRoles {
  bool keyboard = false;  // typing keys, or the media keys of a keyboard's extra interface
  bool mouse = false;     // a left button with pointer motion
  bool Any() const { return keyboard || mouse; }
};

DeviceRoles RolesOf(const libevdev& device);

// The event one EV_KEY event of a device with `roles` stands for: keys of keyboards, the
// buttons of mice (joystick, touch and pen buttons are not ours). Value 0 release, 1 press,
// 2 repeat; the time is the event's own (the device reports CLOCK_MONOTONIC).
std::optional<InputEvent> KeyEventOf(const input_event& event, DeviceRoles roles, bool numLock);

struct EvdevFree {
  void operator()(libevdev* device) const { libevdev_free(device); }
};

// An open device node.
class EvdevDevice {
 public:
  // Opens `path` for reading when it is a keyboard or a mouse; otherwise null and `why` says
  // what was wrong (not readable, not an input device, neither keyboard nor mouse).
  static std::unique_ptr<EvdevDevice> Open(const std::filesystem::path& path, std::string* why);
  EvdevDevice(std::filesystem::path path, UniqueFd fd, std::unique_ptr<libevdev, EvdevFree> dev,
              DeviceRoles roles);

  const std::filesystem::path& Path() const { return path_; }
  int Fd() const { return fd_.Get(); }
  libevdev& Device() const { return *device_; }
  DeviceRoles Roles() const { return roles_; }
  bool Grabbed() const { return grabbed_; }
  // EVIOCGRAB: only this descriptor receives the device's events while grabbed. 0 or -errno.
  int SetGrab(bool grab);

 private:
  std::filesystem::path path_;
  UniqueFd fd_;
  std::unique_ptr<libevdev, EvdevFree> device_;
  DeviceRoles roles_;
  bool grabbed_ = false;
};

}  // namespace platform::input

#pragma once
// Every keyboard and mouse of the machine that the user may read: the evdev nodes of
// /dev/input, through libevdev, on a thread of the source's own. Nodes that appear later (a
// keyboard plugged in, access granted by the login session) are picked up; nodes that cannot
// be read are skipped with one log line each.
//
// Time stamps are the kernel's own (CLOCK_MONOTONIC). NumLock comes from the keyboards' LEDs.

#include <filesystem>
#include <memory>
#include <thread>

#include "platform/input/InputSource.h"
#include "platform/input/StopSignal.h"

namespace platform::input {

class EvdevInputSource : public InputSource {
 public:
  explicit EvdevInputSource(std::filesystem::path folder = "/dev/input");
  ~EvdevInputSource() override;

  // Whether at least one keyboard node of `folder` can be read.
  static bool HasReadableKeyboard(const std::filesystem::path& folder = "/dev/input");

  SourceKind Kind() const override { return SourceKind::kEvdev; }
  // False when the folder cannot be watched.
  bool Start(InputCallback callback) override;
  void Stop() override;
  // EVIOCGRAB on every keyboard the running source has open and on those it opens while the
  // grab lives; a keyboard with a key down is taken once its keys are up, so that the program
  // that saw the key go down also sees it come up. Devices that are a mouse too are left alone:
  // the mouse is never taken. The grab needs the source's own descriptors: while the source is
  // stopped nothing is held.
  KeyboardGrab GrabKeyboard() override;

  // How many keyboards and mice are open now.
  int OpenDeviceCount() const;

  struct Devices;  // the open devices, shared with the grab

 private:
  void Run(int inotifyFd, const InputCallback& callback);

  std::filesystem::path folder_;
  std::shared_ptr<Devices> devices_;
  StopSignal stop_;
  std::thread thread_;
};

}  // namespace platform::input

#pragma once
// The macro memory download as a typed call: the image goes to the keyboard in unacknowledged
// frames of command 0x2D, each at its offset, with a short pause after each. Worker thread
// only, like the link; the caller brackets it.
//
// A frame carries at most the chunk the command interface's reports hold (24 data bytes on the
// short reports of a receiver, 56 otherwise): nothing is cut off by a report that is shorter
// than the frame. The frame count is the image length divided by the chunk size, plus one: the
// last frame carries the remainder, which may be 0 bytes.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <span>

namespace device {

class HidDeviceManager;

class MacroCommands {
 public:
  // The pause after each frame, which gives the keyboard time to store it.
  static constexpr std::chrono::milliseconds kFramePause{1};

  explicit MacroCommands(HidDeviceManager& link) : link_(link) {}
  MacroCommands(const MacroCommands&) = delete;
  MacroCommands& operator=(const MacroCommands&) = delete;

  // The chunk a frame of the image carries: 24 through a receiver, else 56, never more than the
  // command interface holds; 0 when there is no command interface.
  std::size_t ChunkSize(bool throughReceiver);
  // Writes the whole image. False when there is no command interface or a frame could not be
  // written: the frames after it are not sent. Replies are not waited for.
  bool WriteMacroImage(std::span<const std::uint8_t> image, bool throughReceiver);

 private:
  HidDeviceManager& link_;
};

}  // namespace device

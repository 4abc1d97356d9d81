#pragma once
// The keyboard's lighting commands as typed calls: the per-key colour tables of the custom
// slots, the live colours, the matrix picture and its start command, and the two colour streams
// (screen-sync and matrix). Worker thread only, like the link.
//
// Streams run in the worker's idle cycles, between tasks, without a bracket of their own: the
// first frame after a task opens the bracket again (KeyboardCommands keeps that flag), and a
// frame that fails marks it closed so that the next frame opens it once more.

#include <cstdint>
#include <span>

#include "protocol/Colors.h"
#include "protocol/Commands.h"

namespace device {

class HidDeviceManager;
class KeyboardCommands;

class LightingCommands {
 public:
  LightingCommands(HidDeviceManager& link, KeyboardCommands& keyboard);
  LightingCommands(const LightingCommands&) = delete;
  LightingCommands& operator=(const LightingCommands&) = delete;

  // A custom slot's colour table (slots 128 to 132); false for any other slot and on failure.
  bool ReadSlotColors(int slot, protocol::ColorTable& table);
  bool WriteSlotColors(int slot, const protocol::ColorTable& table);

  // The colours the keyboard shows now (0x34 from protocol revision 2 on, 0x36 below), read
  // as a stream: the bracket is opened first when a task closed it. A failed read leaves the
  // bracket flag as it was. The table is left as it was on failure.
  bool ReadLiveColors(int protocolRevision, protocol::ColorTable& table);

  // The matrix light: the command sent before its settings block (0x3D), and its picture.
  bool SendMatrixLightStart();
  bool ReadMatrixPicture(protocol::MatrixPicture& picture);
  bool WriteMatrixPicture(const protocol::MatrixPicture& picture);

  // One frame of a colour stream: the screen-sync colours at the keys' light indices (2 x
  // `itemCount` bytes, 0x2E), or the matrix cells (0x3C).
  bool StreamScreenSync(std::span<const protocol::LitKey> keys, std::size_t itemCount);
  bool StreamMatrix(const protocol::MatrixColors& cells);
  // Any streamed frame: opens the bracket when it is closed, sends the payload as an echoed
  // transfer, and marks the bracket closed when the frame failed.
  bool SendStreamFrame(std::uint8_t command, std::span<std::uint8_t> payload);

 private:
  // Opens the bracket when a task closed it; false when the open failed.
  bool OpenStreamBracket();

  HidDeviceManager& link_;
  KeyboardCommands& keyboard_;
};

}  // namespace device

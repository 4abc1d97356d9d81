#pragma once
// The keyboard's, the receiver's and the screen channel's answers to single frames. Pure
// functions of the keyboard state: the bus around them decides where replies go and when.
//
// A frame is an output report without its report id byte: 0xAA, command, offset (low,
// high), length, three zero bytes, then the data part. A reply has the same shape with the
// status (0x55 accepted, 0x0F refused) in byte 7.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "sim/KeyboardState.h"

namespace sim {

inline constexpr std::size_t kMaxReportSize = 64;
inline constexpr std::size_t kFrameHeaderSize = 8;

struct Report {
  std::array<std::uint8_t, kMaxReportSize> bytes{};
  std::size_t size = 0;

  std::span<const std::uint8_t> View() const { return {bytes.data(), size}; }
};

enum class Link { kCable, kReceiver, kScreen };

struct FirmwareOutcome {
  std::optional<Report> reply;  // none: the frame is ignored (not a frame of this device)
  bool openScreenChannel = false;
  bool closeScreenChannel = false;
};

// A frame on the keyboard's own command interface (cable) or forwarded to it by its receiver.
// The data part holds frame.size() - 8 bytes (56 by cable, 24 through the receiver).
FirmwareOutcome HandleKeyboardFrame(KeyboardState& state, std::span<const std::uint8_t> frame,
                                    Link via, Clock::time_point now);

// A frame on the receiver's command interface: the receiver answers the link status itself
// and forwards everything else while the keyboard is awake; while it sleeps only the
// brackets are answered and everything else is refused.
FirmwareOutcome HandleReceiverFrame(KeyboardState& state, std::span<const std::uint8_t> frame,
                                    bool keyboardAwake, Clock::time_point now);

// A packet on the screen channel (flash address in bytes 2 to 4, count in byte 5).
FirmwareOutcome HandleScreenPacket(KeyboardState& state, std::span<const std::uint8_t> frame);

// The refusal (status 0x0F) of a frame.
Report MakeRefusal(std::span<const std::uint8_t> frame);

// The link-state frame a receiver sends when its keyboard wakes up or falls asleep. Its
// status byte is left 0: it is not an answer (the answer to a status request carries 0x55).
Report MakeLinkNotification(const KeyboardState& state, bool online, std::size_t reportSize);

// The colours the keyboard shows at this moment, by light index: the active zone-0 light
// mode animated over time, a custom slot, or the screen-sync stream while it flows.
ColourTable ComputeLiveColours(const KeyboardState& state, Clock::time_point now);

}  // namespace sim

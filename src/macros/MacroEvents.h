#pragma once
// The events of a macro as the macro room keeps them: the stored type, value and delay with the
// text the event list shows, made from recorded input or typed as text, and turned into what
// the keyboard's memory image holds.
//
// The text form (tarvoctl's "macro set" and "macro show") is a list of words:
//   down:A  up:A  tap:A          a key going down, up, or both (names as the event list shows
//                                them without spaces, any case: Enter, PageUp, LShift is Shift,
//                                RShift, Num1, F5; or vk:0x41 for a virtual-key code)
//   button-down:left  button-up:left  click:left
//                                a mouse button (left, right, middle, back, forward)
//   wait:500                     a pause of its own (1 to 10000 ms)
//   50                           the delay after the event before it (0 to 31000 ms; 10 when
//                                none is given)

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/MacroImage.h"

namespace macros {

// Mouse buttons as recorded events carry them (the hooks' button bits).
namespace button {
inline constexpr int kLeft = 1;
inline constexpr int kRight = 2;
inline constexpr int kMiddle = 4;
inline constexpr int kBack = 8;
inline constexpr int kForward = 16;
}  // namespace button

// Delays in milliseconds.
inline constexpr int kNewEventDelay = 10;        // every event gets it when added
inline constexpr int kMaxRecordedDelay = 31000;  // a longer pause is recorded as this
inline constexpr int kMinTypedDelay = 1;         // a typed delay or pause is clamped to these
inline constexpr int kMaxTypedDelay = 10000;

struct MacroEvent {
  int type = 0;  // protocol::macro_event
  int value = 0;
  int delay = kNewEventDelay;
  std::string text;  // as the event list shows it (and the database keeps it)
  bool operator==(const MacroEvent&) const = default;
};

bool IsKeyEvent(const MacroEvent& event);
bool IsButtonEvent(const MacroEvent& event);
bool IsDownEvent(const MacroEvent& event);

// "↓  name" for events going down, "↑  name" going up, the name alone otherwise.
std::string EventText(int type, std::string_view name);
// "%d ms".
std::string PauseText(int milliseconds);
// The name of a button bit ("MouseL", ...); empty for anything else.
std::string_view ButtonName(int buttonBit);
// The name of a key's virtual-key code as recorded events show it; empty when it has none.
std::string KeyName(int virtualKey);

MacroEvent MakeKeyEvent(int virtualKey, bool down);
MacroEvent MakeButtonEvent(int buttonBit, bool down);
MacroEvent MakePauseEvent(int milliseconds);

// The event that completes a press: for a down event the next up event of the same key or
// button, for an up event the closest down event before it. Empty when there is none.
std::optional<std::size_t> PartnerOf(std::span<const MacroEvent> events, std::size_t index);

// What the keyboard's image holds of an event: the key's HID usage, and whether a mouse event
// is a wheel step (its text says "Scroll Up" or "Scroll Down").
protocol::MacroImageEvent ImageEventOf(const MacroEvent& event);

// The text form of events (see above), and back. Parsing fails with a reason that names the
// word at fault.
std::string FormatEvents(std::span<const MacroEvent> events);
std::optional<std::vector<MacroEvent>> ParseEvents(std::string_view text, std::string* error);

}  // namespace macros

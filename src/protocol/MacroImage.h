#pragma once
// The keyboard's macro memory image (command 0x2D): one header, an offset table with one entry
// per macro, then the body of every macro that has events.
//
//   0  0xAA 0x55   2  image length (LE)   4  number of macros (LE)   6  0 0
//   8  offset of each macro's body from the image start (LE), 0 for a macro without a body
//   bodies in macro order: event count (LE), 0 0, then 4 bytes per event:
//      delay after the event in ms (LE), code, flags
//
// The builder never writes past the capacity it is given: a body holds only whole events, its
// count says how many, and a macro whose body does not fit at all keeps the offset 0. The
// parser is its mirror and checks every count and offset against the image it reads.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace protocol {

inline constexpr std::size_t kMacroImageHeaderLength = 8;
inline constexpr std::size_t kMacroOffsetLength = 2;
inline constexpr std::size_t kMacroBodyHeaderLength = 4;
inline constexpr std::size_t kMacroEventLength = 4;
inline constexpr std::uint8_t kMacroImageMagic0 = 0xAA;
inline constexpr std::uint8_t kMacroImageMagic1 = 0x55;

// The stored event types of a macro.
namespace macro_event {
inline constexpr int kDelay = 1;  // a pause of `value` milliseconds (the event editor's)
inline constexpr int kKeyDown = 2;
inline constexpr int kKeyUp = 3;
inline constexpr int kButtonDown = 4;
inline constexpr int kButtonUp = 5;
inline constexpr int kOtherDown = 6;  // no input source makes these two
inline constexpr int kOtherUp = 7;
}  // namespace macro_event

// A mouse event that is a step of the wheel rather than a button.
enum class WheelStep { kNone, kUp, kDown };

// One stored event as the image needs it.
struct MacroImageEvent {
  int type = 0;
  int value = 0;  // virtual-key code of a key, button bit of a mouse button, ms of a pause
  int delay = 0;  // ms to wait after the event
  int usage = 0;  // the HID usage of a key's virtual-key code (the caller's key table)
  WheelStep wheel = WheelStep::kNone;
};

// The 4 bytes of an event: what the keyboard plays.
struct EncodedMacroEvent {
  std::uint16_t delay = 0;
  std::uint8_t code = 0;
  std::uint8_t flags = 0;
  bool operator==(const EncodedMacroEvent&) const = default;
};

// Whether a virtual-key code is one of the modifier keys the keyboard takes by that code
// (0xA0 to 0xA5 and the two Windows keys) rather than by HID usage.
bool IsModifierVirtualKey(int virtualKey);

// Key events carry the key (its code for modifiers, else its usage) with 0x01 (0x02 for a
// modifier), plus 0x80 going down; mouse events the button with 0x03 (0x83 going down), a
// wheel step 0x44. A pause waits its own milliseconds plus its delay; types without content
// are all zero but for their delay. Delays above 65535 ms are cut to 65535.
EncodedMacroEvent EncodeMacroEvent(const MacroImageEvent& event);

// What the image of a list of macros takes: the header and table, and 4 + 4 x events bytes for
// every macro that has events.
std::size_t MacroImageOverhead(std::size_t macroCount, std::size_t macrosWithEvents);

// The most events the macro at `index` may have for the whole image to fit in `capacity`
// bytes (never more than kMacroImageMaxLength), the other macros keeping their event counts;
// 0 when not even one fits.
std::size_t MacroEventsThatFit(std::span<const std::size_t> eventCounts, std::size_t index,
                               std::size_t capacity);

struct MacroImage {
  std::vector<std::uint8_t> bytes;  // exactly as long as the length field says
  // Per macro, how many of its events the image holds (fewer than it has when room ran out).
  std::vector<std::size_t> eventsWritten;
  bool complete = true;  // every event of every macro is in the image
};

// The image of the macros (each a list of events, in slot order) in at most `capacity` bytes
// (never more than kMacroImageMaxLength). Empty when not even the header and offset table fit,
// or when there are more macros than a 16-bit count holds.
std::optional<MacroImage> BuildMacroImage(std::span<const std::vector<MacroImageEvent>> macros,
                                          std::size_t capacity);

// An image read back: every macro's events as the keyboard will play them.
struct ParsedMacroImage {
  std::size_t length = 0;  // the length field
  std::vector<std::vector<EncodedMacroEvent>> macros;
};

// Reads an image; empty with `problem` set when anything does not fit: a wrong marker, a length
// beyond the bytes given, a table or body that runs past the length, a body that overlaps the
// table or another body.
std::optional<ParsedMacroImage> ParseMacroImage(std::span<const std::uint8_t> image,
                                                std::string* problem = nullptr);

}  // namespace protocol

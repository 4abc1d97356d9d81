#include "protocol/MacroImage.h"

#include <algorithm>
#include <limits>

#include "protocol/Commands.h"

namespace protocol {
namespace {

constexpr std::uint8_t kKeyFlag = 0x01;
constexpr std::uint8_t kModifierFlag = 0x02;
constexpr std::uint8_t kButtonFlag = 0x03;
constexpr std::uint8_t kDownFlag = 0x80;
constexpr std::uint8_t kWheelCode = 0x44;
constexpr std::uint8_t kWheelDownFlags = 0x07;
constexpr std::uint8_t kWheelUpStep = 0x01;
constexpr std::uint8_t kWheelDownStep = 0xFF;
constexpr int kLeftWindows = 0x5B;
constexpr int kRightWindows = 0x5C;
constexpr int kFirstShiftKey = 0xA0;
constexpr int kLastAltKey = 0xA5;

std::uint16_t ClampDelay(long long milliseconds) {
  return static_cast<std::uint16_t>(
      std::clamp<long long>(milliseconds, 0, std::numeric_limits<std::uint16_t>::max()));
}

std::uint8_t LowByte(int value) {
  return static_cast<std::uint8_t>(value & 0xFF);
}

void PutLe16(std::vector<std::uint8_t>& bytes, std::size_t at, std::size_t value) {
  bytes[at] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

std::size_t Le16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::size_t>(bytes[at]) | static_cast<std::size_t>(bytes[at + 1]) << 8;
}

EncodedMacroEvent EncodeKey(const MacroImageEvent& event, bool down) {
  const bool modifier = IsModifierVirtualKey(event.value);
  EncodedMacroEvent encoded;
  encoded.code = LowByte(modifier ? event.value : event.usage);
  encoded.flags =
      static_cast<std::uint8_t>((modifier ? kModifierFlag : kKeyFlag) | (down ? kDownFlag : 0));
  return encoded;
}

EncodedMacroEvent EncodeButton(const MacroImageEvent& event, bool down) {
  EncodedMacroEvent encoded;
  if (event.wheel == WheelStep::kNone) {
    encoded.code = LowByte(event.value);
    encoded.flags = static_cast<std::uint8_t>(kButtonFlag | (down ? kDownFlag : 0));
    return encoded;
  }
  encoded.code = kWheelCode;
  if (down) {
    encoded.flags = kWheelDownFlags;
  } else {
    encoded.flags = event.wheel == WheelStep::kUp ? kWheelUpStep : kWheelDownStep;
  }
  return encoded;
}

void PutEvent(std::vector<std::uint8_t>& bytes, std::size_t at, const EncodedMacroEvent& event) {
  PutLe16(bytes, at, event.delay);
  bytes[at + 2] = event.code;
  bytes[at + 3] = event.flags;
}

bool Fail(std::string* problem, std::string text) {
  if (problem != nullptr) *problem = std::move(text);
  return false;
}

}  // namespace

bool IsModifierVirtualKey(int virtualKey) {
  return (virtualKey >= kFirstShiftKey && virtualKey <= kLastAltKey) ||
         virtualKey == kLeftWindows || virtualKey == kRightWindows;
}

EncodedMacroEvent EncodeMacroEvent(const MacroImageEvent& event) {
  EncodedMacroEvent encoded;
  switch (event.type) {
    case macro_event::kKeyDown:
    case macro_event::kKeyUp:
      encoded = EncodeKey(event, event.type == macro_event::kKeyDown);
      break;
    case macro_event::kButtonDown:
    case macro_event::kButtonUp:
      encoded = EncodeButton(event, event.type == macro_event::kButtonDown);
      break;
    case macro_event::kDelay:
      // A pause plays as an event that does nothing and waits for as long as it says.
      encoded.delay = ClampDelay(static_cast<long long>(std::max(event.value, 0)) + event.delay);
      return encoded;
    default:
      break;
  }
  encoded.delay = ClampDelay(event.delay);
  return encoded;
}

std::size_t MacroImageOverhead(std::size_t macroCount, std::size_t macrosWithEvents) {
  return kMacroImageHeaderLength + kMacroOffsetLength * macroCount +
         kMacroBodyHeaderLength * macrosWithEvents;
}

std::size_t MacroEventsThatFit(std::span<const std::size_t> eventCounts, std::size_t index,
                               std::size_t capacity) {
  capacity = std::min(capacity, kMacroImageMaxLength);
  std::size_t others = 0;
  std::size_t othersWithEvents = 0;
  for (std::size_t m = 0; m < eventCounts.size(); ++m) {
    if (m == index || eventCounts[m] == 0) continue;
    others += eventCounts[m];
    ++othersWithEvents;
  }
  // This macro counts with a body of its own: it is to hold at least one event.
  const std::size_t count = std::max(eventCounts.size(), index + 1);
  const std::size_t fixed =
      MacroImageOverhead(count, othersWithEvents + 1) + kMacroEventLength * others;
  return fixed >= capacity ? 0 : (capacity - fixed) / kMacroEventLength;
}

std::optional<MacroImage> BuildMacroImage(std::span<const std::vector<MacroImageEvent>> macros,
                                          std::size_t capacity) {
  capacity = std::min(capacity, kMacroImageMaxLength);
  const std::size_t tableEnd = MacroImageOverhead(macros.size(), 0);
  if (macros.size() > std::numeric_limits<std::uint16_t>::max() || tableEnd > capacity) {
    return std::nullopt;
  }
  MacroImage image;
  image.bytes.assign(capacity, 0);
  image.eventsWritten.assign(macros.size(), 0);
  image.bytes[0] = kMacroImageMagic0;
  image.bytes[1] = kMacroImageMagic1;
  PutLe16(image.bytes, 4, macros.size());
  std::size_t used = tableEnd;
  for (std::size_t m = 0; m < macros.size(); ++m) {
    const std::vector<MacroImageEvent>& events = macros[m];
    if (events.empty()) continue;
    // Whole events only; a body that cannot hold even one is left out (offset 0).
    const std::size_t room = capacity - used;
    const std::size_t fit =
        room < kMacroBodyHeaderLength + kMacroEventLength
            ? 0
            : std::min(events.size(), (room - kMacroBodyHeaderLength) / kMacroEventLength);
    if (fit < events.size()) image.complete = false;
    if (fit == 0) continue;
    PutLe16(image.bytes, kMacroImageHeaderLength + kMacroOffsetLength * m, used);
    PutLe16(image.bytes, used, fit);
    std::size_t at = used + kMacroBodyHeaderLength;
    for (std::size_t e = 0; e < fit; ++e, at += kMacroEventLength) {
      PutEvent(image.bytes, at, EncodeMacroEvent(events[e]));
    }
    image.eventsWritten[m] = fit;
    used = at;
  }
  image.bytes.resize(used);
  PutLe16(image.bytes, 2, used);
  return image;
}

std::optional<ParsedMacroImage> ParseMacroImage(std::span<const std::uint8_t> image,
                                                std::string* problem) {
  if (image.size() < kMacroImageHeaderLength || image[0] != kMacroImageMagic0 ||
      image[1] != kMacroImageMagic1) {
    Fail(problem, "no macro image marker");
    return std::nullopt;
  }
  ParsedMacroImage parsed;
  parsed.length = Le16(image, 2);
  const std::size_t count = Le16(image, 4);
  if (parsed.length > image.size()) {
    Fail(problem, "the length field is beyond the bytes read");
    return std::nullopt;
  }
  std::size_t next = MacroImageOverhead(count, 0);  // where the next body may start
  if (next > parsed.length) {
    Fail(problem, "the offset table runs past the image");
    return std::nullopt;
  }
  for (std::size_t m = 0; m < count; ++m) {
    std::vector<EncodedMacroEvent>& events = parsed.macros.emplace_back();
    const std::size_t offset = Le16(image, kMacroImageHeaderLength + kMacroOffsetLength * m);
    if (offset == 0) continue;
    if (offset < next || offset + kMacroBodyHeaderLength > parsed.length) {
      Fail(problem, "the body of macro " + std::to_string(m + 1) + " is out of place");
      return std::nullopt;
    }
    const std::size_t eventCount = Le16(image, offset);
    const std::size_t end = offset + kMacroBodyHeaderLength + kMacroEventLength * eventCount;
    if (end > parsed.length) {
      Fail(problem, "the events of macro " + std::to_string(m + 1) + " run past the image");
      return std::nullopt;
    }
    for (std::size_t at = offset + kMacroBodyHeaderLength; at < end; at += kMacroEventLength) {
      events.push_back({static_cast<std::uint16_t>(Le16(image, at)), image[at + 2], image[at + 3]});
    }
    next = end;
  }
  return parsed;
}

}  // namespace protocol

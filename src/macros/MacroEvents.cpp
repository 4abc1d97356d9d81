#include "macros/MacroEvents.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "base/Text.h"
#include "keys/InputEvents.h"
#include "keys/KeyCodes.h"

namespace macros {
namespace {

namespace me = protocol::macro_event;

constexpr std::string_view kDownArrow = "\xE2\x86\x93  ";  // U+2193 and two spaces
constexpr std::string_view kUpArrow = "\xE2\x86\x91  ";    // U+2191 and two spaces
constexpr int kVirtualKeyCount = 256;

struct ButtonWord {
  int bit;
  std::string_view name;  // as events show it
  std::string_view word;  // in the text form
};
constexpr ButtonWord kButtons[] = {
    {button::kLeft, "MouseL", "left"},        {button::kRight, "MouseR", "right"},
    {button::kMiddle, "MouseM", "middle"},    {button::kBack, "Backward", "back"},
    {button::kForward, "Forward", "forward"},
};

// A key name as the text form writes it: without blanks.
std::string Compact(std::string_view name) {
  std::string compact;
  for (char c : name) {
    if (c != ' ') compact += c;
  }
  return compact;
}

std::optional<int> VirtualKeyOfName(std::string_view word) {
  if (base::EqualsIgnoreCaseAscii(word.substr(0, 3), "vk:")) {
    const long code = base::ParseHex(word.substr(3));
    if (code > 0 && code < kVirtualKeyCount && !KeyName(static_cast<int>(code)).empty())
      return static_cast<int>(code);
    return std::nullopt;
  }
  for (int code = 1; code < kVirtualKeyCount; ++code) {
    const keys::NamedKey named = keys::NameVirtualKey(code, keys::NameSource::kHook);
    if (!named.name.empty() && base::EqualsIgnoreCaseAscii(Compact(named.name), word)) {
      return named.virtualKey;
    }
  }
  return std::nullopt;
}

std::optional<int> ButtonOfWord(std::string_view word) {
  for (const ButtonWord& button : kButtons) {
    if (base::EqualsIgnoreCaseAscii(button.word, word)) return button.bit;
  }
  return std::nullopt;
}

std::string_view ButtonWordOf(int bit) {
  for (const ButtonWord& button : kButtons) {
    if (button.bit == bit) return button.word;
  }
  return {};
}

std::optional<int> Number(std::string_view word) {
  int value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size()) return std::nullopt;
  return value;
}

// A key as the text form writes it: its name when the name leads back to it, else its code.
std::string KeyWord(int virtualKey) {
  const std::string name = Compact(KeyName(virtualKey));
  if (!name.empty() && VirtualKeyOfName(name) == virtualKey) return name;
  char code[8];
  std::snprintf(code, sizeof code, "0x%02X", virtualKey & 0xFF);
  return std::string("vk:") + code;
}

std::string Word(const MacroEvent& event) {
  switch (event.type) {
    case me::kKeyDown:
      return "down:" + KeyWord(event.value);
    case me::kKeyUp:
      return "up:" + KeyWord(event.value);
    case me::kButtonDown:
      return "button-down:" + std::string(ButtonWordOf(event.value));
    case me::kButtonUp:
      return "button-up:" + std::string(ButtonWordOf(event.value));
    case me::kDelay:
      return "wait:" + std::to_string(event.value);
    default:
      return {};
  }
}

bool Fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

// One word of the text form added to `events`; false (with the reason) when it is no word of it.
bool AddWord(std::string_view word, std::vector<MacroEvent>& events, std::string* error) {
  const std::string quoted = "'" + std::string(word) + "'";
  if (const std::optional<int> delay = Number(word)) {
    if (events.empty()) return Fail(error, "a delay needs an event before it: " + quoted);
    if (*delay < 0 || *delay > kMaxRecordedDelay)
      return Fail(error, "a delay is 0 to " + std::to_string(kMaxRecordedDelay) + " ms: " + quoted);
    events.back().delay = *delay;
    return true;
  }
  const std::size_t colon = word.find(':');
  if (colon == std::string_view::npos) return Fail(error, "not an event: " + quoted);
  const std::string_view verb = word.substr(0, colon);
  const std::string_view what = word.substr(colon + 1);
  if (verb == "down" || verb == "up" || verb == "tap") {
    const std::optional<int> key = VirtualKeyOfName(what);
    if (!key) return Fail(error, "no such key: " + quoted);
    if (verb != "up") events.push_back(MakeKeyEvent(*key, true));
    if (verb != "down") events.push_back(MakeKeyEvent(*key, false));
    return true;
  }
  if (verb == "button-down" || verb == "button-up" || verb == "click") {
    const std::optional<int> bit = ButtonOfWord(what);
    if (!bit) return Fail(error, "no such mouse button: " + quoted);
    if (verb != "button-up") events.push_back(MakeButtonEvent(*bit, true));
    if (verb != "button-down") events.push_back(MakeButtonEvent(*bit, false));
    return true;
  }
  if (verb == "wait") {
    const std::optional<int> pause = Number(what);
    if (!pause || *pause < kMinTypedDelay || *pause > kMaxTypedDelay)
      return Fail(error, "a wait is 1 to 10000 ms: " + quoted);
    events.push_back(MakePauseEvent(*pause));
    return true;
  }
  return Fail(error, "not an event: " + quoted);
}

}  // namespace

bool IsKeyEvent(const MacroEvent& event) {
  return event.type == me::kKeyDown || event.type == me::kKeyUp;
}

bool IsButtonEvent(const MacroEvent& event) {
  return event.type == me::kButtonDown || event.type == me::kButtonUp;
}

bool IsDownEvent(const MacroEvent& event) {
  return event.type == me::kKeyDown || event.type == me::kButtonDown ||
         event.type == me::kOtherDown;
}

std::string EventText(int type, std::string_view name) {
  switch (type) {
    case me::kKeyDown:
    case me::kButtonDown:
      return std::string(kDownArrow) + std::string(name);
    case me::kKeyUp:
    case me::kButtonUp:
      return std::string(kUpArrow) + std::string(name);
    default:
      return std::string(name);
  }
}

std::string PauseText(int milliseconds) {
  return std::to_string(milliseconds) + " ms";
}

std::string_view ButtonName(int buttonBit) {
  for (const ButtonWord& button : kButtons) {
    if (button.bit == buttonBit) return button.name;
  }
  return {};
}

std::string KeyName(int virtualKey) {
  return keys::NameVirtualKey(virtualKey, keys::NameSource::kHook).name;
}

MacroEvent MakeKeyEvent(int virtualKey, bool down) {
  const keys::NamedKey named = keys::NameVirtualKey(virtualKey, keys::NameSource::kHook);
  const int type = down ? me::kKeyDown : me::kKeyUp;
  return {type, named.virtualKey, kNewEventDelay, EventText(type, named.name)};
}

MacroEvent MakeButtonEvent(int buttonBit, bool down) {
  const int type = down ? me::kButtonDown : me::kButtonUp;
  return {type, buttonBit, kNewEventDelay, EventText(type, ButtonName(buttonBit))};
}

MacroEvent MakePauseEvent(int milliseconds) {
  return {me::kDelay, milliseconds, kNewEventDelay, PauseText(milliseconds)};
}

std::optional<std::size_t> PartnerOf(std::span<const MacroEvent> events, std::size_t index) {
  if (index >= events.size()) return std::nullopt;
  const MacroEvent& event = events[index];
  const bool key = IsKeyEvent(event);
  if (!key && !IsButtonEvent(event)) return std::nullopt;
  const int down = key ? me::kKeyDown : me::kButtonDown;
  const int up = key ? me::kKeyUp : me::kButtonUp;
  if (event.type == down) {
    for (std::size_t i = index + 1; i < events.size(); ++i) {
      if (events[i].value == event.value && events[i].type == up) return i;
      if (events[i].value == event.value && events[i].type == down) break;
    }
    return std::nullopt;
  }
  for (std::size_t i = index; i-- > 0;) {
    if (events[i].value == event.value && events[i].type == down) return i;
    if (events[i].value == event.value && events[i].type == up) break;
  }
  return std::nullopt;
}

protocol::MacroImageEvent ImageEventOf(const MacroEvent& event) {
  protocol::MacroImageEvent image{event.type, event.value, event.delay, 0,
                                  protocol::WheelStep::kNone};
  if (IsKeyEvent(event)) image.usage = keys::VirtualKeyToUsage(event.value);
  if (IsButtonEvent(event)) {
    if (event.text.find("Scroll Up") != std::string::npos) image.wheel = protocol::WheelStep::kUp;
    if (event.text.find("Scroll Down") != std::string::npos)
      image.wheel = protocol::WheelStep::kDown;
  }
  return image;
}

std::string FormatEvents(std::span<const MacroEvent> events) {
  std::string text;
  for (const MacroEvent& event : events) {
    const std::string word = Word(event);
    if (word.empty()) continue;
    if (!text.empty()) text += ' ';
    text += word;
    if (event.delay != kNewEventDelay) text += ' ' + std::to_string(event.delay);
  }
  return text;
}

std::optional<std::vector<MacroEvent>> ParseEvents(std::string_view text, std::string* error) {
  std::vector<MacroEvent> events;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of(" \t\r\n", start), text.size());
    if (end > start && !AddWord(text.substr(start, end - start), events, error)) {
      return std::nullopt;
    }
    start = end + 1;
  }
  return events;
}

}  // namespace macros

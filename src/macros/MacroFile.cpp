#include "macros/MacroFile.h"

#include <algorithm>
#include <fstream>
#include <limits>

#include "base/Json.h"
#include "base/Text.h"
#include "protocol/Commands.h"
#include "protocol/MacroImage.h"

namespace macros {
namespace {

using base::Json;
namespace me = protocol::macro_event;

constexpr int kMaxPlayType = 3;
constexpr int kMaxPlayTimes = 255;
constexpr int kMaxEventDelay = std::numeric_limits<std::uint16_t>::max();
// No keyboard holds more events than its largest image.
constexpr std::size_t kMaxEvents = protocol::kMacroImageMaxLength / protocol::kMacroEventLength;
constexpr int kVirtualKeyCount = 256;

std::optional<int> IntegerIn(const Json& object, std::string_view key, int low, int high) {
  const Json* value = object.Find(key);
  if (value == nullptr || !value->IsInteger()) return std::nullopt;
  const std::int64_t number = value->AsInteger();
  if (number < low || number > high) return std::nullopt;
  return static_cast<int>(number);
}

bool Fail(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
  return false;
}

bool IsButtonBit(int value) {
  return !ButtonName(value).empty();
}

// An event of the file, its text made anew; empty when anything is out of range.
std::optional<MacroEvent> ReadEvent(const Json& entry) {
  if (!entry.IsObject()) return std::nullopt;
  const std::optional<int> type = IntegerIn(entry, "type", me::kDelay, me::kButtonUp);
  const std::optional<int> delay = IntegerIn(entry, "delay", 0, kMaxEventDelay);
  if (!type || !delay) return std::nullopt;
  std::optional<MacroEvent> event;
  if (*type == me::kDelay) {
    if (const auto pause = IntegerIn(entry, "value", kMinTypedDelay, kMaxTypedDelay))
      event = MakePauseEvent(*pause);
  } else if (*type == me::kKeyDown || *type == me::kKeyUp) {
    const auto key = IntegerIn(entry, "value", 1, kVirtualKeyCount - 1);
    if (key && !KeyName(*key).empty()) event = MakeKeyEvent(*key, *type == me::kKeyDown);
  } else {
    const auto bit = IntegerIn(entry, "value", 1, button::kForward);
    if (bit && IsButtonBit(*bit)) event = MakeButtonEvent(*bit, *type == me::kButtonDown);
  }
  if (event) event->delay = *delay;
  return event;
}

}  // namespace

std::optional<std::string> MacroNameProblem(std::string_view name) {
  if (base::Trim(name).empty()) return "a macro name cannot be empty";
  if (!base::IsValidUtf8(name)) return "a macro name must be UTF-8 text";
  if (std::any_of(name.begin(), name.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }))
    return "a macro name cannot hold control characters";
  if (base::CodePointCount(name) > kMaxMacroNameLength)
    return "a macro name has at most " + std::to_string(kMaxMacroNameLength) + " characters";
  return std::nullopt;
}

std::optional<std::string> ReadMacroFileText(const std::filesystem::path& file,
                                             std::string* error) {
  std::error_code code;
  const std::uintmax_t size = std::filesystem::file_size(file, code);
  if (code) {
    Fail(error, code.message());
    return std::nullopt;
  }
  if (size > kMaxMacroFileSize) {
    Fail(error, "too large for a macro file");
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  std::string text(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(text.data(), static_cast<std::streamsize>(text.size()))) {
    Fail(error, "cannot be read");
    return std::nullopt;
  }
  return text;
}

std::string WriteMacroFile(const MacroFileContent& content) {
  Json events = Json::MakeArray();
  for (const MacroEvent& event : content.events) {
    events.Push(Json::MakeObject()
                    .Set("type", event.type)
                    .Set("value", event.value)
                    .Set("delay", event.delay)
                    .Set("text", event.text));
  }
  return Json::MakeObject()
             .Set("tarvo_macro", kMacroFileVersion)
             .Set("name", content.macro.name)
             .Set("delay_type", content.macro.delay_type)
             .Set("delay_time", content.macro.delay_time)
             .Set("play_type", content.macro.play_type)
             .Set("play_times", content.macro.play_times)
             .Set("events", std::move(events))
             .DumpPretty() +
         "\n";
}

std::optional<MacroFileContent> ReadMacroFile(std::string_view text, std::string* error) {
  const std::optional<Json> file = Json::Parse(text);
  if (!file || !file->IsObject() ||
      IntegerIn(*file, "tarvo_macro", 1, kMacroFileVersion) != kMacroFileVersion) {
    Fail(error, "not a Tarvo macro file");
    return std::nullopt;
  }
  MacroFileContent content;
  const Json* name = file->Find("name");
  if (name == nullptr || !name->IsString()) {
    Fail(error, "the file names no macro");
    return std::nullopt;
  }
  if (const auto problem = MacroNameProblem(name->AsString())) {
    Fail(error, *problem);
    return std::nullopt;
  }
  content.macro.name = name->AsString();
  const auto delayType = IntegerIn(*file, "delay_type", 0, 2);
  const auto delayTime = IntegerIn(*file, "delay_time", 0, kMaxTypedDelay);
  const auto playType = IntegerIn(*file, "play_type", 0, kMaxPlayType);
  const auto playTimes = IntegerIn(*file, "play_times", 0, kMaxPlayTimes);
  if (!delayType || !delayTime || !playType || !playTimes) {
    Fail(error, "a delay or play setting of the file is out of range");
    return std::nullopt;
  }
  content.macro.delay_type = *delayType;
  content.macro.delay_time = *delayTime;
  content.macro.play_type = *playType;
  content.macro.play_times = *playTimes;
  const Json* events = file->Find("events");
  if (events == nullptr || !events->IsArray() || events->AsArray().size() > kMaxEvents) {
    Fail(error, "the file holds no event list, or more events than any keyboard holds");
    return std::nullopt;
  }
  for (const Json& entry : events->AsArray()) {
    std::optional<MacroEvent> event = ReadEvent(entry);
    if (!event) {
      Fail(error, "event " + std::to_string(content.events.size() + 1) + " is out of range");
      return std::nullopt;
    }
    content.events.push_back(std::move(*event));
  }
  return content;
}

}  // namespace macros

#include "cli/Formatting.h"

#include <algorithm>

#include "cli/JsonText.h"
#include "cli/SettingNames.h"
#include "cli/Words.h"

namespace cli {
using base::Json;

const Json& Member(const Json& object, std::string_view key) {
  static const Json kNull;
  const Json* found = object.Find(key);
  return found != nullptr ? *found : kNull;
}

// A text from the keyboard's database or a file, made safe for a terminal: control characters
// (an escape sequence, a line end inside a name) show as '?'.
std::string Printable(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return text;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text + " ";
}

namespace {

std::string ProfileText(const Json& profile) {
  if (!profile.IsObject()) return "none";
  return std::to_string(Member(profile, "id").AsInteger()) + " \"" +
         Printable(Member(profile, "name").AsString()) + "\"";
}

// "cable online, battery 80 %" for one connection of a model.
std::string ConnectionText(const Json& connection) {
  std::string text = Member(connection, "mode").AsString();
  text += Member(connection, "online").AsBool() ? " online" : " offline";
  const Json& battery = Member(connection, "battery");
  if (battery.IsInteger()) {
    text += ", battery " + std::to_string(battery.AsInteger()) + " %";
    if (Member(connection, "charging").AsBool()) text += " charging";
  }
  return text;
}

std::string ModelLine(const Json& model) {
  std::string line = Member(model, "selected").AsBool() ? "* " : "  ";
  line += Padded(std::to_string(Member(model, "model").AsInteger()), 4);
  line += Padded(Printable(Member(model, "name").AsString()), 20);
  const Json::Array& connections = Member(model, "connections").AsArray();
  if (connections.empty()) line += "not connected";
  for (std::size_t i = 0; i < connections.size(); ++i) {
    line += (i > 0 ? "; " : "") + ConnectionText(connections[i]);
  }
  const Json& firmware = Member(model, "firmware");
  if (firmware.IsString()) line += "; firmware " + firmware.AsString();
  return line + "\n";
}

}  // namespace

std::string FormatStatus(const Json& result) {
  const Json& software = Member(result, "software");
  std::string text =
      Member(software, "name").AsString() + " " + Member(software, "version").AsString() + "\n";
  const Json& selected = Member(result, "selected_model");
  text += "selected model: " +
          (selected.IsInteger() ? std::to_string(selected.AsInteger()) : std::string("none")) +
          (Member(result, "connected").AsBool() ? " (connected)" : " (not connected)") + "\n";
  text += "active profile: " + ProfileText(Member(result, "active_profile")) + "\n";
  text += "models:\n";
  for (const Json& model : Member(result, "models").AsArray()) text += ModelLine(model);
  return text;
}

std::string FormatProfileList(const Json& result) {
  std::string text;
  for (const Json& profile : Member(result, "profiles").AsArray()) {
    text += Member(profile, "active").AsBool() ? "* " : "  ";
    text += Padded(std::to_string(Member(profile, "id").AsInteger()), 3);
    text += Printable(Member(profile, "name").AsString()) + "\n";
  }
  return text;
}

std::string FormatSettingsShow(const Json& result) {
  std::string text = "profile " + ProfileText(Member(result, "profile")) + "\n";
  for (const auto& [name, value] : Member(result, "settings").AsObject()) {
    text += "  " + Padded(Printable(name), 14) + Printable(value.AsString()) + "\n";
  }
  return text;
}

// Keys and the knob ------------------------------------------------------------------------------

namespace {

// "  A             Ctrl+C           "LCtrl + C"": the label only where it says something else.
std::string AssignmentLine(const std::string& what, const Json& assignment) {
  const std::string function = Printable(Member(assignment, "function").AsString());
  const std::string label = Printable(Member(assignment, "label").AsString());
  std::string line = "  " + Padded(what, 14) + function;
  if (!label.empty() && !SameWord(label, function)) {
    line = Padded(line, 35) + "\"" + label + "\"";
  }
  return line + "\n";
}

}  // namespace

std::string FormatKeyShow(const Json& result) {
  std::string text = "profile " + ProfileText(Member(result, "profile")) + "\n";
  for (const Json& layer : Member(result, "layers").AsArray()) {
    text += "layer " + std::to_string(Member(layer, "layer").AsInteger()) + ":\n";
    for (const Json& key : Member(layer, "keys").AsArray())
      text += AssignmentLine(Printable(Member(key, "key").AsString()), key);
    for (const Json& action : Member(layer, "knob").AsArray())
      text += AssignmentLine("knob " + Printable(Member(action, "action").AsString()), action);
  }
  return text;
}

std::string FormatMacroList(const Json& result) {
  std::string text = Padded("ID", 4) + Padded("SLOT", 4) + Padded("EVENTS", 6) + "NAME\n";
  for (const Json& macro : Member(result, "macros").AsArray()) {
    text += Padded(std::to_string(Member(macro, "id").AsInteger()), 4);
    text += Padded(std::to_string(Member(macro, "slot").AsInteger()), 4);
    text += Padded(std::to_string(Member(macro, "events").AsInteger()), 6);
    text += Printable(Member(macro, "name").AsString()) + "\n";
  }
  const Json& memory = Member(result, "memory");
  const Json& room = Member(memory, "bytes");
  if (room.IsInteger()) {
    text += "macro memory: " + std::to_string(Member(memory, "used").AsInteger()) + " of " +
            std::to_string(room.AsInteger()) + " bytes used\n";
  } else {
    text += "macro memory: not known (the keyboard has not been read)\n";
  }
  return text;
}

std::string FormatEffectShow(const Json& result) {
  const auto line = [](const char* name, const std::string& value) {
    return "  " + Padded(name, 13) + value + "\n";
  };
  std::string text = line("mode", std::to_string(Member(result, "mode").AsInteger()) + " (" +
                                      Member(result, "mode_name").AsString() + ")");
  text += line("page", Member(result, "page_active").AsBool()
                           ? (Member(result, "streaming").AsBool() ? "active, streaming"
                                                                   : "active, no keyboard")
                           : "not active (opening the effect page starts it)");
  const Json& layer = Member(result, "music_layer");
  if (layer.IsObject()) {
    const auto value = [&layer](std::string_view key) {
      return std::to_string(Member(layer, key).AsInteger());
    };
    text += line("music layer", "foreground " + value("foreground") + ", background " +
                                    value("background") + ", amplitude " + value("amplitude") +
                                    ", brightness " + value("background_brightness") + "/" +
                                    value("light_brightness"));
  }
  const Json& file = Member(result, "file");
  text += line("file", file.IsString() ? Printable(file.AsString()) + " (" +
                                             Member(result, "media").AsString() + ")"
                                       : "none");
  const Json& window = Member(result, "window");
  text += line("window", window.IsObject() ? "\"" + Printable(Member(window, "title").AsString()) +
                                                 "\" (" + Member(result, "capture").AsString() + ")"
                                           : "none");
  if (Member(result, "colour").IsString()) {
    text += line("colour", Member(result, "colour").AsString() +
                               (Member(result, "colorful").AsBool() ? " (colorful)" : ""));
  }
  return text;
}

// Lighting ---------------------------------------------------------------------------------------

namespace {

// "brightness 3 (0-4)"; without a maximum reported, the value alone.
std::string ValueText(const Json& zone, const std::string& name) {
  std::string text = " " + name + " " + std::to_string(Member(zone, name).AsInteger());
  const Json& maximum = Member(zone, "max_" + name);
  if (maximum.IsInteger() && maximum.AsInteger() > 0)
    text += " (0-" + std::to_string(maximum.AsInteger()) + ")";
  return text;
}

bool Offers(const Json& zone, const std::string& what) {
  const Json::Array& offers = Member(zone, "offers").AsArray();
  return std::any_of(offers.begin(), offers.end(),
                     [&](const Json& offer) { return offer.AsString() == what; });
}

// "keys  wave   brightness 3 (0-4) speed 2 (0-4) colorful": what the zone's mode offers.
std::string ZoneLine(const Json& zone) {
  std::string mode = Member(zone, "mode").AsString();
  if (Member(zone, "slot").IsInteger())
    mode += " " + std::to_string(Member(zone, "slot").AsInteger());
  std::string line = "  " + Padded(Member(zone, "zone").AsString(), 5) + Padded(mode, 14);
  if (Offers(zone, "brightness")) line += ValueText(zone, "brightness");
  if (Offers(zone, "speed")) line += ValueText(zone, "speed");
  if (Offers(zone, "direction")) line += " direction " + Member(zone, "direction").AsString();
  if (Offers(zone, "colorful") && Member(zone, "colorful").AsBool()) {
    line += " colorful";
  } else if (Offers(zone, "colour")) {
    line += " colour " + Member(zone, "colour").AsString();
  }
  return line + "\n";
}

}  // namespace

std::string FormatLightShow(const Json& result) {
  std::string text = "profile " + ProfileText(Member(result, "profile")) + "\n";
  text += std::string("light ") + (Member(result, "light").AsBool() ? "on" : "off");
  const Json& slot = Member(result, "slot");
  if (slot.IsInteger()) text += "; custom slot " + std::to_string(slot.AsInteger());
  text += "\n";
  for (const Json& zone : Member(result, "zones").AsArray()) text += ZoneLine(zone);
  return text;
}

std::string FormatSlotShow(const Json& result) {
  std::string text = "slot " + std::to_string(Member(result, "slot").AsInteger()) + " of profile " +
                     ProfileText(Member(result, "profile"));
  const Json::Array& keys = Member(result, "keys").AsArray();
  if (keys.empty()) return text + ": never painted\n";
  std::vector<std::string> words;
  for (const Json& key : keys) {
    words.push_back(Printable(Member(key, "key").AsString()) + "=" +
                    Member(key, "colour").AsString());
  }
  return text + ":\n" + WrappedWords(words, 2);
}

std::string FormatMacroShow(const Json& result) {
  std::string text = "macro " + std::to_string(Member(result, "id").AsInteger()) + " \"" +
                     Printable(Member(result, "name").AsString()) + "\", slot " +
                     std::to_string(Member(result, "slot").AsInteger()) + ", delays " +
                     Member(result, "delays").AsString() + "\n";
  for (const Json& event : Member(result, "events").AsArray()) {
    text += "  " + Padded(Printable(Member(event, "text").AsString()), 20) +
            std::to_string(Member(event, "delay").AsInteger()) + " ms\n";
  }
  text += "as text: " + Printable(Member(result, "text").AsString()) + "\n";
  return text;
}

std::string FormatMessage(const Json& result) {
  const std::string message = Printable(Member(result, "message").AsString());
  return message.empty() ? std::string() : message + "\n";
}

}  // namespace cli

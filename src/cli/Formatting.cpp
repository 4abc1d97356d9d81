#include "cli/Formatting.h"

#include "cli/SettingNames.h"

namespace cli {
namespace {

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

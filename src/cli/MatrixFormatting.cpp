// The matrix light's and the music analysis's results as text for a person.

#include <cstdio>

#include "cli/Formatting.h"
#include "cli/JsonText.h"

namespace cli {
namespace {

using base::Json;

std::string Number(const Json& value, const char* format = "%.2f") {
  if (!value.IsNumber()) return "?";
  char text[32];
  std::snprintf(text, sizeof text, format, value.AsDouble());
  return text;
}

std::string Integer(const Json& value) {
  return value.IsInteger() ? std::to_string(value.AsInteger()) : std::string("?");
}

// "3 of 4", or "3" while the keyboard's maximum is not known.
std::string OutOf(const Json& value, const Json& maximum) {
  std::string text = Integer(value);
  if (maximum.IsInteger() && maximum.AsInteger() > 0) text += " of " + Integer(maximum);
  return text;
}

std::string NumberList(const Json& values) {
  std::string text;
  for (const Json& value : values.AsArray()) text += (text.empty() ? "" : " ") + Number(value);
  return text;
}

std::string CellGrid(const Json& cells, std::size_t perRow) {
  std::string text;
  const Json::Array& all = cells.AsArray();
  for (std::size_t i = 0; i < all.size(); ++i) {
    text += (i % perRow == 0 ? "  " : " ") + Printable(all[i].AsString());
    if (i % perRow == perRow - 1 || i + 1 == all.size()) text += "\n";
  }
  return text;
}

}  // namespace

std::string FormatMatrixShow(const Json& result) {
  std::string text = "matrix light ";
  text += Member(result, "switch").AsBool() ? "on" : "off";
  text += ", mode " + Integer(Member(result, "mode")) + " (" +
          Printable(Member(result, "mode_name").AsString()) + ")";
  if (Member(result, "preset").IsInteger()) {
    text += ", preset " + Integer(Member(result, "preset")) + " (" +
            Printable(Member(result, "preset_name").AsString()) + ")";
  }
  text += "\nbrightness " + OutOf(Member(result, "brightness"), Member(result, "max_brightness")) +
          ", speed " + OutOf(Member(result, "speed"), Member(result, "max_speed")) +
          ", amplitude " + Integer(Member(result, "amplitude")) + "\n";
  text += "colour " + Printable(Member(result, "colour").AsString()) +
          (Member(result, "colorful").AsBool() ? ", colorful" : "") + "\n";
  if (Member(result, "streaming").AsBool()) text += "the keyboard shows Tarvo's animation\n";
  text += "cells:\n" + CellGrid(Member(result, "cells"), 7);
  return text;
}

std::string FormatAudioShow(const Json& result) {
  const Json& source = Member(result, "source");
  std::string text = "source: " + Printable(Member(source, "state").AsString());
  if (const std::string device = Member(source, "device").AsString(); !device.empty())
    text += " (" + Printable(device) + ")";
  if (Member(source, "sample_rate").IsInteger() && Member(source, "sample_rate").AsInteger() > 0)
    text += ", " + Integer(Member(source, "sample_rate")) + " Hz";
  text += ", " + Integer(Member(source, "packets")) + " packets\n";
  if (const std::string detail = Member(source, "detail").AsString(); !detail.empty())
    text += "  " + Printable(detail) + "\n";
  text += "level " + Number(Member(result, "level")) + ", peak " + Number(Member(result, "peak")) +
          ", average " + Number(Member(result, "average_level")) + "\n";
  text += "bands: " + NumberList(Member(result, "bands")) + "\n";
  text += "bass " + Number(Member(result, "bass")) + ", mid " + Number(Member(result, "mid")) +
          ", treble " + Number(Member(result, "treble")) + "\n";
  const Json& tempo = Member(result, "tempo");
  text += tempo.IsNumber() ? "tempo " + Number(tempo, "%.0f") + " bpm\n"
                           : std::string("tempo not known yet\n");
  return text;
}

}  // namespace cli

#include "ui/pages/ColorFields.h"

#include <algorithm>
#include <string_view>

#include "base/Text.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"

namespace pages {
namespace {

bool StillTyping(const std::string& text) {
  const std::string_view trimmed = base::Trim(text);
  return trimmed.empty() || trimmed == "-" || trimmed == "+";
}

std::string FieldText(Tessel::PageHost& host, int id) {
  auto* field = host.GetControl<Tessel::MEdit>(id);
  return field != nullptr ? field->GetEditText() : std::string();
}

}  // namespace

int ParseColorChannel(const std::string& text) {
  return std::clamp(base::ToInt(text), 0, 255);
}

void ShowColorFields(Tessel::PageHost& host, const ColorFieldIds& ids, Tessel::Color color,
                     int except) {
  if (except != ids.wheel) {
    if (auto* wheel = host.GetControl<Tessel::ColorWheel>(ids.wheel)) wheel->SetColor(color);
  }
  const int fields[] = {ids.red, ids.green, ids.blue};
  const unsigned channels[] = {Tessel::RedOf(color), Tessel::GreenOf(color), Tessel::BlueOf(color)};
  for (int i = 0; i < 3; ++i) {
    if (fields[i] == except) continue;
    if (auto* field = host.GetControl<Tessel::MEdit>(fields[i]))
      field->SetEditText(std::to_string(channels[i]));
  }
}

std::optional<Tessel::Color> ReadColorFields(Tessel::PageHost& host, const ColorFieldIds& ids,
                                             int edited, bool commit) {
  auto* field = host.GetControl<Tessel::MEdit>(edited);
  if (field == nullptr) return std::nullopt;
  const std::string typed = field->GetEditText();
  if (!commit && StillTyping(typed)) return std::nullopt;
  const int value = ParseColorChannel(typed);
  if (std::to_string(value) != typed) field->SetEditText(std::to_string(value));
  const auto channel = [&host](int id) {
    return static_cast<unsigned>(ParseColorChannel(FieldText(host, id)));
  };
  return Tessel::Rgb(channel(ids.red), channel(ids.green), channel(ids.blue));
}

}  // namespace pages

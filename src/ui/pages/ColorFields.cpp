#include "ui/pages/ColorFields.h"

#include <algorithm>
#include <string_view>

#include "base/Text.h"
#include "ui/pages/PageParts.h"
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

void CreateColorCardControls(Tessel::PageHost& host, const ColorCardLayout& layout,
                             std::span<const Tessel::Color> presets, int presetCount) {
  constexpr int kInner = 20;  // the cards' margin
  Place<Tessel::MControlFont>(
      host, layout.title, layout.card,
      Tessel::Rect::FromSize(kInner, layout.titleTop, layout.titleWidth, layout.titleHeight),
      "card-title");
  Place<Tessel::ColorWheel>(
      host, layout.fields.wheel, layout.card,
      Tessel::Rect::FromSize(kInner, layout.wheelTop, layout.wheelWidth, layout.wheelHeight));
  const int fieldLeft = kInner + layout.wheelWidth + 14;
  const int fieldWidth = layout.cardWidth - fieldLeft - kInner;
  const std::pair<int, int> fields[] = {{layout.redLabel, layout.fields.red},
                                        {layout.greenLabel, layout.fields.green},
                                        {layout.blueLabel, layout.fields.blue}};
  int top = layout.firstFieldTop;
  for (const auto& [label, edit] : fields) {
    Place<Tessel::MControlFont>(host, label, layout.card,
                                Tessel::Rect::FromSize(fieldLeft, top, fieldWidth, 16), "hint");
    Place<Tessel::MEdit>(host, edit, layout.card,
                         Tessel::Rect::FromSize(fieldLeft, top + 17, fieldWidth, 28))
        ->SetMaxLength(layout.fieldMaxLength);
    top += layout.fieldStep;
  }
  Place<Tessel::MControlFont>(host, layout.presetLabel, layout.card,
                              Tessel::Rect::FromSize(kInner, layout.presetLabelTop, 240, 18),
                              "hint");
  for (int i = 0; i < presetCount; ++i) {
    auto* preset = Place<Tessel::CColorButton>(
        host, layout.firstPreset + i, layout.card,
        Tessel::Rect::FromSize(kInner - 1 + layout.presetStep * i, layout.presetTop,
                               layout.presetSide, layout.presetSide));
    if (static_cast<std::size_t>(i) < presets.size())
      preset->SetColor(presets[static_cast<std::size_t>(i)]);
  }
}

}  // namespace pages

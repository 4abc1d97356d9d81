#include "app/LightVerbs.h"

#include <algorithm>
#include <variant>

#include "app/KeyVerbs.h"
#include "app/KeyboardDlg.h"
#include "cli/CommandTable.h"
#include "cli/LightWords.h"
#include "cli/Words.h"
#include "lighting/LightModes.h"

namespace {

using base::Json;
using cli::Answer;
using cli::Reason;
using lighting::kZoneKeys;
using lighting::kZoneSide;
namespace offers = lighting::offers;

template <class T>
using Found = std::variant<T, Answer>;

// A byte's worth when the keyboard reports no maximum.
constexpr int kByteMaximum = 255;

lighting::LightingService& Service(KeyboardDlg& dialog) {
  return dialog.Lighting().Service();
}

std::string ModelText(KeyboardDlg& dialog) {
  return "model " + std::to_string(dialog.State().selectedModel.load());
}

std::string ZoneName(int zone) {
  if (zone == kZoneKeys) return "the key lights";
  return "the " + cli::ZoneWord(zone) + " light";
}

// What the keyboard reported of a zone; empty for a zone it does not have. Before it has
// reported anything only its key lights are known.
std::optional<protocol::LightLimits> ZoneLimits(KeyboardDlg& dialog, int zone) {
  const ModelCapabilities capabilities = dialog.Capabilities();
  if (capabilities.keypad) return std::nullopt;
  if (!capabilities.device) {
    if (zone == kZoneKeys) return protocol::LightLimits{true, 0, 0};
    return std::nullopt;
  }
  const protocol::DeviceInfo& device = *capabilities.device;
  if (zone == kZoneKeys) return device.zone0;
  const protocol::LightLimits& limits = zone == kZoneSide ? device.zone1 : device.zone2;
  if (!limits.present) return std::nullopt;
  return limits;
}

std::optional<Answer> NoLights(KeyboardDlg& dialog) {
  if (ZoneLimits(dialog, kZoneKeys)) return std::nullopt;
  return Answer::Failure(Reason::kNotSupported, ModelText(dialog) + " has no lights");
}

Found<int> FindZone(KeyboardDlg& dialog, const std::string& word) {
  const std::optional<int> zone = cli::ParseZone(word);
  if (!zone) {
    const std::string hint = cli::Suggestion(word, cli::ZoneWords());
    return Answer::Failure(Reason::kNotFound, "no such light zone: " + word +
                                                  (hint.empty() ? " (keys, side or top)" : hint));
  }
  if (std::optional<Answer> problem = NoLights(dialog)) return *problem;
  // Until the keyboard has been read only its key lights are known: without it the answer is
  // that it is missing, not that the zone is.
  if (!dialog.Capabilities().device) {
    if (std::optional<Answer> problem = KeyboardProblem(dialog)) return *problem;
  }
  if (!ZoneLimits(dialog, *zone)) {
    return Answer::Failure(Reason::kNotSupported,
                           ModelText(dialog) + " has no " + cli::ZoneWord(*zone) + " light");
  }
  return *zone;
}

Found<int> FindSlot(const std::string& word) {
  if (const std::optional<int> slot = cli::ParseSlot(word)) return *slot;
  return Answer::Failure(Reason::kInvalidValue,
                         "N is a custom slot, 128 to 132, not '" + word + "'");
}

Answer BadColour(const std::string& word) {
  return Answer::Failure(Reason::kInvalidValue,
                         "a colour is RRGGBB in hexadecimal, such as FF8000, not '" + word + "'");
}

// A zone's mode as the light page shows it.
struct ZoneState {
  int zone = kZoneKeys;
  int mode = 0;
  bool enabled = true;
  std::optional<storage::LightSettingRecord> record;
  int Offers() const { return record ? record->config_func : 0; }
};

ZoneState StateOf(KeyboardDlg& dialog, int zone) {
  lighting::LightingService& service = Service(dialog);
  const lighting::ZoneContent content = service.LoadZone(zone);
  const lighting::LightSelection selection = service.Selection();
  ZoneState state{zone, content.activeMode, selection.enabled, std::nullopt};
  if (zone == kZoneKeys && lighting::IsCustomMode(state.mode)) state.mode = selection.slot;
  state.record = service.Record(zone, state.mode);
  return state;
}

std::string ModeWord(int zone, int mode) {
  if (zone == kZoneKeys && lighting::IsCustomMode(mode)) return "custom";
  return cli::LightModeWord(zone, mode);
}

// Whether the zone's mode offers what a command changes, as the page shows that control.
std::optional<Answer> OfferProblem(const ZoneState& state, int offer, const std::string& what) {
  if (!state.enabled) {
    return Answer::Failure(Reason::kNotSupported,
                           "the light is off; switch it on first (tarvoctl light on)");
  }
  if ((state.Offers() & offer) != 0) return std::nullopt;
  return Answer::Failure(Reason::kNotSupported, "mode " + ModeWord(state.zone, state.mode) +
                                                    " of " + ZoneName(state.zone) + " has no " +
                                                    what);
}

std::optional<Answer> RangeProblem(int zone, int value, int maximum, const std::string& what) {
  const int top = maximum > 0 ? maximum : kByteMaximum;
  if (value <= top) return std::nullopt;
  return Answer::Failure(Reason::kInvalidValue, "the " + what + " of " + ZoneName(zone) +
                                                    " goes from 0 to " + std::to_string(top) +
                                                    ", not " + std::to_string(value));
}

// The zone a change names, its mode, and the keyboard there to receive it.
Found<ZoneState> ZoneToChange(KeyboardDlg& dialog, const std::string& word) {
  const Found<int> zone = FindZone(dialog, word);
  if (const Answer* failure = std::get_if<Answer>(&zone)) return *failure;
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return *problem;
  return StateOf(dialog, std::get<int>(zone));
}

// The outcome of a lighting operation: false means nothing was stored (or queued).
CommandOutcome Sent(KeyboardDlg& dialog, bool stored, const std::string& message, Json result) {
  if (!stored) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kFailed, "the change could not be stored; the lights keep what they had"));
  }
  result.Set("message", message + " (sent to the keyboard)");
  return AfterChange(dialog, [result] { return result; });
}

Json ZoneResult(int zone) {
  return Json::MakeObject().Set("zone", cli::ZoneWord(zone));
}

Json OffersJson(int offered) {
  Json list = Json::MakeArray();
  const bool perKey = (offered & offers::kPerKey) != 0;
  if (offered & offers::kBrightness) list.Push("brightness");
  if (offered & offers::kSpeed) list.Push("speed");
  if (offered & (offers::kLeftRight | offers::kUpDown)) list.Push("direction");
  if (!perKey && (offered & (offers::kColorPicker | offers::kSingleColor))) list.Push("colour");
  if (!perKey && (offered & offers::kSingleColor)) list.Push("colorful");
  if (perKey) list.Push("per-key");
  return list;
}

Json ZoneJson(KeyboardDlg& dialog, int zone, const protocol::LightLimits& limits) {
  const ZoneState state = StateOf(dialog, zone);
  Json json = ZoneResult(zone)
                  .Set("mode", ModeWord(zone, state.mode))
                  .Set("mode_number", state.mode)
                  .Set("offers", OffersJson(state.Offers()));
  if (lighting::IsCustomMode(state.mode)) json.Set("slot", state.mode);
  if (!state.record) return json;
  const storage::LightSettingRecord& record = *state.record;
  // As the page's sliders show them: a stored value above the keyboard's maximum at the end.
  const auto shown = [](int value, int maximum) {
    return maximum > 0 ? std::min(value, maximum) : value;
  };
  return json.Set("brightness", shown(record.brightness, limits.maxBrightness))
      .Set("max_brightness", limits.maxBrightness)
      .Set("speed", shown(record.speed, limits.maxSpeed))
      .Set("max_speed", limits.maxSpeed)
      .Set("direction", cli::DirectionWord(record.direction))
      .Set("colour", cli::ColourWord(static_cast<std::uint32_t>(record.color_value)))
      .Set("colorful", record.colorful == 1);
}

CommandOutcome LightValue(const CommandCall& call, int offer, const std::string& what) {
  KeyboardDlg& dialog = call.dialog;
  const int value = cli::ParseNumber(call.arguments[1]).value_or(0);  // digits: the table
  const Found<ZoneState> found = ZoneToChange(dialog, call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const ZoneState& state = std::get<ZoneState>(found);
  if (std::optional<Answer> problem = OfferProblem(state, offer, what))
    return CommandOutcome::Now(*problem);
  const protocol::LightLimits limits =
      ZoneLimits(dialog, state.zone).value_or(protocol::LightLimits{});
  const bool brightness = offer == offers::kBrightness;
  if (std::optional<Answer> problem = RangeProblem(
          state.zone, value, brightness ? limits.maxBrightness : limits.maxSpeed, what))
    return CommandOutcome::Now(*problem);
  const bool stored = brightness ? Service(dialog).SetZoneBrightness(state.zone, value)
                                 : Service(dialog).SetZoneSpeed(state.zone, value);
  return Sent(dialog, stored, ZoneName(state.zone) + ": " + what + " " + std::to_string(value),
              ZoneResult(state.zone).Set(what, value));
}

CommandOutcome LightSwitch(const CommandCall& call, bool on) {
  KeyboardDlg& dialog = call.dialog;
  if (std::optional<Answer> problem = NoLights(dialog)) return CommandOutcome::Now(*problem);
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  // The switch acts on the zone the page shows: the key lights, as the command says.
  Service(dialog).SelectZone(kZoneKeys);
  const bool stored = Service(dialog).SetLight(on);
  return Sent(dialog, stored, std::string("the key lights are ") + (on ? "on" : "off"),
              Json::MakeObject().Set("light", on));
}

}  // namespace

// The light
// ----------------------------------------------------------------------------------------

CommandOutcome LightShow(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  Json zones = Json::MakeArray();
  for (int zone : {lighting::kZoneKeys, lighting::kZoneSide, lighting::kZoneTop}) {
    if (const std::optional<protocol::LightLimits> limits = ZoneLimits(dialog, zone))
      zones.Push(ZoneJson(dialog, zone, *limits));
  }
  const lighting::LightSelection selection = Service(dialog).Selection();
  return CommandOutcome::Now(Answer::Success(Json::MakeObject()
                                                 .Set("profile", ActiveProfileJson(dialog))
                                                 .Set("light", selection.enabled)
                                                 .Set("slot", selection.slot)
                                                 .Set("zones", std::move(zones))));
}

CommandOutcome LightOn(const CommandCall& call) {
  return LightSwitch(call, true);
}

CommandOutcome LightOff(const CommandCall& call) {
  return LightSwitch(call, false);
}

CommandOutcome LightMode(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const Found<int> found = FindZone(dialog, call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const int zone = std::get<int>(found);
  const std::string& word = call.arguments[1];
  const std::optional<int> mode = cli::ParseLightMode(zone, word);
  if (!mode) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kNotFound, "no such mode of " + ZoneName(zone) + ": " + word +
                                               cli::Suggestion(word, cli::LightModeWords(zone))));
  }
  const lighting::ZoneContent content = Service(dialog).LoadZone(zone);
  if (std::none_of(content.listed.begin(), content.listed.end(),
                   [&](const auto& record) { return record.mode == *mode; })) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kNotSupported, ZoneName(zone) + " of this profile have no mode " + word));
  }
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  const bool stored = Service(dialog).SetZoneMode(zone, *mode);
  return Sent(dialog, stored, ZoneName(zone) + ": mode " + ModeWord(zone, *mode),
              ZoneResult(zone).Set("mode", ModeWord(zone, *mode)).Set("mode_number", *mode));
}

CommandOutcome LightBrightness(const CommandCall& call) {
  return LightValue(call, offers::kBrightness, "brightness");
}

CommandOutcome LightSpeed(const CommandCall& call) {
  return LightValue(call, offers::kSpeed, "speed");
}

CommandOutcome LightDirection(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::string& word = call.arguments[1];
  const std::optional<int> direction = cli::ParseDirection(word);
  if (!direction) {
    return CommandOutcome::Now(
        Answer::Failure(Reason::kInvalidValue, "D is left, right, up or down, not '" + word + "'"));
  }
  const Found<ZoneState> found = ZoneToChange(dialog, call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const ZoneState& state = std::get<ZoneState>(found);
  if (std::optional<Answer> problem =
          OfferProblem(state, offers::kLeftRight | offers::kUpDown, "direction"))
    return CommandOutcome::Now(*problem);
  // Left and right come first: a mode that offers both pairs shows those.
  const bool leftRight = (state.Offers() & offers::kLeftRight) != 0;
  const bool horizontal =
      *direction == lighting::kDirectionLeft || *direction == lighting::kDirectionRight;
  if (leftRight != horizontal) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kInvalidValue, "mode " + ModeWord(state.zone, state.mode) + " of " +
                                   ZoneName(state.zone) + " runs " +
                                   (leftRight ? "left or right" : "up or down") + ", not " + word));
  }
  const bool stored = Service(dialog).SetZoneDirection(state.zone, *direction);
  return Sent(dialog, stored,
              ZoneName(state.zone) + ": direction " + cli::DirectionWord(*direction),
              ZoneResult(state.zone).Set("direction", cli::DirectionWord(*direction)));
}

CommandOutcome LightColour(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const std::optional<std::uint32_t> colour = cli::ParseColour(call.arguments[1]);
  if (!colour) return CommandOutcome::Now(BadColour(call.arguments[1]));
  const Found<ZoneState> found = ZoneToChange(dialog, call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const ZoneState& state = std::get<ZoneState>(found);
  if (std::optional<Answer> problem =
          OfferProblem(state, offers::kColorPicker | offers::kSingleColor, "colour"))
    return CommandOutcome::Now(*problem);
  if (state.Offers() & offers::kPerKey) {
    return CommandOutcome::Now(Answer::Failure(
        Reason::kNotSupported, "a custom slot is coloured with 'slot paint' or 'slot fill'"));
  }
  const bool stored = Service(dialog).SetZoneColor(state.zone, *colour);
  const std::string word = cli::ColourWord(*colour);
  return Sent(dialog, stored, ZoneName(state.zone) + ": colour " + word,
              ZoneResult(state.zone).Set("colour", word));
}

CommandOutcome LightColorful(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const Found<ZoneState> found = ZoneToChange(dialog, call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const ZoneState& state = std::get<ZoneState>(found);
  if (std::optional<Answer> problem = OfferProblem(state, offers::kSingleColor, "colorful variant"))
    return CommandOutcome::Now(*problem);
  const bool stored = Service(dialog).SetZoneColorful(state.zone);
  return Sent(dialog, stored, ZoneName(state.zone) + ": colorful",
              ZoneResult(state.zone).Set("colorful", true));
}

// The custom slots
// ---------------------------------------------------------------------------------

CommandOutcome SlotSelect(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const Found<int> found = FindSlot(call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const int slot = std::get<int>(found);
  if (std::optional<Answer> problem = NoLights(dialog)) return CommandOutcome::Now(*problem);
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  const bool stored = Service(dialog).SelectSlot(slot);
  return Sent(dialog, stored, "the key lights show slot " + std::to_string(slot),
              Json::MakeObject().Set("slot", slot));
}

CommandOutcome SlotPaint(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const Found<int> found = FindSlot(call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const int slot = std::get<int>(found);
  const std::shared_ptr<const LayoutTables> layout = dialog.Layout();
  std::vector<lighting::KeyColor> colors;
  for (std::size_t i = 1; i < call.arguments.size(); ++i) {
    const std::string& word = call.arguments[i];
    const std::optional<cli::KeyColourWord> pair = cli::SplitKeyColour(word);
    if (!pair) {
      return CommandOutcome::Now(
          Answer::Failure(Reason::kInvalidValue, "'" + word + "' is no KEY=RRGGBB pair"));
    }
    const std::variant<NamedKey, Answer> key = FindKey(dialog, pair->key);
    if (const Answer* failure = std::get_if<Answer>(&key)) return CommandOutcome::Now(*failure);
    const NamedKey& named = std::get<NamedKey>(key);
    if (!pair->color) return CommandOutcome::Now(BadColour(word.substr(pair->key.size() + 1)));
    if (!layout->FindLightIndex(named.code)) {
      return CommandOutcome::Now(
          Answer::Failure(Reason::kInvalidValue, "key " + named.name + " has no light"));
    }
    colors.push_back({named.code, *pair->color});
  }
  if (std::optional<Answer> problem = NoLights(dialog)) return CommandOutcome::Now(*problem);
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  const bool stored = Service(dialog).PaintSlot(slot, colors);
  return Sent(dialog, stored,
              "slot " + std::to_string(slot) + ": " + std::to_string(colors.size()) +
                  (colors.size() == 1 ? " key" : " keys") + " painted, the slot shown",
              Json::MakeObject().Set("slot", slot).Set("painted", static_cast<int>(colors.size())));
}

CommandOutcome SlotFill(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const Found<int> found = FindSlot(call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const int slot = std::get<int>(found);
  const std::optional<std::uint32_t> colour = cli::ParseColour(call.arguments[1]);
  if (!colour) return CommandOutcome::Now(BadColour(call.arguments[1]));
  if (std::optional<Answer> problem = NoLights(dialog)) return CommandOutcome::Now(*problem);
  if (std::optional<Answer> problem = KeyboardProblem(dialog)) return CommandOutcome::Now(*problem);
  const bool stored = Service(dialog).FillSlot(slot, *colour);
  const std::string word = cli::ColourWord(*colour);
  return Sent(dialog, stored, "slot " + std::to_string(slot) + " filled with " + word + ", shown",
              Json::MakeObject().Set("slot", slot).Set("colour", word));
}

CommandOutcome SlotShow(const CommandCall& call) {
  KeyboardDlg& dialog = call.dialog;
  const Found<int> found = FindSlot(call.arguments[0]);
  if (const Answer* failure = std::get_if<Answer>(&found)) return CommandOutcome::Now(*failure);
  const int slot = std::get<int>(found);
  const std::shared_ptr<const LayoutTables> layout = dialog.Layout();
  Json keys = Json::MakeArray();
  for (const lighting::KeyColor& key : Service(dialog).StoredSlotColors(slot)) {
    keys.Push(Json::MakeObject()
                  .Set("key", KeyName(*layout, key.code))
                  .Set("code", key.code)
                  .Set("colour", cli::ColourWord(key.color)));
  }
  return CommandOutcome::Now(Answer::Success(Json::MakeObject()
                                                 .Set("profile", ActiveProfileJson(dialog))
                                                 .Set("slot", slot)
                                                 .Set("keys", std::move(keys))));
}

#include "sim/VirtualKeyboard.h"

#include <sstream>
#include <vector>

#include "base/Text.h"
#include "sim/CatalogueReader.h"
#include "sim/KeyboardModels.h"
#include "sim/StateReport.h"

namespace sim {

namespace {

void SetError(std::string* error, std::string text) {
  if (error != nullptr) *error = std::move(text);
}

bool IsNumber(std::string_view text) {
  return !text.empty() && text.size() <= 6 &&
         text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t start = 0;
  while (start < line.size()) {
    const std::size_t begin = line.find_first_not_of(" \t\r\n", start);
    if (begin == std::string_view::npos) break;
    std::size_t end = line.find_first_of(" \t\r\n", begin);
    if (end == std::string_view::npos) end = line.size();
    words.push_back(line.substr(begin, end - begin));
    start = end;
  }
  return words;
}

// A trailing "kbN" names the keyboard; without it the first one is meant.
std::optional<KeyboardId> TakeKeyboard(const VirtualHidBus& bus,
                                       std::vector<std::string_view>& words) {
  const std::vector<KeyboardId> keyboards = bus.Keyboards();
  if (!words.empty() && words.back().substr(0, 2) == "kb" && IsNumber(words.back().substr(2))) {
    const KeyboardId wanted = base::ToInt(words.back().substr(2));
    words.pop_back();
    for (const KeyboardId id : keyboards) {
      if (id == wanted) return id;
    }
    return std::nullopt;
  }
  if (keyboards.empty()) return std::nullopt;
  return keyboards.front();
}

std::string Listing(const VirtualHidBus& bus) {
  std::ostringstream out;
  for (const KeyboardId id : bus.Keyboards()) {
    const auto hardware = bus.Hardware(id);
    const auto state = bus.State(id);
    if (!hardware || !state) continue;
    out << "kb" << id << " model " << hardware->modelId
        << " cable=" << (bus.IsPlugged(id, Link::kCable) ? "plugged" : "unplugged")
        << " receiver=" << (bus.IsPlugged(id, Link::kReceiver) ? "plugged" : "unplugged")
        << " screen=" << (bus.IsPlugged(id, Link::kScreen) ? "open" : "closed")
        << " asleep=" << (bus.IsAsleep(id) ? "yes" : "no")
        << " battery=" << static_cast<int>(state->batteryLevel) << '\n';
  }
  return out.str();
}

std::string Connection(VirtualHidBus& bus, std::string_view verb,
                       std::vector<std::string_view> words) {
  const auto keyboard = TakeKeyboard(bus, words);
  if (!keyboard || words.size() != 2)
    return "error: usage: " + std::string(verb) + " cable|receiver [kbN]";
  const bool plug = verb == "plug";
  bool done = false;
  if (words[1] == "cable") {
    done = plug ? bus.PlugCable(*keyboard) : bus.UnplugCable(*keyboard);
  } else if (words[1] == "receiver") {
    done = plug ? bus.PlugReceiver(*keyboard) : bus.UnplugReceiver(*keyboard);
  } else {
    return "error: unknown connection '" + std::string(words[1]) + "'";
  }
  return done ? "ok" : "error: nothing to " + std::string(verb);
}

std::string Battery(VirtualHidBus& bus, std::vector<std::string_view> words) {
  const auto keyboard = TakeKeyboard(bus, words);
  if (!keyboard || words.size() < 2 || words.size() > 3 || !IsNumber(words[1]) ||
      (words.size() == 3 && !IsNumber(words[2]))) {
    return "error: usage: battery LEVEL [CHARGING] [kbN]";
  }
  const int level = base::ToInt(words[1]);
  const int charging = words.size() == 3 ? base::ToInt(words[2]) : 0;
  if (level > 100 || charging > 255) return "error: battery level is 0 to 100";
  bus.ModifyState(*keyboard, [&](KeyboardState& state) {
    state.batteryLevel = static_cast<std::uint8_t>(level);
    state.batteryCharging = static_cast<std::uint8_t>(charging);
  });
  return "ok";
}

std::string FrameLogCommand(VirtualHidBus& bus, const std::vector<std::string_view>& words) {
  if (words.size() != 2) return "error: usage: log on|off|clear|show";
  if (words[1] == "on" || words[1] == "off") {
    bus.SetFrameLogging(words[1] == "on");
  } else if (words[1] == "clear") {
    bus.ClearFrameLog();
  } else if (words[1] == "show") {
    return bus.FrameLogText();
  } else {
    return "error: usage: log on|off|clear|show";
  }
  return "ok";
}

}  // namespace

std::optional<VirtualKeyboardOption> ParseVirtualKeyboardOption(std::string_view option) {
  VirtualKeyboardOption parsed;
  option = base::Trim(option);
  if (option.empty()) return parsed;
  bool first = true;
  bool cable = false;
  while (!option.empty() || first) {
    const std::size_t comma = option.find(',');
    const std::string_view word = base::Trim(option.substr(0, comma));
    option = comma == std::string_view::npos ? std::string_view() : option.substr(comma + 1);
    if (first && IsNumber(word)) {
      parsed.modelId = base::ToInt(word);
    } else if (word == "receiver") {
      parsed.receiver = true;
    } else if (word == "asleep") {
      // Only a keyboard behind its receiver can sleep with the receiver still there.
      parsed.receiver = true;
      parsed.asleep = true;
    } else if (word == "cable") {
      cable = true;
    } else {
      return std::nullopt;
    }
    first = false;
  }
  if (cable && parsed.receiver) return std::nullopt;
  return parsed;
}

std::optional<KeyboardId> AddCatalogueKeyboard(VirtualHidBus& bus,
                                               const std::filesystem::path& appFolder, int modelId,
                                               std::string* error) {
  const auto catalogue = Catalogue::Load(appFolder, error);
  if (!catalogue) return std::nullopt;
  const CatalogueModel* model = catalogue->Find(modelId);
  if (model == nullptr) {
    SetError(error, "config.xml has no model " + std::to_string(modelId));
    return std::nullopt;
  }
  const auto layout = LoadLayout(appFolder, model->layoutName, error);
  if (!layout) return std::nullopt;
  const ModelFeatures features = FeaturesOfModel(modelId);
  KeyboardHardware hardware = HardwareOf(*model);
  hardware.releaseNumber = features.info.firmwareVersion;
  return bus.AddKeyboard(hardware, MakeFactoryState(hardware, features, *layout));
}

std::unique_ptr<VirtualHidBus> MakeVirtualKeyboardBus(const std::filesystem::path& appFolder,
                                                      std::string_view option, std::string* error) {
  const auto parsed = ParseVirtualKeyboardOption(option);
  if (!parsed) {
    SetError(error, "--virtual-keyboard takes MODEL[,receiver|,asleep], not '" +
                        std::string(option) + "'");
    return nullptr;
  }
  auto bus = std::make_unique<VirtualHidBus>();
  const auto keyboard = AddCatalogueKeyboard(*bus, appFolder, parsed->modelId, error);
  if (!keyboard) return nullptr;
  if (parsed->asleep) bus->SetAsleep(*keyboard, true);
  const bool plugged = parsed->receiver ? bus->PlugReceiver(*keyboard) : bus->PlugCable(*keyboard);
  if (!plugged) {
    SetError(error, "model " + std::to_string(parsed->modelId) + " has no " +
                        (parsed->receiver ? "receiver" : "cable") + " mode in config.xml");
    return nullptr;
  }
  return bus;
}

std::string RunControlCommand(VirtualHidBus& bus, std::string_view line) {
  std::vector<std::string_view> words = Words(line);
  if (words.empty()) return "error: empty command";
  const std::string_view verb = words.front();
  if (verb == "list") return Listing(bus);
  if (verb == "plug" || verb == "unplug") return Connection(bus, verb, words);
  if (verb == "battery") return Battery(bus, words);
  if (verb == "log") return FrameLogCommand(bus, words);
  if (verb == "state") {
    const auto keyboard = TakeKeyboard(bus, words);
    if (!keyboard) return "error: no such keyboard";
    if (words.size() != 1) return "error: usage: state [kbN]";
    return DescribeKeyboard(bus, *keyboard).DumpPretty();
  }
  if (verb == "sleep" || verb == "wake" || verb == "faults") {
    const auto keyboard = TakeKeyboard(bus, words);
    if (!keyboard) return "error: no such keyboard";
    if (verb == "faults") {
      if (words.size() != 2 || words[1] != "clear") return "error: usage: faults clear [kbN]";
      bus.ClearFaults(*keyboard);
      return "ok";
    }
    if (words.size() != 1) return "error: usage: " + std::string(verb) + " [kbN]";
    return bus.SetAsleep(*keyboard, verb == "sleep") ? "ok" : "error: nothing to change";
  }
  return "error: unknown command '" + std::string(verb) + "'";
}

}  // namespace sim

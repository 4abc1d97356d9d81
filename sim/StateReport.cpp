#include "sim/StateReport.h"

#include <openssl/evp.h>

#include <array>
#include <cstdio>

#include "sim/MacroMemory.h"

namespace sim {
namespace {

using base::Json;

// Where the media table keeps its images: their count in byte 1, then five bytes per image
// from byte 3 on (start block, a byte the keyboard ignores, the size in three bytes, least
// significant first).
constexpr std::size_t kTableCount = 1;
constexpr std::size_t kTableFirstEntry = 3;
constexpr std::size_t kTableEntryLength = 5;

std::string Hex16(std::uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04x", value);
  return text;
}

Json Counts(const std::map<std::uint8_t, int>& counts) {
  Json object = Json::MakeObject();
  for (const auto& [command, count] : counts) {
    char name[8];
    std::snprintf(name, sizeof name, "0x%02x", command);
    object.Set(name, count);
  }
  return object;
}

template <std::size_t N, std::size_t M>
Json HexTables(const std::array<std::array<std::uint8_t, M>, N>& tables) {
  Json array = Json::MakeArray();
  for (const auto& table : tables) array.Push(HexBytes(table));
  return array;
}

// The macros the memory holds, by slot, each event as "delay:code:flags" in hex; or what is
// wrong with the memory.
Json Macros(const std::vector<std::uint8_t>& memory) {
  std::string problem;
  const std::optional<MacroMemoryReading> reading = ReadMacroMemory(memory, &problem);
  if (!reading) return Json::MakeObject().Set("problem", problem);
  Json slots = Json::MakeArray();
  for (const auto& events : reading->macros) {
    Json list = Json::MakeArray();
    for (const PlayedMacroEvent& event : events) {
      char text[16];
      std::snprintf(text, sizeof text, "%04x:%02x:%02x", event.delay, event.code, event.flags);
      list.Push(text);
    }
    slots.Push(std::move(list));
  }
  return Json::MakeObject()
      .Set("length", static_cast<std::int64_t>(reading->length))
      .Set("slots", std::move(slots));
}

Json LightModes(const SettingsBlock& settings) {
  Json modes = Json::MakeObject();
  const std::pair<const char*, LightZone> zones[] = {{"zone0", LightZone::kZone0},
                                                     {"zone1", LightZone::kZone1},
                                                     {"zone2", LightZone::kZone2},
                                                     {"matrix", LightZone::kMatrix}};
  for (const auto& [name, zone] : zones) {
    const LightRegion region = ReadLightRegion(settings, zone);
    modes.Set(name, Json::MakeObject()
                        .Set("mode", region.mode)
                        .Set("brightness", region.brightness)
                        .Set("speed", region.speed)
                        .Set("colorful", region.colorful)
                        .Set("color_index", region.colorIndex)
                        .Set("red", region.red)
                        .Set("green", region.green)
                        .Set("blue", region.blue));
  }
  return modes;
}

Json SystemSettingsOf(const KeyboardState& state) {
  const SystemSettings settings = ReadSystemSettings(state.settings, state.info.protocolRevision);
  return Json::MakeObject()
      .Set("game_mode", settings.gameMode)
      .Set("mac_mode", settings.macMode)
      .Set("lock_win", settings.lockWin)
      .Set("wasd_swap", settings.wasdSwap)
      .Set("key_response", settings.keyResponse)
      .Set("sleep_seconds", static_cast<std::int64_t>(settings.sleepSeconds));
}

// The images the media table names, each with the SHA-256 of what the flash holds there.
Json ScreenImages(const ScreenState& screen) {
  Json images = Json::MakeArray();
  const std::size_t capacity = (screen.mediaTable.size() - kTableFirstEntry) / kTableEntryLength;
  const std::size_t count = std::min<std::size_t>(screen.mediaTable[kTableCount], capacity);
  for (std::size_t k = 0; k < count; ++k) {
    const std::uint8_t* entry = screen.mediaTable.data() + kTableFirstEntry + k * kTableEntryLength;
    const std::uint32_t start = entry[0];
    const std::uint32_t size = entry[2] | (entry[3] << 8) | (entry[4] << 16);
    const std::uint64_t address = static_cast<std::uint64_t>(start) * ScreenFlash::kBlockSize;
    Json image = Json::MakeObject()
                     .Set("start_block", static_cast<int>(start))
                     .Set("size", static_cast<std::int64_t>(size));
    // A table that points past the flash names nothing that could be read.
    if (address + size <= screen.flash.size) {
      image.Set("sha256", Sha256Hex(screen.flash.Read(static_cast<std::uint32_t>(address), size)));
    } else {
      image.Set("sha256", nullptr);
    }
    images.Push(std::move(image));
  }
  return images;
}

Json Screen(const ScreenState& screen) {
  return Json::MakeObject()
      .Set("present", screen.present)
      .Set("session_open", screen.sessionOpen)
      .Set("flash_table", HexBytes(screen.mediaTable))
      .Set("table_commits", screen.tableCommits)
      .Set("images", ScreenImages(screen))
      .Set("clock", screen.clockDigits ? Json(HexBytes(*screen.clockDigits)) : Json())
      .Set("writes_over_unerased", static_cast<std::int64_t>(screen.flash.writesOverUnerased))
      .Set("packets_received", Counts(screen.packetsByCommand));
}

Json Connection(const VirtualHidBus& bus, KeyboardId keyboard) {
  const bool cable = bus.IsPlugged(keyboard, Link::kCable);
  const bool receiver = bus.IsPlugged(keyboard, Link::kReceiver);
  const char* link = cable                    ? "online"
                     : !receiver              ? "none"
                     : bus.IsAsleep(keyboard) ? "asleep"
                                              : "online";
  return Json::MakeObject()
      .Set("cable", cable)
      .Set("receiver", receiver)
      .Set("screen_channel", bus.IsPlugged(keyboard, Link::kScreen))
      .Set("link", link);
}

Json Counters(const SessionCounters& counters) {
  return Json::MakeObject()
      .Set("bracket_opens", counters.bracketOpens)
      .Set("bracket_closes", counters.bracketCloses)
      .Set("factory_resets", counters.factoryResets)
      .Set("matrix_starts", counters.matrixStarts)
      .Set("page_visits", counters.pageVisits)
      .Set("screen_channel_requests", counters.screenChannelRequests);
}

}  // namespace

std::string HexBytes(std::span<const std::uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (const std::uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

std::string Sha256Hex(std::span<const std::uint8_t> bytes) {
  std::array<std::uint8_t, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) != 1)
    return {};
  return HexBytes(std::span(digest.data(), length));
}

base::Json DescribeKeyboard(const VirtualHidBus& bus, KeyboardId keyboard) {
  const std::optional<KeyboardState> found = bus.State(keyboard);
  const std::optional<KeyboardHardware> hardware = bus.Hardware(keyboard);
  if (!found || !hardware) return {};
  const KeyboardState& state = *found;
  return Json::MakeObject()
      .Set("keyboard", "kb" + std::to_string(keyboard))
      .Set("model", state.modelId)
      .Set("vendor_id", Hex16(state.vendorId))
      .Set("product_id", Hex16(state.productId))
      .Set("connection", Connection(bus, keyboard))
      .Set("battery", Json::MakeObject()
                          .Set("present", state.hasBattery)
                          .Set("level", state.batteryLevel)
                          .Set("charging", state.batteryCharging))
      .Set("information",
           HexBytes(EncodeInformationBlock(state.info, state.vendorId, state.productId)))
      .Set("settings", HexBytes(state.settings))
      .Set("system_settings", SystemSettingsOf(state))
      .Set("light_modes", LightModes(state.settings))
      .Set("layers", HexTables(state.layers))
      .Set("factory_layers", HexTables(state.factoryLayers))
      .Set("light_indices", HexBytes(state.lightIndices))
      .Set("knob_indices", HexBytes(state.knobIndices))
      .Set("custom_slots", HexTables(state.customSlots))
      .Set("live_colours", HexBytes(ComputeLiveColours(state, Clock::now())))
      .Set("matrix_picture", HexBytes(state.matrixPicture))
      .Set("macro_memory", HexBytes(state.macroMemory))
      .Set("macros", Macros(state.macroMemory))
      .Set("screen", Screen(state.screen))
      .Set("frames_received", Counts(state.counters.framesByCommand))
      .Set("counters", Counters(state.counters));
}

}  // namespace sim

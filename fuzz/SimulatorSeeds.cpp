// Writes seed inputs for the protocol fuzz targets from what the virtual keyboards of the
// shipped catalogue really send: replies and notifications, factory key tables, settings
// blocks, colour tables. Usage: fuzz_simulator_seeds <corpus folder> (fuzz/corpus).

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "sim/Firmware.h"
#include "sim/VirtualKeyboard.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

void Write(const fs::path& file, std::span<const std::uint8_t> bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Bytes Frame(std::uint8_t command, std::uint16_t offset, std::uint8_t length, std::size_t size) {
  Bytes frame(size, 0);
  frame[0] = 0xAA;
  frame[1] = command;
  frame[2] = static_cast<std::uint8_t>(offset & 0xFF);
  frame[3] = static_cast<std::uint8_t>(offset >> 8);
  frame[4] = length;
  return frame;
}

Bytes Concat(std::initializer_list<std::span<const std::uint8_t>> pieces) {
  Bytes all;
  for (const auto piece : pieces) all.insert(all.end(), piece.begin(), piece.end());
  return all;
}

struct Reply {
  const char* name;
  std::uint8_t command;
  std::uint16_t offset;
  std::uint8_t length;
};

void WriteReplies(const fs::path& folder, const std::string& model, sim::KeyboardState state) {
  const auto now = sim::Clock::now();
  const Reply cable[] = {
      {"info", 0x12, 0, 56},          {"battery", 0x30, 0, 24}, {"settings", 0x14, 0, 56},
      {"settings_tail", 0x14, 56, 8}, {"bracket", 0x10, 0, 0},  {"factory_layer", 0x16, 0, 56},
      {"light_indices", 0x32, 0, 56}, {"knob", 0x3E, 0, 56},    {"unknown", 0x7F, 0, 0},
  };
  for (const Reply& r : cable) {
    const auto outcome = sim::HandleKeyboardFrame(state, Frame(r.command, r.offset, r.length, 64),
                                                  sim::Link::kCable, now);
    if (outcome.reply) Write(folder / (model + "_" + r.name), outcome.reply->View());
  }
  for (const bool awake : {true, false}) {
    const std::string suffix = awake ? "" : "_asleep";
    for (const std::uint8_t command : {std::uint8_t{0xD0}, std::uint8_t{0x10}}) {
      const auto outcome = sim::HandleReceiverFrame(state, Frame(command, 0, 0, 32), awake, now);
      if (!outcome.reply) continue;
      Write(folder / (model + (command == 0xD0 ? "_receiver_link" : "_receiver_identity") + suffix),
            outcome.reply->View());
    }
    Write(folder / (model + "_notification" + suffix),
          sim::MakeLinkNotification(state, awake, 32).View());
  }
}

void WriteTables(const fs::path& corpus, const std::string& model,
                 const sim::KeyboardState& state) {
  const Bytes macros = {3, 0, 0, 0};  // macro ids 1, 2, 3
  for (std::size_t layer = 0; layer < 2; ++layer) {
    Write(corpus / "key_tables" / (model + "_layer" + std::to_string(layer)),
          Concat({macros, state.factoryLayers[layer], state.lightIndices, state.knobIndices}));
  }
  const Bytes head = {state.info.protocolRevision, state.info.zone0.maxSpeed};
  Write(corpus / "settings_block" / (model + "_factory"), Concat({head, state.settings}));
  const Bytes table = {0};
  Write(corpus / "colors" / (model + "_rainbow_slot"), Concat({table, state.customSlots[4]}));
  Write(corpus / "colors" / (model + "_matrix_picture"), Concat({table, state.matrixPicture}));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
    return 2;
  }
  const fs::path corpus = argv[1];
  sim::VirtualHidBus bus;
  for (const int model : {101, 102, 103, 160}) {
    std::string error;
    const auto id =
        sim::AddCatalogueKeyboard(bus, fs::path(TARVO_SOURCE_DIR) / "data", model, &error);
    if (!id) {
      std::fprintf(stderr, "model %d: %s\n", model, error.c_str());
      return 1;
    }
    const sim::KeyboardState state = *bus.State(*id);
    const std::string name = "sim" + std::to_string(model);
    WriteReplies(corpus / "reply", name, state);
    WriteTables(corpus, name, state);
  }
  return 0;
}

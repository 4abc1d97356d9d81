// CPU cost of request/reply exchanges through the HID seam with the simulated keyboard
// (target: one exchange well under 5 microseconds).

#include <benchmark/benchmark.h>

#include <array>
#include <memory>

#include "sim/VirtualHidBus.h"

namespace {

// A full-size keyboard without files: 104 keys lit one to one.
sim::KeyboardId AddKeyboard(sim::VirtualHidBus& bus) {
  sim::Layout layout;
  for (int index = 0; index < 104; ++index) {
    layout.keys.push_back({0x04 + index % 0x60, index, index, ""});
  }
  sim::KeyboardHardware hardware;
  hardware.modelId = 101;
  hardware.vendorId = 0x36B0;
  hardware.cableProductId = 0x3001;
  hardware.receiverProductId = 0x3011;
  const sim::KeyboardId id =
      bus.AddKeyboard(hardware, sim::MakeFactoryState(hardware, sim::FeaturesOfModel(101), layout));
  bus.PlugCable(id);
  bus.PlugReceiver(id);
  return id;
}

std::unique_ptr<device::HidDevice> OpenCommand(sim::VirtualHidBus& bus, std::uint16_t productId) {
  for (const auto& info : bus.Enumerate(0x36B0, productId)) {
    if (info.usagePage == sim::kCommandUsagePage) return bus.Open(info.path);
  }
  return nullptr;
}

void Exchange(benchmark::State& state, std::uint16_t productId, std::uint8_t command) {
  sim::VirtualHidBus bus;
  AddKeyboard(bus);
  const auto device = OpenCommand(bus, productId);
  const auto length = static_cast<std::size_t>(device->OutputReportLength());
  std::array<std::uint8_t, 65> report{};
  report[1] = 0xAA;
  report[2] = command;
  report[5] = static_cast<std::uint8_t>(length < 65 ? 24 : 56);
  std::array<std::uint8_t, 64> reply{};
  for (auto _ : state) {
    device->Write({report.data(), length});
    const int count = device->Read(reply, 200);
    benchmark::DoNotOptimize(count);
    benchmark::DoNotOptimize(reply);
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_SettingsChunkByCable(benchmark::State& state) {
  Exchange(state, 0x3001, 0x14);
}
void BM_SettingsChunkThroughReceiver(benchmark::State& state) {
  Exchange(state, 0x3011, 0x14);
}
void BM_LiveColourChunk(benchmark::State& state) {
  Exchange(state, 0x3001, 0x34);
}
void BM_BracketOpen(benchmark::State& state) {
  Exchange(state, 0x3001, 0x10);
}

// A whole 384-byte layer read: seven exchanges.
void BM_LayerRead(benchmark::State& state) {
  sim::VirtualHidBus bus;
  AddKeyboard(bus);
  const auto device = OpenCommand(bus, 0x3001);
  std::array<std::uint8_t, 65> report{};
  std::array<std::uint8_t, 64> reply{};
  std::array<std::uint8_t, 384> layer{};
  for (auto _ : state) {
    for (std::size_t offset = 0; offset < layer.size(); offset += 56) {
      const std::size_t count = std::min<std::size_t>(56, layer.size() - offset);
      report = {0,
                0xAA,
                0x1A,
                static_cast<std::uint8_t>(offset & 0xFF),
                static_cast<std::uint8_t>(offset >> 8),
                static_cast<std::uint8_t>(count)};
      device->Write(report);
      device->Read(reply, 200);
      std::copy_n(reply.begin() + 8, count, layer.begin() + static_cast<std::ptrdiff_t>(offset));
    }
    benchmark::DoNotOptimize(layer);
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_BracketOpen);
BENCHMARK(BM_SettingsChunkByCable);
BENCHMARK(BM_SettingsChunkThroughReceiver);
BENCHMARK(BM_LiveColourChunk);
BENCHMARK(BM_LayerRead);

}  // namespace

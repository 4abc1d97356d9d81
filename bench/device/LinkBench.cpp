// Costs of the device link against the simulated keyboard:
// - CPU per 384-byte TransferBlock (a key layer) with the pacing sleep skipped (target: under
//   50 microseconds); the drain before every chunk's write costs one read on an empty queue
//   each (BM_EmptyQueueRead), and the first drain of a transfer waits 1 ms;
// - wall time of an enumeration with the real pauses, per opened interface (dominated by the
//   200 ms pause before each open).

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/HidDeviceManager.h"
#include "sim/CatalogueReader.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"

namespace {

const std::filesystem::path kFixtures =
    std::filesystem::path(TARVO_SOURCE_DIR) / "tests" / "sim" / "fixtures";

void AddCatalogue(device::HidDeviceManager& link) {
  const auto catalogue = sim::Catalogue::Load(kFixtures);
  if (!catalogue) return;
  for (const auto& model : catalogue->Models()) {
    for (const auto& mode : model.modes) {
      link.AddCatalogueEntry(
          {mode.vendorId, mode.productId, mode.productName, model.modelId, mode.value});
    }
  }
}

bool Plug(sim::VirtualHidBus& bus, bool cable, bool receiver) {
  const auto id = sim::AddCatalogueKeyboard(bus, kFixtures, 101);
  if (!id) return false;
  if (cable) bus.PlugCable(*id);
  if (receiver) bus.PlugReceiver(*id);
  return true;
}

// The simulator's devices, except that the drain's short polls come back empty at once:
// nothing is ever pending at a drain here, so this leaves the link's own work.
class SilentPollBus final : public device::HidApi {
 public:
  explicit SilentPollBus(sim::VirtualHidBus& inner) : inner_(inner) {}
  std::vector<device::HidDeviceInfo> Enumerate(std::uint16_t vendorId,
                                               std::uint16_t productId) override {
    return inner_.Enumerate(vendorId, productId);
  }
  std::unique_ptr<device::HidDevice> Open(const std::string& path) override;
  std::optional<device::HidCapabilities> QueryCapabilities(const std::string& path) override {
    return inner_.QueryCapabilities(path);
  }

 private:
  sim::VirtualHidBus& inner_;
};

class SilentPollDevice final : public device::HidDevice {
 public:
  explicit SilentPollDevice(std::unique_ptr<device::HidDevice> inner) : inner_(std::move(inner)) {}
  int Write(std::span<const std::uint8_t> report) override { return inner_->Write(report); }
  int Read(std::span<std::uint8_t> buffer, int timeoutMs) override {
    return timeoutMs <= 1 ? 0 : inner_->Read(buffer, timeoutMs);
  }
  int InputReportLength() const override { return inner_->InputReportLength(); }
  int OutputReportLength() const override { return inner_->OutputReportLength(); }
  void Cancel() override { inner_->Cancel(); }

 private:
  std::unique_ptr<device::HidDevice> inner_;
};

std::unique_ptr<device::HidDevice> SilentPollBus::Open(const std::string& path) {
  auto device = inner_.Open(path);
  if (!device) return nullptr;
  return std::make_unique<SilentPollDevice>(std::move(device));
}

void TransferLayer(benchmark::State& state, bool cable, bool silentPolls = false) {
  sim::VirtualHidBus bus;
  SilentPollBus polls(bus);
  device::HidDeviceManager link(silentPolls ? static_cast<device::HidApi&>(polls) : bus);
  AddCatalogue(link);
  link.SetSleeper([](std::chrono::milliseconds) {});
  if (!Plug(bus, cable, !cable)) {
    state.SkipWithError("the fixture keyboard cannot be made");
    return;
  }
  link.EnumerateDevice();
  link.SetSelectedModel(101);
  std::vector<std::uint8_t> layer(384, 0);
  for (auto _ : state) {
    const bool done = link.TransferBlock(0x1A, layer);
    if (!done) state.SkipWithError("transfer failed");
    benchmark::DoNotOptimize(layer.data());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_TransferBlock384ByCable(benchmark::State& state) {
  TransferLayer(state, true);
}
void BM_TransferBlock384ThroughReceiver(benchmark::State& state) {
  TransferLayer(state, false);
}
void BM_TransferBlock384ByCableWithoutDrainWaits(benchmark::State& state) {
  TransferLayer(state, true, true);
}
BENCHMARK(BM_TransferBlock384ByCable)->Iterations(500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TransferBlock384ByCableWithoutDrainWaits)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TransferBlock384ThroughReceiver)->Iterations(500)->Unit(benchmark::kMicrosecond);

// What each drain costs before it finds nothing: the simulator's timed wait on an empty
// queue, a futex call even with no time to wait. A transfer pays it once per chunk.
void BM_EmptyQueueRead(benchmark::State& state) {
  sim::VirtualHidBus bus;
  if (!Plug(bus, true, false)) {
    state.SkipWithError("the fixture keyboard cannot be made");
    return;
  }
  std::unique_ptr<device::HidDevice> handle;
  for (const auto& info : bus.Enumerate(0, 0)) {
    if (info.usagePage == device::kCommandUsagePage) handle = bus.Open(info.path);
  }
  std::array<std::uint8_t, 64> buffer{};
  for (auto _ : state) benchmark::DoNotOptimize(handle->Read(buffer, 0));
}
BENCHMARK(BM_EmptyQueueRead)->Unit(benchmark::kMicrosecond);

void Enumerate(benchmark::State& state, bool cable, bool receiver) {
  sim::VirtualHidBus bus;
  device::HidDeviceManager link(bus);
  AddCatalogue(link);
  if (!Plug(bus, cable, receiver)) {
    state.SkipWithError("the fixture keyboard cannot be made");
    return;
  }
  std::size_t interfaces = 0;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    link.EnumerateDevice();
    std::vector<device::DeviceRecordInfo> records;
    link.GetDevices(records);
    interfaces += records.size();
  }
  const std::chrono::duration<double, std::milli> elapsed =
      std::chrono::steady_clock::now() - start;
  if (interfaces > 0) {
    state.counters["ms_per_interface"] = elapsed.count() / static_cast<double>(interfaces);
  }
}

void BM_EnumerateCable(benchmark::State& state) {
  Enumerate(state, true, false);
}
void BM_EnumerateCableAndReceiver(benchmark::State& state) {
  Enumerate(state, true, true);
}
BENCHMARK(BM_EnumerateCable)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnumerateCableAndReceiver)
    ->Iterations(5)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

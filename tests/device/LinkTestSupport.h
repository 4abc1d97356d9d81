#pragma once
// The device link against simulated keyboards: a bus that can hide interfaces and tamper with
// what a handle reads, the fixture catalogue, and a link whose pauses and notifications are
// recorded instead of slept and posted.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "device/HidDeviceManager.h"
#include "sim/CatalogueReader.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"

namespace device::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::filesystem::path FixtureFolder() {
  return std::filesystem::path(TARVO_SOURCE_DIR) / "tests" / "sim" / "fixtures";
}

// What the tests do to the reads of every handle the bus opens.
struct Tampering {
  std::mutex mutex;
  // Delivered before anything the device sends.
  std::deque<Bytes> injected;
  // Sees every report the device delivers; may change it and return its new length, or
  // queue further reports.
  std::function<int(std::span<std::uint8_t> report, int count, std::deque<Bytes>& injected)>
      onDeviceReport;
};

class TamperedDevice final : public HidDevice {
 public:
  TamperedDevice(std::unique_ptr<HidDevice> inner, std::shared_ptr<Tampering> tampering)
      : inner_(std::move(inner)), tampering_(std::move(tampering)) {}

  int Write(std::span<const std::uint8_t> report) override { return inner_->Write(report); }
  int Read(std::span<std::uint8_t> buffer, int timeoutMs) override {
    {
      std::lock_guard lock(tampering_->mutex);
      if (!tampering_->injected.empty()) {
        const Bytes report = tampering_->injected.front();
        tampering_->injected.pop_front();
        const std::size_t count = std::min(report.size(), buffer.size());
        std::copy_n(report.begin(), count, buffer.begin());
        return static_cast<int>(count);
      }
    }
    int count = inner_->Read(buffer, timeoutMs);
    std::lock_guard lock(tampering_->mutex);
    if (count > 0 && tampering_->onDeviceReport) {
      count = tampering_->onDeviceReport(buffer, count, tampering_->injected);
    }
    return count;
  }
  int InputReportLength() const override { return inner_->InputReportLength(); }
  int OutputReportLength() const override { return inner_->OutputReportLength(); }
  void Cancel() override { inner_->Cancel(); }

 private:
  std::unique_ptr<HidDevice> inner_;
  std::shared_ptr<Tampering> tampering_;
};

// The simulator's bus seen through a filter: interfaces can be hidden, opens are counted and
// every handle's reads can be tampered with.
class TamperedBus final : public HidApi {
 public:
  explicit TamperedBus(sim::VirtualHidBus& inner) : inner_(inner) {}

  std::vector<HidDeviceInfo> Enumerate(std::uint16_t vendorId, std::uint16_t productId) override {
    std::vector<HidDeviceInfo> shown;
    for (auto& info : inner_.Enumerate(vendorId, productId)) {
      if (!hide || !hide(info)) shown.push_back(std::move(info));
    }
    return shown;
  }
  std::unique_ptr<HidDevice> Open(const std::string& path) override {
    opened.push_back(path);
    auto device = inner_.Open(path);
    if (!device) return nullptr;
    return std::make_unique<TamperedDevice>(std::move(device), tampering);
  }
  std::optional<HidCapabilities> QueryCapabilities(const std::string& interfacePath) override {
    return inner_.QueryCapabilities(interfacePath);
  }

  std::function<bool(const HidDeviceInfo&)> hide;
  std::vector<std::string> opened;
  std::shared_ptr<Tampering> tampering = std::make_shared<Tampering>();

 private:
  sim::VirtualHidBus& inner_;
};

// Every connection mode of the fixture catalogue.
inline void AddFixtureCatalogue(HidDeviceManager& link) {
  const auto catalogue = sim::Catalogue::Load(FixtureFolder());
  ASSERT_TRUE(catalogue.has_value());
  for (const sim::CatalogueModel& model : catalogue->Models()) {
    for (const sim::CatalogueMode& mode : model.modes) {
      link.AddCatalogueEntry(
          {mode.vendorId, mode.productId, mode.productName, model.modelId, mode.value});
    }
  }
}

// A bus, the link on top of it, and what the link slept and reported.
class LinkTest : public ::testing::Test {
 protected:
  LinkTest() {
    AddFixtureCatalogue(link);
    link.SetSleeper([this](std::chrono::milliseconds duration) {
      std::lock_guard lock(recordMutex);
      sleeps.push_back(static_cast<int>(duration.count()));
    });
    link.SetNotifyHandler([this](bool online) {
      std::lock_guard lock(recordMutex);
      notifications.push_back(online);
    });
  }

  sim::KeyboardId AddKeyboard(int modelId) {
    std::string error;
    const auto id = sim::AddCatalogueKeyboard(bus, FixtureFolder(), modelId, &error);
    EXPECT_TRUE(id.has_value()) << error;
    return id.value_or(0);
  }

  // A keyboard plugged in and the link enumerated with its model selected.
  sim::KeyboardId Connect(int modelId, bool cable, bool receiver) {
    const sim::KeyboardId id = AddKeyboard(modelId);
    if (cable) bus.PlugCable(id);
    if (receiver) bus.PlugReceiver(id);
    link.EnumerateDevice();
    link.SetSelectedModel(modelId);
    return id;
  }

  sim::KeyboardState State(sim::KeyboardId id) const { return bus.State(id).value(); }

  // Reports written to the keyboards since the log was started, with their report id.
  std::vector<Bytes> Written(std::optional<sim::Link> link = std::nullopt) const {
    std::vector<Bytes> written;
    for (const sim::LoggedFrame& frame : bus.FrameLog()) {
      if (frame.direction != sim::Direction::kToDevice) continue;
      if (link && frame.link != *link) continue;
      written.push_back(frame.bytes);
    }
    return written;
  }

  void StartLog() {
    bus.ClearFrameLog();
    bus.SetFrameLogging(true);
    std::lock_guard lock(recordMutex);
    sleeps.clear();
    notifications.clear();
  }

  std::vector<int> Sleeps() {
    std::lock_guard lock(recordMutex);
    return sleeps;
  }
  std::vector<bool> Notifications() {
    std::lock_guard lock(recordMutex);
    return notifications;
  }

  sim::VirtualHidBus bus;
  TamperedBus tampered{bus};
  HidDeviceManager link{tampered};
  std::mutex recordMutex;
  std::vector<int> sleeps;
  std::vector<bool> notifications;
};

namespace {

// Table cases show their name, not their bytes, in test listings.
template <class Case>
requires requires(const Case& test) {
  test.name;
}
void PrintTo(const Case& test, std::ostream* out) {
  *out << test.name;
}

}  // namespace

// Offset and length fields of a written command report (report id first).
struct WrittenChunk {
  int offset = 0;
  int length = 0;
  bool operator==(const WrittenChunk&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const WrittenChunk& chunk) {
  return out << "{" << chunk.offset << ", " << chunk.length << "}";
}

inline std::vector<WrittenChunk> ChunksOf(const std::vector<Bytes>& reports, std::uint8_t command) {
  std::vector<WrittenChunk> chunks;
  for (const Bytes& report : reports) {
    if (report.size() < 6 || report[2] != command) continue;
    chunks.push_back({report[3] | (report[4] << 8), report[5]});
  }
  return chunks;
}

}  // namespace device::testing

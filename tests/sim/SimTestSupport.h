#pragma once
// Shared pieces of the simulator tests: the fixture application folder, a bus with one
// keyboard of a model, and a tiny requester that speaks the keyboard's frame protocol the
// way a host does (one frame out, one reply in; chunked transfers).

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "device/HidApi.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"

namespace sim::testing {

using Bytes = std::vector<std::uint8_t>;

inline std::filesystem::path FixtureFolder() {
  return std::filesystem::path(TARVO_SOURCE_DIR) / "tests" / "sim" / "fixtures";
}

// Finds the interface of the bus with the given ids and usage page.
inline std::optional<device::HidDeviceInfo> FindInterface(device::HidApi& bus,
                                                          std::uint16_t vendorId,
                                                          std::uint16_t productId,
                                                          std::uint16_t usagePage) {
  for (const auto& info : bus.Enumerate(vendorId, productId)) {
    if (info.usagePage == usagePage) return info;
  }
  return std::nullopt;
}

struct Reply {
  Bytes bytes;  // as read: report id removed
  std::uint8_t Status() const { return bytes.size() > 7 ? bytes[7] : 0; }
  std::span<const std::uint8_t> Data() const {
    return bytes.size() > 8 ? std::span<const std::uint8_t>(bytes).subspan(8)
                            : std::span<const std::uint8_t>();
  }
};

class Requester {
 public:
  explicit Requester(std::unique_ptr<device::HidDevice> device) : device_(std::move(device)) {}

  bool Valid() const { return device_ != nullptr; }
  device::HidDevice& Device() { return *device_; }
  std::size_t FrameSize() const {
    return static_cast<std::size_t>(device_->OutputReportLength() - 1);
  }
  std::size_t ChunkSize() const { return FrameSize() < 64 ? 24 : 56; }

  // Writes one frame (report id 0 in front) without waiting for anything.
  int Send(std::uint8_t command, std::size_t offset, std::size_t length,
           std::span<const std::uint8_t> data = {}) {
    Bytes report(FrameSize() + 1, 0);
    report[1] = 0xAA;
    report[2] = command;
    report[3] = static_cast<std::uint8_t>(offset & 0xFF);
    report[4] = static_cast<std::uint8_t>(offset >> 8);
    report[5] = static_cast<std::uint8_t>(length);
    for (std::size_t i = 0; i < data.size() && 9 + i < report.size(); ++i) report[9 + i] = data[i];
    return device_->Write(report);
  }

  std::optional<Reply> Receive(int timeoutMs = 200) {
    Bytes buffer(64, 0);
    const int count = device_->Read(buffer, timeoutMs);
    if (count <= 0) return std::nullopt;
    buffer.resize(static_cast<std::size_t>(count));
    return Reply{buffer};
  }

  std::optional<Reply> Exchange(std::uint8_t command, std::size_t offset, std::size_t length,
                                std::span<const std::uint8_t> data = {}, int timeoutMs = 200) {
    if (Send(command, offset, length, data) <= 0) return std::nullopt;
    return Receive(timeoutMs);
  }

  // A chunked transfer of payload.size() bytes; every chunk must be accepted. Returns the
  // data parts of the replies put together, as a host keeps them.
  std::optional<Bytes> Transfer(std::uint8_t command, std::span<const std::uint8_t> payload) {
    Bytes result(payload.size(), 0);
    for (std::size_t offset = 0; offset < payload.size(); offset += ChunkSize()) {
      const std::size_t count = std::min(ChunkSize(), payload.size() - offset);
      const auto reply = Exchange(command, offset, count, payload.subspan(offset, count));
      if (!reply || reply->Status() != 0x55 || reply->bytes[1] != command) return std::nullopt;
      std::copy_n(reply->Data().begin(), count,
                  result.begin() + static_cast<std::ptrdiff_t>(offset));
      ++exchanges_;
    }
    return result;
  }

  std::optional<Bytes> Read(std::uint8_t command, std::size_t count) {
    const Bytes zeros(count, 0);
    return Transfer(command, zeros);
  }

  int Exchanges() const { return exchanges_; }

 private:
  std::unique_ptr<device::HidDevice> device_;
  int exchanges_ = 0;
};

// A bus with one keyboard of a fixture model, plugged by cable unless asked otherwise.
struct SimulatedKeyboard {
  explicit SimulatedKeyboard(int modelId, bool cable = true, bool receiver = false) {
    std::string error;
    const auto added = AddCatalogueKeyboard(bus, FixtureFolder(), modelId, &error);
    EXPECT_TRUE(added.has_value()) << error;
    id = added.value_or(0);
    if (cable) bus.PlugCable(id);
    if (receiver) bus.PlugReceiver(id);
  }

  KeyboardHardware Hardware() const { return bus.Hardware(id).value(); }
  KeyboardState State() const { return bus.State(id).value(); }

  Requester Command(Link link = Link::kCable) {
    const KeyboardHardware hardware = Hardware();
    const auto info = FindInterface(
        bus, hardware.vendorId,
        link == Link::kReceiver ? hardware.receiverProductId : hardware.cableProductId, 0xFF60);
    return Requester(info ? bus.Open(info->path) : nullptr);
  }

  Requester Screen() {
    const auto info = FindInterface(bus, 0x1919, 0x1919, 0x00FF);
    return Requester(info ? bus.Open(info->path) : nullptr);
  }

  VirtualHidBus bus;
  KeyboardId id = 0;
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

inline Bytes Slice(std::span<const std::uint8_t> bytes, std::size_t from, std::size_t count) {
  return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
               bytes.begin() + static_cast<std::ptrdiff_t>(from + count));
}

}  // namespace sim::testing

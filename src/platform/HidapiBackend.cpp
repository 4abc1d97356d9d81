#include "platform/HidapiBackend.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>

#include "base/Log.h"
#include "base/Text.h"
#include "platform/HidReportDescriptor.h"
#include "platform/HidrawNode.h"

namespace platform {

// hid_init and hid_exit act on process-wide state: one library object is shared by every
// backend alive at the same time.
class HidapiLibrary {
 public:
  HidapiLibrary() : initialised_(hid_init() == 0) {}
  ~HidapiLibrary() {
    if (initialised_) hid_exit();
  }
  HidapiLibrary(const HidapiLibrary&) = delete;
  HidapiLibrary& operator=(const HidapiLibrary&) = delete;
  bool Initialised() const { return initialised_; }

  static std::shared_ptr<HidapiLibrary> Acquire() {
    static std::mutex mutex;
    static std::weak_ptr<HidapiLibrary> shared;
    std::lock_guard lock(mutex);
    auto library = shared.lock();
    if (!library) {
      library = std::make_shared<HidapiLibrary>();
      shared = library;
    }
    return library;
  }

 private:
  bool initialised_;
};

namespace {

// Reports without a descriptor are assumed to be the keyboard's full-size reports.
constexpr int kFallbackReportLength = 65;
// A blocked read looks at its cancel flag this often.
constexpr int kCancelPollMs = 50;

struct HidDeviceCloser {
  void operator()(hid_device* device) const { hid_close(device); }
};

struct EnumerationFreer {
  void operator()(hid_device_info* list) const { hid_free_enumeration(list); }
};

class HidapiDevice final : public device::HidDevice {
 public:
  HidapiDevice(std::shared_ptr<HidapiLibrary> library, hid_device* device, int inputLength,
               int outputLength)
      : library_(std::move(library)),
        device_(device),
        inputLength_(inputLength),
        outputLength_(outputLength) {}

  int Write(std::span<const std::uint8_t> report) override {
    if (report.empty()) return -1;
    return hid_write(device_.get(), report.data(), report.size());
  }

  int Read(std::span<std::uint8_t> buffer, int timeoutMs) override {
    using Clock = std::chrono::steady_clock;
    const bool forever = timeoutMs < 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    for (;;) {
      if (cancelled_) return -1;
      int slice = kCancelPollMs;
      if (!forever) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        slice = static_cast<int>(std::clamp<long long>(left.count(), 0, kCancelPollMs));
      }
      const int result = hid_read_timeout(device_.get(), buffer.data(), buffer.size(), slice);
      if (result != 0) return cancelled_ ? -1 : result;
      if (!forever && Clock::now() >= deadline) return 0;
    }
  }

  int InputReportLength() const override { return inputLength_; }
  int OutputReportLength() const override { return outputLength_; }
  void Cancel() override { cancelled_ = true; }

 private:
  std::shared_ptr<HidapiLibrary> library_;  // keeps hidapi initialised while open
  std::unique_ptr<hid_device, HidDeviceCloser> device_;
  int inputLength_;
  int outputLength_;
  std::atomic<bool> cancelled_{false};
};

std::string ToUtf8(const wchar_t* text) {
  std::string utf8;
  if (text == nullptr) return utf8;
  for (; *text != L'\0'; ++text) base::AppendUtf8(utf8, static_cast<char32_t>(*text));
  return utf8;
}

std::optional<HidReportDescriptor> DescriptorOf(const HidrawNodeInfo& node) {
  return HidReportDescriptor::Parse(node.reportDescriptor);
}

device::HidDeviceInfo BasicInfo(const hid_device_info& entry, const std::string& instance) {
  device::HidDeviceInfo info;
  info.path = entry.path != nullptr ? entry.path : "";
  info.vendorId = entry.vendor_id;
  info.productId = entry.product_id;
  info.releaseNumber = entry.release_number;
  info.productString = ToUtf8(entry.product_string);
  info.usagePage = entry.usage_page;
  info.usage = entry.usage;
  info.interfaceNumber = entry.interface_number;
  info.interfacePath =
      device::MakeInterfacePath(entry.vendor_id, entry.product_id, entry.interface_number,
                                instance.empty() ? info.path : instance);
  return info;
}

}  // namespace

HidapiBackend::HidapiBackend(HidapiBackendOptions options)
    : library_(HidapiLibrary::Acquire()), options_(std::move(options)) {
  if (!library_->Initialised()) base::DebugLog("HidapiBackend: hid_init failed");
}

HidapiBackend::~HidapiBackend() = default;

bool HidapiBackend::Initialised() const {
  return library_->Initialised();
}

std::vector<device::HidDeviceInfo> HidapiBackend::Enumerate(std::uint16_t vendorId,
                                                            std::uint16_t productId) {
  std::vector<device::HidDeviceInfo> result;
  if (!Initialised()) return result;
  const std::unique_ptr<hid_device_info, EnumerationFreer> list(hid_enumerate(vendorId, productId));
  for (const hid_device_info* entry = list.get(); entry != nullptr; entry = entry->next) {
    const std::string path = entry->path != nullptr ? entry->path : "";
    const auto nodeName = HidrawNodeName(path);
    const std::string instance = nodeName ? base::ToUpperAscii(*nodeName) : std::string();
    device::HidDeviceInfo info = BasicInfo(*entry, instance);
    std::optional<HidReportDescriptor> descriptor;
    if (nodeName && entry->usage_page == 0) {
      if (auto node = ReadHidrawNodeFromSysfs(options_.sysRoot, *nodeName)) {
        descriptor = DescriptorOf(*node);
      }
    }
    if (!descriptor || descriptor->Collections().empty()) {
      result.push_back(std::move(info));
      continue;
    }
    // One entry per top-level collection, as other HID stacks list them.
    for (const auto& collection : descriptor->Collections()) {
      info.usagePage = collection.usagePage;
      info.usage = collection.usage;
      result.push_back(info);
    }
  }
  return result;
}

std::unique_ptr<device::HidDevice> HidapiBackend::Open(const std::string& path) {
  if (!Initialised() || path.empty()) return nullptr;
  hid_device* handle = hid_open_path(path.c_str());
  if (handle == nullptr) return nullptr;
  int inputLength = kFallbackReportLength;
  int outputLength = kFallbackReportLength;
  if (const auto nodeName = HidrawNodeName(path)) {
    if (auto node = ReadHidrawNodeFromSysfs(options_.sysRoot, *nodeName)) {
      if (auto descriptor = DescriptorOf(*node)) {
        if (descriptor->MaxInputReportLength() > 0) {
          inputLength = descriptor->MaxInputReportLength();
        }
        if (descriptor->MaxOutputReportLength() > 0) {
          outputLength = descriptor->MaxOutputReportLength();
        }
      }
    }
  }
  return std::make_unique<HidapiDevice>(library_, handle, inputLength, outputLength);
}

std::optional<device::HidCapabilities> HidapiBackend::QueryCapabilities(
    const std::string& interfacePath) {
  const auto nodeName = HidrawNodeName(interfacePath);
  if (!nodeName) return std::nullopt;
  const auto node = ProbeHidrawNode(options_.devRoot, options_.sysRoot, *nodeName);
  if (!node) return std::nullopt;
  // A node number is reused by the next device: a path naming other ids is stale.
  if (const auto parts = device::ParseInterfacePath(interfacePath)) {
    if (parts->vendorId != node->vendorId || parts->productId != node->productId) {
      return std::nullopt;
    }
  }
  const auto descriptor = DescriptorOf(*node);
  if (!descriptor || descriptor->Collections().empty()) return std::nullopt;
  device::HidCapabilities capabilities;
  capabilities.vendorId = node->vendorId;
  capabilities.productId = node->productId;
  capabilities.usagePage = descriptor->Collections().front().usagePage;
  capabilities.usage = descriptor->Collections().front().usage;
  return capabilities;
}

}  // namespace platform

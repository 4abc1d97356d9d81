#pragma once
// The HID seam on real hardware: hidapi's hidraw backend, with report lengths and top-level
// usages taken from each node's report descriptor (hidapi 0.13 does not report lengths and
// may leave the usage empty).

#include <filesystem>
#include <memory>

#include "device/HidApi.h"

namespace platform {

class HidapiLibrary;

struct HidapiBackendOptions {
  std::filesystem::path sysRoot = "/sys";
  std::filesystem::path devRoot = "/dev";
};

class HidapiBackend final : public device::HidApi {
 public:
  explicit HidapiBackend(HidapiBackendOptions options = {});
  ~HidapiBackend() override;

  // False when hidapi could not be initialised; every enumeration then finds nothing.
  bool Initialised() const;

  std::vector<device::HidDeviceInfo> Enumerate(std::uint16_t vendorId = 0,
                                               std::uint16_t productId = 0) override;
  std::unique_ptr<device::HidDevice> Open(const std::string& path) override;
  std::optional<device::HidCapabilities> QueryCapabilities(
      const std::string& interfacePath) override;

 private:
  std::shared_ptr<HidapiLibrary> library_;
  HidapiBackendOptions options_;
};

}  // namespace platform

// Feeds arbitrary bytes as "config.xml" to both of its readers: the device catalogue (models,
// connection modes, software addresses) and the start-up configuration (product name,
// languages). Whatever the file holds, every mode belongs to a model read before it, ids are
// never negative and pictures stay named under the application folder's "device" folder.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "app/StartupConfig.h"
#include "catalogue/DeviceCatalogue.h"
#include "fuzz/FuzzSupport.h"

namespace {

using fuzz::Require;

constexpr std::size_t kMaxInput = 256 * 1024;

void CheckPicture(const std::filesystem::path& appFolder, const std::string& picture) {
  const std::string prefix = (appFolder / "device").string() + "/";
  Require(picture.starts_with(prefix), "a picture is named under the device folder");
  Require(picture.find('\\') == std::string::npos, "backslashes become separators");
}

void CheckCatalogue(const std::filesystem::path& appFolder, const DeviceCatalogue& catalogue) {
  if (!catalogue.loaded) {
    Require(catalogue.models.empty() && catalogue.modes.empty() && !catalogue.hasSoftware,
            "an unread file gives nothing");
    return;
  }
  for (const KeyboardModelRecord& model : catalogue.models) {
    CheckPicture(appFolder, model.connectedPicture);
    CheckPicture(appFolder, model.disconnectedPicture);
    Require(catalogue.FindModel(model.modelId) != nullptr, "every model is found by its id");
  }
  for (const ConnectionModeRecord& mode : catalogue.modes) {
    Require(mode.vendorId >= 0 && mode.productId >= 0, "ids are never negative");
    const KeyboardModelRecord* model = catalogue.FindModel(mode.modelId);
    Require(model != nullptr, "a mode belongs to a model");
  }
  if (!catalogue.hasSoftware) {
    Require(catalogue.software.version.empty() && catalogue.software.website.empty(),
            "no software element, no addresses");
  }
}

void CheckStartup(const StartupConfig& config) {
  if (config.productName) Require(!config.productName->empty(), "a product name is not empty");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::filesystem::path& appFolder = fuzz::ScratchFolder();
  fuzz::WriteFile(appFolder / "config.xml", fuzz::AsText({data, size}));
  const DeviceCatalogue catalogue = ReadDeviceCatalogue(appFolder);
  CheckCatalogue(appFolder, catalogue);
  const StartupConfig config = ReadStartupConfig(appFolder);
  CheckStartup(config);
  if (!catalogue.loaded) {
    Require(!config.productName && config.languages.empty(), "both readers refuse alike");
  }
  return 0;
}

#include "platform/KeyboardAccess.h"

#include <fcntl.h>

#include <system_error>

#include "platform/HidReportDescriptor.h"
#include "platform/HidrawNode.h"
#include "platform/UniqueFd.h"

namespace platform {
namespace {

bool HasCollectionOf(const HidrawNodeInfo& node, std::uint16_t usagePage) {
  const std::optional<HidReportDescriptor> descriptor =
      HidReportDescriptor::Parse(node.reportDescriptor);
  if (!descriptor) return false;
  for (const HidCollectionInfo& collection : descriptor->Collections()) {
    if (collection.usagePage == usagePage) return true;
  }
  return false;
}

// Opened the way the device link opens it, and closed again at once.
bool Opens(const std::filesystem::path& node) {
  return UniqueFd(::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC)).IsValid();
}

}  // namespace

std::vector<KeyboardNode> FindKeyboardNodes(
    const KeyboardAccessRoots& roots, std::uint16_t usagePage,
    const std::function<bool(std::uint16_t, std::uint16_t)>& isKeyboard) {
  std::vector<KeyboardNode> found;
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(roots.sysRoot / "class" / "hidraw", error)) {
    const std::string name = entry.path().filename().string();
    const std::optional<HidrawNodeInfo> node = ReadHidrawNodeFromSysfs(roots.sysRoot, name);
    if (!node || !isKeyboard(node->vendorId, node->productId)) continue;
    if (!HasCollectionOf(*node, usagePage)) continue;
    found.push_back({name, node->vendorId, node->productId, Opens(roots.devRoot / name)});
  }
  return found;
}

bool IsUdevRuleInstalled(const KeyboardAccessRoots& roots, std::string_view fileName) {
  std::error_code error;
  for (const std::filesystem::path& folder : roots.ruleFolders) {
    if (std::filesystem::exists(folder / fileName, error)) return true;
  }
  return false;
}

}  // namespace platform

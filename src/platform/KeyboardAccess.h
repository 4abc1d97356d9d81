#pragma once
// Whether this user may open the keyboards' hidraw nodes. Sysfs tells every user the ids and the
// report descriptor of each node, so a keyboard is found even where its node stays closed (no
// udev rule grants it to the user at the desktop).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

struct KeyboardAccessRoots {
  std::filesystem::path sysRoot = "/sys";
  std::filesystem::path devRoot = "/dev";
  // Where udev looks for rule files, in its own order.
  std::vector<std::filesystem::path> ruleFolders = {"/etc/udev/rules.d", "/run/udev/rules.d",
                                                    "/usr/local/lib/udev/rules.d",
                                                    "/usr/lib/udev/rules.d", "/lib/udev/rules.d"};
};

struct KeyboardNode {
  std::string nodeName;  // "hidraw3"
  std::uint16_t vendorId = 0;
  std::uint16_t productId = 0;
  bool openable = false;  // <devRoot>/<node> opens for reading and writing
};

// The nodes below <sysRoot>/class/hidraw whose ids `isKeyboard` accepts and whose report
// descriptor has a top-level collection of `usagePage`.
std::vector<KeyboardNode> FindKeyboardNodes(
    const KeyboardAccessRoots& roots, std::uint16_t usagePage,
    const std::function<bool(std::uint16_t vendorId, std::uint16_t productId)>& isKeyboard);

// Whether a rule file of this name lies in one of the rule folders.
bool IsUdevRuleInstalled(const KeyboardAccessRoots& roots, std::string_view fileName);

}  // namespace platform

#include "app/KeyboardAccessHint.h"

#include "catalogue/DeviceCatalogue.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "device/HidDeviceManager.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/MWindow.h"

std::string KeyboardAccessHint::InstallCommands() {
  return std::string("  tarvo --print-udev-rules | sudo tee /etc/udev/rules.d/") + kRuleFile +
         "\n  sudo udevadm control --reload && sudo udevadm trigger\n";
}

KeyboardAccessHint::KeyboardAccessHint(platform::KeyboardAccessRoots roots,
                                       const DeviceCatalogue& catalogue)
    : roots_(std::move(roots)) {
  for (const ConnectionModeRecord& mode : catalogue.modes) {
    const bool fits = mode.vendorId >= 0 && mode.vendorId <= 0xFFFF && mode.productId >= 0 &&
                      mode.productId <= 0xFFFF;
    if (fits) {
      models_.emplace(static_cast<std::uint16_t>(mode.vendorId),
                      static_cast<std::uint16_t>(mode.productId));
    }
  }
}

KeyboardAccessHint::State KeyboardAccessHint::Check() const {
  const auto isOurs = [this](std::uint16_t vendor, std::uint16_t product) {
    return models_.contains({vendor, product});
  };
  const std::vector<platform::KeyboardNode> nodes =
      platform::FindKeyboardNodes(roots_, device::kCommandUsagePage, isOurs);
  if (nodes.empty()) return State::kNoneAttached;
  for (const platform::KeyboardNode& node : nodes) {
    if (node.openable) return State::kOpenable;
  }
  return State::kAttachedButClosed;
}

std::string KeyboardAccessHint::StartupMessage(State state) const {
  switch (state) {
    case State::kOpenable:
      break;
    case State::kAttachedButClosed:
      return "tarvo: a keyboard is attached, but this user may not open it. Install the udev "
             "rule, then plug the keyboard in again:\n" +
             InstallCommands();
    case State::kNoneAttached:
      if (platform::IsUdevRuleInstalled(roots_, kRuleFile)) break;
      return "tarvo: no keyboard found. If one is attached, install the udev rule so that this "
             "user may open it, then plug the keyboard in again:\n" +
             InstallCommands();
  }
  return {};
}

void KeyboardAccessHint::ShowOnHomePage(Tessel::MWindow& window, const core::TextTable& texts,
                                        State state) {
  const bool show = state == State::kAttachedButClosed;
  if (show == hintShown_) return;
  auto* hint = window.GetControl<Tessel::MControlFont>(ids::kNoKeyboardHint);
  if (hint == nullptr) return;
  const int text = show ? text::kHomeNoKeyboardAccessHint : text::kHomeNoKeyboardHint;
  hint->SetTitle(texts.GetText(text::kDialogSection, text));
  hintShown_ = show;
}

#include "keys/KeyTest.h"

#include "core/TextIds.h"
#include "core/TextTable.h"
#include "keys/KeyCodes.h"

namespace keys {
namespace {

// Raw-input button numbers and the texts that name them in the list; back and forward keep
// their raw-input names.
constexpr int kLeftButton = 1;
constexpr int kMiddleButton = 2;
constexpr int kRightButton = 3;

}  // namespace

std::optional<KeyTestState::Change> KeyTestState::OnRawInput(const KeyEvent& event) {
  if (event.kind == event_kind::kKey) {
    const int usage = VirtualKeyToUsage(event.value);
    std::string name(UsageShortName(usage));
    if (name.empty()) name = event.name;
    if (name.empty()) return std::nullopt;
    const int identity = usage != 0 ? usage : kKeyWithoutUsageIdentity + event.value;
    return Apply(identity, std::move(name), event.direction);
  }
  if (event.kind != event_kind::kMouse || event.name.empty()) return std::nullopt;
  std::string name = event.name;
  const auto text = [&](int id) { return texts_.GetText(text::kDialogSection, id); };
  if (event.value == kLeftButton) name = text(text::kMouseLeft);
  if (event.value == kMiddleButton) name = text(text::kMouseMiddle);
  if (event.value == kRightButton) name = text(text::kMouseRight);
  return Apply(kMouseButtonIdentity + event.value, std::move(name), event.direction);
}

std::optional<KeyTestState::Change> KeyTestState::Apply(int identity, std::string name,
                                                        int direction) {
  if (direction == kDirectionUp) {
    held_.erase(identity);
    return Change{Change::Kind::kRemove, {}, identity};
  }
  // A held key repeating adds nothing.
  if (!held_.insert(identity).second) return std::nullopt;
  return Change{Change::Kind::kAdd, std::move(name), identity};
}

}  // namespace keys

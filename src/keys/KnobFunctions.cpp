#include "keys/KnobFunctions.h"

#include "core/TextIds.h"
#include "core/TextTable.h"
#include "protocol/KeyEntry.h"

namespace keys {
namespace {

namespace ft = protocol::function_type;

// Keyboard functions the knob does not offer: the colour, F-Change and the wheel mode.
constexpr int kLeftOut[] = {18, 63, 64};

struct RenamedFunction {
  int code;
  int textId;
};
// The wheel functions read as the volume functions they are.
constexpr RenamedFunction kWheelNames[] = {
    {71, text::kMediaVolumeUp},
    {72, text::kMediaVolumeDown},
    {73, text::kMediaMute},
};

bool LeftOut(int code) {
  for (int left : kLeftOut) {
    if (left == code) return true;
  }
  return false;
}

void AppendKeyboardFunctions(std::vector<KeyFunctionEntry>& list,
                             const KeyFunctionCatalogue& catalogue, const core::TextTable& texts) {
  for (KeyFunctionEntry entry : catalogue.OfType(ft::kKeyboardFunction)) {
    if (entry.code > kLastKeyboardFunction || LeftOut(entry.code)) continue;
    for (const RenamedFunction& renamed : kWheelNames) {
      if (renamed.code == entry.code) {
        entry.name = texts.GetText(text::kDialogSection, renamed.textId);
      }
    }
    list.push_back(std::move(entry));
  }
}

}  // namespace

std::vector<KeyFunctionEntry> BuildKnobFunctionList(const KeyFunctionCatalogue& catalogue,
                                                    const core::TextTable& texts) {
  std::vector<KeyFunctionEntry> list = catalogue.OfType(ft::kMedia);
  AppendKeyboardFunctions(list, catalogue, texts);
  const std::vector<KeyFunctionEntry> keys = catalogue.OfType(ft::kKeyboardKey);
  list.insert(list.end(), keys.begin(), keys.end());
  return list;
}

}  // namespace keys

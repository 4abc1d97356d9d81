#pragma once
// Key codes shared by key remapping, the knob, the key test and macro recording: HID keyboard
// usages with their short names, the Windows virtual-key codes that observed input and stored
// macros use, and the modifier bits of the boot keyboard report.

#include <string_view>

namespace keys {

// The short name of a HID keyboard usage (how a key read back from the keyboard is labelled);
// empty for usages without one.
std::string_view UsageShortName(int usage);

// The HID keyboard usage of a Windows virtual-key code; 0 for codes without one.
int VirtualKeyToUsage(int virtualKey);

// The modifier bit of a modifier usage (224 left Ctrl -> 0x01 ... 231 right Win -> 0x80); any
// other value comes back unchanged, so callers test for 224..231 first.
int ModifierUsageToBit(int usage);

}  // namespace keys

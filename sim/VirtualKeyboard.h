#pragma once
// Entry points for running the application against simulated keyboards:
// `tarvo --virtual-keyboard[=MODEL[,receiver]]` and a line-based control for plugging,
// unplugging, sleeping and waking them while it runs.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "sim/VirtualHidBus.h"

namespace sim {

struct VirtualKeyboardOption {
  int modelId = 101;
  bool receiver = false;  // connected through the receiver instead of the cable
  bool asleep = false;    // the keyboard sleeps behind its receiver from the start
};

// "", "102", "101,receiver", "receiver", "103,cable", "101,asleep" (behind its receiver);
// empty for anything else.
std::optional<VirtualKeyboardOption> ParseVirtualKeyboardOption(std::string_view option);

// Adds an unplugged keyboard of a model of "<appFolder>/config.xml", in its factory state
// built from the model's layout file.
std::optional<KeyboardId> AddCatalogueKeyboard(VirtualHidBus& bus,
                                               const std::filesystem::path& appFolder, int modelId,
                                               std::string* error = nullptr);

// A bus with one keyboard as the option asks, already plugged in. Empty (with the reason in
// *error) when the option, the catalogue or the model's layout is unusable.
std::unique_ptr<VirtualHidBus> MakeVirtualKeyboardBus(const std::filesystem::path& appFolder,
                                                      std::string_view option,
                                                      std::string* error = nullptr);

// Runs one control line and returns its answer ("ok", a listing, or "error: ..."):
//   list | plug cable|receiver [kbN] | unplug cable|receiver [kbN] | sleep [kbN] |
//   wake [kbN] | battery LEVEL [CHARGING] [kbN] | log on|off|clear|show | faults clear [kbN] |
//   state [kbN] (the keyboard's whole state as one JSON object, see StateReport.h)
// Without kbN the first keyboard is meant.
std::string RunControlCommand(VirtualHidBus& bus, std::string_view line);

}  // namespace sim

#pragma once
// The options of the tarvo command.

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
  bool autorun = false;   // the word "autorun" anywhere: start minimised
  bool headless = false;  // no window
  int exitAfterMs = -1;   // end cleanly after this long (-1: never)
  std::optional<std::string>
      virtualKeyboard;  // "" for the default keyboard, else "MODEL[,receiver]"
  // A hand control for the virtual keyboard of the running copy ("unplug cable", "sleep", ...).
  std::optional<std::string> virtualKeyboardCommand;
  std::optional<std::string> screenshot;  // save a PNG of the main window and end
  int page = -1;                          // page id to show first
  bool printUdevRules = false;
  bool help = false;
  std::vector<std::string> errors;  // options that could not be understood
};

CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The text of --help.
std::string UsageText();

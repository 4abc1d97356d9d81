#include "app/CommandLine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>

#include "core/MainTabs.h"

namespace {

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || value < 0) return std::nullopt;
  return value;
}

// "0, 1, 2, ..." for the usage error of --page.
std::string PageIdList() {
  std::array<int, kMainTabPages.size()> ids = kMainTabPages;
  std::sort(ids.begin(), ids.end());
  std::string list;
  for (int id : ids) list += (list.empty() ? "" : ", ") + std::to_string(id);
  return list;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine line;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument.find("autorun") != std::string::npos) line.autorun = true;
    auto value = [&](const char* option) -> std::optional<std::string> {
      if (i + 1 < arguments.size()) return arguments[++i];
      line.errors.push_back(std::string(option) + " needs a value");
      return std::nullopt;
    };
    if (argument == "--headless") {
      line.headless = true;
    } else if (argument == "--exit-after-ms") {
      if (auto text = value("--exit-after-ms")) {
        if (auto ms = ParseNumber(*text))
          line.exitAfterMs = *ms;
        else
          line.errors.push_back("--exit-after-ms: not a number: " + *text);
      }
    } else if (argument == "--virtual-keyboard") {
      line.virtualKeyboard = "";
    } else if (argument.starts_with("--virtual-keyboard=")) {
      line.virtualKeyboard = argument.substr(sizeof("--virtual-keyboard=") - 1);
    } else if (argument == "--virtual-keyboard-command") {
      line.virtualKeyboardCommand = value("--virtual-keyboard-command");
    } else if (argument == "--screenshot") {
      line.screenshot = value("--screenshot");
    } else if (argument == "--page") {
      if (auto text = value("--page")) {
        const std::optional<int> page = ParseNumber(*text);
        if (page && TabPositionOf(*page) >= 0)
          line.page = *page;
        else
          line.errors.push_back("--page: not a page id: " + *text + " (the page ids are " +
                                PageIdList() + ")");
      }
    } else if (argument == "--print-udev-rules") {
      line.printUdevRules = true;
    } else if (argument == "--help" || argument == "-h") {
      line.help = true;
    } else if (argument.find("autorun") == std::string::npos) {
      line.errors.push_back("unknown option: " + argument);
    }
  }
  return line;
}

std::string UsageText() {
  return "Usage: tarvo [options]\n"
         "Configures Tarvo keyboards: keys, macros, lighting, screen and settings.\n"
         "\n"
         "  --virtual-keyboard[=MODEL[,receiver]]  use the built-in virtual keyboard\n"
         "                                         (default: model 101 by cable)\n"
         "  --virtual-keyboard-command COMMAND     plug, unplug, sleep or wake the running\n"
         "                                         copy's virtual keyboard: list | plug "
         "cable|receiver |\n"
         "                                         unplug cable|receiver | sleep | wake | battery "
         "LEVEL\n"
         "                                         | state (everything it was sent, as JSON)\n"
         "  --headless                             run without a window\n"
         "  --exit-after-ms N                      end cleanly after N milliseconds\n"
         "  --screenshot FILE [--page ID]          save a picture of the window and end\n"
         "  --page ID                              the page to show once started\n"
         "  --print-udev-rules                     print the udev rule that lets you use\n"
         "                                         the keyboard without root\n"
         "  -autorun                               start minimised (used at login)\n"
         "  -h, --help                             show this help\n";
}

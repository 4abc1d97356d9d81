#include "CommandLine.h"

#include <charconv>

#include "protocol/Gx96.h"

namespace qgif {
namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
  return false;
}

bool ParseSide(const std::string& text, int& side) {
  const char* end = text.data() + text.size();
  const auto [stop, code] = std::from_chars(text.data(), end, side);
  return code == std::errc() && stop == end && side >= 1 && side <= protocol::kGx96MaxSide;
}

// Takes the value after an option; false when it is missing or given twice.
bool TakeValue(const std::vector<std::string>& arguments, std::size_t& at, std::string& value,
               std::string* error) {
  const std::string& option = arguments[at];
  if (!value.empty()) return Fail(error, option + " is given twice");
  if (at + 1 >= arguments.size() || arguments[at + 1].empty()) {
    return Fail(error, option + " needs a value");
  }
  value = arguments[++at];
  return true;
}

bool TakeSize(const std::vector<std::string>& arguments, std::size_t& at, ConvertRequest& request,
              std::string* error) {
  if (request.width != 0) return Fail(error, "--scale-size is given twice");
  if (at + 2 >= arguments.size() || !ParseSide(arguments[at + 1], request.width) ||
      !ParseSide(arguments[at + 2], request.height)) {
    return Fail(error, "--scale-size needs a width and a height from 1 to " +
                           std::to_string(protocol::kGx96MaxSide));
  }
  at += 2;
  return true;
}

}  // namespace

std::optional<ConvertRequest> ParseCommandLine(const std::vector<std::string>& arguments,
                                               std::string* error) {
  if (arguments.empty() || arguments[0] != "convert") {
    Fail(error, "the only command is \"convert\"");
    return std::nullopt;
  }
  ConvertRequest request;
  std::string format;
  for (std::size_t at = 1; at < arguments.size(); ++at) {
    const std::string& option = arguments[at];
    bool ok = false;
    if (option == "-i") {
      ok = TakeValue(arguments, at, request.input, error);
    } else if (option == "-o") {
      ok = TakeValue(arguments, at, request.output, error);
    } else if (option == "-f") {
      ok = TakeValue(arguments, at, format, error);
    } else if (option == "--scale-size") {
      ok = TakeSize(arguments, at, request, error);
    } else {
      ok = Fail(error, "unknown option " + option);
    }
    if (!ok) return std::nullopt;
  }
  if (request.input.empty() || request.output.empty() || format.empty() || request.width == 0) {
    Fail(error, "-i, -o, -f and --scale-size are all needed");
    return std::nullopt;
  }
  if (format != "gx96") {
    Fail(error, "unknown format " + format + " (only gx96 is written)");
    return std::nullopt;
  }
  return request;
}

}  // namespace qgif

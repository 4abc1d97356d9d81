#pragma once
// The converter's command line:
//   qgif convert -i INPUT -o OUTPUT -f gx96 --scale-size WIDTH HEIGHT
// Options may come in any order; each is needed once.

#include <optional>
#include <string>
#include <vector>

namespace qgif {

struct ConvertRequest {
  std::string input;
  std::string output;
  int width = 0;
  int height = 0;
};

// The request, or empty with the reason in *error.
std::optional<ConvertRequest> ParseCommandLine(const std::vector<std::string>& arguments,
                                               std::string* error);

inline constexpr const char* kUsage =
    "usage: qgif convert -i INPUT -o OUTPUT -f gx96 --scale-size WIDTH HEIGHT\n"
    "  INPUT   a GIF, PNG or JPEG picture\n"
    "  OUTPUT  the screen image to write (replaced whole, never in part)\n";

}  // namespace qgif

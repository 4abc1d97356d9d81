#pragma once
// Still pictures (JPEG, PNG, BMP, ...) read with Qt's image reader into plain pixels, for the
// effect view's picture source: the media player is handed a loader that calls this, so that
// nothing below the front end needs Qt.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace TesselQt {

struct PicturePixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00BBGGRR, row by row; transparency shows black
};

// Empty when the file cannot be read as a picture, or is larger than 16384 pixels on a side.
std::optional<PicturePixels> ReadPictureFile(const std::string& path);

}  // namespace TesselQt

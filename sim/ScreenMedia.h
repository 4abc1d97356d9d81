#pragma once
// What the keyboard's screen holds: the images its media table lists, read out of the flash
// and decoded as gx96 images, and the factory content a new keyboard starts with.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "protocol/Gx96.h"
#include "sim/KeyboardState.h"

namespace sim {

struct StoredImage {
  std::uint32_t startBlock = 0;
  std::uint32_t size = 0;
  std::vector<std::uint8_t> bytes;           // as the flash holds them
  std::optional<protocol::Gx96Image> image;  // empty when the bytes are no gx96 image
  std::string problem;                       // why they are not
};

// The images of the media table, in table order. Entries whose count or range the flash
// cannot hold are left out.
std::vector<StoredImage> ReadStoredImages(const ScreenState& screen);

// The factory's one image (a still picture of the screen's size) in block 0 and its table.
void LoadFactoryScreen(ScreenState& screen);

}  // namespace sim

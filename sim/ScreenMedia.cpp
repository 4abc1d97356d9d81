#include "sim/ScreenMedia.h"

#include <algorithm>

namespace sim {
namespace {

constexpr std::size_t kTableEntryStart = 3;
constexpr std::size_t kTableEntryLength = 5;
constexpr std::size_t kMaxTableEntries = 10;
constexpr int kFactoryWidth = 240;
constexpr int kFactoryHeight = 136;

protocol::Gx96Image FactoryImage() {
  protocol::Gx96Image image;
  image.width = kFactoryWidth;
  image.height = kFactoryHeight;
  protocol::Gx96Frame frame;
  frame.delayMs = 1000;
  for (int y = 0; y < kFactoryHeight; ++y) {
    for (int x = 0; x < kFactoryWidth; ++x) {
      const unsigned band = static_cast<unsigned>(x * 6 / kFactoryWidth);
      frame.pixels.push_back(protocol::Rgb565(band & 1 ? 255 : 40, band & 2 ? 200 : 30,
                                              band & 4 ? 255 : 60 + static_cast<unsigned>(y)));
    }
  }
  image.frames.push_back(std::move(frame));
  return image;
}

}  // namespace

std::vector<StoredImage> ReadStoredImages(const ScreenState& screen) {
  const auto& table = screen.mediaTable;
  const std::size_t count = std::min<std::size_t>(table[1], kMaxTableEntries);
  std::vector<StoredImage> images;
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t at = kTableEntryStart + kTableEntryLength * k;
    StoredImage stored;
    stored.startBlock = table[at];
    stored.size =
        table[at + 2] | (table[at + 3] << 8) | (static_cast<std::uint32_t>(table[at + 4]) << 16);
    const std::uint64_t start = std::uint64_t{stored.startBlock} * ScreenFlash::kBlockSize;
    if (start + stored.size > screen.flash.size) continue;
    stored.bytes = screen.flash.Read(static_cast<std::uint32_t>(start), stored.size);
    stored.image = protocol::DecodeGx96(stored.bytes, &stored.problem);
    images.push_back(std::move(stored));
  }
  return images;
}

void LoadFactoryScreen(ScreenState& screen) {
  const std::vector<std::uint8_t> bytes = protocol::EncodeGx96(FactoryImage());
  screen.flash.Preload(0, bytes);
  screen.mediaTable.fill(0);
  screen.mediaTable[1] = 1;
  screen.mediaTable[2] = static_cast<std::uint8_t>(
      (bytes.size() + ScreenFlash::kBlockSize - 1) / ScreenFlash::kBlockSize + 1);
  screen.mediaTable[3] = 0;
  for (int b = 0; b < 3; ++b) {
    screen.mediaTable[5 + static_cast<std::size_t>(b)] =
        static_cast<std::uint8_t>(bytes.size() >> (8 * b));
  }
}

}  // namespace sim

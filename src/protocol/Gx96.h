#pragma once
// "gx96": the image format the keyboard's screen keeps in its flash. A file holds one
// animation: a 16-byte header, a table with one 8-byte entry per frame, then the frames' pixel
// data back to back. Pixels are RGB 5-6-5, two bytes little-endian, row after row; a frame is
// stored raw or run-length coded, whichever is smaller. docs/gx96.md describes every byte.
//
//   header   0  "GX96"            4  version (1)        5  flags (0)
//            6  width (16 bits)   8  height (16 bits)   10 frame count (16 bits)
//            12 CRC-32 of everything after the header
//   entry    0  delay in ms (16 bits)   2  coding (0 raw, 1 run-length)   3  0
//            4  byte count of the frame's data (32 bits)
//   run-length data: a control byte c; c < 128: c + 1 pixels follow as they are; c >= 128:
//            one pixel follows and stands for c - 126 pixels (2 to 129).
//
// All numbers are little-endian. Decoding checks every field and refuses anything that does
// not add up to exactly the bytes given.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace protocol {

inline constexpr std::size_t kGx96HeaderLength = 16;
inline constexpr std::size_t kGx96EntryLength = 8;
inline constexpr std::uint8_t kGx96Version = 1;
inline constexpr std::uint8_t kGx96CodingRaw = 0;
inline constexpr std::uint8_t kGx96CodingRunLength = 1;
inline constexpr int kGx96MaxSide = 1024;
inline constexpr std::size_t kGx96MaxFrames = 4096;
// Pixels of all frames together (64 MiB of RGB 5-6-5).
inline constexpr std::size_t kGx96MaxTotalPixels = 32u * 1024 * 1024;

struct Gx96Frame {
  std::uint16_t delayMs = 100;        // 1 .. 65535
  std::vector<std::uint16_t> pixels;  // RGB 5-6-5, width x height
  bool operator==(const Gx96Frame&) const = default;
};

struct Gx96Image {
  int width = 0;
  int height = 0;
  std::vector<Gx96Frame> frames;
  bool operator==(const Gx96Image&) const = default;
};

enum class Gx96Coding { kRaw, kRunLength, kSmallest };

// Why an image cannot be stored; empty when it can.
std::string Gx96Problem(const Gx96Image& image);

// The file's bytes; empty when Gx96Problem names a problem.
std::vector<std::uint8_t> EncodeGx96(const Gx96Image& image,
                                     Gx96Coding coding = Gx96Coding::kSmallest);

std::optional<Gx96Image> DecodeGx96(std::span<const std::uint8_t> bytes,
                                    std::string* error = nullptr);

// IEEE 802.3 CRC-32 (reflected, 0xEDB88320), as zlib computes it.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes);

// RGB 5-6-5 from 8-bit channels and back (the low bits repeat the high ones).
constexpr std::uint16_t Rgb565(unsigned red, unsigned green, unsigned blue) {
  return static_cast<std::uint16_t>(((red & 0xF8) << 8) | ((green & 0xFC) << 3) |
                                    ((blue & 0xF8) >> 3));
}
struct Rgb888 {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb888&) const = default;
};
Rgb888 FromRgb565(std::uint16_t pixel);

}  // namespace protocol

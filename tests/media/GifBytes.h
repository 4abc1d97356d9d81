#pragma once
// Builds GIF files byte by byte, so that tests can make files the writer never would: frames
// without a colour table, indices beyond the palette, frames outside the logical screen,
// every disposal method. Pixel data is LZW-coded without compression (a clear code before the
// code width would grow), which every decoder reads.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace media::testing {

using Bytes = std::vector<std::uint8_t>;

struct RawFrame {
  RawFrame() = default;
  RawFrame(int frameLeft, int frameTop, int frameWidth, int frameHeight,
           std::vector<std::uint8_t> frameIndices)
      : left(frameLeft),
        top(frameTop),
        width(frameWidth),
        height(frameHeight),
        indices(std::move(frameIndices)) {}

  int left = 0;
  int top = 0;
  int width = 1;
  int height = 1;
  std::vector<std::uint8_t> indices;        // width x height
  std::vector<std::uint32_t> localPalette;  // 0xRRGGBB; empty: none
  std::optional<int> delayCs;  // a control block when set (or when disposal/transparent is)
  int disposal = 0;
  int transparent = -1;
  bool interlaced = false;
};

struct RawGif {
  int width = 1;
  int height = 1;
  std::vector<std::uint32_t> globalPalette;  // 0xRRGGBB; empty: none
  std::optional<int> loopCount;
  std::vector<RawFrame> frames;
  bool trailer = true;
};

inline void Put16(Bytes& out, int value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Palette sizes are powers of two from 2 to 256; the field holds log2(size) - 1.
inline int PaletteBits(std::size_t size) {
  int bits = 1;
  while ((std::size_t{1} << bits) < size && bits < 8) ++bits;
  return bits;
}

inline void PutPalette(Bytes& out, const std::vector<std::uint32_t>& palette) {
  const std::size_t size = std::size_t{1} << PaletteBits(palette.size());
  for (std::size_t i = 0; i < size; ++i) {
    const std::uint32_t colour = i < palette.size() ? palette[i] : 0;
    out.push_back(static_cast<std::uint8_t>(colour >> 16));
    out.push_back(static_cast<std::uint8_t>(colour >> 8));
    out.push_back(static_cast<std::uint8_t>(colour));
  }
}

class BitWriter {
 public:
  void Put(int code, int width) {
    for (int i = 0; i < width; ++i) {
      if (bit_ == 0) bytes_.push_back(0);
      if ((code >> i) & 1) bytes_.back() |= static_cast<std::uint8_t>(1 << bit_);
      bit_ = (bit_ + 1) % 8;
    }
  }
  const Bytes& Data() const { return bytes_; }

 private:
  Bytes bytes_;
  int bit_ = 0;
};

inline void PutPixels(Bytes& out, const std::vector<std::uint8_t>& indices, int minCodeSize) {
  const int clear = 1 << minCodeSize;
  const int width = minCodeSize + 1;
  const std::size_t perClear = static_cast<std::size_t>(clear - 2);
  BitWriter bits;
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % perClear == 0) bits.Put(clear, width);
    bits.Put(indices[i], width);
  }
  bits.Put(clear + 1, width);
  out.push_back(static_cast<std::uint8_t>(minCodeSize));
  const Bytes& data = bits.Data();
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t count = std::min<std::size_t>(255, data.size() - at);
    out.push_back(static_cast<std::uint8_t>(count));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
               data.begin() + static_cast<std::ptrdiff_t>(at + count));
  }
  out.push_back(0);
}

inline Bytes Build(const RawGif& gif) {
  Bytes out = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(out, gif.width);
  Put16(out, gif.height);
  const bool global = !gif.globalPalette.empty();
  out.push_back(static_cast<std::uint8_t>(
      global ? 0x80 | 0x70 | (PaletteBits(gif.globalPalette.size()) - 1) : 0));
  out.push_back(0);  // background
  out.push_back(0);  // aspect
  if (global) PutPalette(out, gif.globalPalette);
  if (gif.loopCount) {
    const std::string name = "NETSCAPE2.0";
    out.insert(out.end(), {0x21, 0xFF, 11});
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), {3, 1});
    Put16(out, *gif.loopCount);
    out.push_back(0);
  }
  for (const RawFrame& frame : gif.frames) {
    if (frame.delayCs || frame.disposal != 0 || frame.transparent >= 0) {
      out.insert(out.end(), {0x21, 0xF9, 4});
      out.push_back(static_cast<std::uint8_t>((frame.disposal << 2) | (frame.transparent >= 0)));
      Put16(out, frame.delayCs.value_or(0));
      out.push_back(static_cast<std::uint8_t>(frame.transparent >= 0 ? frame.transparent : 0));
      out.push_back(0);
    }
    out.push_back(0x2C);
    Put16(out, frame.left);
    Put16(out, frame.top);
    Put16(out, frame.width);
    Put16(out, frame.height);
    const bool local = !frame.localPalette.empty();
    out.push_back(static_cast<std::uint8_t>(
        (local ? 0x80 | (PaletteBits(frame.localPalette.size()) - 1) : 0) |
        (frame.interlaced ? 0x40 : 0)));
    if (local) PutPalette(out, frame.localPalette);
    PutPixels(out, frame.indices, 4);
  }
  if (gif.trailer) out.push_back(0x3B);
  return out;
}

}  // namespace media::testing

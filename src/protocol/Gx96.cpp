#include "protocol/Gx96.h"

#include <algorithm>
#include <array>

namespace protocol {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'G', 'X', '9', '6'};
constexpr std::size_t kLiteralLimit = 128;  // pixels in one literal packet
constexpr std::size_t kRepeatLimit = 129;   // pixels one repeat packet stands for
constexpr std::uint8_t kRepeatBase = 126;   // control byte - 126 = repeat count

// --- little-endian fields ---

void Put16(std::vector<std::uint8_t>& out, std::size_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::size_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, (value >> 16) & 0xFFFF);
}

void Patch32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + static_cast<std::size_t>(i)] = (value >> (8 * i)) & 0xFF;
}

std::uint16_t Get16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}

std::uint32_t Get32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return Get16(bytes, at) | (static_cast<std::uint32_t>(Get16(bytes, at + 2)) << 16);
}

// --- frame data ---

void PutRaw(std::vector<std::uint8_t>& out, std::span<const std::uint16_t> pixels) {
  for (const std::uint16_t pixel : pixels) Put16(out, pixel);
}

std::size_t RunAt(std::span<const std::uint16_t> pixels, std::size_t at) {
  std::size_t run = 1;
  while (at + run < pixels.size() && run < kRepeatLimit && pixels[at + run] == pixels[at]) ++run;
  return run;
}

void PutRunLength(std::vector<std::uint8_t>& out, std::span<const std::uint16_t> pixels) {
  std::size_t at = 0;
  while (at < pixels.size()) {
    const std::size_t run = RunAt(pixels, at);
    if (run >= 2) {
      out.push_back(static_cast<std::uint8_t>(run + kRepeatBase));
      Put16(out, pixels[at]);
      at += run;
      continue;
    }
    // A literal packet ends where a run of three or more begins (a run of two costs as much
    // inside a literal as on its own).
    std::size_t count = 1;
    while (at + count < pixels.size() && count < kLiteralLimit && RunAt(pixels, at + count) < 3) {
      ++count;
    }
    out.push_back(static_cast<std::uint8_t>(count - 1));
    PutRaw(out, pixels.subspan(at, count));
    at += count;
  }
}

bool DecodeRunLength(std::span<const std::uint8_t> data, std::vector<std::uint16_t>& pixels) {
  std::size_t at = 0;
  std::size_t filled = 0;
  while (at < data.size()) {
    const std::uint8_t control = data[at++];
    const bool repeat = control >= 128;
    const std::size_t count = repeat ? control - kRepeatBase : control + 1u;
    const std::size_t stored = repeat ? 2 : 2 * count;
    if (stored > data.size() - at || count > pixels.size() - filled) return false;
    if (repeat) {
      std::fill_n(pixels.begin() + static_cast<std::ptrdiff_t>(filled), count, Get16(data, at));
    } else {
      for (std::size_t i = 0; i < count; ++i) pixels[filled + i] = Get16(data, at + 2 * i);
    }
    at += stored;
    filled += count;
  }
  return filled == pixels.size();
}

struct Header {
  int width = 0;
  int height = 0;
  std::size_t frames = 0;
};

bool Refuse(std::string* error, const char* why) {
  if (error != nullptr) *error = why;
  return false;
}

bool ReadHeader(std::span<const std::uint8_t> bytes, Header& header, std::string* error) {
  if (bytes.size() < kGx96HeaderLength) return Refuse(error, "shorter than the header");
  if (!std::equal(kMagic.begin(), kMagic.end(), bytes.begin())) {
    return Refuse(error, "not a gx96 file");
  }
  if (bytes[4] != kGx96Version) return Refuse(error, "unknown version");
  if (bytes[5] != 0) return Refuse(error, "unknown flags");
  header.width = Get16(bytes, 6);
  header.height = Get16(bytes, 8);
  header.frames = Get16(bytes, 10);
  if (header.width < 1 || header.width > kGx96MaxSide || header.height < 1 ||
      header.height > kGx96MaxSide) {
    return Refuse(error, "size out of range");
  }
  const std::size_t pixels = static_cast<std::size_t>(header.width) * header.height;
  if (header.frames < 1 || header.frames > kGx96MaxFrames ||
      pixels * header.frames > kGx96MaxTotalPixels) {
    return Refuse(error, "frame count out of range");
  }
  if (Crc32(bytes.subspan(kGx96HeaderLength)) != Get32(bytes, 12)) {
    return Refuse(error, "checksum does not match");
  }
  return true;
}

bool ReadFrames(std::span<const std::uint8_t> bytes, const Header& header, Gx96Image& image,
                std::string* error) {
  const std::size_t pixels = static_cast<std::size_t>(header.width) * header.height;
  const std::size_t tableEnd = kGx96HeaderLength + header.frames * kGx96EntryLength;
  if (tableEnd > bytes.size()) return Refuse(error, "frame table cut short");
  std::size_t dataAt = tableEnd;
  for (std::size_t f = 0; f < header.frames; ++f) {
    const std::size_t entry = kGx96HeaderLength + f * kGx96EntryLength;
    const std::uint16_t delay = Get16(bytes, entry);
    const std::uint8_t coding = bytes[entry + 2];
    const std::uint32_t length = Get32(bytes, entry + 4);
    if (delay == 0) return Refuse(error, "frame without a delay");
    if (bytes[entry + 3] != 0) return Refuse(error, "reserved byte set");
    if (length > bytes.size() - dataAt) return Refuse(error, "frame data cut short");
    const auto data = bytes.subspan(dataAt, length);
    Gx96Frame frame{delay, std::vector<std::uint16_t>(pixels)};
    if (coding == kGx96CodingRaw) {
      if (length != 2 * pixels) return Refuse(error, "raw frame of the wrong length");
      for (std::size_t i = 0; i < pixels; ++i) frame.pixels[i] = Get16(data, 2 * i);
    } else if (coding == kGx96CodingRunLength) {
      if (!DecodeRunLength(data, frame.pixels)) return Refuse(error, "damaged run-length frame");
    } else {
      return Refuse(error, "unknown frame coding");
    }
    image.frames.push_back(std::move(frame));
    dataAt += length;
  }
  if (dataAt != bytes.size()) return Refuse(error, "bytes after the last frame");
  return true;
}

}  // namespace

std::string Gx96Problem(const Gx96Image& image) {
  if (image.width < 1 || image.width > kGx96MaxSide || image.height < 1 ||
      image.height > kGx96MaxSide) {
    return "size out of range";
  }
  const std::size_t pixels = static_cast<std::size_t>(image.width) * image.height;
  if (image.frames.empty() || image.frames.size() > kGx96MaxFrames ||
      pixels * image.frames.size() > kGx96MaxTotalPixels) {
    return "frame count out of range";
  }
  for (const Gx96Frame& frame : image.frames) {
    if (frame.delayMs == 0) return "frame without a delay";
    if (frame.pixels.size() != pixels) return "frame of the wrong size";
  }
  return {};
}

std::vector<std::uint8_t> EncodeGx96(const Gx96Image& image, Gx96Coding coding) {
  if (!Gx96Problem(image).empty()) return {};
  std::vector<std::uint8_t> out(kMagic.begin(), kMagic.end());
  out.push_back(kGx96Version);
  out.push_back(0);
  Put16(out, static_cast<std::size_t>(image.width));
  Put16(out, static_cast<std::size_t>(image.height));
  Put16(out, image.frames.size());
  Put32(out, 0);  // the checksum, once the rest is known
  const std::size_t tableAt = out.size();
  out.resize(tableAt + image.frames.size() * kGx96EntryLength, 0);
  std::vector<std::uint8_t> data;
  for (std::size_t f = 0; f < image.frames.size(); ++f) {
    const auto& pixels = image.frames[f].pixels;
    data.clear();
    if (coding != Gx96Coding::kRaw) PutRunLength(data, pixels);
    const bool runLength = coding == Gx96Coding::kRunLength ||
                           (coding == Gx96Coding::kSmallest && data.size() < 2 * pixels.size());
    if (!runLength) {
      data.clear();
      PutRaw(data, pixels);
    }
    std::vector<std::uint8_t> entry;
    Put16(entry, image.frames[f].delayMs);
    entry.push_back(runLength ? kGx96CodingRunLength : kGx96CodingRaw);
    entry.push_back(0);
    Put32(entry, data.size());
    std::copy(entry.begin(), entry.end(),
              out.begin() + static_cast<std::ptrdiff_t>(tableAt + f * kGx96EntryLength));
    out.insert(out.end(), data.begin(), data.end());
  }
  Patch32(out, 12, Crc32(std::span<const std::uint8_t>(out).subspan(kGx96HeaderLength)));
  return out;
}

std::optional<Gx96Image> DecodeGx96(std::span<const std::uint8_t> bytes, std::string* error) {
  Header header;
  if (!ReadHeader(bytes, header, error)) return std::nullopt;
  Gx96Image image;
  image.width = header.width;
  image.height = header.height;
  if (!ReadFrames(bytes, header, image, error)) return std::nullopt;
  return image;
}

std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> entries{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const std::uint8_t byte : bytes) crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

Rgb888 FromRgb565(std::uint16_t pixel) {
  const unsigned red = pixel >> 11;
  const unsigned green = (pixel >> 5) & 0x3F;
  const unsigned blue = pixel & 0x1F;
  return {static_cast<std::uint8_t>((red << 3) | (red >> 2)),
          static_cast<std::uint8_t>((green << 2) | (green >> 4)),
          static_cast<std::uint8_t>((blue << 3) | (blue >> 2))};
}

}  // namespace protocol

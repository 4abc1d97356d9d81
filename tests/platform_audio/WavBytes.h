#pragma once
// Builds RIFF WAVE files byte by byte, well-formed or deliberately not.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

struct WavFields {
  std::uint16_t formatTag = 1;
  std::uint16_t channels = 2;
  std::uint32_t sampleRate = 48000;
  std::uint16_t bitsPerSample = 16;
  // Derived unless set.
  std::int64_t blockAlign = -1;
  std::int64_t byteRate = -1;
};

class WavBytes {
 public:
  WavBytes& Text(const char* text) {
    for (const char* c = text; *c; ++c) bytes_.push_back(static_cast<std::byte>(*c));
    return *this;
  }
  WavBytes& U16(std::uint32_t value) {
    bytes_.push_back(static_cast<std::byte>(value & 0xFF));
    bytes_.push_back(static_cast<std::byte>(value >> 8 & 0xFF));
    return *this;
  }
  WavBytes& U32(std::uint32_t value) { return U16(value & 0xFFFF).U16(value >> 16); }
  WavBytes& Raw(std::span<const std::byte> raw) {
    bytes_.insert(bytes_.end(), raw.begin(), raw.end());
    return *this;
  }
  WavBytes& Riff(std::uint32_t size) { return Text("RIFF").U32(size).Text("WAVE"); }
  WavBytes& Format(const WavFields& f) {
    const std::uint32_t align = f.blockAlign >= 0 ? static_cast<std::uint32_t>(f.blockAlign)
                                                  : f.channels * f.bitsPerSample / 8;
    const std::uint32_t rate =
        f.byteRate >= 0 ? static_cast<std::uint32_t>(f.byteRate) : f.sampleRate * align;
    return Text("fmt ")
        .U32(16)
        .U16(f.formatTag)
        .U16(f.channels)
        .U32(f.sampleRate)
        .U32(rate)
        .U16(align)
        .U16(f.bitsPerSample);
  }
  WavBytes& Data16(std::span<const float> samples) {
    Text("data").U32(static_cast<std::uint32_t>(samples.size() * 2));
    for (float s : samples)
      U16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(s * 32767.0f))));
    return *this;
  }
  // Sets the RIFF size to what follows it.
  WavBytes& FixRiffSize() {
    const auto size = static_cast<std::uint32_t>(bytes_.size() - 8);
    for (int i = 0; i < 4; ++i) bytes_[4 + i] = static_cast<std::byte>(size >> (8 * i) & 0xFF);
    return *this;
  }
  const std::vector<std::byte>& Bytes() const { return bytes_; }
  void Save(const std::filesystem::path& path) const {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes_.data()),
              static_cast<std::streamsize>(bytes_.size()));
  }

 private:
  std::vector<std::byte> bytes_;
};

// A 16-bit stereo file of the given samples (left, right, ...).
inline WavBytes Wav16(std::span<const float> samples, std::uint32_t rate) {
  WavFields fields;
  fields.sampleRate = rate;
  WavBytes wav;
  wav.Riff(0).Format(fields).Data16(samples).FixRiffSize();
  return wav;
}

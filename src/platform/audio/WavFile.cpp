#include "platform/audio/WavFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "platform/audio/PcmFrames.h"

namespace platform {
namespace {

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatFloat = 3;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;
// The sub-format GUID of an extensible header after its first two bytes (the format tag).
constexpr unsigned char kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                         0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t U16(std::span<const std::byte> at) {
  return static_cast<std::uint16_t>(std::to_integer<unsigned>(at[0]) |
                                    std::to_integer<unsigned>(at[1]) << 8);
}

std::uint32_t U32(std::span<const std::byte> at) {
  return static_cast<std::uint32_t>(U16(at)) | static_cast<std::uint32_t>(U16(at.subspan(2))) << 16;
}

bool IdIs(std::span<const std::byte> at, const char* id) {
  return std::memcmp(at.data(), id, 4) == 0;
}

WavReadResult Refuse(std::string reason) {
  return WavReadResult{std::nullopt, std::move(reason)};
}

struct FormatChunk {
  PcmLayout layout;
  std::size_t blockAlign = 0;
};

std::optional<FormatChunk> Fail(std::string& error, const char* reason) {
  error = reason;
  return std::nullopt;
}

// The format tag, with an extensible header resolved to the tag of its sub-format.
std::optional<std::uint16_t> FormatTag(std::span<const std::byte> body) {
  const std::uint16_t tag = U16(body);
  if (tag != kFormatExtensible) return tag;
  if (body.size() < 40 || U16(body.subspan(16)) < 22) return std::nullopt;
  if (std::memcmp(body.data() + 26, kGuidTail, sizeof kGuidTail) != 0) return std::nullopt;
  return U16(body.subspan(24));
}

std::optional<FormatChunk> ReadFormat(std::span<const std::byte> body, std::string& error) {
  if (body.size() < 16) return Fail(error, "the format chunk is too short");
  const auto tag = FormatTag(body);
  const unsigned channels = U16(body.subspan(2));
  const std::uint32_t rate = U32(body.subspan(4));
  const std::uint32_t byteRate = U32(body.subspan(8));
  const unsigned blockAlign = U16(body.subspan(12));
  const unsigned bits = U16(body.subspan(14));
  FormatChunk format;
  if (tag == kFormatPcm && bits == 16) {
    format.layout.format = PcmFormat::Int16Le;
  } else if (tag == kFormatFloat && bits == 32) {
    format.layout.format = PcmFormat::Float32Le;
  } else {
    return Fail(error, "only 16-bit PCM and 32-bit float samples are read");
  }
  format.layout.channels = channels;
  format.layout.sampleRate = rate;
  if (!IsUsableLayout(format.layout))
    return Fail(error, "the channel count or the sample rate is out of range");
  if (blockAlign != channels * bits / 8)
    return Fail(error, "the block size does not match the channels and sample size");
  if (byteRate != static_cast<std::uint64_t>(rate) * blockAlign)
    return Fail(error, "the byte rate does not match the sample rate");
  format.blockAlign = blockAlign;
  return format;
}

}  // namespace

WavReadResult ParseWav(std::span<const std::byte> file) {
  if (file.size() < 12 || !IdIs(file, "RIFF") || !IdIs(file.subspan(8), "WAVE"))
    return Refuse("not a RIFF WAVE file");
  if (file.size() > kMaxWavFileBytes) return Refuse("the file is too large");
  const std::uint64_t riffEnd = 8ull + U32(file.subspan(4));
  if (riffEnd < 12) return Refuse("the RIFF size is too small");
  // Writers that stream often leave the RIFF size too large; the file's end bounds the walk.
  const auto chunks =
      file.first(static_cast<std::size_t>(std::min<std::uint64_t>(riffEnd, file.size())));
  std::optional<FormatChunk> format;
  std::size_t at = 12;
  while (chunks.size() - at >= 8) {
    const auto header = chunks.subspan(at, 8);
    const std::uint32_t size = U32(header.subspan(4));
    if (size > chunks.size() - at - 8) return Refuse("a chunk runs past the end of the file");
    const auto body = chunks.subspan(at + 8, size);
    std::string error;
    if (IdIs(header, "fmt ")) {
      if (format) return Refuse("the file has two format chunks");
      format = ReadFormat(body, error);
      if (!format) return Refuse(error);
    } else if (IdIs(header, "data")) {
      if (!format) return Refuse("the sound data comes before its format");
      WavAudio audio;
      audio.sampleRate = format->layout.sampleRate;
      audio.channels = format->layout.channels;
      // A partial frame at the end is left out.
      const std::size_t whole = body.size() / format->blockAlign * format->blockAlign;
      AppendStereoFrames(body.first(whole), format->layout, audio.samples);
      return WavReadResult{std::move(audio), {}};
    }
    at += 8 + static_cast<std::size_t>(size) + (size & 1u);  // chunks are padded to even sizes
    if (at > chunks.size()) break;
  }
  return Refuse(format ? "the file has no sound data" : "the file has no format chunk");
}

WavReadResult ReadWavFile(const std::filesystem::path& path) {
  std::error_code error;
  const auto size = std::filesystem::file_size(path, error);
  if (error) return Refuse("cannot read " + path.string() + ": " + error.message());
  if (size > kMaxWavFileBytes) return Refuse("the file is too large");
  std::ifstream in(path, std::ios::binary);
  std::vector<std::byte> bytes(static_cast<std::size_t>(size));
  if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)))
    return Refuse("cannot read " + path.string());
  return ParseWav(bytes);
}

WavFileSource::WavFileSource(WavAudio audio, std::size_t packetFrames, MonotonicClock clock)
    : audio_(std::move(audio)),
      delivery_(audio_.sampleRate, packetFrames, std::move(clock), "sound file") {}

bool WavFileSource::Start(PacketHandler handler) {
  return delivery_.Start(
      [this](std::span<float> out) {
        const std::size_t frames = std::min(out.size() / 2, audio_.Frames() - nextFrame_);
        std::copy_n(audio_.samples.begin() + static_cast<std::ptrdiff_t>(nextFrame_ * 2),
                    frames * 2, out.begin());
        nextFrame_ += frames;
        return frames;
      },
      std::move(handler));
}

}  // namespace platform

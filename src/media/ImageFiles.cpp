#include "media/ImageFiles.h"

#include "media/FileIo.h"
#include "media/Gif.h"

namespace media {
namespace {

bool StartsWith(std::span<const std::uint8_t> bytes, std::initializer_list<std::uint8_t> magic) {
  if (bytes.size() < magic.size()) return false;
  std::size_t i = 0;
  for (const std::uint8_t byte : magic) {
    if (bytes[i++] != byte) return false;
  }
  return true;
}

std::optional<Animation> Still(std::optional<Picture> picture) {
  if (!picture) return std::nullopt;
  Animation animation;
  animation.width = picture->width;
  animation.height = picture->height;
  animation.frames.push_back({std::move(*picture), 0});
  return animation;
}

}  // namespace

std::optional<Animation> DecodeImage(std::span<const std::uint8_t> bytes,
                                     const DecodeLimits& limits, std::string* error) {
  if (LooksLikeGif(bytes)) return DecodeGif(bytes, limits, error);
  if (StartsWith(bytes, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) {
    return Still(DecodePng(bytes, limits, error));
  }
  if (StartsWith(bytes, {0xFF, 0xD8, 0xFF})) return Still(DecodeJpeg(bytes, limits, error));
  if (error != nullptr) *error = "not a GIF, PNG or JPEG picture";
  return std::nullopt;
}

std::optional<Animation> ReadImageFile(const std::filesystem::path& path,
                                       const DecodeLimits& limits, std::string* error) {
  const auto bytes = ReadFileBytes(path, limits.maxFileBytes, error);
  if (!bytes) return std::nullopt;
  std::string reason;
  auto animation = DecodeImage(*bytes, limits, &reason);
  if (!animation && error != nullptr) *error = path.string() + ": " + reason;
  return animation;
}

}  // namespace media

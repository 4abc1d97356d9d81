// PNG through libpng's simplified interface, which does its own error recovery.

#include <png.h>

#include <bit>

#include "media/FileIo.h"
#include "media/ImageFiles.h"

namespace media {
namespace {

// Frees what libpng holds for an image on every way out.
struct PngImage {
  PngImage() { image.version = PNG_IMAGE_VERSION; }
  ~PngImage() { png_image_free(&image); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;

  std::string Message() const { return image.message; }

  png_image image{};
};

// 0xAARRGGBB words, stored little-endian, are the bytes B, G, R, A.
constexpr png_uint_32 kPixelFormat = PNG_FORMAT_BGRA;

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
  return false;
}

}  // namespace

std::optional<Picture> DecodePng(std::span<const std::uint8_t> bytes, const DecodeLimits& limits,
                                 std::string* error) {
  static_assert(std::endian::native == std::endian::little);
  PngImage png;
  if (!png_image_begin_read_from_memory(&png.image, bytes.data(), bytes.size())) {
    Fail(error, "not a readable PNG: " + png.Message());
    return std::nullopt;
  }
  if (!FitsLimits(png.image.width, png.image.height, limits)) {
    Fail(error, "picture size out of range");
    return std::nullopt;
  }
  png.image.format = kPixelFormat;
  Picture picture(static_cast<int>(png.image.width), static_cast<int>(png.image.height));
  if (!png_image_finish_read(&png.image, nullptr, picture.pixels.data(), 0, nullptr)) {
    Fail(error, "damaged PNG: " + png.Message());
    return std::nullopt;
  }
  return picture;
}

std::optional<std::vector<std::uint8_t>> EncodePng(const Picture& picture, std::string* error) {
  if (picture.Empty() || picture.pixels.size() != static_cast<std::size_t>(picture.width) *
                                                      static_cast<std::size_t>(picture.height)) {
    Fail(error, "empty picture");
    return std::nullopt;
  }
  PngImage png;
  png.image.width = static_cast<png_uint_32>(picture.width);
  png.image.height = static_cast<png_uint_32>(picture.height);
  png.image.format = kPixelFormat;
  png_alloc_size_t size = 0;
  if (!png_image_write_to_memory(&png.image, nullptr, &size, 0, picture.pixels.data(), 0,
                                 nullptr)) {
    Fail(error, "cannot encode the PNG: " + png.Message());
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes(size);
  if (!png_image_write_to_memory(&png.image, bytes.data(), &size, 0, picture.pixels.data(), 0,
                                 nullptr)) {
    Fail(error, "cannot encode the PNG: " + png.Message());
    return std::nullopt;
  }
  bytes.resize(size);
  return bytes;
}

bool WritePngFile(const std::filesystem::path& path, const Picture& picture, std::string* error) {
  const auto bytes = EncodePng(picture, error);
  return bytes && WriteFileAtomically(path, *bytes, error);
}

}  // namespace media

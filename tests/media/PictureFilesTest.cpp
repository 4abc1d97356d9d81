// Still pictures, fitting pictures into the screen, and the screen's form of an animation.

#include <gtest/gtest.h>

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
// clang-format on

#include "media/FileIo.h"
#include "media/ImageFiles.h"
#include "media/Resample.h"
#include "media/ScreenImage.h"
#include "support/TempFolder.h"

namespace media {
namespace {

using Bytes = std::vector<std::uint8_t>;

Picture Gradient(int width, int height) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) picture.Set(x, y, MakeArgb(x * 7, y * 5, 200, 255 - x));
  }
  return picture;
}

// A JPEG of a flat colour, written with the library's default error handling (tests only).
Bytes FlatJpeg(int width, int height, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  jpeg_start_compress(&info, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * 3);
  for (int x = 0; x < width; ++x) {
    row[static_cast<std::size_t>(x) * 3] = red;
    row[static_cast<std::size_t>(x) * 3 + 1] = green;
    row[static_cast<std::size_t>(x) * 3 + 2] = blue;
  }
  while (info.next_scanline < info.image_height) {
    JSAMPROW pointer = row.data();
    jpeg_write_scanlines(&info, &pointer, 1);
  }
  jpeg_finish_compress(&info);
  Bytes bytes(buffer, buffer + size);
  jpeg_destroy_compress(&info);
  std::free(buffer);
  return bytes;
}

TEST(Png, RoundTripKeepsEveryPixelWithItsAlpha) {
  const Picture picture = Gradient(33, 20);
  const auto bytes = EncodePng(picture);
  ASSERT_TRUE(bytes.has_value());
  std::string error;
  const auto read = DecodePng(*bytes, {}, &error);
  ASSERT_TRUE(read.has_value()) << error;
  EXPECT_EQ(*read, picture);
}

TEST(Png, DamagedOrOversizedFilesAreRefused) {
  Bytes bytes = EncodePng(Gradient(40, 40)).value();
  DecodeLimits small;
  small.maxSide = 39;
  EXPECT_FALSE(DecodePng(bytes, small).has_value());
  bytes.resize(bytes.size() / 2);
  std::string error;
  EXPECT_FALSE(DecodePng(bytes, {}, &error).has_value());
  EXPECT_FALSE(error.empty());
}

TEST(Jpeg, DecodesAndRefusesWhatIsCutShort) {
  const Bytes bytes = FlatJpeg(24, 16, 200, 40, 90);
  const auto picture = DecodeJpeg(bytes);
  ASSERT_TRUE(picture.has_value());
  ASSERT_EQ(picture->width, 24);
  ASSERT_EQ(picture->height, 16);
  const Argb middle = picture->At(12, 8);
  EXPECT_NEAR(RedOf(middle), 200, 4);
  EXPECT_NEAR(GreenOf(middle), 40, 4);
  EXPECT_NEAR(BlueOf(middle), 90, 4);
  EXPECT_EQ(AlphaOf(middle), 255u);
  EXPECT_FALSE(DecodeJpeg(Bytes(bytes.begin(), bytes.begin() + 200)).has_value());
  EXPECT_FALSE(DecodeJpeg(Bytes{0xFF, 0xD8, 0xFF, 0x00}).has_value());
}

TEST(ImageFiles, ChoosesTheReaderByContentNotByName) {
  TempFolder folder;
  const auto path = folder / "picture.gif";  // holds a JPEG
  ASSERT_TRUE(WriteFileAtomically(path, FlatJpeg(8, 8, 10, 20, 30)));
  const auto animation = ReadImageFile(path);
  ASSERT_TRUE(animation.has_value());
  EXPECT_EQ(animation->frames.size(), 1u);
  EXPECT_EQ(animation->frames[0].delayMs, 0);
  std::string error;
  EXPECT_FALSE(ReadImageFile(folder / "missing.png", {}, &error).has_value());
  EXPECT_FALSE(error.empty());
}

TEST(FileIo, ReplacingAFileLeavesNoTemporaryBehind) {
  TempFolder folder;
  const auto path = folder / "out.bin";
  ASSERT_TRUE(WriteFileAtomically(path, Bytes{1, 2, 3}));
  ASSERT_TRUE(WriteFileAtomically(path, Bytes{4, 5}));
  EXPECT_EQ(ReadFileBytes(path, 100), (Bytes{4, 5}));
  EXPECT_FALSE(ReadFileBytes(path, 1).has_value());  // beyond the limit
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
    ++entries;
  }
  EXPECT_EQ(entries, 1);
  EXPECT_FALSE(WriteFileAtomically(folder / "no" / "such" / "folder", Bytes{1}));
}

TEST(Resample, APictureOfTheRightSizeIsKeptExactly) {
  const Picture picture = Flatten(Gradient(240, 136));
  EXPECT_EQ(FitInto(picture, 240, 136), picture);
}

TEST(Resample, ShrinkingAveragesAndKeepsFlatColoursFlat) {
  Picture checker(4, 2);
  for (int x = 0; x < 4; ++x) {
    checker.Set(x, 0, x % 2 ? kOpaqueBlack : MakeArgb(255, 255, 255));
    checker.Set(x, 1, x % 2 ? MakeArgb(255, 255, 255) : kOpaqueBlack);
  }
  const Picture half = Resize(checker, 2, 1);
  for (const Argb pixel : half.pixels) EXPECT_NEAR(RedOf(pixel), 128, 1);
  const Picture flat = Resize(Picture(480, 272, MakeArgb(10, 200, 30)), 240, 136);
  for (const Argb pixel : flat.pixels) ASSERT_EQ(pixel, MakeArgb(10, 200, 30));
}

TEST(Resample, FittingKeepsProportionsWithBarsAroundTheCentre) {
  const Picture square(100, 100, MakeArgb(255, 0, 0));
  const Picture fitted = FitInto(square, 240, 136);
  ASSERT_EQ(fitted.width, 240);
  ASSERT_EQ(fitted.height, 136);
  // 136 x 136 in the middle: columns 52 .. 187
  EXPECT_EQ(fitted.At(51, 68), kOpaqueBlack);
  EXPECT_EQ(fitted.At(52, 0), MakeArgb(255, 0, 0));
  EXPECT_EQ(fitted.At(187, 135), MakeArgb(255, 0, 0));
  EXPECT_EQ(fitted.At(188, 68), kOpaqueBlack);
  // transparent pixels show the background
  EXPECT_EQ(FitInto(Picture(240, 136, kTransparent), 240, 136).At(5, 5), kOpaqueBlack);
}

TEST(ScreenImage, FramesBecomeRgb565WithTheirDelays) {
  Animation animation;
  animation.width = 480;
  animation.height = 272;
  animation.frames = {{Picture(480, 272, MakeArgb(255, 0, 0)), 0},
                      {Picture(480, 272, MakeArgb(0, 0, 255)), 10},
                      {Picture(480, 272, MakeArgb(0, 255, 0)), 70},
                      {Picture(480, 272, MakeArgb(0, 255, 0)), 90000}};
  std::vector<std::size_t> progress;
  const auto image = MakeScreenImage(animation, 240, 136, [&](std::size_t done, std::size_t total) {
    EXPECT_EQ(total, 4u);
    progress.push_back(done);
  });
  ASSERT_EQ(image.frames.size(), 4u);
  EXPECT_EQ(image.width, 240);
  EXPECT_EQ(image.frames[0].pixels, std::vector<std::uint16_t>(240 * 136, 0xF800));
  EXPECT_EQ(image.frames[1].pixels[0], 0x001F);
  EXPECT_EQ(image.frames[0].delayMs, 100);  // no delay
  EXPECT_EQ(image.frames[1].delayMs, 100);  // too short to be meant
  EXPECT_EQ(image.frames[2].delayMs, 70);
  EXPECT_EQ(image.frames[3].delayMs, 65535);
  EXPECT_EQ(progress, (std::vector<std::size_t>{1, 2, 3, 4}));
}

}  // namespace
}  // namespace media

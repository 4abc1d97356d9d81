// Reading and writing GIF files: what a round trip keeps, how frames are composed, and which
// files are refused.

#include <gtest/gtest.h>

#include "GifBytes.h"
#include "media/Gif.h"

namespace media::testing {
namespace {

constexpr Argb kRed = MakeArgb(255, 0, 0);
constexpr Argb kGreen = MakeArgb(0, 255, 0);
constexpr Argb kBlue = MakeArgb(0, 0, 255);
constexpr Argb kWhite = MakeArgb(255, 255, 255);

Picture Striped(int width, int height, std::vector<Argb> colours, int shift) {
  Picture picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.Set(x, y, colours[static_cast<std::size_t>(x + y + shift) % colours.size()]);
    }
  }
  return picture;
}

Animation ThreeFrames() {
  Animation animation;
  animation.width = 17;
  animation.height = 9;
  const std::vector<Argb> colours = {kRed, kGreen, kBlue, kWhite, MakeArgb(12, 34, 56)};
  animation.frames = {{Striped(17, 9, colours, 0), 50},
                      {Striped(17, 9, colours, 0), 120},  // unchanged: stored as one pixel
                      {Striped(17, 9, colours, 2), 2000}};
  animation.frames[1].picture.Set(16, 8, kWhite);
  return animation;
}

TEST(GifRoundTrip, KeepsFramesDelaysAndLoop) {
  Animation animation = ThreeFrames();
  animation.loopCount = 3;
  const auto bytes = EncodeGif(animation);
  ASSERT_TRUE(bytes.has_value());
  std::string error;
  const auto read = DecodeGif(*bytes, {}, &error);
  ASSERT_TRUE(read.has_value()) << error;
  EXPECT_EQ(*read, animation);
}

TEST(GifRoundTrip, TransparentPixelsStayTransparentInEveryFrame) {
  Animation animation = ThreeFrames();
  animation.frames[0].picture.Set(0, 0, kTransparent);
  animation.frames[2].picture.Set(3, 3, kTransparent);
  const auto read = DecodeGif(EncodeGif(animation).value());
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, animation);
}

TEST(GifRoundTrip, ManyColoursComeBackClose) {
  Animation animation;
  animation.width = animation.height = 64;
  Picture picture(64, 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) picture.Set(x, y, MakeArgb(x * 4, y * 4, (x + y) * 2));
  }
  animation.frames.push_back({picture, 100});
  const auto read = DecodeGif(EncodeGif(animation).value());
  ASSERT_TRUE(read.has_value());
  int worst = 0;
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    const Argb a = picture.pixels[i];
    const Argb b = read->frames[0].picture.pixels[i];
    worst = std::max({worst, std::abs(int(RedOf(a)) - int(RedOf(b))),
                      std::abs(int(GreenOf(a)) - int(GreenOf(b))),
                      std::abs(int(BlueOf(a)) - int(BlueOf(b)))});
  }
  EXPECT_LE(worst, 40);
}

TEST(GifWriting, LoopBlockComesBeforeTheFirstFrame) {
  const auto bytes = EncodeGif(ThreeFrames()).value();
  const std::string text(bytes.begin(), bytes.end());
  const auto loop = text.find("NETSCAPE2.0");
  const auto firstFrame = text.find('\x2C', 13 + 256 * 3);
  ASSERT_NE(loop, std::string::npos);
  EXPECT_EQ(loop, 13u + 256 * 3 + 3);  // right after the header and the palette
  EXPECT_LT(loop, firstFrame);
}

TEST(GifWriting, RefusesFramesOfAnotherSize) {
  Animation animation = ThreeFrames();
  animation.frames[1].picture = Picture(3, 3);
  std::string error;
  EXPECT_FALSE(EncodeGif(animation, &error).has_value());
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(EncodeGif(Animation{}).has_value());
}

// --- composition ---

RawGif TwoByTwoCanvas() {
  RawGif gif;
  gif.width = 4;
  gif.height = 2;
  gif.globalPalette = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
  gif.frames.push_back({0, 0, 4, 2, {0, 0, 0, 0, 0, 0, 0, 0}});
  return gif;
}

std::vector<Argb> Row(const Picture& picture, int y) {
  return {picture.pixels.begin() + static_cast<std::ptrdiff_t>(picture.IndexOf(0, y)),
          picture.pixels.begin() + static_cast<std::ptrdiff_t>(picture.IndexOf(0, y) + 4)};
}

struct DisposalCase {
  const char* name;
  int disposal;                      // of the second frame
  std::vector<Argb> thirdFrameRow0;  // row 0 after the third frame (1 x 1 at x = 3)
};

class Disposal : public ::testing::TestWithParam<DisposalCase> {};

TEST_P(Disposal, DecidesWhatTheNextFrameDrawsOn) {
  RawGif gif = TwoByTwoCanvas();
  RawFrame second{1, 0, 2, 1, {1, 2}};
  second.disposal = GetParam().disposal;
  second.delayCs = 7;
  gif.frames.push_back(second);
  gif.frames.push_back({3, 0, 1, 1, {3}});
  std::string error;
  const auto animation = DecodeGif(Build(gif), {}, &error);
  ASSERT_TRUE(animation.has_value()) << error;
  ASSERT_EQ(animation->frames.size(), 3u);
  EXPECT_EQ(Row(animation->frames[1].picture, 0), (std::vector<Argb>{kRed, kGreen, kBlue, kRed}));
  EXPECT_EQ(animation->frames[1].delayMs, 70);
  EXPECT_EQ(Row(animation->frames[2].picture, 0), GetParam().thirdFrameRow0);
  EXPECT_EQ(Row(animation->frames[2].picture, 1), (std::vector<Argb>(4, kRed)));
}

INSTANTIATE_TEST_SUITE_P(
    Methods, Disposal,
    ::testing::Values(DisposalCase{"Unspecified", 0, {kRed, kGreen, kBlue, kWhite}},
                      DisposalCase{"Keep", 1, {kRed, kGreen, kBlue, kWhite}},
                      DisposalCase{"Background", 2, {kRed, kTransparent, kTransparent, kWhite}},
                      DisposalCase{"Previous", 3, {kRed, kRed, kRed, kWhite}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(GifComposition, TransparentIndexLeavesTheCanvas) {
  RawGif gif = TwoByTwoCanvas();
  RawFrame second{0, 0, 4, 1, {3, 1, 3, 2}};
  second.transparent = 3;
  gif.frames.push_back(second);
  const auto animation = DecodeGif(Build(gif));
  ASSERT_TRUE(animation.has_value());
  EXPECT_EQ(Row(animation->frames[1].picture, 0), (std::vector<Argb>{kRed, kGreen, kRed, kBlue}));
}

TEST(GifComposition, FramesAreClippedToTheLogicalScreen) {
  RawGif gif = TwoByTwoCanvas();
  gif.frames.push_back({2, 1, 3, 2, {1, 1, 2, 1, 1, 1}});  // reaches right and below
  const auto animation = DecodeGif(Build(gif));
  ASSERT_TRUE(animation.has_value());
  EXPECT_EQ(Row(animation->frames[1].picture, 0), (std::vector<Argb>(4, kRed)));
  EXPECT_EQ(Row(animation->frames[1].picture, 1), (std::vector<Argb>{kRed, kRed, kGreen, kGreen}));
}

TEST(GifComposition, InterlacedRowsLandInPlace) {
  RawGif gif;
  gif.width = 1;
  gif.height = 5;
  gif.globalPalette = {0x000000, 0x010101, 0x020202, 0x030303, 0x040404, 0x050505};
  // Interlaced order of 5 rows: 0, 4, 2, 1, 3.
  RawFrame frame{0, 0, 1, 5, {0, 4, 2, 1, 3}};
  frame.interlaced = true;
  gif.frames.push_back(frame);
  const auto animation = DecodeGif(Build(gif));
  ASSERT_TRUE(animation.has_value());
  for (int y = 0; y < 5; ++y) {
    EXPECT_EQ(animation->frames[0].picture.At(0, y), MakeArgb(y, y, y)) << y;
  }
}

TEST(GifComposition, LocalPaletteWinsAndLoopCountIsRead) {
  RawGif gif = TwoByTwoCanvas();
  gif.loopCount = 5;
  RawFrame second{0, 0, 1, 1, {0}};
  second.localPalette = {0x123456, 0};
  gif.frames.push_back(second);
  const auto animation = DecodeGif(Build(gif));
  ASSERT_TRUE(animation.has_value());
  EXPECT_EQ(animation->frames[1].picture.At(0, 0), MakeArgb(0x12, 0x34, 0x56));
  EXPECT_EQ(animation->loopCount, 5);
}

TEST(GifReading, AFileEndingWithoutItsTrailerKeepsItsFrames) {
  RawGif gif = TwoByTwoCanvas();
  gif.trailer = false;
  const auto animation = DecodeGif(Build(gif));
  ASSERT_TRUE(animation.has_value());
  EXPECT_EQ(animation->frames.size(), 1u);
}

// --- hostile files ---

struct HostileCase {
  const char* name;
  Bytes bytes;
  DecodeLimits limits;
};

class HostileGif : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileGif, IsRefusedWithAReason) {
  std::string error;
  EXPECT_FALSE(DecodeGif(GetParam().bytes, GetParam().limits, &error).has_value());
  EXPECT_FALSE(error.empty());
}

RawGif WithFrame(RawGif gif, RawFrame frame) {
  gif.frames.push_back(std::move(frame));
  return gif;
}

Bytes Cut(Bytes bytes, std::size_t keep) {
  bytes.resize(keep);
  return bytes;
}

std::vector<HostileCase> HostileCases() {
  const RawGif base = TwoByTwoCanvas();
  RawGif noPalette = base;
  noPalette.globalPalette.clear();
  RawGif huge = base;
  huge.width = huge.height = 60000;
  RawGif empty = base;
  empty.frames.clear();
  RawGif zero = base;
  zero.width = 0;
  const Bytes valid = Build(WithFrame(base, {1, 0, 2, 1, {1, 2}}));
  const Bytes encoded = EncodeGif(ThreeFrames()).value();
  DecodeLimits fewFrames;
  fewFrames.maxFrames = 2;
  DecodeLimits smallTotal;
  smallTotal.maxTotalPixels = 8 * 2 - 1;  // one pixel short of two frames
  return {
      {"NoPaletteAnywhere", Build(noPalette), {}},
      {"IndexBeyondThePalette", Build(WithFrame(base, {0, 0, 2, 1, {1, 9}})), {}},
      {"IndexBeyondALocalPalette",
       Build(WithFrame(base,
                       [] {
                         RawFrame frame{0, 0, 1, 1, {2}};
                         frame.localPalette = {0x111111, 0x222222};
                         return frame;
                       }())),
       {}},
      {"AbsurdLogicalScreen", Build(huge), {}},
      {"ZeroWidthScreen", Build(zero), {}},
      {"AbsurdFrame", Build(WithFrame(base, {0, 0, 30000, 30000, {0}})), {}},
      {"NoFrames", Build(empty), {}},
      {"MoreFramesThanAllowed",
       Build(WithFrame(WithFrame(base, {0, 0, 1, 1, {1}}), {0, 0, 1, 1, {2}})), fewFrames},
      {"MorePixelsThanAllowed", Build(WithFrame(base, {0, 0, 1, 1, {1}})), smallTotal},
      {"CutInTheHeader", Cut(valid, 10), {}},
      {"CutInThePalette", Cut(valid, 20), {}},
      {"CutInTheSecondFrame", Cut(valid, valid.size() - 6), {}},
      {"CutInsideEncodedData", Cut(encoded, encoded.size() / 2), {}},
      {"NotAGif", Bytes{'P', 'K', 3, 4, 0, 0, 0, 0}, {}},
      {"Nothing", Bytes{}, {}},
      {"UnknownRecord",
       [&] {
         Bytes bytes = Build(base);
         bytes.back() = 0x99;  // instead of the trailer
         bytes.push_back(0x3B);
         return bytes;
       }(),
       {}},
  };
}

INSTANTIATE_TEST_SUITE_P(Corpus, HostileGif, ::testing::ValuesIn(HostileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace media::testing

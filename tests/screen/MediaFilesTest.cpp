// Taking pictures apart into library frames and putting frames together as a screen's GIF.

#include "ScreenTestSupport.h"
#include "media/ImageFiles.h"
#include "screen/MediaFiles.h"

namespace screen::testing {
namespace {

TEST(MediaFiles, AnAnimationBecomesNumberedFramesWithItsDelays) {
  TempFolder temp;
  media::Animation animation = Stripes(1, 3, 60);
  animation.frames[1].delayMs = 0;
  ASSERT_TRUE(media::WriteGifFile(temp / "in.gif", animation));
  std::string error;
  const auto frames = ImportPictureFrames(temp / "in.gif", temp / "item", {}, &error);
  ASSERT_TRUE(frames.has_value()) << error;
  EXPECT_EQ(*frames, (std::vector<LibraryFrame>{{temp / "item" / "0.png", 60},
                                                {temp / "item" / "1.png", 100},
                                                {temp / "item" / "2.png", 60}}));
  const auto second = media::ReadImageFile(temp / "item" / "1.png");
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->frames[0].picture, animation.frames[1].picture);
}

TEST(MediaFiles, AStillPictureGetsTheStillDelay) {
  TempFolder temp;
  ASSERT_TRUE(media::WritePngFile(temp / "in.png", media::Picture(30, 20)));
  const auto frames = ImportPictureFrames(temp / "in.png", temp / "item");
  ASSERT_TRUE(frames.has_value());
  ASSERT_EQ(frames->size(), 1u);
  EXPECT_EQ(frames->front().delayMs, 10);
}

TEST(MediaFiles, AnUnreadableFileImportsNothing) {
  TempFolder temp;
  std::ofstream(temp / "bad.gif") << "GIF89a nonsense";
  std::string error;
  EXPECT_FALSE(ImportPictureFrames(temp / "bad.gif", temp / "item", {}, &error).has_value());
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(fs::exists(temp / "item" / "0.png"));
}

TEST(MediaFiles, FramesOfAnySizeMakeAGifOfTheScreensSize) {
  TempFolder temp;
  ASSERT_TRUE(
      media::WritePngFile(temp / "a.png", media::Picture(240, 136, media::MakeArgb(9, 9, 9))));
  ASSERT_TRUE(
      media::WritePngFile(temp / "b.png", media::Picture(100, 100, media::MakeArgb(200, 0, 0))));
  std::string error;
  ASSERT_TRUE(WriteFramesAsGif({{temp / "a.png", 30}, {temp / "b.png", 500}}, temp / "0.gif", 240,
                               136, &error))
      << error;
  const auto read = media::ReadGifFile(temp / "0.gif");
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->frames.size(), 2u);
  EXPECT_EQ(read->width, 240);
  EXPECT_EQ(read->frames[0].delayMs, 30);
  EXPECT_EQ(read->frames[1].delayMs, 500);
  EXPECT_EQ(read->frames[1].picture.At(120, 68), media::MakeArgb(200, 0, 0));
  EXPECT_EQ(read->frames[1].picture.At(5, 68), media::kOpaqueBlack);
  EXPECT_FALSE(WriteFramesAsGif({{temp / "missing.png", 30}}, temp / "1.gif", 240, 136));
  EXPECT_FALSE(fs::exists(temp / "1.gif"));
}

}  // namespace
}  // namespace screen::testing

// Videos, GIFs and stills into the key grid: decoding, timing, looping and damaged files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <thread>

#include "platform/video/GifAnimation.h"
#include "platform/video/MediaPlayer.h"
#include "platform/video/VideoFile.h"
#include "platform_video/MediaWriters.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;

// A lossy video keeps colours close, not exact.
bool Near(std::uint32_t actual, std::uint32_t expected, int tolerance = 24) {
  for (int shift = 0; shift <= 16; shift += 8) {
    const int a = static_cast<int>((actual >> shift) & 0xFF);
    const int e = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) return false;
  }
  return true;
}

std::vector<SplitFrame> RedGreenBlue(int each) {
  std::vector<SplitFrame> frames;
  for (const std::uint32_t color : {kRed, kGreen, kBlue}) {
    for (int i = 0; i < each; ++i) frames.push_back({color, color});
  }
  return frames;
}

class VideoTest : public ::testing::Test {
 protected:
  TempFolder folder_;
  std::filesystem::path video_ = folder_ / "clip.mp4";
};

TEST_F(VideoTest, EveryFrameIsScaledToTheGridWithItsTime) {
  ASSERT_TRUE(WriteTestVideo(video_, RedGreenBlue(4), 25));
  std::string error;
  auto file = VideoFile::Open(video_, 2, 4, &error);
  ASSERT_TRUE(file) << error;
  std::vector<GridFrame> frames;
  while (auto frame = file->Next()) frames.push_back(std::move(*frame));
  ASSERT_EQ(12u, frames.size());
  for (std::size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(std::chrono::microseconds(40000 * i), frames[i].at) << i;
    const std::uint32_t expected = i < 4 ? kRed : i < 8 ? kGreen : kBlue;
    EXPECT_EQ(2, frames[i].grid.rows);
    EXPECT_EQ(4, frames[i].grid.columns);
    for (const std::uint32_t cell : frames[i].grid.cells) {
      EXPECT_TRUE(Near(cell, expected)) << std::hex << cell << " in frame " << std::dec << i;
    }
  }
  EXPECT_EQ(40000us, file->LastFrameDuration());
  ASSERT_TRUE(file->Rewind());
  const auto first = file->Next();
  ASSERT_TRUE(first);
  EXPECT_EQ(0us, first->at);
  EXPECT_TRUE(Near(first->grid.At(0, 0), kRed));
}

TEST_F(VideoTest, ThePictureKeepsItsPlacesInTheGrid) {
  ASSERT_TRUE(WriteTestVideo(video_, {{kRed, kBlue}, {kRed, kBlue}}, 10));
  auto file = VideoFile::Open(video_, 3, 8);
  ASSERT_TRUE(file);
  const auto frame = file->Next();
  ASSERT_TRUE(frame);
  for (int row = 0; row < 3; ++row) {
    EXPECT_TRUE(Near(frame->grid.At(row, 0), kRed)) << row;
    EXPECT_TRUE(Near(frame->grid.At(row, 2), kRed)) << row;
    EXPECT_TRUE(Near(frame->grid.At(row, 5), kBlue)) << row;
    EXPECT_TRUE(Near(frame->grid.At(row, 7), kBlue)) << row;
  }
}

TEST_F(VideoTest, ThePlayerPacesAndLoops) {
  ASSERT_TRUE(WriteTestVideo(video_, RedGreenBlue(3), 50));
  MediaPlayer player;
  ASSERT_TRUE(player.Play(video_, 1, 1));
  bool sawRed = false, sawBlue = false;
  std::uint64_t lastSequence = 0;
  ASSERT_TRUE(WaitFor([&] {
    if (const auto frame = player.Latest(); frame && frame->sequence != lastSequence) {
      EXPECT_GT(frame->sequence, lastSequence);
      lastSequence = frame->sequence;
      sawRed = sawRed || Near(frame->grid.At(0, 0), kRed);
      sawBlue = sawBlue || Near(frame->grid.At(0, 0), kBlue);
    }
    return player.Loops() >= 2 && sawRed && sawBlue;
  }));
  EXPECT_EQ(MediaState::Playing, player.State());
  player.Stop();
  EXPECT_EQ(MediaState::Idle, player.State());
  EXPECT_FALSE(player.Latest());
}

TEST_F(VideoTest, FilesThatCannotBePlayed) {
  MediaPlayer player;
  EXPECT_FALSE(player.Play(folder_ / "missing.mp4", 2, 2));
  EXPECT_FALSE(player.Play(folder_.Path(), 2, 2));
  ASSERT_TRUE(WriteTestVideo(video_, RedGreenBlue(1), 25));
  EXPECT_FALSE(player.Play(video_, 0, 2));
  EXPECT_FALSE(player.Play(video_, 2, 33));
  EXPECT_EQ(MediaState::Idle, player.State());

  const auto garbage = folder_ / "garbage.mp4";
  std::ofstream(garbage) << std::string(5000, 'x');
  ASSERT_TRUE(player.Play(garbage, 2, 2));
  ASSERT_TRUE(WaitFor([&] { return player.State() == MediaState::Failed; }));
  EXPECT_FALSE(player.Error().empty());
  EXPECT_FALSE(player.Latest());
}

TEST_F(VideoTest, ATruncatedVideoPlaysWhatItHas) {
  ASSERT_TRUE(WriteTestVideo(video_, RedGreenBlue(10), 25));
  const auto size = std::filesystem::file_size(video_);
  std::filesystem::resize_file(video_, size / 2);
  std::string error;
  auto file = VideoFile::Open(video_, 2, 2, &error);
  if (!file) {
    EXPECT_FALSE(error.empty());  // the index sits at the end: nothing to play
    return;
  }
  int frames = 0;
  while (file->Next()) ++frames;
  EXPECT_LT(frames, 30);
}

TEST(GifTest, FramesAreComposedWithTheirDelaysAndDisposal) {
  TempFolder folder;
  const auto gif = folder / "anim.gif";
  ASSERT_TRUE(WriteTestGif(gif, 8, 4,
                           {
                               {0, 0, 8, 4, 1, 10, 1, -1},  // red, kept
                               {0, 0, 4, 4, 2, 0, 2, -1},   // left half green, then cleared
                               {4, 0, 4, 4, 3, 3, 1, 3},    // right half transparent
                               {4, 0, 4, 4, 3, 50, 3, -1},  // right half blue, then undone
                               {0, 0, 1, 1, 0, 7, 1, -1},   // one black pixel
                           }));
  EXPECT_TRUE(LooksLikeGif(gif));
  auto animation = GifAnimation::Open(gif, 1, 2);
  ASSERT_TRUE(animation);
  ASSERT_EQ(5u, animation->FrameCount());
  struct Expected {
    std::uint32_t left;
    std::uint32_t right;
    std::chrono::milliseconds at;
  };
  const Expected expected[] = {{kRed, kRed, 0ms},
                               {kGreen, kRed, 100ms},
                               {0, kRed, 200ms},
                               {0, kBlue, 230ms},
                               {0x00, kRed, 730ms}};
  for (const Expected& e : expected) {
    const auto frame = animation->Next();
    ASSERT_TRUE(frame);
    EXPECT_EQ(e.at, frame->at);
    EXPECT_EQ(e.right, frame->grid.At(0, 1));
    EXPECT_EQ(e.left, frame->grid.At(0, 0));
  }
  EXPECT_FALSE(animation->Next());
  EXPECT_EQ(70ms, animation->LastFrameDuration());
  EXPECT_TRUE(animation->Rewind());
  EXPECT_EQ(kRed, animation->Next()->grid.At(0, 0));
}

TEST(GifTest, DamagedAndForeignFiles) {
  TempFolder folder;
  const auto gif = folder / "anim.gif";
  ASSERT_TRUE(
      WriteTestGif(gif, 64, 64, {{0, 0, 64, 64, 1, 10, 1, -1}, {0, 0, 64, 64, 2, 10, 1, -1}}));
  const auto size = std::filesystem::file_size(gif);
  for (const std::uintmax_t cut : {size - 3, size / 2, std::uintmax_t{20}, std::uintmax_t{6}}) {
    const auto damaged = folder / ("cut" + std::to_string(cut) + ".gif");
    std::filesystem::copy_file(gif, damaged);
    std::filesystem::resize_file(damaged, cut);
    std::string error;
    auto animation = GifAnimation::Open(damaged, 2, 2, &error);
    if (animation) {
      EXPECT_GE(animation->FrameCount(), 1u) << cut;
    } else {
      EXPECT_FALSE(error.empty()) << cut;
    }
  }
  const auto text = folder / "text.gif";
  std::ofstream(text) << "not a picture";
  EXPECT_FALSE(LooksLikeGif(text));
  EXPECT_FALSE(GifAnimation::Open(text, 2, 2));
}

TEST(GifTest, ThePlayerTellsGifsByTheirBytes) {
  TempFolder folder;
  const auto named = folder / "really-a-gif.mp4";
  ASSERT_TRUE(WriteTestGif(named, 4, 4, {{0, 0, 4, 4, 3, 10, 1, -1}}));
  MediaPlayer player;
  ASSERT_TRUE(player.Play(named, 2, 2));
  // One frame: shown once and kept.
  ASSERT_TRUE(WaitFor([&] { return player.State() == MediaState::Showing; }));
  EXPECT_EQ(kBlue, player.Latest()->grid.At(1, 1));
}

TEST(StillTest, TheLoaderReadsStillsAndTheLibrariesReadTheRest) {
  TempFolder folder;
  const auto still = folder / "photo.PNG";
  std::ofstream(still) << "a picture the loader knows";
  int calls = 0;
  MediaPlayer player([&](const std::filesystem::path& file) -> std::optional<RgbPicture> {
    ++calls;
    if (file.filename() != "photo.PNG") return std::nullopt;
    return RgbPicture{2, 1, {kGreen, kRed}};
  });
  ASSERT_TRUE(player.Play(still, 1, 4));
  ASSERT_TRUE(WaitFor([&] { return player.State() == MediaState::Showing; }));
  EXPECT_EQ((std::vector<std::uint32_t>{kGreen, kGreen, kRed, kRed}), player.Latest()->grid.cells);
  EXPECT_EQ(1, calls);

  // A loader that cannot read the file leaves it to the FFmpeg libraries.
  const auto video = folder / "clip.mp4";
  ASSERT_TRUE(WriteTestVideo(video, RedGreenBlue(2), 25));
  const auto disguised = folder / "clip.jpg";
  std::filesystem::copy_file(video, disguised);
  ASSERT_TRUE(player.Play(disguised, 1, 1));
  ASSERT_TRUE(WaitFor([&] { return player.Latest().has_value(); }));
  EXPECT_EQ(2, calls);
  EXPECT_EQ(nullptr, MakeStillSource(RgbPicture{2, 2, {kRed}}, 1, 1));
}

}  // namespace
}  // namespace platform

namespace platform {
namespace {

TEST(MediaPlayerThreads, PlayAndStopFromTwoThreadsAtOnce) {
  TempFolder folder;
  const auto gif = folder / "two.gif";
  ASSERT_TRUE(WriteTestGif(gif, 4, 4, {{0, 0, 4, 4, 1, 2, 1, -1}, {0, 0, 4, 4, 2, 2, 1, -1}}));
  MediaPlayer player;
  const auto churn = [&] {
    for (int i = 0; i < 40; ++i) {
      EXPECT_TRUE(player.Play(gif, 1 + i % 8, 1 + i % 32));
      player.Latest();
      if (i % 3 == 0) player.Stop();
    }
  };
  std::thread other(churn);
  churn();
  other.join();
  ASSERT_TRUE(player.Play(gif, 2, 2));
  ASSERT_TRUE(WaitFor([&] { return player.Latest().has_value(); }));
  EXPECT_EQ(2, player.Latest()->grid.rows);
}

}  // namespace
}  // namespace platform

#include <gtest/gtest.h>

#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <vector>

#include "GifWriter.h"
#include "QtTestSupport.h"
#include "ui/qt/DecodedAnimation.h"

namespace {

using TesselQt::DecodedAnimation;

constexpr int kFrames = 6;

// A small animation: a square moving across a dark picture and a dot that wanders, each frame
// shown for its own time (the fourth for a hundredth of a second, which is shown longer).
std::vector<skins::GifFrame> MovingSquare() {
  std::vector<skins::GifFrame> frames;
  for (int k = 0; k < kFrames; ++k) {
    QImage image(160, 96, QImage::Format_RGB32);
    image.fill(QColor(10, 20, 40));
    for (int y = 10; y < 14; ++y) {
      for (int x = 4 * k + 2; x < 4 * k + 8; ++x) image.setPixelColor(x, y, Qt::white);
    }
    image.setPixelColor(100, 40 + 4 * k, QColor(250, 100, 0));
    frames.push_back({image, k == 3 ? 1 : 3 + k});
  }
  return frames;
}

// The frames as Qt's own reader decodes them (scaled by the reader when `scaled` is valid).
std::vector<QImage> ReadAll(const QString& path, QSize scaled = {}) {
  QImageReader reader(path);
  if (scaled.isValid()) reader.setScaledSize(scaled);
  std::vector<QImage> frames;
  QImage frame;
  while (reader.read(&frame)) frames.push_back(frame.convertToFormat(QImage::Format_RGB32));
  return frames;
}

QImage Shown(const DecodedAnimation& animation) {
  return animation.Frame().convertToFormat(QImage::Format_RGB32);
}

// Plays `passes` times through `expected` and checks every frame, and that every pixel that
// changed lies in the part reported as changed, which is less than the whole picture.
void ExpectPlays(DecodedAnimation& animation, const std::vector<QImage>& expected, int passes) {
  ASSERT_FALSE(expected.empty());
  const std::size_t count = expected.size();
  EXPECT_EQ(Shown(animation), expected[0]);
  for (std::size_t step = 1; step <= passes * count; ++step) {
    const QImage before = Shown(animation);
    ASSERT_TRUE(animation.HasNext());
    const QRegion changed = animation.Advance();
    const QImage after = Shown(animation);
    ASSERT_EQ(after, expected[step % count]) << "step " << step;
    for (int y = 0; y < after.height(); ++y) {
      for (int x = 0; x < after.width(); ++x) {
        if (before.pixel(x, y) != after.pixel(x, y)) {
          ASSERT_TRUE(changed.contains(QPoint(x, y))) << x << "," << y << " step " << step;
        }
      }
    }
    EXPECT_NE(changed.boundingRect(), after.rect()) << "step " << step;
  }
}

class DecodedAnimationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qt_test::Backend();
    path = folder.filePath("moving.gif");
    ASSERT_EQ(skins::WriteLoopingGif(path, MovingSquare()), QString());
    frames = ReadAll(path);
    ASSERT_EQ(frames.size(), static_cast<std::size_t>(kFrames));
  }

  // A copy of the animation without its repeat block: played once.
  QString PlayedOnce() {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    const qsizetype block = bytes.indexOf(QByteArray("\x21\xFF\x0BNETSCAPE2.0", 14));
    EXPECT_GE(block, 0);
    bytes.remove(block, 19);  // introducer, label, size, name, and the 3-byte count block
    const QString once = folder.filePath("once.gif");
    QFile out(once);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    return once;
  }

  QTemporaryDir folder;
  QString path;
  std::vector<QImage> frames;
};

TEST_F(DecodedAnimationTest, FramesAreTheFilesAndOnlyTheChangedPartIsReported) {
  DecodedAnimation animation;
  ASSERT_TRUE(animation.Open(path));
  EXPECT_FALSE(animation.FullyRead());
  ExpectPlays(animation, frames, 3);
  // The first pass read the file; the passes after it replayed the kept steps.
  EXPECT_TRUE(animation.FullyRead());
  EXPECT_EQ(animation.FramesRead(), kFrames);
  EXPECT_GT(animation.StepBytes(), 0u);
  EXPECT_LT(animation.StepBytes(), static_cast<std::size_t>(kFrames) * 160 * 96 * 4 / 10);
  EXPECT_TRUE(animation.IsOpaque());
  EXPECT_EQ(animation.Frame().format(), QImage::Format_RGB32);
}

TEST_F(DecodedAnimationTest, EachFrameStaysForItsOwnTimeAndTooShortTimesForATenth) {
  DecodedAnimation animation;
  ASSERT_TRUE(animation.Open(path));
  std::vector<int> delays;
  for (int k = 0; k < 2 * kFrames; ++k) {
    delays.push_back(animation.DelayMs());
    animation.Advance();
  }
  const std::vector<int> pass = {30, 40, 50, DecodedAnimation::kDefaultDelayMs, 70, 80};
  std::vector<int> twice = pass;
  twice.insert(twice.end(), pass.begin(), pass.end());
  EXPECT_EQ(delays, twice);
}

TEST_F(DecodedAnimationTest, OverItsBudgetTheFileIsReadOnEveryPassWithTheSameFrames) {
  DecodedAnimation animation(1);  // no step fits
  ASSERT_TRUE(animation.Open(path));
  ExpectPlays(animation, frames, 3);
  EXPECT_FALSE(animation.FullyRead());
  EXPECT_EQ(animation.StepBytes(), 0u);
}

TEST_F(DecodedAnimationTest, ScaledFramesAreTheReadersAndKeepThePicturesSize) {
  DecodedAnimation animation;
  ASSERT_TRUE(animation.Open(path, 0.5));
  EXPECT_EQ(animation.Scale(), 0.5);
  EXPECT_EQ(animation.Frame().size(), QSize(80, 48));
  EXPECT_EQ(animation.Frame().deviceIndependentSize(), QSizeF(160, 96));
  const std::vector<QImage> scaled = ReadAll(path, QSize(80, 48));
  ASSERT_EQ(scaled.size(), static_cast<std::size_t>(kFrames));
  for (std::size_t step = 1; step <= 2 * scaled.size(); ++step) {
    animation.Advance();
    ASSERT_EQ(Shown(animation), scaled[step % scaled.size()]) << step;
  }
}

TEST_F(DecodedAnimationTest, AnAnimationThatPlaysOnceStopsAtItsLastFrame) {
  DecodedAnimation animation;
  ASSERT_TRUE(animation.Open(PlayedOnce()));
  for (int k = 1; k < kFrames; ++k) {
    ASSERT_TRUE(animation.HasNext());
    animation.Advance();
    EXPECT_EQ(Shown(animation), frames[static_cast<std::size_t>(k)]);
  }
  EXPECT_FALSE(animation.HasNext());
  EXPECT_TRUE(animation.Advance().isEmpty());
  EXPECT_EQ(Shown(animation), frames.back());
}

TEST_F(DecodedAnimationTest, ADamagedFilePlaysTheFramesThatCouldBeRead) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray whole = file.readAll();
  const QString damaged = folder.filePath("damaged.gif");
  QFile out(damaged);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(whole.left(whole.size() * 2 / 3));
  out.close();
  const std::vector<QImage> readable = ReadAll(damaged);
  ASSERT_GE(readable.size(), 2u);
  ASSERT_LT(readable.size(), frames.size());
  DecodedAnimation animation;
  ASSERT_TRUE(animation.Open(damaged));
  ExpectPlays(animation, readable, 2);
}

TEST_F(DecodedAnimationTest, WhatIsNoAnimationIsNotOpened) {
  const QString single = folder.filePath("single.gif");
  ASSERT_EQ(skins::WriteLoopingGif(single, {MovingSquare().front()}), QString());
  const QString png = folder.filePath("still.png");
  ASSERT_TRUE(frames.front().save(png));
  for (const QString& name : {single, png, folder.filePath("missing.gif")}) {
    DecodedAnimation animation;
    EXPECT_FALSE(animation.Open(name)) << name.toStdString();
    EXPECT_FALSE(animation.IsOpen());
    EXPECT_FALSE(animation.HasNext());
    EXPECT_TRUE(animation.Advance().isEmpty());
  }
}

}  // namespace

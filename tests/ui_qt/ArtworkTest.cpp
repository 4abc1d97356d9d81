// The theme's pictures as the application reads them, and the GIF writer that makes the
// animated one.

#include <gtest/gtest.h>

#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <filesystem>

#include "GifWriter.h"
#include "QtTestSupport.h"

namespace {

QString Skin(const char* name) {
  return QString::fromStdString(
      (std::filesystem::path(TARVO_SOURCE_DIR) / "data/skins/theme1" / name).string());
}

TEST(ArtworkTest, TheShippedPicturesHaveTheirSizesAndFrames) {
  qt_test::Backend();
  const std::pair<const char*, QSize> stills[] = {
      {"main_bkg.png", {1400, 788}},     {"logo.png", {128, 128}},
      {"icon_background.png", {40, 40}}, {"icon_minimize.png", {40, 40}},
      {"icon_close.png", {40, 40}},
  };
  for (const auto& [name, size] : stills) EXPECT_EQ(QImage(Skin(name)).size(), size) << name;

  QImageReader home(Skin("home_bg.gif"));
  EXPECT_EQ(home.size(), QSize(1400, 788));
  EXPECT_GT(home.imageCount(), 10);
  EXPECT_EQ(home.loopCount(), -1);  // loops forever

  QImageReader tray(Skin("DeviceDriver.ico"));
  std::vector<int> sides;
  for (int i = 0; i < tray.imageCount(); ++i) {
    tray.jumpToImage(i);
    sides.push_back(tray.read().width());
  }
  for (int side : {16, 24, 32, 48, 256})
    EXPECT_NE(std::find(sides.begin(), sides.end(), side), sides.end()) << side;
}

TEST(GifWriterTest, FramesReadBackAsTheyWereDrawnAndLoopForever) {
  qt_test::Backend();
  // Three frames of few colours: a still frame, a changed square, and a frame equal to the one
  // before it (stored as a single unchanged pixel).
  std::vector<skins::GifFrame> frames;
  QImage base(64, 40, QImage::Format_RGB32);
  base.fill(QColor(10, 20, 40));
  for (int x = 0; x < 64; ++x) base.setPixelColor(x, 0, QColor(200, 100, 50));
  frames.push_back({base, 7});
  QImage changed = base;
  for (int y = 10; y < 20; ++y) {
    for (int x = 30; x < 40; ++x) changed.setPixelColor(x, y, QColor(250, 250, 250));
  }
  frames.push_back({changed, 9});
  frames.push_back({changed, 11});
  QTemporaryDir folder;
  const QString path = folder.filePath("anim.gif");
  ASSERT_EQ(skins::WriteLoopingGif(path, frames), QString());

  QImageReader reader(path);
  EXPECT_EQ(reader.loopCount(), -1);
  ASSERT_EQ(reader.imageCount(), 3);
  for (const skins::GifFrame& expected : frames) {
    QImage frame;
    ASSERT_TRUE(reader.read(&frame));
    EXPECT_EQ(frame.convertToFormat(QImage::Format_RGB32), expected.image);
  }
  EXPECT_NE(skins::WriteLoopingGif(path, {}), QString());
  EXPECT_NE(skins::WriteLoopingGif(folder.filePath("no/such/folder/a.gif"), frames), QString());
}

}  // namespace

#include <gtest/gtest.h>

#include <QImage>
#include <fstream>

#include "support/TempFolder.h"
#include "ui/qt/PictureFile.h"

namespace {

TEST(PictureFile, ReadsPixelsAsKeyColoursAndRefusesNonPictures) {
  TempFolder folder;
  QImage image(2, 1, QImage::Format_ARGB32);
  image.setPixel(0, 0, qRgba(255, 0, 0, 255));
  image.setPixel(1, 0, qRgba(0, 0, 255, 0));  // transparent: black
  const std::string png = (folder / "two.png").string();
  ASSERT_TRUE(image.save(QString::fromStdString(png)));
  const auto picture = TesselQt::ReadPictureFile(png);
  ASSERT_TRUE(picture);
  EXPECT_EQ(2, picture->width);
  EXPECT_EQ(1, picture->height);
  EXPECT_EQ((std::vector<std::uint32_t>{0x0000FF, 0x000000}), picture->pixels);

  const std::string text = (folder / "text.png").string();
  std::ofstream(text) << "not a picture";
  EXPECT_FALSE(TesselQt::ReadPictureFile(text));
  EXPECT_FALSE(TesselQt::ReadPictureFile((folder / "missing.jpg").string()));
}

}  // namespace

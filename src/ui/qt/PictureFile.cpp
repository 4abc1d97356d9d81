#include "ui/qt/PictureFile.h"

#include <QImage>
#include <QImageReader>

namespace TesselQt {

std::optional<PicturePixels> ReadPictureFile(const std::string& path) {
  constexpr int kMaxSide = 16384;
  QImageReader reader(QString::fromStdString(path));
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > kMaxSide || size.height() > kMaxSide)) return std::nullopt;
  QImage image;
  if (!reader.read(&image) || image.isNull() || image.width() > kMaxSide ||
      image.height() > kMaxSide) {
    return std::nullopt;
  }
  // Transparent parts over black, as the keys show them.
  image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  PicturePixels picture{image.width(), image.height(), {}};
  picture.pixels.reserve(static_cast<std::size_t>(image.width()) * image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = line[x];
      picture.pixels.push_back(static_cast<std::uint32_t>(qRed(pixel)) |
                               static_cast<std::uint32_t>(qGreen(pixel)) << 8 |
                               static_cast<std::uint32_t>(qBlue(pixel)) << 16);
    }
  }
  return picture;
}

}  // namespace TesselQt

#include "GifWriter.h"

#include <string>

#include "media/Gif.h"

namespace skins {

media::Picture ToPicture(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  media::Picture picture(argb.width(), argb.height());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) picture.Set(x, y, row[x]);  // both 0xAARRGGBB
  }
  return picture;
}

QString WriteLoopingGif(const QString& path, const std::vector<GifFrame>& frames) {
  if (frames.empty()) return QStringLiteral("no frames");
  media::Animation animation;
  animation.width = frames.front().image.width();
  animation.height = frames.front().image.height();
  for (const GifFrame& frame : frames) {
    animation.frames.push_back({ToPicture(frame.image), frame.delayCs * 10});
  }
  std::string error;
  if (!media::WriteGifFile(path.toStdString(), animation, &error)) {
    return QString::fromStdString(error);
  }
  return {};
}

}  // namespace skins

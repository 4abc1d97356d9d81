#pragma once
// Writes animated artwork drawn with Qt as a GIF that loops forever, through the
// application's own GIF writer.

#include <QImage>
#include <QString>
#include <vector>

#include "media/Picture.h"

namespace skins {

struct GifFrame {
  QImage image;      // the whole picture at this moment
  int delayCs = 10;  // how long it stays, in hundredths of a second
};

media::Picture ToPicture(const QImage& image);

// Returns an empty text on success, else what failed.
QString WriteLoopingGif(const QString& path, const std::vector<GifFrame>& frames);

}  // namespace skins

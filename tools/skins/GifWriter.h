#pragma once
// Writes an animated GIF that loops forever. Frames share one palette; every frame after the
// first stores only the pixels that changed, so a subtle animation stays small.

#include <QImage>
#include <QString>
#include <vector>

namespace skins {

struct GifFrame {
  QImage image;      // the whole picture at this moment
  int delayCs = 10;  // how long it stays, in hundredths of a second
};

// Returns an empty text on success, else what failed.
QString WriteLoopingGif(const QString& path, const std::vector<GifFrame>& frames);

}  // namespace skins

#include "ui/qt/WindowScale.h"

#include <algorithm>
#include <cmath>

namespace TesselQt {

double ScaleToFit(QSize layout, QSize area) {
  if (layout.isEmpty() || area.isEmpty()) return 1.0;
  const double across = static_cast<double>(area.width()) / layout.width();
  const double down = static_cast<double>(area.height()) / layout.height();
  const double fit = std::min({1.0, across, down});
  return std::max(fit, kSmallestWindowScale);
}

QSize ScaledSize(QSize layout, double scale) {
  // Rounded down, with a little tolerance so that a product such as 788 x (720 / 788.0) that
  // comes out a hair below 720 still gives 720.
  const auto side = [scale](int pixels) {
    return std::max(1, static_cast<int>(std::floor(pixels * scale + 1e-9)));
  };
  return QSize(side(std::max(1, layout.width())), side(std::max(1, layout.height())));
}

QPoint KeepInside(const QRect& frame, const QRect& area) {
  if (area.isEmpty()) return frame.topLeft();
  const auto place = [](int start, int length, int areaStart, int areaLength) {
    // Past the far edge first, then the near edge wins when the window is larger.
    start = std::min(start, areaStart + areaLength - length);
    return std::max(start, areaStart);
  };
  return QPoint(place(frame.x(), frame.width(), area.x(), area.width()),
                place(frame.y(), frame.height(), area.y(), area.height()));
}

}  // namespace TesselQt

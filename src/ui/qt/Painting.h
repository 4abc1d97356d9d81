#pragma once
// Small drawing helpers shared by the views.

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRectF>
#include <QRegion>
#include <QString>
#include <cstddef>
#include <functional>
#include <optional>

#include "ui/tessel/Controls.h"
#include "ui/tessel/Types.h"

class QPainter;
class QWidget;

namespace TesselQt {

QColor ToQColor(Tessel::Color color);
Tessel::Color FromQColor(const QColor& color);

// The picture a control names (relative to the application folder or absolute).
QString PicturePath(const std::string& name);

// Where a picture of `source` size goes inside `target` for a fit, and which part of the
// picture is shown.
struct Placement {
  QRectF target;
  QRectF source;
};
Placement PlacePicture(QSizeF source, QRectF target, Tessel::PictureFit fit);
// Pictures are drawn at the device's own pixels: a picture whose size differs from its place
// on the device is scaled smoothly once and kept (Qt's pixmap cache), so a scaled window or a
// fitted picture costs a copy on every later paint and is as sharp as the screen allows.
void DrawPicture(QPainter& painter, const QPixmap& picture, const QRectF& target,
                 Tessel::PictureFit fit);
void DrawPicture(QPainter& painter, const QImage& picture, const QRectF& target,
                 Tessel::PictureFit fit);

// Where a rectangle of the painter's coordinates lands in the device's pixels (corners
// rounded to whole pixels), when the painter only moves and scales as widgets, scaled windows
// and high-density screens do; nothing when it also rotates or shears.
std::optional<QRect> DevicePixels(const QPainter& painter, const QRectF& rect);

// While it lives, the painter draws in the device's pixels: what is copied then is neither
// moved between pixels nor scaled.
class DeviceCoordinates {
 public:
  explicit DeviceCoordinates(QPainter& painter);
  ~DeviceCoordinates();
  DeviceCoordinates(const DeviceCoordinates&) = delete;
  DeviceCoordinates& operator=(const DeviceCoordinates&) = delete;

 private:
  QPainter& painter_;
};

// The parts of the device's pixels that a region of the painter's coordinates covers (whole
// pixels, no two parts overlapping); nothing when the painter also rotates or shears.
std::optional<QRegion> DeviceRegion(const QPainter& painter, const QRegion& region);

// What a view drew last, kept in the device's pixels, for views whose drawing costs (text,
// styled buttons, rounded fills) but seldom changes while what lies below them does (an
// animated background): the view's parts are then copied instead of drawn.
class PaintCache {
 public:
  // Paints the `exposed` parts of `widget` from the cache. `draw` draws the whole widget into
  // the cache first when the cache is out of date: after Invalidate, when `look` differs from
  // the last drawing's, or when the widget's size on the device changed. Without a cache (the
  // painter rotates) `draw` paints directly.
  void Paint(QWidget& widget, QPainter& painter, const QRegion& exposed, std::size_t look,
             const std::function<void(QPainter&)>& draw);
  void Invalidate() { valid_ = false; }

 private:
  QImage image_;
  QRegion painted_;  // the squares of the image where something was drawn
  std::size_t look_ = 0;
  bool valid_ = false;
};

// The ring drawn around a control that has the keyboard focus.
void DrawFocusRing(QPainter& painter, const QRectF& around, qreal radius);

// True when the focus came from the keyboard (Tab, Backtab, a shortcut): only then is the
// focus ring drawn, so a mouse click does not leave a ring behind.
bool IsKeyboardFocusReason(Qt::FocusReason reason);

}  // namespace TesselQt

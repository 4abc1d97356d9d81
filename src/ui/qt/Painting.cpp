#include "ui/qt/Painting.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "ui/qt/Theme.h"
#include "ui/tessel/Manager.h"

namespace TesselQt {

QColor ToQColor(Tessel::Color color) {
  return QColor(static_cast<int>(Tessel::RedOf(color)), static_cast<int>(Tessel::GreenOf(color)),
                static_cast<int>(Tessel::BlueOf(color)));
}

Tessel::Color FromQColor(const QColor& color) {
  return Tessel::Rgb(static_cast<unsigned>(color.red()), static_cast<unsigned>(color.green()),
                     static_cast<unsigned>(color.blue()));
}

QString PicturePath(const std::string& name) {
  if (name.empty()) return {};
  return QString::fromStdString(Tessel::Manager::ResolvePicture(name).string());
}

Placement PlacePicture(QSizeF source, QRectF target, Tessel::PictureFit fit) {
  if (source.isEmpty() || target.isEmpty()) return {};
  const QRectF whole(QPointF(0, 0), source);
  switch (fit) {
    case Tessel::PictureFit::Stretch:
      return {target, whole};
    case Tessel::PictureFit::Contain: {
      const QSizeF size = source.scaled(target.size(), Qt::KeepAspectRatio);
      QRectF placed(QPointF(0, 0), size);
      placed.moveCenter(target.center());
      return {placed, whole};
    }
    case Tessel::PictureFit::Cover: {
      // The part of the picture with the target's proportions, centred.
      const QSizeF shown = target.size().scaled(source, Qt::KeepAspectRatio);
      QRectF part(QPointF(0, 0), shown);
      part.moveCenter(whole.center());
      return {target, part};
    }
    case Tessel::PictureFit::Center: {
      QRectF placed(QPointF(0, 0), source);
      placed.moveCenter(target.center());
      const QRectF visible = placed.intersected(target);
      return {visible, visible.translated(-placed.topLeft())};
    }
  }
  return {};
}

namespace {

// The part of a picture smoothly scaled to the device's pixels once, then kept (in Qt's pixmap
// cache) for every later paint: a scaled window or a fitted picture then costs a copy, and the
// picture is as sharp as the screen allows.
QPixmap ScaledOnce(const QPixmap& picture, const QRect& part, QSize pixels) {
  const QString key = QStringLiteral("tarvo-fitted:%1:%2,%3,%4,%5:%6x%7")
                          .arg(picture.cacheKey())
                          .arg(part.x())
                          .arg(part.y())
                          .arg(part.width())
                          .arg(part.height())
                          .arg(pixels.width())
                          .arg(pixels.height());
  QPixmap scaled;
  if (QPixmapCache::find(key, &scaled)) return scaled;
  const QPixmap source = part == picture.rect() ? picture : picture.copy(part);
  scaled = source.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  scaled.setDevicePixelRatio(1.0);
  QPixmapCache::insert(key, scaled);
  return scaled;
}

}  // namespace

std::optional<QRect> DevicePixels(const QPainter& painter, const QRectF& rect) {
  const QTransform device = painter.deviceTransform();
  if (device.type() > QTransform::TxScale || device.m11() <= 0 || device.m22() <= 0) return {};
  const QRectF mapped = device.mapRect(rect);
  const QPoint topLeft(qRound(mapped.left()), qRound(mapped.top()));
  const QPoint bottomRight(qRound(mapped.right()), qRound(mapped.bottom()));
  const QRect pixels(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
  if (pixels.isEmpty()) return {};
  return pixels;
}

DeviceCoordinates::DeviceCoordinates(QPainter& painter) : painter_(painter) {
  // The device transformation is the world transformation followed by what the device adds
  // (a widget's offset in its window, a screen's pixel density); the world transformation
  // becomes what undoes the latter.
  const QTransform added = painter.worldTransform().inverted() * painter.deviceTransform();
  painter_.save();
  painter_.setWorldTransform(added.inverted());
}

DeviceCoordinates::~DeviceCoordinates() {
  painter_.restore();
}

std::optional<QRegion> DeviceRegion(const QPainter& painter, const QRegion& region) {
  const QTransform device = painter.deviceTransform();
  if (device.type() > QTransform::TxScale) return {};
  if (device.type() <= QTransform::TxTranslate && device.dx() == std::round(device.dx()) &&
      device.dy() == std::round(device.dy())) {
    return region.translated(static_cast<int>(device.dx()), static_cast<int>(device.dy()));
  }
  QRegion pixels;
  for (const QRect& rect : region) pixels += device.mapRect(QRectF(rect)).toAlignedRect();
  return pixels;
}

namespace {

// The squares of an image with anything but transparency in them: the parts worth copying.
QRegion PaintedSquares(const QImage& image) {
  constexpr int kSquare = 16;
  const int across = (image.width() + kSquare - 1) / kSquare;
  std::vector<QRect> squares;
  for (int top = 0; top < image.height(); top += kSquare) {
    const int bottom = std::min(top + kSquare, image.height());
    const auto painted = [&](int column) {
      const int left = column * kSquare;
      const int right = std::min(left + kSquare, image.width());
      for (int y = top; y < bottom; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        if (std::any_of(row + left, row + right, [](QRgb pixel) { return qAlpha(pixel) != 0; }))
          return true;
      }
      return false;
    };
    // Side by side squares become one rectangle: the bands QRegion::setRects expects.
    for (int column = 0; column < across;) {
      if (!painted(column)) {
        ++column;
        continue;
      }
      const int first = column;
      while (column < across && painted(column)) ++column;
      const int left = first * kSquare;
      squares.emplace_back(left, top, std::min(column * kSquare, image.width()) - left,
                           bottom - top);
    }
  }
  QRegion region;
  region.setRects(squares.data(), static_cast<int>(squares.size()));
  return region;
}

}  // namespace

void PaintCache::Paint(QWidget& widget, QPainter& painter, const QRegion& exposed, std::size_t look,
                       const std::function<void(QPainter&)>& draw) {
  const std::optional<QRect> pixels = DevicePixels(painter, QRectF(widget.rect()));
  const std::optional<QRegion> parts = DeviceRegion(painter, exposed);
  if (!pixels || !parts) {
    draw(painter);
    return;
  }
  if (!valid_ || look != look_ || image_.size() != pixels->size()) {
    QImage fresh(pixels->size(), QImage::Format_ARGB32_Premultiplied);
    fresh.fill(Qt::transparent);
    QPainter cached(&fresh);
    cached.setRenderHints(painter.renderHints());
    cached.setFont(widget.font());
    cached.setPen(widget.palette().color(widget.foregroundRole()));
    cached.scale(static_cast<qreal>(pixels->width()) / widget.width(),
                 static_cast<qreal>(pixels->height()) / widget.height());
    draw(cached);
    cached.end();
    image_ = std::move(fresh);
    painted_ = PaintedSquares(image_);
    look_ = look;
    valid_ = true;
  }
  const DeviceCoordinates device(painter);
  // Each part once (a translucent view copied twice over the same pixel would darken it), and
  // only where the view drew something.
  const QRegion copied = (*parts & *pixels) & painted_.translated(pixels->topLeft());
  for (const QRect& part : copied)
    painter.drawImage(part.topLeft(), image_, part.translated(-pixels->topLeft()));
}

void DrawPicture(QPainter& painter, const QPixmap& picture, const QRectF& target,
                 Tessel::PictureFit fit) {
  if (picture.isNull()) return;
  const Placement placement = PlacePicture(picture.deviceIndependentSize(), target, fit);
  if (placement.target.isEmpty()) return;
  const qreal ratio = picture.devicePixelRatio();
  const QRectF source(placement.source.topLeft() * ratio, placement.source.size() * ratio);
  const QRect part = source.toRect() & picture.rect();
  if (const std::optional<QRect> pixels = DevicePixels(painter, placement.target);
      pixels && !part.isEmpty()) {
    const DeviceCoordinates device(painter);
    if (pixels->size() == part.size()) {
      painter.drawPixmap(pixels->topLeft(), picture, part);
    } else {
      painter.drawPixmap(pixels->topLeft(), ScaledOnce(picture, part, pixels->size()));
    }
    return;
  }
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawPixmap(placement.target, picture, source);
  painter.restore();
}

void DrawPicture(QPainter& painter, const QImage& picture, const QRectF& target,
                 Tessel::PictureFit fit) {
  if (picture.isNull()) return;
  const Placement placement = PlacePicture(picture.deviceIndependentSize(), target, fit);
  if (placement.target.isEmpty()) return;
  const qreal ratio = picture.devicePixelRatio();
  const QRectF source(placement.source.topLeft() * ratio, placement.source.size() * ratio);
  painter.save();
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(placement.target, picture, source);
  painter.restore();
}

void DrawFocusRing(QPainter& painter, const QRectF& around, qreal radius) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(theme::Focus(), 2));
  painter.drawRoundedRect(around.adjusted(1, 1, -1, -1), radius, radius);
  painter.restore();
}

bool IsKeyboardFocusReason(Qt::FocusReason reason) {
  return reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
         reason == Qt::ShortcutFocusReason;
}

}  // namespace TesselQt

#include "ui/qt/Painting.h"

#include <QPainter>
#include <QPainterPath>

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

void DrawPicture(QPainter& painter, const QPixmap& picture, const QRectF& target,
                 Tessel::PictureFit fit) {
  if (picture.isNull()) return;
  const Placement placement = PlacePicture(picture.deviceIndependentSize(), target, fit);
  if (placement.target.isEmpty()) return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const qreal ratio = picture.devicePixelRatio();
  const QRectF source(placement.source.topLeft() * ratio, placement.source.size() * ratio);
  painter.drawPixmap(placement.target, picture, source);
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

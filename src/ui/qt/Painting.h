#pragma once
// Small drawing helpers shared by the views.

#include <QColor>
#include <QPixmap>
#include <QRectF>
#include <QString>

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
void DrawPicture(QPainter& painter, const QPixmap& picture, const QRectF& target,
                 Tessel::PictureFit fit);

// The ring drawn around a control that has the keyboard focus.
void DrawFocusRing(QPainter& painter, const QRectF& around, qreal radius);

// True when the focus came from the keyboard (Tab, Backtab, a shortcut): only then is the
// focus ring drawn, so a mouse click does not leave a ring behind.
bool IsKeyboardFocusReason(Qt::FocusReason reason);

}  // namespace TesselQt

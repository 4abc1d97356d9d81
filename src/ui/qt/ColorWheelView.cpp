// The colour wheel: hue around the circle, saturation towards the rim, and the value bar on its
// right. A press or a drag on either picks; releasing the pointer ends the pick.

#include <QConicalGradient>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/ColorWheel.h"

namespace TesselQt {
namespace {

constexpr int kBarWidth = 12;
constexpr int kBarGap = 8;
constexpr qreal kMarkRadius = 7.0;
constexpr double kDegrees = 180.0 / std::numbers::pi;

// The wheel at full brightness: the hues of a conical gradient (counter-clockwise from red at
// the right) under white that fades out towards the rim.
QImage DrawWheel(int side, qreal ratio) {
  QImage image(QSize(side, side) * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF circle(0.5, 0.5, side - 1.0, side - 1.0);
  QConicalGradient hues(circle.center(), 0);
  for (int step = 0; step <= 6; ++step) {
    hues.setColorAt(step / 6.0, QColor::fromHsvF(std::fmod(step / 6.0, 1.0), 1.0, 1.0));
  }
  painter.setPen(Qt::NoPen);
  painter.setBrush(hues);
  painter.drawEllipse(circle);
  QRadialGradient white(circle.center(), circle.width() / 2);
  white.setColorAt(0.0, QColor(255, 255, 255, 255));
  white.setColorAt(1.0, QColor(255, 255, 255, 0));
  painter.setBrush(white);
  painter.drawEllipse(circle);
  return image;
}

class ColorWheelView : public View<QWidget> {
 public:
  ColorWheelView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setCursor(Qt::CrossCursor);
    setFocusPolicy(Qt::TabFocus);
  }

 protected:
  void SyncState() override {
    auto* wheel = ModelAs<Tessel::ColorWheel>();
    if (wheel == nullptr) return;
    hsv_ = wheel->GetHsv();
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.35);
    const QRectF circle = WheelRect();
    const int side = static_cast<int>(circle.width());
    if (wheelImage_.isNull() || wheelSide_ != side) {
      wheelSide_ = side;
      wheelImage_ = DrawWheel(side, devicePixelRatioF());
    }
    painter.drawImage(circle.topLeft(), wheelImage_);
    // Darker values dim the whole wheel, so the wheel shows the colours it would give.
    if (hsv_.value < 1.0) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(0, 0, 0, static_cast<int>((1.0 - hsv_.value) * 255)));
      painter.drawEllipse(circle);
    }
    painter.setPen(QPen(theme::Border(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(circle);
    PaintBar(painter);
    PaintMarks(painter, circle);
    if (focus_ && hasFocus()) DrawFocusRing(painter, QRectF(rect()), 10);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    dragging_ =
        BarRect().adjusted(-4, -4, 4, 4).contains(event->position()) ? Drag::kValue : Drag::kWheel;
    PickAt(event->position(), false);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (dragging_ != Drag::kNone) PickAt(event->position(), false);
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || dragging_ == Drag::kNone) return;
    PickAt(event->position(), true);
    dragging_ = Drag::kNone;
  }

  // The keyboard turns the hue (left, right) and the value (up, down).
  void keyPressEvent(QKeyEvent* event) override {
    auto* wheel = ModelAs<Tessel::ColorWheel>();
    if (wheel == nullptr) return QWidget::keyPressEvent(event);
    switch (event->key()) {
      case Qt::Key_Left:
        return wheel->UserPickHueSaturation(hsv_.hue + 5.0, hsv_.saturation, true);
      case Qt::Key_Right:
        return wheel->UserPickHueSaturation(hsv_.hue - 5.0, hsv_.saturation, true);
      case Qt::Key_Up:
        return wheel->UserPickValue(hsv_.value + 0.05, true);
      case Qt::Key_Down:
        return wheel->UserPickValue(hsv_.value - 0.05, true);
      default:
        return QWidget::keyPressEvent(event);
    }
  }
  void focusInEvent(QFocusEvent* event) override {
    focus_ = IsKeyboardFocusReason(event->reason());
    update();
  }
  void focusOutEvent(QFocusEvent*) override {
    focus_ = false;
    update();
  }

 private:
  enum class Drag { kNone, kWheel, kValue };

  QRectF WheelRect() const {
    const qreal side = std::max(0, std::min(height(), width() - kBarWidth - kBarGap));
    return QRectF(0, (height() - side) / 2, side, side);
  }
  // The bar leaves room above and below for its mark.
  QRectF BarRect() const { return QRectF(width() - kBarWidth - 2, 4, kBarWidth, height() - 8); }

  void PaintBar(QPainter& painter) {
    const QRectF bar = BarRect();
    QLinearGradient fill(bar.topLeft(), bar.bottomLeft());
    fill.setColorAt(0.0, ToQColor(Tessel::ColorOfHsv({hsv_.hue, hsv_.saturation, 1.0})));
    fill.setColorAt(1.0, Qt::black);
    painter.setPen(QPen(theme::Border(), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(bar, kBarWidth / 2.0, kBarWidth / 2.0);
  }

  void PaintMarks(QPainter& painter, const QRectF& circle) {
    const qreal radius = circle.width() / 2;
    const double angle = hsv_.hue / kDegrees;
    const QPointF at =
        circle.center() + QPointF(std::cos(angle), -std::sin(angle)) * (hsv_.saturation * radius);
    const QColor picked = ToQColor(Tessel::ColorOfHsv(hsv_));
    for (const auto& [width, colour] :
         {std::pair{4.0, QColor(0, 0, 0, 160)}, std::pair{2.0, QColor(Qt::white)}}) {
      painter.setPen(QPen(colour, width));
      painter.setBrush(picked);
      painter.drawEllipse(at, kMarkRadius, kMarkRadius);
      const QRectF bar = BarRect();
      const qreal y = bar.top() + (1.0 - hsv_.value) * bar.height();
      painter.setBrush(Qt::NoBrush);
      painter.drawRoundedRect(QRectF(bar.left() - 2, y - 3, bar.width() + 4, 6), 3, 3);
    }
  }

  void PickAt(QPointF point, bool final) {
    auto* wheel = ModelAs<Tessel::ColorWheel>();
    if (wheel == nullptr) return;
    if (dragging_ == Drag::kValue) {
      const QRectF bar = BarRect();
      wheel->UserPickValue(1.0 - (point.y() - bar.top()) / std::max<qreal>(1, bar.height()), final);
      return;
    }
    const QRectF circle = WheelRect();
    const QPointF offset = point - circle.center();
    const double radius = std::max<double>(1.0, circle.width() / 2);
    const double hue = std::atan2(-offset.y(), offset.x()) * kDegrees;
    const double saturation = std::min(1.0, std::hypot(offset.x(), offset.y()) / radius);
    wheel->UserPickHueSaturation(hue, saturation, final);
  }

  Tessel::Hsv hsv_;
  QImage wheelImage_;
  int wheelSide_ = 0;
  Drag dragging_ = Drag::kNone;
  bool focus_ = false;
};

}  // namespace

ControlView* CreateColorWheelView(Tessel::MControl& control, QWidget* parent) {
  return new ColorWheelView(control, parent);
}

}  // namespace TesselQt

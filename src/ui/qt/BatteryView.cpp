// The battery of the keyboard being set up: an outline filled to the level, a bolt while it
// charges, the level in percent and, while charging, the word for it.

#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/BatteryCtrl.h"

namespace TesselQt {
namespace {

const QColor kHealthy(0x4a, 0xd6, 0x8c);

class BatteryView : public View<QWidget> {
 public:
  BatteryView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void SyncState() override {
    auto* battery = ModelAs<Tessel::BatteryCtrl>();
    if (battery == nullptr) return;
    level_ = battery->GetLevel();
    charging_ = battery->GetCharging() != 0;
    chargingText_ = QString::fromStdString(battery->GetChargingText());
    font_ = theme::FontFor(StyleName());
    update();
  }

  void paintEvent(QPaintEvent*) override {
    if (level_ <= 0) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(1, height() / 2.0 - 8, 30, 16);
    DrawOutline(painter, body);
    DrawFill(painter, body);
    if (charging_) DrawBolt(painter, body);
    painter.setFont(font_);
    painter.setPen(theme::Text());
    QString text = QStringLiteral("%1 %").arg(std::min(level_, 100));
    if (charging_ && !chargingText_.isEmpty()) text += QStringLiteral("  ·  ") + chargingText_;
    const QRectF textRect(body.right() + 14, 0, width() - body.right() - 14, height());
    painter.drawText(
        textRect, Qt::AlignLeft | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(textRect.width())));
  }

 private:
  static void DrawOutline(QPainter& painter, const QRectF& body) {
    painter.setPen(QPen(theme::TextSecondary(), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(body, 3.5, 3.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme::TextSecondary());
    painter.drawRoundedRect(QRectF(body.right() + 1.5, body.center().y() - 3.5, 3, 7), 1, 1);
  }

  void DrawFill(QPainter& painter, const QRectF& body) const {
    const double fraction = std::clamp(level_, 0, 100) / 100.0;
    const QRectF inner = body.adjusted(3, 3, -3, -3);
    painter.setPen(Qt::NoPen);
    painter.setBrush(level_ <= Tessel::kLowBatteryLevel && !charging_ ? theme::Danger() : kHealthy);
    painter.drawRoundedRect(
        QRectF(inner.left(), inner.top(), inner.width() * fraction, inner.height()), 1.5, 1.5);
  }

  static void DrawBolt(QPainter& painter, const QRectF& body) {
    const QPointF c = body.center();
    QPainterPath bolt;
    bolt.moveTo(c.x() + 1.5, c.y() - 7);
    bolt.lineTo(c.x() - 4, c.y() + 1);
    bolt.lineTo(c.x() - 0.5, c.y() + 1);
    bolt.lineTo(c.x() - 1.5, c.y() + 7);
    bolt.lineTo(c.x() + 4, c.y() - 1);
    bolt.lineTo(c.x() + 0.5, c.y() - 1);
    bolt.closeSubpath();
    painter.setPen(QPen(theme::WindowBackground(), 1.2));
    painter.setBrush(Qt::white);
    painter.drawPath(bolt);
  }

  int level_ = 0;
  bool charging_ = false;
  QString chargingText_;
  QFont font_;
};

}  // namespace

ControlView* CreateBatteryView(Tessel::MControl& control, QWidget* parent) {
  return new BatteryView(control, parent);
}

}  // namespace TesselQt

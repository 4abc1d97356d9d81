// The home page's keyboards: one card per model with its picture, name, connection and battery.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>
#include <algorithm>
#include <map>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/BatteryCtrl.h"
#include "ui/tessel/DeviceList.h"

namespace TesselQt {
namespace {

constexpr int kCardWidth = 296;
constexpr int kCardHeight = 300;
constexpr int kCardGap = 24;
const QColor kOnline(0x4a, 0xd6, 0x8c);
const QColor kAsleep(0xf0, 0xb4, 0x48);

QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}

class DeviceListView : public CachedView<QWidget> {
 public:
  DeviceListView(Tessel::MControl& control, QWidget* parent) : CachedView(control, parent) {
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
  }

 protected:
  void SyncState() override {
    auto* list = ModelAs<Tessel::CDeviceList>();
    if (list == nullptr) return;
    items_ = list->GetItems();
    selected_ = list->GetSelectDevice();
    labels_ = list->GetLabels();
    for (const auto& item : items_) {
      for (const std::string& name : {item.connectedPicture, item.disconnectedPicture}) {
        if (!pictures_.contains(name)) pictures_[name] = QPixmap(PicturePath(name));
      }
    }
    Redraw();
  }

  void Draw(QPainter& painter) override {
    painter.setRenderHint(QPainter::Antialiasing);
    for (std::size_t i = 0; i < items_.size(); ++i) PaintCard(painter, static_cast<int>(i));
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    const int hovered = CardAt(event->position().toPoint());
    if (hovered != hovered_) {
      hovered_ = hovered;
      setCursor(hovered >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
      Redraw();
    }
  }
  void leaveEvent(QEvent*) override {
    hovered_ = -1;
    Redraw();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    const int card = CardAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && card >= 0) Pick(card);
  }
  void keyPressEvent(QKeyEvent* event) override {
    const int count = static_cast<int>(items_.size());
    if (count == 0) return QWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Left) {
      const int step = event->key() == Qt::Key_Right ? 1 : -1;
      focused_ = ((focused_ < 0 ? 0 : focused_ + step) % count + count) % count;
      Redraw();
    } else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                event->key() == Qt::Key_Space) &&
               focused_ >= 0) {
      Pick(focused_);
    } else {
      QWidget::keyPressEvent(event);
    }
  }
  void focusInEvent(QFocusEvent* event) override {
    if (IsKeyboardFocusReason(event->reason()) && focused_ < 0) focused_ = 0;
    Redraw();
  }
  void focusOutEvent(QFocusEvent*) override {
    focused_ = -1;
    Redraw();
  }

 private:
  // Cards are centred in a row.
  QRect CardRect(int index) const {
    const int count = static_cast<int>(items_.size());
    const int total = count * kCardWidth + (count - 1) * kCardGap;
    const int left = std::max(0, (width() - total) / 2);
    return QRect(left + index * (kCardWidth + kCardGap), 8, kCardWidth, kCardHeight);
  }
  int CardAt(QPoint point) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
      if (CardRect(static_cast<int>(i)).contains(point)) return static_cast<int>(i);
    }
    return -1;
  }
  void Pick(int index) {
    if (auto* list = ModelAs<Tessel::CDeviceList>())
      list->UserSelectDevice(items_[static_cast<std::size_t>(index)].modelId);
  }

  void PaintCard(QPainter& painter, int index) {
    const Tessel::DeviceItem& item = items_[static_cast<std::size_t>(index)];
    const QRectF card = QRectF(CardRect(index)).adjusted(0.5, 0.5, -0.5, -0.5);
    const bool connected = item.IsConnected();
    const bool selected = item.modelId == selected_;
    const bool hovered = index == hovered_;

    painter.setPen(QPen(selected ? theme::Accent() : theme::Border(), selected ? 2 : 1));
    painter.setBrush(hovered ? QColor(36, 41, 56, 235) : QColor(28, 32, 44, 225));
    painter.drawRoundedRect(card, 14, 14);
    if (index == focused_ && hasFocus()) DrawFocusRing(painter, card, 14);

    const QPixmap& picture =
        pictures_[connected ? item.connectedPicture : item.disconnectedPicture];
    DrawPicture(painter, picture, QRectF(card.left() + 8, card.top() + 12, card.width() - 16, 168),
                Tessel::PictureFit::Contain);

    painter.setPen(theme::Text());
    painter.setFont(theme::FontFor(QStringLiteral("card-title"), 0, false));
    const QRectF nameRect(card.left() + 20, card.top() + 190, card.width() - 40, 28);
    painter.drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter, ToQString(item.name));

    PaintStatus(painter, item, QRectF(card.left() + 20, card.top() + 224, card.width() - 40, 24));
    PaintModes(painter, item, QRectF(card.left() + 20, card.top() + 256, card.width() - 40, 24));
  }

  // Connected, asleep behind its receiver (press a key), or not connected.
  void PaintStatus(QPainter& painter, const Tessel::DeviceItem& item, const QRectF& row) {
    const bool connected = item.IsConnected();
    const bool asleep = item.IsAsleep();
    painter.setPen(Qt::NoPen);
    painter.setBrush(connected ? kOnline : asleep ? kAsleep : theme::TextDisabled());
    painter.drawEllipse(QPointF(row.left() + 5, row.center().y()), 5, 5);
    painter.setPen(connected || asleep ? theme::Text() : theme::TextSecondary());
    painter.setFont(theme::FontFor(QString(), 0, false));
    const QString status = ToQString(connected ? labels_.connected
                                     : asleep  ? labels_.asleep
                                               : labels_.disconnected);
    painter.drawText(row.adjusted(18, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, status);
    for (const auto& [mode, battery] : item.batteries) {
      if (battery.level <= 0 || item.modeStates.count(mode) == 0 || item.modeStates.at(mode) != 1)
        continue;
      PaintBattery(painter, row, battery.level, battery.charging != 0);
      break;
    }
  }

  void PaintBattery(QPainter& painter, const QRectF& row, int level, bool charging) {
    const QRectF body(row.right() - 30, row.center().y() - 6, 24, 12);
    painter.setPen(QPen(theme::TextSecondary(), 1.2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(body, 2.5, 2.5);
    painter.fillRect(QRectF(body.right() + 1, body.center().y() - 2.5, 2, 5),
                     theme::TextSecondary());
    const double fraction = std::clamp(level, 0, 100) / 100.0;
    const bool low = level <= Tessel::kLowBatteryLevel && !charging;
    const QColor fill = low ? theme::Danger() : kOnline;
    painter.fillRect(
        QRectF(body.left() + 2, body.top() + 2, (body.width() - 4) * fraction, body.height() - 4),
        fill);
    painter.setPen(low ? theme::Danger() : theme::TextSecondary());
    QString text = QStringLiteral("%1 %").arg(level);
    if (charging) text = ToQString(labels_.charging) + QStringLiteral(" · ") + text;
    if (low) text = ToQString(labels_.batteryLow) + QStringLiteral(" · ") + text;
    painter.drawText(QRectF(row.left(), row.top(), row.width() - 40, row.height()),
                     Qt::AlignRight | Qt::AlignVCenter, text);
  }

  // A chip per connection mode that the keyboard is present on.
  void PaintModes(QPainter& painter, const Tessel::DeviceItem& item, const QRectF& row) {
    double x = row.left();
    painter.setFont(theme::FontFor(QStringLiteral("hint"), 0, false));
    for (const auto& [mode, state] : item.modeStates) {
      const QString text = ToQString(mode == 0 ? labels_.wired : labels_.wireless);
      if (text.isEmpty()) continue;
      const double width = painter.fontMetrics().horizontalAdvance(text) + 20;
      const QRectF chip(x, row.top(), width, row.height());
      painter.setPen(Qt::NoPen);
      painter.setBrush(state == 1 ? QColor(74, 214, 140, 40) : QColor(255, 255, 255, 18));
      painter.drawRoundedRect(chip, 12, 12);
      painter.setPen(state == 1 ? kOnline : theme::TextSecondary());
      painter.drawText(chip, Qt::AlignCenter, text);
      x += width + 8;
    }
  }

  std::vector<Tessel::DeviceItem> items_;
  std::map<std::string, QPixmap> pictures_;
  Tessel::CDeviceList::Labels labels_;
  int selected_ = 0;
  int hovered_ = -1;
  int focused_ = -1;
};

}  // namespace

ControlView* CreateDeviceListView(Tessel::MControl& control, QWidget* parent) {
  return new DeviceListView(control, parent);
}

}  // namespace TesselQt

// A list of choices as tiles: a picture above a short name, laid out in rows as wide as the
// control allows. The current item is outlined in the accent colour; rows that do not fit
// scroll with the wheel, and the arrow keys move the choice.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <map>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/IconList.h"

namespace TesselQt {
namespace {

constexpr int kGap = 6;
constexpr int kIconSide = 22;
constexpr int kLabelPixels = 11;
constexpr int kSmallestLabelPixels = 9;
constexpr qreal kRadius = 8.0;

class IconListView : public FocusRingView<QWidget> {
 public:
  IconListView(Tessel::MControl& control, QWidget* parent) : FocusRingView(control, parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
  }

 protected:
  void SyncState() override {
    auto* list = ModelAs<Tessel::IconList>();
    if (list == nullptr) return;
    items_ = list->GetItems();
    current_ = list->GetCurSel();
    tile_ = QSize(list->GetTileWidth(), list->GetTileHeight());
    for (const Tessel::ListItem& item : items_) {
      if (!item.icon.empty() && !icons_.contains(item.icon)) {
        icons_[item.icon] = QPixmap(PicturePath(item.icon));
      }
    }
    font_ = theme::FontFor(QString(), kLabelPixels, false);
    ClampScroll();
    ScrollTo(current_);
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    painter.setClipRect(rect());
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) PaintTile(painter, i);
    PaintScrollMark(painter);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const int index = TileAt(event->position().toPoint());
    if (index >= 0) Choose(index);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const int index = TileAt(event->position().toPoint());
    if (index == hovered_) return;
    hovered_ = index;
    setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
  }
  void leaveEvent(QEvent*) override {
    hovered_ = -1;
    update();
  }
  void wheelEvent(QWheelEvent* event) override {
    const int before = scroll_;
    scroll_ -= event->angleDelta().y() / 120 * RowStep();
    ClampScroll();
    if (scroll_ != before) {
      update();
      event->accept();
    } else {
      event->ignore();
    }
  }
  void keyPressEvent(QKeyEvent* event) override {
    const int columns = Columns();
    int next = current_;
    switch (event->key()) {
      case Qt::Key_Left:
        next -= 1;
        break;
      case Qt::Key_Right:
        next += 1;
        break;
      case Qt::Key_Up:
        next -= columns;
        break;
      case Qt::Key_Down:
        next += columns;
        break;
      default:
        return QWidget::keyPressEvent(event);
    }
    if (next >= 0 && next < static_cast<int>(items_.size())) Choose(next);
  }

 private:
  int Columns() const { return std::max(1, (width() + kGap) / (tile_.width() + kGap)); }
  int RowStep() const { return tile_.height() + kGap; }
  int Rows() const {
    const int count = static_cast<int>(items_.size());
    return (count + Columns() - 1) / Columns();
  }
  int ContentHeight() const { return std::max(0, Rows() * RowStep() - kGap); }
  void ClampScroll() { scroll_ = std::clamp(scroll_, 0, std::max(0, ContentHeight() - height())); }

  // Tiles share the row's width evenly.
  QRectF TileRect(int index) const {
    const int columns = Columns();
    const qreal width = (this->width() - (columns - 1) * kGap) / static_cast<qreal>(columns);
    const int row = index / columns;
    const int column = index % columns;
    return QRectF(column * (width + kGap), row * RowStep() - scroll_, width, tile_.height());
  }

  int TileAt(QPoint point) const {
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
      if (TileRect(i).contains(point)) return i;
    }
    return -1;
  }

  void ScrollTo(int index) {
    if (index < 0) return;
    const QRectF tile = TileRect(index);
    if (tile.top() < 0) scroll_ += static_cast<int>(tile.top());
    if (tile.bottom() > height()) scroll_ += static_cast<int>(tile.bottom() - height()) + 1;
    ClampScroll();
  }

  void Choose(int index) {
    if (auto* list = ModelAs<Tessel::IconList>()) list->UserSelect(index);
  }

  void PaintTile(QPainter& painter, int index) {
    const QRectF tile = TileRect(index).adjusted(0.5, 0.5, -0.5, -0.5);
    if (tile.bottom() < 0 || tile.top() > height()) return;
    const Tessel::ListItem& item = items_[static_cast<std::size_t>(index)];
    const bool current = index == current_;
    QColor fill = current ? theme::Accent() : theme::Surface();
    fill.setAlpha(current ? 70 : 200);
    if (index == hovered_ && !current) fill = theme::SurfaceRaised().lighter(118);
    painter.setPen(QPen(current ? theme::AccentBright() : theme::Border(), current ? 1.6 : 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, kRadius, kRadius);
    if (current && ShowsFocusRing()) DrawFocusRing(painter, tile, kRadius);

    auto icon = icons_.find(item.icon);
    const QRectF iconRect(tile.center().x() - kIconSide / 2.0, tile.top() + 6, kIconSide,
                          kIconSide);
    if (icon != icons_.end() && !icon->second.isNull()) {
      DrawPicture(painter, icon->second, iconRect, Tessel::PictureFit::Contain);
    }
    painter.setPen(current ? theme::Text() : theme::TextSecondary());
    const QRectF label(tile.left() + 3, iconRect.bottom() + 2, tile.width() - 6,
                       tile.bottom() - iconRect.bottom() - 4);
    PaintLabel(painter, QString::fromStdString(item.text), label);
  }

  // A long name takes a smaller type before it is cut short.
  void PaintLabel(QPainter& painter, const QString& text, const QRectF& box) {
    QFont font = font_;
    for (int pixels = kLabelPixels; pixels >= kSmallestLabelPixels; --pixels) {
      font.setPixelSize(pixels);
      if (QFontMetricsF(font).horizontalAdvance(text) <= box.width()) break;
    }
    painter.setFont(font);
    const QString shown =
        painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(box.width()));
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter, shown);
  }

  // A thin thumb at the right edge shows where the visible rows lie.
  void PaintScrollMark(QPainter& painter) {
    const int content = ContentHeight();
    if (content <= height()) return;
    const qreal thumb = std::max<qreal>(20, height() * height() / static_cast<qreal>(content));
    const qreal top = (height() - thumb) * scroll_ / static_cast<qreal>(content - height());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2f, 0x35, 0x47));
    painter.drawRoundedRect(QRectF(width() - 3, top, 3, thumb), 1.5, 1.5);
  }

  std::vector<Tessel::ListItem> items_;
  std::map<std::string, QPixmap> icons_;
  QSize tile_{80, 48};
  QFont font_;
  int current_ = -1;
  int hovered_ = -1;
  int scroll_ = 0;
};

}  // namespace

ControlView* CreateIconListView(Tessel::MControl& control, QWidget* parent) {
  return new IconListView(control, parent);
}

}  // namespace TesselQt

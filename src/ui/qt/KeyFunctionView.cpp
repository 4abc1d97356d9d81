// The function picker of the key page: the functions as a grid of rounded cells, the current
// one marked, scrolled with the wheel or the keyboard when there are more than fit.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/KeyControls.h"

namespace TesselQt {
namespace {

constexpr int kGap = 6;
constexpr int kRowHeight = 32;
constexpr int kScrollBarWidth = 6;

class KeyFunctionView : public FocusRingView<QWidget> {
 public:
  KeyFunctionView(Tessel::MControl& control, QWidget* parent) : FocusRingView(control, parent) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
  }

 protected:
  void SyncState() override {
    auto* picker = ModelAs<Tessel::KeyFuncValue>();
    if (picker == nullptr) return;
    const auto items = picker->GetItems();
    if (items != items_) scroll_ = 0;
    items_ = items;
    current_ = picker->GetCurSel();
    columns_ = picker->GetColumns();
    allHeight_ = picker->GetAllHeight();
    font_ = theme::FontFor(StyleName());
    if (focusItem_ >= static_cast<int>(items_.size())) focusItem_ = -1;
    ClampScroll();
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font_);
    for (int i = FirstVisible(); i < static_cast<int>(items_.size()); ++i) {
      const QRectF cell = CellRect(i);
      if (cell.top() >= height()) break;
      PaintCell(painter, i, cell);
    }
    PaintScrollBar(painter);
  }

  void mouseMoveEvent(QMouseEvent* event) override { SetHovered(ItemAt(event->position())); }
  void leaveEvent(QEvent*) override { SetHovered(-1); }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const int item = ItemAt(event->position());
    if (item < 0) return;
    focusItem_ = item;
    Pick(item);
  }
  void wheelEvent(QWheelEvent* event) override {
    scroll_ -= event->angleDelta().y() / 120 * RowStep();
    ClampScroll();
    update();
  }
  void keyPressEvent(QKeyEvent* event) override {
    const int count = static_cast<int>(items_.size());
    if (count == 0) return QWidget::keyPressEvent(event);
    int next = focusItem_ < 0 ? std::max(current_, 0) : focusItem_;
    switch (event->key()) {
      case Qt::Key_Left:
        next -= 1;
        break;
      case Qt::Key_Right:
        next += 1;
        break;
      case Qt::Key_Up:
        next -= columns_;
        break;
      case Qt::Key_Down:
        next += columns_;
        break;
      case Qt::Key_Return:
      case Qt::Key_Enter:
      case Qt::Key_Space:
        Pick(next);
        return;
      default:
        return QWidget::keyPressEvent(event);
    }
    focusItem_ = std::clamp(next, 0, count - 1);
    ShowItem(focusItem_);
    update();
  }

 private:
  int Rows() const {
    return (static_cast<int>(items_.size()) + columns_ - 1) / std::max(columns_, 1);
  }
  int RowHeight() const {
    const int rows = Rows();
    if (allHeight_ <= 0 || rows == 0) return kRowHeight;
    return std::max(kRowHeight, allHeight_ / rows - kGap);
  }
  int RowStep() const { return RowHeight() + kGap; }
  int ContentHeight() const { return std::max(0, Rows() * RowStep() - kGap); }
  int ContentWidth() const {
    return ContentHeight() > height() ? width() - kScrollBarWidth - kGap : width();
  }
  int FirstVisible() const { return std::max(0, scroll_ / RowStep()) * columns_; }

  QRectF CellRect(int item) const {
    const int row = item / columns_;
    const int column = item % columns_;
    const double cellWidth = (ContentWidth() - kGap * (columns_ - 1)) / double(columns_);
    return QRectF(column * (cellWidth + kGap), row * RowStep() - scroll_, cellWidth, RowHeight());
  }

  int ItemAt(QPointF point) const {
    for (int i = FirstVisible(); i < static_cast<int>(items_.size()); ++i) {
      const QRectF cell = CellRect(i);
      if (cell.top() > height()) break;
      if (cell.contains(point)) return i;
    }
    return -1;
  }

  void ClampScroll() { scroll_ = std::clamp(scroll_, 0, std::max(0, ContentHeight() - height())); }

  void ShowItem(int item) {
    const QRectF cell = CellRect(item);
    if (cell.top() < 0) scroll_ += static_cast<int>(cell.top());
    if (cell.bottom() > height()) scroll_ += static_cast<int>(cell.bottom() - height());
    ClampScroll();
  }

  void SetHovered(int item) {
    if (item == hovered_) return;
    hovered_ = item;
    update();
  }

  void Pick(int item) {
    if (auto* picker = ModelAs<Tessel::KeyFuncValue>()) picker->UserPick(item);
  }

  void PaintCell(QPainter& painter, int i, const QRectF& cell) {
    const auto& item = items_[static_cast<std::size_t>(i)];
    const bool current = i == current_;
    const QRectF box = cell.adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(current ? QPen(theme::Accent(), 1.5) : QPen(theme::Border(), 1));
    painter.setBrush(
        current ? QColor(123, 97, 255, 56)
                : (i == hovered_ ? theme::SurfaceRaised().lighter(130) : theme::Surface()));
    painter.drawRoundedRect(box, 8, 8);
    if (ShowsFocusRing() && i == focusItem_) DrawFocusRing(painter, box, 8);
    QString text = QString::fromStdString(item.name);
    if (!item.note.empty()) text += QStringLiteral("  ") + QString::fromStdString(item.note);
    painter.setPen(current ? theme::Text() : (isEnabled() ? theme::Text() : theme::TextDisabled()));
    const QRectF textRect = box.adjusted(8, 0, -8, 0);
    painter.drawText(
        textRect, Qt::AlignCenter,
        painter.fontMetrics().elidedText(text, Qt::ElideRight, static_cast<int>(textRect.width())));
  }

  void PaintScrollBar(QPainter& painter) {
    const int content = ContentHeight();
    if (content <= height()) return;
    const double shown = double(height()) / content;
    const double top = double(scroll_) / content * height();
    painter.setPen(Qt::NoPen);
    painter.setBrush(theme::Border());
    painter.drawRoundedRect(
        QRectF(width() - kScrollBarWidth, top, kScrollBarWidth, std::max(24.0, shown * height())),
        3, 3);
  }

  std::vector<Tessel::KeyFuncValue::Item> items_;
  int current_ = -1;
  int hovered_ = -1;
  int focusItem_ = -1;
  int columns_ = Tessel::KeyFuncValue::kDefaultColumns;
  int allHeight_ = 0;
  int scroll_ = 0;
  QFont font_;
};

}  // namespace

ControlView* CreateKeyFunctionView(Tessel::MControl& control, QWidget* parent) {
  return new KeyFunctionView(control, parent);
}

}  // namespace TesselQt

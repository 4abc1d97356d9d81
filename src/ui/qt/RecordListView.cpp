// The list of a macro's events: numbered rows with the event's text and, right-aligned, the
// delay that follows it. Key events are drawn in the body colour, mouse events in the accent
// colour and pauses in the secondary one; the selected row is outlined. Rows that do not fit
// scroll with the wheel, and the view follows the row the model wants in sight.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/RowStack.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/RecordList.h"

namespace TesselQt {
namespace {

constexpr RowStack kRows{30, 2};
constexpr int kNumberWidth = 34;
constexpr int kDelayWidth = 84;
// Event types as the macro room stores them.
constexpr int kPauseType = 1;
constexpr int kFirstMouseType = 4;
constexpr int kLastMouseType = 5;

class RecordListView : public FocusRingView<QWidget> {
 public:
  RecordListView(Tessel::MControl& control, QWidget* parent) : FocusRingView(control, parent) {
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
  }

 protected:
  void SyncState() override {
    auto* list = ModelAs<Tessel::CRecordList>();
    if (list == nullptr) return;
    items_ = list->GetRecordItems();
    selected_ = list->GetCurSel();
    const int visible = list->GetVisibleItem();
    if (visible != visible_) {
      visible_ = visible;
      ScrollTo(visible);
    }
    ClampScroll();
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.55);
    for (int row = 0; row <= VisibleRows(); ++row) {
      const int index = scroll_ + row;
      if (index >= static_cast<int>(items_.size())) break;
      PaintRow(painter, index, RowRect(index));
    }
  }

  void mouseMoveEvent(QMouseEvent* event) override {
    const int hovered = RowAt(event->position().toPoint());
    if (hovered != hovered_) {
      hovered_ = hovered;
      update();
    }
  }
  void leaveEvent(QEvent*) override {
    hovered_ = -1;
    update();
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    auto* list = ModelAs<Tessel::CRecordList>();
    if (list == nullptr) return;
    const int row = RowAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && row >= 0) list->UserSelect(row);
    if (event->button() == Qt::RightButton) list->UserRightClick(row);
  }
  void wheelEvent(QWheelEvent* event) override {
    scroll_ += event->angleDelta().y() > 0 ? -2 : 2;
    ClampScroll();
    update();
  }
  void keyPressEvent(QKeyEvent* event) override {
    auto* list = ModelAs<Tessel::CRecordList>();
    const int count = static_cast<int>(items_.size());
    if (list == nullptr || count == 0) return QWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
      const int step = event->key() == Qt::Key_Down ? 1 : -1;
      const int next = std::clamp(selected_ < 0 ? 0 : selected_ + step, 0, count - 1);
      list->UserSelect(next);
      ScrollTo(next);
    } else if (event->key() == Qt::Key_Menu) {
      list->UserRightClick(selected_);
    } else {
      QWidget::keyPressEvent(event);
    }
  }

 private:
  int Count() const { return static_cast<int>(items_.size()); }
  int VisibleRows() const { return kRows.VisibleRows(height()); }
  QRect RowRect(int index) const { return kRows.RowRect(index, scroll_, width()); }
  int RowAt(QPoint point) const { return kRows.RowAt(point, scroll_, Count(), width()); }
  void ClampScroll() { scroll_ = kRows.ClampScroll(scroll_, Count(), height()); }
  // Scrolls as little as needed for the row to be whole in sight.
  void ScrollTo(int index) {
    if (index < 0) return;
    if (index < scroll_) scroll_ = index;
    if (index >= scroll_ + VisibleRows()) scroll_ = index - VisibleRows() + 1;
  }

  static QColor TextColorOf(const Tessel::RecordItem& item) {
    if (item.type == kPauseType) return theme::TextSecondary();
    if (item.type >= kFirstMouseType && item.type <= kLastMouseType) return theme::AccentBright();
    return theme::Text();
  }

  void PaintRow(QPainter& painter, int index, const QRect& rect) {
    const bool selected = index == selected_;
    const QRectF row = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (selected || index == hovered_) {
      painter.setPen(selected ? QPen(theme::Accent(), 1.5) : Qt::NoPen);
      painter.setBrush(selected ? QColor(123, 97, 255, 46) : QColor(255, 255, 255, 14));
      painter.drawRoundedRect(row, 8, 8);
    } else if (index % 2 == 1) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(QColor(255, 255, 255, 6));
      painter.drawRoundedRect(row, 8, 8);
    }
    if (selected && ShowsFocusRing()) DrawFocusRing(painter, row, 8);
    const auto& item = items_[static_cast<std::size_t>(index)];
    painter.setFont(theme::FontFor(QStringLiteral("hint")));
    painter.setPen(theme::TextDisabled());
    painter.drawText(QRect(rect.left(), rect.top(), kNumberWidth, rect.height()),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(index + 1));
    painter.setPen(theme::TextSecondary());
    const QRect delayRect(rect.right() - kDelayWidth - 10, rect.top(), kDelayWidth, rect.height());
    painter.drawText(delayRect, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("%1 ms").arg(item.delay));
    painter.setFont(theme::FontFor(QString(), 0, selected));
    painter.setPen(TextColorOf(item));
    const QRect textRect(rect.left() + kNumberWidth + 14, rect.top(),
                         delayRect.left() - rect.left() - kNumberWidth - 20, rect.height());
    const QString text = painter.fontMetrics().elidedText(QString::fromStdString(item.text),
                                                          Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
  }

  std::vector<Tessel::RecordItem> items_;
  int selected_ = -1;
  int hovered_ = -1;
  int scroll_ = 0;
  int visible_ = -1;
};

}  // namespace

ControlView* CreateRecordListView(Tessel::MControl& control, QWidget* parent) {
  return new RecordListView(control, parent);
}

}  // namespace TesselQt

// The profile list: rows with an icon and a name, the selected row marked, a row renamed in
// place with an editor over it.

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <map>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/RowStack.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/ProfileList.h"

namespace TesselQt {
namespace {

constexpr RowStack kRows{44, 4};

class ProfileListView : public FocusRingView<QWidget> {
 public:
  ProfileListView(Tessel::MControl& control, QWidget* parent)
      : FocusRingView(control, parent), editor_(this) {
    setFocusPolicy(Qt::TabFocus);
    setMouseTracking(true);
    editor_.hide();
    editor_.setMaxLength(64);
    QObject::connect(&editor_, &QLineEdit::editingFinished, &editor_, [this] { FinishEdit(); });
  }

 protected:
  void SyncState() override {
    auto* list = ModelAs<Tessel::ProfileList>();
    if (list == nullptr) return;
    items_ = list->GetItems();
    selected_ = list->GetSelectItem();
    scroll_ = kRows.ClampScroll(list->GetScrollPos(), Count(), height());
    for (const auto& item : items_) {
      if (!icons_.contains(item.icon)) icons_[item.icon] = QPixmap(PicturePath(item.icon));
    }
    const int editing = list->GetEditItem();
    if (editing != editing_) StartEdit(editing);
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    for (int row = 0; row < VisibleRows(); ++row) {
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
    const int row = RowAt(event->position().toPoint());
    auto* list = ModelAs<Tessel::ProfileList>();
    if (row < 0 || list == nullptr) return;
    if (event->button() == Qt::LeftButton && row != selected_) list->UserSelect(row);
    if (event->button() == Qt::RightButton) list->UserRightClick(row);
  }
  void wheelEvent(QWheelEvent* event) override {
    const int step = event->angleDelta().y() > 0 ? -1 : 1;
    if (auto* list = ModelAs<Tessel::ProfileList>())
      list->SetScrollPos(std::max(0, scroll_ + step));
  }
  void keyPressEvent(QKeyEvent* event) override {
    auto* list = ModelAs<Tessel::ProfileList>();
    const int count = static_cast<int>(items_.size());
    if (list == nullptr || count == 0) return QWidget::keyPressEvent(event);
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
      const int step = event->key() == Qt::Key_Down ? 1 : -1;
      list->UserSelect(std::clamp(selected_ + step, 0, count - 1));
    } else if (event->key() == Qt::Key_Menu && selected_ >= 0) {
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

  void PaintRow(QPainter& painter, int index, const QRect& rect) {
    const bool selected = index == selected_;
    const QRectF row = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    if (selected || index == hovered_) {
      painter.setPen(selected ? QPen(theme::Accent(), 1.5) : Qt::NoPen);
      painter.setBrush(selected ? QColor(123, 97, 255, 46) : QColor(255, 255, 255, 14));
      painter.drawRoundedRect(row, 10, 10);
    }
    if (selected && ShowsFocusRing()) DrawFocusRing(painter, row, 10);
    const auto& item = items_[static_cast<std::size_t>(index)];
    // Rows without an icon (the macro list) start their text at the row's edge.
    const int textLeft = item.icon.empty() ? 14 : 44;
    if (!item.icon.empty()) {
      DrawPicture(painter, icons_[item.icon], QRectF(rect.left() + 12, rect.top() + 12, 20, 20),
                  Tessel::PictureFit::Contain);
    }
    painter.setPen(selected ? theme::Text() : theme::TextSecondary());
    painter.setFont(theme::FontFor(QString(), 0, selected));
    const QRect textRect = rect.adjusted(textLeft, 0, -12, 0);
    const QString text = painter.fontMetrics().elidedText(QString::fromStdString(item.text),
                                                          Qt::ElideRight, textRect.width());
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, text);
  }

  void StartEdit(int index) {
    editing_ = index;
    if (index < 0 || index >= static_cast<int>(items_.size())) {
      editing_ = -1;
      editor_.hide();
      return;
    }
    const bool icon = !items_[static_cast<std::size_t>(index)].icon.empty();
    editor_.setGeometry(RowRect(index).adjusted(icon ? 40 : 8, 6, -6, -6));
    editor_.setText(QString::fromStdString(items_[static_cast<std::size_t>(index)].text));
    editor_.selectAll();
    editor_.show();
    editor_.setFocus(Qt::OtherFocusReason);
  }

  void FinishEdit() {
    if (editing_ < 0 || !editor_.isVisible()) return;
    const int index = editing_;
    editing_ = -1;
    editor_.hide();
    if (auto* list = ModelAs<Tessel::ProfileList>())
      list->UserFinishEdit(index, editor_.text().trimmed().toStdString());
  }

  QLineEdit editor_;
  std::vector<Tessel::ProfileList::Item> items_;
  std::map<std::string, QPixmap> icons_;
  int selected_ = -1;
  int hovered_ = -1;
  int scroll_ = 0;
  int editing_ = -1;
};

}  // namespace

ControlView* CreateProfileListView(Tessel::MControl& control, QWidget* parent) {
  return new ProfileListView(control, parent);
}

}  // namespace TesselQt

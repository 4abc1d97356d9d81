#include "ui/qt/WindowWidget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QWindow>

#include "ui/qt/Theme.h"
#include "ui/tessel/MWindow.h"

namespace TesselQt {

void WindowDrag::Press(QWidget& widget, const QMouseEvent& event) {
  pressed_ = event.button() == Qt::LeftButton;
  moved_ = false;
  byHand_ = false;
  pressPoint_ = event.globalPosition().toPoint();
  grabOffset_ = pressPoint_ - widget.window()->frameGeometry().topLeft();
}

bool WindowDrag::Move(QWidget& widget, const QMouseEvent& event) {
  if (!pressed_ || !(event.buttons() & Qt::LeftButton)) return false;
  const QPoint point = event.globalPosition().toPoint();
  if (!moved_ && !byHand_) {
    if ((point - pressPoint_).manhattanLength() < 4) return false;
    QWindow* handle = widget.window()->windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
      // The window system moves the window from here on and keeps the release to itself.
      pressed_ = false;
      moved_ = true;
      return true;
    }
    byHand_ = true;
  }
  widget.window()->move(point - grabOffset_);
  moved_ = true;
  return true;
}

bool WindowDrag::Release() {
  const bool moved = moved_;
  pressed_ = false;
  moved_ = false;
  byHand_ = false;
  return moved;
}

WindowWidget::WindowWidget(Tessel::MWindow& window, QWidget* parent)
    : QWidget(parent, (parent != nullptr ? Qt::Dialog : Qt::Window) | Qt::FramelessWindowHint),
      window_(&window) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  setAutoFillBackground(false);
}

void WindowWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), theme::WindowBackground());
  if (IsDialog()) {
    // Dialogs float over the main window: a slightly lighter body and a visible edge.
    painter.fillRect(rect(), theme::Surface());
    painter.setPen(theme::Border());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QLinearGradient glow(0, 0, width(), 0);
    glow.setColorAt(0, theme::Accent());
    glow.setColorAt(1, theme::Focus());
    painter.fillRect(QRect(1, 1, width() - 2, 2), glow);
  }
}

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The model decides whether and how a window closes.
  event->ignore();
  if (window_ != nullptr)
    window_->PostMessage(Tessel::WM_CLOSE, IsDialog() ? Tessel::kResultCancel : 0, 0);
}

void WindowWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Minimised or restored by the window system (the task bar): the model hears of it.
  if (event->type() != QEvent::WindowStateChange || window_ == nullptr) return;
  if (isMinimized()) {
    if (!window_->IsMinimized()) window_->UserShowState(Tessel::kMinimize);
  } else if (window_->IsMinimized() && isVisible()) {
    window_->UserShowState(Tessel::kShow);
  }
}

void WindowWidget::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && IsDialog() && window_ != nullptr) {
    window_->PostMessage(Tessel::WM_CLOSE, Tessel::kResultCancel, 0);
    return;
  }
  QWidget::keyPressEvent(event);
}

void WindowWidget::mousePressEvent(QMouseEvent* event) {
  if (IsDialog()) drag_.Press(*this, *event);
}

void WindowWidget::mouseMoveEvent(QMouseEvent* event) {
  if (IsDialog()) drag_.Move(*this, *event);
}

void WindowWidget::mouseReleaseEvent(QMouseEvent*) {
  drag_.Release();
}

}  // namespace TesselQt

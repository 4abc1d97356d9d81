#pragma once
// The top-level widget of a model window: frameless, drawn in the application's look, with
// the window's own title bar (an area styled "title-bar") for moving it.

#include <QPoint>
#include <QWidget>

namespace Tessel {
class MWindow;
}

class QMouseEvent;

namespace TesselQt {

// Moves the window of a widget while the left button is held: through the window system when
// it can move windows itself (it then also snaps and respects panels), by hand otherwise.
class WindowDrag {
 public:
  void Press(QWidget& widget, const QMouseEvent& event);
  // True when the pointer moved the window.
  bool Move(QWidget& widget, const QMouseEvent& event);
  // Ends the drag; true when the window was moved since Press.
  bool Release();

 private:
  bool pressed_ = false;
  bool moved_ = false;
  bool byHand_ = false;
  QPoint pressPoint_;
  QPoint grabOffset_;
};

class WindowWidget : public QWidget {
 public:
  // A dialog is a child window of `parent`'s window: it stays above it and Escape cancels it.
  WindowWidget(Tessel::MWindow& window, QWidget* parent);

  Tessel::MWindow* Model() const { return window_; }
  // The model window is going away: stop reporting to it.
  void Detach() { window_ = nullptr; }
  bool IsDialog() const { return parentWidget() != nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  Tessel::MWindow* window_;
  WindowDrag drag_;
};

}  // namespace TesselQt

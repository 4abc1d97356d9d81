#pragma once
// The top-level widget of a model window: frameless, drawn in the application's look, with
// the window's own title bar (an area styled "title-bar") for moving it.
//
// The controls are drawn on the window's surface, in the coordinates the window's layout was
// made for. Where the free area of the screen is smaller than the layout, the whole surface is
// shown scaled down to fit (drawing and pointer alike, text drawn at the screen's own pixels);
// where it fits, the surface is a plain child of the window and nothing is scaled.

#include <QMetaObject>
#include <QPoint>
#include <QRegion>
#include <QSize>
#include <QWidget>
#include <memory>

namespace Tessel {
class MWindow;
}

class QMouseEvent;
class QScreen;

namespace TesselQt {

class ScaledView;
class WindowSurface;

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
  ~WindowWidget() override;

  Tessel::MWindow* Model() const { return window_; }
  // The model window is going away: stop reporting to it.
  void Detach() { window_ = nullptr; }
  bool IsDialog() const { return parentWidget() != nullptr; }

  // The parent of the control views, in layout coordinates.
  QWidget& Surface() const;
  // The size the window's layout was made for; the window is this size times Scale().
  void SetLayoutSize(QSize size);
  QSize LayoutSize() const { return layoutSize_; }
  // 1 when the layout fits the screen, less when the window is scaled down to fit.
  double Scale() const { return scale_; }
  // Scales the window for the free area of the screen it is on (or will be shown on); a
  // dialog is never drawn larger than the window it belongs to.
  void FitToScreen();

  // The top-level window that draws `widget` (a control view, however deep), whether its
  // surface is scaled or not; null when the widget is not drawn by a model window.
  static WindowWidget* Containing(QWidget& widget);
  // The window to move, raise or ask about for a widget: its model window, else its own.
  static QWidget& TopLevelOf(QWidget& widget);
  // Draws a region of a widget again. A scaled window draws exactly that region, where a plain
  // update would widen it to its bounding rectangle (an animation that changes scattered parts
  // would have the whole window drawn on every frame).
  static void UpdateRegion(QWidget& widget, const QRegion& region);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class WindowSurface;

  void ApplyScale(double scale);
  void ShowScaled(double scale);
  void ShowUnscaled();
  void WatchScreen(QScreen* screen);
  void DialogPress(const QMouseEvent& event);
  void DialogMove(const QMouseEvent& event);
  void DialogRelease();

  Tessel::MWindow* window_;
  WindowDrag drag_;
  WindowSurface* surface_;  // a child of this window, or owned by the view's scene
  // A child of this window while the surface is scaled; it owns the scene and so the surface.
  std::unique_ptr<ScaledView> view_;
  QSize layoutSize_{1, 1};
  double scale_ = 1.0;
  bool watchingWindow_ = false;
  QMetaObject::Connection screenArea_;
};

}  // namespace TesselQt

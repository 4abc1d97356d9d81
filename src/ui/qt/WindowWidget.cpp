#include "ui/qt/WindowWidget.h"

#include <QCloseEvent>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QStyleOptionGraphicsItem>
#include <QWindow>
#include <algorithm>

#include "ui/qt/Theme.h"
#include "ui/qt/WindowScale.h"
#include "ui/tessel/MWindow.h"

namespace TesselQt {

// The widget the control views sit on: the window's background, in layout coordinates.
class WindowSurface : public QWidget {
 public:
  explicit WindowSurface(WindowWidget& owner) : QWidget(&owner), owner_(&owner) {
    // Every paint covers the whole exposed part: nothing below needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
  }
  WindowWidget& Owner() const { return *owner_; }
  // Shown in a scene, the surface got a window of its own (never shown); back in its window it
  // must not keep it.
  void DropOwnWindow() { destroy(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), theme::WindowBackground());
    if (!owner_->IsDialog()) return;
    // Dialogs float over the main window: a slightly lighter body and a visible edge.
    painter.fillRect(rect(), theme::Surface());
    painter.setPen(theme::Border());
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    QLinearGradient glow(0, 0, width(), 0);
    glow.setColorAt(0, theme::Accent());
    glow.setColorAt(1, theme::Focus());
    painter.fillRect(QRect(1, 1, width() - 2, 2), glow);
  }

  // A dialog moves when dragged by any part of it that is not a control.
  void mousePressEvent(QMouseEvent* event) override { owner_->DialogPress(*event); }
  void mouseMoveEvent(QMouseEvent* event) override { owner_->DialogMove(*event); }
  void mouseReleaseEvent(QMouseEvent*) override { owner_->DialogRelease(); }

 private:
  WindowWidget* owner_;
};

// Shows the surface scaled. Keys the surface leaves alone go on to the window (the view would
// use them to scroll, which a view that shows all of its scene has no need of).
class ScaledView : public QGraphicsView {
 public:
  explicit ScaledView(QWidget* parent) : QGraphicsView(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing |
                   QPainter::SmoothPixmapTransform);
    setOptimizationFlags(QGraphicsView::DontSavePainterState |
                         QGraphicsView::DontAdjustForAntialiasing);
    // The surface paints every pixel it covers: only the strip of less than a pixel it may
    // leave at the right and bottom edges needs a background (drawBackground).
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  }

  // The part of the view being painted now, in scene (layout) coordinates; empty between
  // paints.
  QRegion ExposedInScene() const { return exposedInScene_; }

 protected:
  void paintEvent(QPaintEvent* event) override {
    exposedInScene_ = QRegion();
    for (const QRect& rect : event->region()) {
      // One pixel more on every side for what smoothing draws across the edge.
      exposedInScene_ += mapToScene(rect).boundingRect().toAlignedRect().adjusted(-1, -1, 1, 1);
    }
    QGraphicsView::paintEvent(event);
    exposedInScene_ = QRegion();
  }

  void drawBackground(QPainter* painter, const QRectF& exposed) override {
    const QRegion outside = QRegion(exposed.toAlignedRect()) - sceneRect().toAlignedRect();
    for (const QRect& strip : outside) painter->fillRect(strip, theme::WindowBackground());
  }

  void keyPressEvent(QKeyEvent* event) override { ToScene(event); }
  void keyReleaseEvent(QKeyEvent* event) override { ToScene(event); }

 private:
  // The scene accepts what one of its controls took; the rest goes on to the window.
  void ToScene(QKeyEvent* event) {
    if (scene() != nullptr) {
      QCoreApplication::sendEvent(scene(), event);
    } else {
      event->ignore();
    }
  }

  QRegion exposedInScene_;
};

namespace {

// Draws the surface for the region being painted rather than its bounding rectangle, as a
// plain window would: an animation that changes scattered parts of the background then
// repaints only the controls over those parts.
class SurfaceProxy : public QGraphicsProxyWidget {
 public:
  SurfaceProxy() { setFlag(ItemUsesExtendedStyleOption); }

  void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* painted) override {
    QWidget* surface = widget();
    if (surface == nullptr || !surface->isVisible()) return;
    const QRect exposed = option->exposedRect.toAlignedRect() & surface->rect();
    QRegion region(exposed);
    if (auto* view =
            painted != nullptr ? dynamic_cast<ScaledView*>(painted->parentWidget()) : nullptr;
        view != nullptr && !view->ExposedInScene().isEmpty()) {
      region &= view->ExposedInScene();
    }
    if (region.isEmpty()) return;
    surface->render(painter, region.boundingRect().topLeft(), region);
  }
};

// Qt's offscreen platform makes up an 800 x 600 screen that nobody looks at: windows there keep
// the size of their layout, unless the platform was told of a screen to use
// ("offscreen:configfile=...").
bool ScreenLimitsWindows() {
  return QGuiApplication::platformName() != QLatin1String("offscreen") ||
         qEnvironmentVariable("QT_QPA_PLATFORM").contains(QLatin1String("configfile="));
}

}  // namespace

void WindowDrag::Press(QWidget& widget, const QMouseEvent& event) {
  pressed_ = event.button() == Qt::LeftButton;
  moved_ = false;
  byHand_ = false;
  pressPoint_ = event.globalPosition().toPoint();
  grabOffset_ = pressPoint_ - WindowWidget::TopLevelOf(widget).frameGeometry().topLeft();
}

bool WindowDrag::Move(QWidget& widget, const QMouseEvent& event) {
  if (!pressed_ || !(event.buttons() & Qt::LeftButton)) return false;
  const QPoint point = event.globalPosition().toPoint();
  QWidget& window = WindowWidget::TopLevelOf(widget);
  if (!moved_ && !byHand_) {
    if ((point - pressPoint_).manhattanLength() < 4) return false;
    QWindow* handle = window.windowHandle();
    if (handle != nullptr && handle->startSystemMove()) {
      // The window system moves the window from here on and keeps the release to itself.
      pressed_ = false;
      moved_ = true;
      return true;
    }
    byHand_ = true;
  }
  window.move(point - grabOffset_);
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
      window_(&window),
      surface_(new WindowSurface(*this)) {  // owned by this window (or the view's scene)
  setAttribute(Qt::WA_DeleteOnClose, false);
  setAutoFillBackground(false);
}

// The view (and with it a scaled surface) goes before the window's other children.
WindowWidget::~WindowWidget() = default;

QWidget& WindowWidget::Surface() const {
  return *surface_;
}

void WindowWidget::SetLayoutSize(QSize size) {
  layoutSize_ = size.expandedTo(QSize(1, 1));
  surface_->setFixedSize(layoutSize_);
  FitToScreen();
}

void WindowWidget::FitToScreen() {
  QScreen* screen = this->screen();
  double scale = 1.0;
  if (screen != nullptr && ScreenLimitsWindows())
    scale = ScaleToFit(layoutSize_, screen->availableGeometry().size());
  if (auto* owner = dynamic_cast<WindowWidget*>(parentWidget()))
    scale = std::min(scale, owner->Scale());
  const QSize before = size();
  ApplyScale(scale);
  if (size() == before) return;
  if (isVisible() && screen != nullptr)
    move(KeepInside(frameGeometry(), screen->availableGeometry()));
  // The dialogs of a window are drawn at its scale at most.
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (auto* dialog = dynamic_cast<WindowWidget*>(child)) dialog->FitToScreen();
  }
}

void WindowWidget::ApplyScale(double scale) {
  const QSize size = ScaledSize(layoutSize_, scale);
  if (size == layoutSize_) {
    ShowUnscaled();
    scale_ = 1.0;
  } else {
    // The largest uniform factor at which the whole layout fits the window's whole pixels.
    scale_ = std::min(static_cast<double>(size.width()) / layoutSize_.width(),
                      static_cast<double>(size.height()) / layoutSize_.height());
    ShowScaled(scale_);
  }
  setFixedSize(size);
}

void WindowWidget::ShowScaled(double scale) {
  if (view_ == nullptr) {
    view_ = std::make_unique<ScaledView>(this);
    auto* scene = new QGraphicsScene(view_.get());  // owned by the view
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    view_->setScene(scene);
    surface_->setParent(nullptr);    // only a widget without a parent can be shown in a scene
    auto* proxy = new SurfaceProxy;  // owned by the scene
    proxy->setWidget(surface_);      // owns the surface from here on
    scene->addItem(proxy);
    surface_->setEnabled(isEnabled());
    view_->setGeometry(rect());
    view_->show();
  }
  view_->scene()->setSceneRect(QRectF(QPointF(0, 0), QSizeF(layoutSize_)));
  view_->setTransform(QTransform::fromScale(scale, scale));
}

void WindowWidget::ShowUnscaled() {
  if (view_ == nullptr) return;
  if (QGraphicsProxyWidget* proxy = surface_->graphicsProxyWidget())
    proxy->setWidget(nullptr);  // gives the surface back without deleting it
  surface_->DropOwnWindow();
  surface_->setParent(this);
  surface_->move(0, 0);
  surface_->setEnabled(true);  // enabled with this window from here on
  surface_->show();
  view_.reset();  // with its scene and the empty proxy
}

void WindowWidget::WatchScreen(QScreen* screen) {
  disconnect(screenArea_);
  if (screen != nullptr) {
    screenArea_ =
        connect(screen, &QScreen::availableGeometryChanged, this, [this] { FitToScreen(); });
  }
  FitToScreen();
}

WindowWidget* WindowWidget::Containing(QWidget& widget) {
  for (QWidget* at = &widget; at != nullptr; at = at->parentWidget()) {
    if (auto* surface = dynamic_cast<WindowSurface*>(at)) return &surface->Owner();
    if (auto* window = dynamic_cast<WindowWidget*>(at)) return window;
  }
  return nullptr;
}

QWidget& WindowWidget::TopLevelOf(QWidget& widget) {
  if (WindowWidget* window = Containing(widget)) return *window;
  return *widget.window();
}

void WindowWidget::UpdateRegion(QWidget& widget, const QRegion& region) {
  WindowWidget* window = Containing(widget);
  if (window == nullptr || window->view_ == nullptr || !widget.isVisible()) {
    widget.update(region);
    return;
  }
  const QPoint offset = widget.mapTo(window->surface_, QPoint(0, 0));
  const QRegion inWidget = region.intersected(widget.rect());
  QRegion onScreen;
  for (const QRect& rect : inWidget) {
    const QRectF inScene = QRectF(rect.translated(offset));
    onScreen += window->view_->mapFromScene(inScene).boundingRect().adjusted(-1, -1, 1, 1);
  }
  window->view_->viewport()->update(onScreen);
}

void WindowWidget::paintEvent(QPaintEvent*) {
  // Only the strip a scaled surface may leave at the right and bottom edges shows this.
  QPainter painter(this);
  painter.fillRect(rect(), theme::WindowBackground());
}

void WindowWidget::closeEvent(QCloseEvent* event) {
  // The model decides whether and how a window closes.
  event->ignore();
  if (window_ != nullptr)
    window_->PostMessage(Tessel::WM_CLOSE, IsDialog() ? Tessel::kResultCancel : 0, 0);
}

void WindowWidget::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // A scaled surface is no child of this window: it follows its enabled state by hand.
  if (event->type() == QEvent::EnabledChange && view_ != nullptr) surface_->setEnabled(isEnabled());
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

void WindowWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (watchingWindow_ || windowHandle() == nullptr) return;
  watchingWindow_ = true;
  connect(windowHandle(), &QWindow::screenChanged, this,
          [this](QScreen* screen) { WatchScreen(screen); });
  WatchScreen(windowHandle()->screen());
}

void WindowWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (view_ != nullptr) view_->setGeometry(rect());
}

void WindowWidget::DialogPress(const QMouseEvent& event) {
  if (IsDialog()) drag_.Press(*this, event);
}

void WindowWidget::DialogMove(const QMouseEvent& event) {
  if (IsDialog()) drag_.Move(*this, event);
}

void WindowWidget::DialogRelease() {
  drag_.Release();
}

}  // namespace TesselQt

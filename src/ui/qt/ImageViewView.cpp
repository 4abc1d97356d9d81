// The frame editor's canvas: the model's pixels enlarged without smoothing, so each pixel of
// the keyboard's screen is a sharp square, the grid over them when it is on, and the pointer
// handed to the model in picture pixels.

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/ImageView.h"

namespace TesselQt {
namespace {

constexpr int kGridStep = 8;  // picture pixels between grid lines

class ImageViewView : public View<QWidget> {
 public:
  ImageViewView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setCursor(Qt::CrossCursor);
    setMouseTracking(false);
  }

 protected:
  void SyncState() override {
    auto* canvas = ModelAs<Tessel::ImageView>();
    if (canvas == nullptr) return;
    const int width = canvas->GetPictureWidth();
    const int height = canvas->GetPictureHeight();
    const std::vector<Tessel::Color> pixels = canvas->GetPixels();
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
      auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
      for (int x = 0; x < width; ++x) {
        const Tessel::Color c = pixels[static_cast<std::size_t>(y) * width + x];
        line[x] = qRgb(static_cast<int>(Tessel::RedOf(c)), static_cast<int>(Tessel::GreenOf(c)),
                       static_cast<int>(Tessel::BlueOf(c)));
      }
    }
    image_ = std::move(image);
    grid_ = canvas->HasGrid();
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (image_.isNull()) return;
    const QRectF target = Target();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, image_);
    if (grid_) PaintGrid(painter, target);
    painter.setPen(QPen(theme::Border(), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(target.adjusted(-0.5, -0.5, 0.5, 0.5));
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = PictureAt(event->position());
    if (auto* canvas = ModelAs<Tessel::ImageView>()) canvas->UserPress(at.x(), at.y());
    pressed_ = true;
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    if (!pressed_) return;
    const QPoint at = PictureAt(event->position());
    if (auto* canvas = ModelAs<Tessel::ImageView>()) canvas->UserDrag(at.x(), at.y());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    const QPoint at = PictureAt(event->position());
    if (auto* canvas = ModelAs<Tessel::ImageView>()) canvas->UserRelease(at.x(), at.y());
  }

 private:
  // The largest whole enlargement that fits (a smaller one when none does), centred.
  QRectF Target() const {
    const qreal fit = std::min(width() / static_cast<qreal>(image_.width()),
                               height() / static_cast<qreal>(image_.height()));
    const qreal scale = fit >= 1.0 ? std::floor(fit) : fit;
    const QSizeF size(image_.width() * scale, image_.height() * scale);
    return QRectF(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
  }

  QPoint PictureAt(QPointF point) const {
    const QRectF target = Target();
    if (target.isEmpty()) return {};
    const qreal scale = target.width() / image_.width();
    return QPoint(static_cast<int>(std::floor((point.x() - target.left()) / scale)),
                  static_cast<int>(std::floor((point.y() - target.top()) / scale)));
  }

  void PaintGrid(QPainter& painter, const QRectF& target) {
    const qreal scale = target.width() / image_.width();
    painter.setPen(QPen(QColor(255, 255, 255, 46), 1));
    for (int x = kGridStep; x < image_.width(); x += kGridStep) {
      const qreal at = std::round(target.left() + x * scale) + 0.5;
      painter.drawLine(QPointF(at, target.top()), QPointF(at, target.bottom()));
    }
    for (int y = kGridStep; y < image_.height(); y += kGridStep) {
      const qreal at = std::round(target.top() + y * scale) + 0.5;
      painter.drawLine(QPointF(target.left(), at), QPointF(target.right(), at));
    }
  }

  QImage image_;
  bool grid_ = false;
  bool pressed_ = false;
};

}  // namespace

ControlView* CreateImageViewView(Tessel::MControl& control, QWidget* parent) {
  return new ImageViewView(control, parent);
}

}  // namespace TesselQt

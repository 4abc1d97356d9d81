#include "DevicePicture.h"

#include <QPainter>
#include <QPolygonF>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace render {
namespace {

constexpr double kPadding = 18;     // free border of the overview picture
constexpr double kShadowDrop = 10;  // how far the shadow falls below the case, pixels
constexpr int kShadowBlur = 7;
constexpr double kCapHeight = 9;  // how far the caps stand above the case, picture pixels

double Radians(double degrees) {
  return degrees * std::numbers::pi / 180;
}

// A camera above and in front of the keyboard, turned a little to one side.
struct Camera {
  double yaw = Radians(-16);
  double elevation = Radians(50);
  double distance = 0;  // from the keyboard's centre, in picture pixels
};

// Where a point of the keyboard's top face (picture pixels), raised by `height`, appears.
QPointF Project(QPointF point, QSizeF size, double height, const Camera& camera) {
  const double u = point.x() - size.width() / 2;
  const double v = point.y() - size.height() / 2;  // grows towards the viewer
  const double x = u * std::cos(camera.yaw) - v * std::sin(camera.yaw);
  const double z = u * std::sin(camera.yaw) + v * std::cos(camera.yaw);
  const double screenY = z * std::sin(camera.elevation) - height * std::cos(camera.elevation);
  const double depth = z * std::cos(camera.elevation) + height * std::sin(camera.elevation);
  const double scale = camera.distance / (camera.distance - depth);
  return {x * scale, screenY * scale};
}

QPolygonF Corners(QSizeF size) {
  return QPolygonF({QPointF(0, 0), QPointF(size.width(), 0), QPointF(size.width(), size.height()),
                    QPointF(0, size.height())});
}

// The picture's plane at `height`, projected and then fitted into the overview picture.
QTransform PlaneAt(QSizeF size, double height, const Camera& camera, const QTransform& fit) {
  QPolygonF target;
  for (const QPointF& corner : Corners(size))
    target << fit.map(Project(corner, size, height, camera));
  QTransform plane;
  if (!QTransform::quadToQuad(Corners(size), target, plane)) return fit;
  return plane;
}

// Scales and moves the projected keyboard (both faces) into the overview picture.
QTransform FitIntoPicture(QSizeF size, double thickness, const Camera& camera) {
  QPolygonF outline;
  for (const QPointF& corner : Corners(size)) {
    outline << Project(corner, size, 0, camera) << Project(corner, size, thickness, camera);
  }
  const QRectF bounds = outline.boundingRect();
  const QRectF room(kPadding, kPadding, kDevicePictureSize.width() - 2 * kPadding,
                    kDevicePictureSize.height() - 2 * kPadding - kShadowDrop);
  const double scale = std::min(room.width() / bounds.width(), room.height() / bounds.height());
  QTransform fit;
  fit.translate(room.center().x(), room.center().y());
  fit.scale(scale, scale);
  fit.translate(-bounds.center().x(), -bounds.center().y());
  return fit;
}

// The picture's shape filled with one colour (its transparency kept).
QImage Silhouette(const QImage& picture, QColor colour) {
  QImage shape(picture.size(), QImage::Format_ARGB32_Premultiplied);
  shape.fill(Qt::transparent);
  QPainter painter(&shape);
  painter.drawImage(0, 0, picture);
  painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
  painter.fillRect(shape.rect(), colour);
  return shape;
}

// Three passes of a box blur on every channel approach a Gaussian.
void Blur(QImage& image, int radius) {
  const int width = image.width(), height = image.height();
  std::vector<QRgb> line;
  const auto pass = [&](int count, int length, auto&& at) {
    for (int i = 0; i < count; ++i) {
      line.assign(length, 0);
      for (int j = 0; j < length; ++j) line[j] = at(i, j);
      for (int j = 0; j < length; ++j) {
        int sum[4] = {0, 0, 0, 0}, samples = 0;
        for (int k = std::max(0, j - radius); k <= std::min(length - 1, j + radius);
             ++k, ++samples) {
          sum[0] += qRed(line[k]), sum[1] += qGreen(line[k]);
          sum[2] += qBlue(line[k]), sum[3] += qAlpha(line[k]);
        }
        at(i, j) = qRgba(sum[0] / samples, sum[1] / samples, sum[2] / samples, sum[3] / samples);
      }
    }
  };
  for (int round = 0; round < 3; ++round) {
    pass(height, width,
         [&](int y, int x) -> QRgb& { return reinterpret_cast<QRgb*>(image.scanLine(y))[x]; });
    pass(width, height,
         [&](int x, int y) -> QRgb& { return reinterpret_cast<QRgb*>(image.scanLine(y))[x]; });
  }
}

// A picture raised from `bottom` to `top` above the desk: its outline stacked in shades from
// `dark` to `light` forms the sides, the picture itself is the top face.
struct Plane {
  QSizeF size;
  Camera camera;
  QTransform fit;
};

QColor Mix(QColor from, QColor to, double share) {
  return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * share,
                          from.greenF() + (to.greenF() - from.greenF()) * share,
                          from.blueF() + (to.blueF() - from.blueF()) * share);
}

void Extrude(QPainter& painter, const QImage& picture, const Plane& plane, double bottom,
             double top, QColor dark, QColor light) {
  const int steps = std::max(1, static_cast<int>(std::ceil(top - bottom)));
  for (int step = 0; step < steps; ++step) {
    const double share = steps == 1 ? 1.0 : static_cast<double>(step) / (steps - 1);
    painter.setTransform(PlaneAt(plane.size, bottom + step, plane.camera, plane.fit));
    painter.drawImage(0, 0, Silhouette(picture, Mix(dark, light, share * share)));
  }
  painter.setTransform(PlaneAt(plane.size, top, plane.camera, plane.fit));
  painter.drawImage(0, 0, picture);
}

void DrawShadow(QPainter& painter, const QImage& picture, QSizeF size, const Camera& camera,
                const QTransform& fit) {
  QImage shadow(kDevicePictureSize, QImage::Format_ARGB32_Premultiplied);
  shadow.fill(Qt::transparent);
  {
    QPainter shadowPainter(&shadow);
    shadowPainter.setRenderHint(QPainter::SmoothPixmapTransform);
    shadowPainter.setTransform(PlaneAt(size, 0, camera, fit) *
                               QTransform::fromTranslate(0, kShadowDrop));
    shadowPainter.drawImage(0, 0, Silhouette(picture, QColor(0, 0, 0, 150)));
  }
  Blur(shadow, kShadowBlur);
  painter.drawImage(0, 0, shadow);
}

}  // namespace

QImage DrawDevice(const QImage& casePicture, const QImage& capsPicture) {
  const QSizeF size = casePicture.size();
  Camera camera;
  camera.distance = 2.4 * std::max(size.width(), size.height());
  const double caseHeight = std::clamp(size.height() * 0.06, 12.0, 24.0);
  const double capsHeight = kCapHeight;
  const QTransform fit = FitIntoPicture(size, caseHeight + capsHeight, camera);

  QImage device(kDevicePictureSize, QImage::Format_ARGB32_Premultiplied);
  device.fill(Qt::transparent);
  QPainter painter(&device);
  painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
  DrawShadow(painter, casePicture, size, camera, fit);
  const Plane plane{size, camera, fit};
  Extrude(painter, casePicture, plane, 0, caseHeight, QColor(0x0E, 0x0F, 0x12),
          QColor(0x34, 0x38, 0x40));
  Extrude(painter, capsPicture, plane, caseHeight, caseHeight + capsHeight,
          QColor(0x16, 0x18, 0x1C), QColor(0x2C, 0x30, 0x37));
  return device;
}

QImage GreyOut(const QImage& devicePicture) {
  QImage grey = devicePicture.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < grey.height(); ++y) {
    QRgb* pixel = reinterpret_cast<QRgb*>(grey.scanLine(y));
    for (int x = 0; x < grey.width(); ++x) {
      const int level = qGray(pixel[x]) * 3 / 4;
      pixel[x] = qRgba(level, level, level, qAlpha(pixel[x]) * 3 / 5);
    }
  }
  return grey;
}

}  // namespace render

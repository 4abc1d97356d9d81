#include "Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <vector>

namespace skins {
namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kViolet(0x7b, 0x61, 0xff);
const QColor kCyan(0x38, 0xd9, 0xf5);
const QColor kIconInk(0xd3, 0xd8, 0xe8);

constexpr double kHexRadius = 30.0;

QColor WithAlpha(QColor colour, double alpha) {
  colour.setAlphaF(static_cast<float>(std::clamp(alpha, 0.0, 1.0)));
  return colour;
}

QColor Mix(const QColor& a, const QColor& b, double t) {
  auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
  return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()),
                channel(a.blue(), b.blue()));
}

// Flat-topped hexagons covering the window with a margin.
std::vector<QPointF> HexCentres(QSize size) {
  std::vector<QPointF> centres;
  const double dx = 1.5 * kHexRadius;
  const double dy = std::sqrt(3.0) * kHexRadius;
  for (int column = -1; column * dx < size.width() + dx; ++column) {
    const double offset = (column % 2 != 0) ? dy / 2 : 0;
    for (int row = -1; row * dy < size.height() + dy; ++row)
      centres.emplace_back(column * dx, row * dy + offset);
  }
  return centres;
}

QPolygonF Hexagon(QPointF centre, double radius) {
  QPolygonF shape;
  for (int corner = 0; corner < 6; ++corner) {
    const double angle = kPi / 3 * corner;
    shape << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
  }
  return shape;
}

void PaintGlow(QPainter& painter, QPointF centre, double radius, const QColor& colour,
               double alpha) {
  QRadialGradient glow(centre, radius);
  glow.setColorAt(0, WithAlpha(colour, alpha));
  glow.setColorAt(0.55, WithAlpha(colour, alpha * 0.35));
  glow.setColorAt(1, WithAlpha(colour, 0));
  painter.fillRect(QRectF(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius)), glow);
}

void PaintBase(QPainter& painter, QSize size) {
  QLinearGradient base(0, 0, size.width(), size.height());
  base.setColorAt(0, QColor(0x10, 0x12, 0x1c));
  base.setColorAt(0.55, QColor(0x0b, 0x0d, 0x14));
  base.setColorAt(1, QColor(0x08, 0x09, 0x0e));
  painter.fillRect(QRect(QPoint(0, 0), size), base);
  PaintGlow(painter, QPointF(size.width() * 0.84, size.height() * 0.08), 820, kViolet, 0.22);
  PaintGlow(painter, QPointF(size.width() * 0.06, size.height() * 1.02), 640, kCyan, 0.11);
  PaintGlow(painter, QPointF(size.width() * 0.45, size.height() * 0.55), 520,
            QColor(0x3a, 0x4a, 0xa0), 0.06);
}

void PaintGrid(QPainter& painter, QSize size) {
  painter.setPen(QPen(QColor(255, 255, 255, 9), 1.0));
  painter.setBrush(Qt::NoBrush);
  for (const QPointF& centre : HexCentres(size)) painter.drawPolygon(Hexagon(centre, kHexRadius));
}

void PaintVignette(QPainter& painter, QSize size) {
  QRadialGradient shade(QPointF(size.width() / 2.0, size.height() * 0.45), size.width() * 0.72);
  shade.setColorAt(0, QColor(0, 0, 0, 0));
  shade.setColorAt(0.6, QColor(0, 0, 0, 40));
  shade.setColorAt(1, QColor(0, 0, 0, 140));
  painter.fillRect(QRect(QPoint(0, 0), size), shade);
}

// Where a hexagon lies along the direction the light waves travel.
double AlongWave(QPointF point) {
  return point.x() * 0.91 + point.y() * 0.41;
}

void PaintWaves(QPainter& painter, QSize size, double phase) {
  const double first = AlongWave(QPointF(0, 0)) - kHexRadius;
  const double last = AlongWave(QPointF(size.width(), size.height())) + kHexRadius;
  const double width = 170;
  const double travel = last - first + 4 * width;
  painter.setBrush(Qt::NoBrush);
  for (const QPointF& centre : HexCentres(size)) {
    const double along = AlongWave(centre);
    const double position = first - 2 * width + phase * travel;
    const double distance = (along - position) / width;
    // Few distinct levels: most cells keep their colour from one frame to the next, so the
    // animation packs well.
    const double strength = std::round(std::exp(-distance * distance) * 6) / 6;
    if (strength < 0.16) continue;
    const QColor colour =
        Mix(kViolet, kCyan, std::clamp((along - first) / (last - first), 0.0, 1.0));
    painter.setPen(QPen(WithAlpha(colour, 0.30 * strength), 1.3));
    painter.drawPolygon(Hexagon(centre, kHexRadius - 1.5));
  }
}

// Sparks float on closed paths, so the last frame leads smoothly into the first.
void PaintSparks(QPainter& painter, QSize size, double phase) {
  unsigned seed = 20240611;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / static_cast<double>(1u << 24);
  };
  for (int i = 0; i < 18; ++i) {
    const QPointF home(next() * size.width(), next() * size.height());
    const double ax = 20 + next() * 30, ay = 14 + next() * 24;
    const int fx = 1 + static_cast<int>(next() * 2), fy = 1 + static_cast<int>(next() * 2);
    const double px = next() * 2 * kPi, py = next() * 2 * kPi;
    const QPointF at = home + QPointF(ax * std::sin(2 * kPi * phase * fx + px),
                                      ay * std::sin(2 * kPi * phase * fy + py));
    const QColor colour = Mix(kViolet, kCyan, next());
    const double pulse = 0.55 + 0.45 * std::sin(2 * kPi * phase * (1 + i % 2) + px);
    PaintGlow(painter, at, 9, colour, 0.30 * pulse);
    painter.setPen(Qt::NoPen);
    painter.setBrush(WithAlpha(QColor(0xe8, 0xe6, 0xff), 0.55 * pulse));
    painter.drawEllipse(at, 1.4, 1.4);
  }
}

QImage NewImage(QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

}  // namespace

QImage StillBackground() {
  QImage image = NewImage(kWindowSize);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintBase(painter, kWindowSize);
  PaintGrid(painter, kWindowSize);
  PaintVignette(painter, kWindowSize);
  return image;
}

QImage HomeFrame(int frame, int count) {
  const double phase = count > 0 ? static_cast<double>(frame % count) / count : 0;
  QImage image = NewImage(kWindowSize);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  PaintBase(painter, kWindowSize);
  PaintGrid(painter, kWindowSize);
  PaintWaves(painter, kWindowSize, phase);
  PaintSparks(painter, kWindowSize, phase);
  PaintVignette(painter, kWindowSize);
  return image;
}

QImage Logo(int side) {
  QImage image = NewImage(QSize(side, side));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const double s = side;
  const double edge = std::max(1.0, s * 0.065);
  const QRectF cap(edge / 2 + s * 0.02, edge / 2 + s * 0.02, s - edge - s * 0.04,
                   s - edge - s * 0.04);
  QLinearGradient body(cap.topLeft(), cap.bottomRight());
  body.setColorAt(0, QColor(0x24, 0x28, 0x3b));
  body.setColorAt(1, QColor(0x10, 0x12, 0x1b));
  QLinearGradient rim(cap.topLeft(), cap.bottomRight());
  rim.setColorAt(0, kViolet);
  rim.setColorAt(1, kCyan);
  painter.setBrush(body);
  painter.setPen(QPen(QBrush(rim), edge));
  painter.drawRoundedRect(cap, s * 0.24, s * 0.24);

  // The "T": a bar and a stem with rounded ends, lit by the same gradient.
  QPainterPath letter;
  const double bar = s * 0.13;
  letter.addRoundedRect(QRectF(s * 0.27, s * 0.28, s * 0.46, bar), bar / 2, bar / 2);
  letter.addRoundedRect(QRectF(s * 0.5 - bar / 2, s * 0.28, bar, s * 0.45), bar / 2, bar / 2);
  letter.setFillRule(Qt::WindingFill);
  QLinearGradient ink(QPointF(s * 0.27, s * 0.28), QPointF(s * 0.73, s * 0.73));
  ink.setColorAt(0, QColor(0xb9, 0xa9, 0xff));
  ink.setColorAt(1, QColor(0x7c, 0xe9, 0xfb));
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  painter.drawPath(letter.simplified());
  return image;
}

QImage TitleBarIcon(TitleIcon icon, int side) {
  QImage image = NewImage(QSize(side, side));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const double s = side;
  painter.setPen(QPen(kIconInk, s * 0.075, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  painter.setBrush(Qt::NoBrush);
  switch (icon) {
    case TitleIcon::Minimize:
      painter.drawLine(QPointF(s * 0.27, s * 0.54), QPointF(s * 0.73, s * 0.54));
      break;
    case TitleIcon::Close:
      painter.drawLine(QPointF(s * 0.3, s * 0.3), QPointF(s * 0.7, s * 0.7));
      painter.drawLine(QPointF(s * 0.3, s * 0.7), QPointF(s * 0.7, s * 0.3));
      break;
    case TitleIcon::Background: {
      painter.drawRoundedRect(QRectF(s * 0.17, s * 0.23, s * 0.66, s * 0.54), s * 0.09, s * 0.09);
      QPolygonF hills;
      hills << QPointF(s * 0.25, s * 0.68) << QPointF(s * 0.42, s * 0.49)
            << QPointF(s * 0.54, s * 0.61) << QPointF(s * 0.63, s * 0.53)
            << QPointF(s * 0.75, s * 0.66);
      painter.drawPolyline(hills);
      painter.setPen(Qt::NoPen);
      painter.setBrush(kIconInk);
      painter.drawEllipse(QPointF(s * 0.64, s * 0.37), s * 0.06, s * 0.06);
      break;
    }
    case TitleIcon::Web: {
      const QRectF globe(s * 0.2, s * 0.2, s * 0.6, s * 0.6);
      painter.drawEllipse(globe);
      painter.drawEllipse(QRectF(s * 0.38, s * 0.2, s * 0.24, s * 0.6));
      painter.drawLine(QPointF(s * 0.2, s * 0.5), QPointF(s * 0.8, s * 0.5));
      break;
    }
    case TitleIcon::Store: {
      painter.drawRoundedRect(QRectF(s * 0.22, s * 0.36, s * 0.56, s * 0.44), s * 0.06, s * 0.06);
      painter.drawArc(QRectF(s * 0.36, s * 0.2, s * 0.28, s * 0.3), 0, 180 * 16);
      break;
    }
    case TitleIcon::Feedback: {
      QPainterPath bubble;
      bubble.addRoundedRect(QRectF(s * 0.18, s * 0.22, s * 0.64, s * 0.44), s * 0.1, s * 0.1);
      QPolygonF tail;
      tail << QPointF(s * 0.32, s * 0.64) << QPointF(s * 0.3, s * 0.8)
           << QPointF(s * 0.48, s * 0.66);
      bubble.addPolygon(tail);
      painter.drawPath(bubble.simplified());
      break;
    }
    case TitleIcon::Profile: {
      // Three sliders: a set of settings.
      for (int row = 0; row < 3; ++row) {
        const double y = s * (0.3 + 0.2 * row);
        const double knob = s * (row == 1 ? 0.62 : row == 0 ? 0.38 : 0.48);
        painter.drawLine(QPointF(s * 0.2, y), QPointF(s * 0.8, y));
        painter.setBrush(kIconInk);
        painter.drawEllipse(QPointF(knob, y), s * 0.065, s * 0.065);
        painter.setBrush(Qt::NoBrush);
      }
      break;
    }
    case TitleIcon::Add:
      painter.drawLine(QPointF(s * 0.5, s * 0.25), QPointF(s * 0.5, s * 0.75));
      painter.drawLine(QPointF(s * 0.25, s * 0.5), QPointF(s * 0.75, s * 0.5));
      break;
    case TitleIcon::Import: {
      painter.drawLine(QPointF(s * 0.5, s * 0.2), QPointF(s * 0.5, s * 0.58));
      QPolygonF head;
      head << QPointF(s * 0.36, s * 0.45) << QPointF(s * 0.5, s * 0.59)
           << QPointF(s * 0.64, s * 0.45);
      painter.drawPolyline(head);
      QPolygonF tray;
      tray << QPointF(s * 0.22, s * 0.62) << QPointF(s * 0.22, s * 0.78)
           << QPointF(s * 0.78, s * 0.78) << QPointF(s * 0.78, s * 0.62);
      painter.drawPolyline(tray);
      break;
    }
    case TitleIcon::Manage:
      for (int row = 0; row < 3; ++row) {
        const double y = s * (0.3 + 0.2 * row);
        painter.drawLine(QPointF(s * 0.38, y), QPointF(s * 0.78, y));
        painter.drawPoint(QPointF(s * 0.24, y));
      }
      break;
    case TitleIcon::Faq: {
      painter.drawEllipse(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6));
      QPainterPath mark;
      mark.moveTo(s * 0.41, s * 0.42);
      mark.cubicTo(s * 0.41, s * 0.3, s * 0.59, s * 0.3, s * 0.59, s * 0.42);
      mark.cubicTo(s * 0.59, s * 0.5, s * 0.5, s * 0.5, s * 0.5, s * 0.58);
      painter.drawPath(mark);
      painter.setPen(Qt::NoPen);
      painter.setBrush(kIconInk);
      painter.drawEllipse(QPointF(s * 0.5, s * 0.68), s * 0.04, s * 0.04);
      break;
    }
  }
  return image;
}

}  // namespace skins

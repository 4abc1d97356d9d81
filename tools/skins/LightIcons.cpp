#include "LightIcons.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>
#include <cmath>
#include <functional>
#include <map>

namespace skins {
namespace {

constexpr double kPi = 3.14159265358979323846;
const QColor kViolet(0x9d, 0x8b, 0xff);
const QColor kCyan(0x38, 0xd9, 0xf5);

// Every glyph draws in a 100 x 100 box; the painter scales it to the picture.
using Glyph = std::function<void(QPainter&)>;

QPen Ink(double width) {
  QLinearGradient ink(QPointF(10, 10), QPointF(90, 90));
  ink.setColorAt(0, kViolet);
  ink.setColorAt(1, kCyan);
  return QPen(QBrush(ink), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QBrush InkFill() {
  QLinearGradient ink(QPointF(10, 10), QPointF(90, 90));
  ink.setColorAt(0, kViolet);
  ink.setColorAt(1, kCyan);
  return QBrush(ink);
}

QPolygonF Curve(double from, double to, const std::function<double(double)>& y) {
  QPolygonF points;
  for (double x = from; x <= to + 0.01; x += 2.0) points << QPointF(x, y(x));
  return points;
}

void Star(QPainter& p, QPointF c, double r) {
  QPainterPath star;
  star.moveTo(c + QPointF(0, -r));
  star.quadTo(c, c + QPointF(r, 0));
  star.quadTo(c, c + QPointF(0, r));
  star.quadTo(c, c + QPointF(-r, 0));
  star.quadTo(c, c + QPointF(0, -r));
  p.setPen(Qt::NoPen);
  p.setBrush(InkFill());
  p.drawPath(star);
}

void Bolt(QPainter& p) {
  QPolygonF bolt;
  bolt << QPointF(58, 10) << QPointF(26, 56) << QPointF(48, 56) << QPointF(40, 90)
       << QPointF(74, 42) << QPointF(52, 42) << QPointF(58, 10);
  p.setPen(Ink(5));
  p.setBrush(Qt::NoBrush);
  p.drawPolygon(bolt);
}

void Breathing(QPainter& p) {
  for (int ring = 0; ring < 3; ++ring) {
    QPen pen = Ink(6 - ring * 1.5);
    QColor fade(255, 255, 255);
    p.setOpacity(1.0 - ring * 0.3);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    const double r = 14 + ring * 13;
    p.drawEllipse(QPointF(50, 50), r, r);
  }
  p.setOpacity(1.0);
  p.setPen(Qt::NoPen);
  p.setBrush(InkFill());
  p.drawEllipse(QPointF(50, 50), 7, 7);
}

void Rainbow(QPainter& p) {
  const QColor bands[] = {QColor(0xff, 0x5a, 0x6e), QColor(0xff, 0xc8, 0x4a),
                          QColor(0x5a, 0xe0, 0x8c), QColor(0x4a, 0xa8, 0xff)};
  for (int band = 0; band < 4; ++band) {
    const double r = 40 - band * 8;
    p.setPen(QPen(bands[band], 6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(50 - r, 72 - r, 2 * r, 2 * r), 0, 180 * 16);
  }
}

void Static(QPainter& p) {
  QRadialGradient glow(QPointF(50, 50), 42);
  glow.setColorAt(0, QColor(0x9d, 0x8b, 0xff, 120));
  glow.setColorAt(1, QColor(0x38, 0xd9, 0xf5, 0));
  p.setPen(Qt::NoPen);
  p.setBrush(glow);
  p.drawEllipse(QPointF(50, 50), 42, 42);
  p.setPen(Ink(5));
  p.setBrush(Qt::NoBrush);
  p.drawRoundedRect(QRectF(28, 28, 44, 44), 10, 10);
  p.setPen(Qt::NoPen);
  p.setBrush(InkFill());
  p.drawRoundedRect(QRectF(38, 38, 24, 24), 5, 5);
}

void Flow(QPainter& p) {
  p.setPen(Ink(6));
  for (double x : {20.0, 42.0, 64.0}) {
    QPolygonF chevron;
    chevron << QPointF(x, 26) << QPointF(x + 16, 50) << QPointF(x, 74);
    p.drawPolyline(chevron);
  }
}

const std::map<int, Glyph>& KeyGlyphs() {
  static const std::map<int, Glyph> glyphs = {
      {0,  // off: the power sign
       [](QPainter& p) {
         p.setPen(Ink(7));
         p.drawArc(QRectF(20, 22, 60, 60), 120 * 16, 300 * 16);
         p.drawLine(QPointF(50, 12), QPointF(50, 48));
       }},
      {1,  // wave
       [](QPainter& p) {
         p.setPen(Ink(6));
         for (double y0 : {34.0, 66.0})
           p.drawPolyline(Curve(12, 88, [y0](double x) { return y0 + 12 * std::sin(x / 12.0); }));
       }},
      {2, Rainbow},
      {3, Breathing},
      {4, Static},
      {5,  // reactive: a key struck, rings around it
       [](QPainter& p) {
         p.setPen(Ink(5));
         p.drawRoundedRect(QRectF(36, 36, 28, 28), 6, 6);
         p.drawArc(QRectF(20, 20, 60, 60), 30 * 16, 120 * 16);
         p.drawArc(QRectF(20, 20, 60, 60), 210 * 16, 120 * 16);
         p.drawArc(QRectF(8, 8, 84, 84), 45 * 16, 90 * 16);
         p.drawArc(QRectF(8, 8, 84, 84), 225 * 16, 90 * 16);
       }},
      {6,  // spectrum cycle: a circle of every hue with an arrow
       [](QPainter& p) {
         QConicalGradient hues(QPointF(50, 50), 90);
         for (int i = 0; i <= 6; ++i)
           hues.setColorAt(i / 6.0, QColor::fromHsvF(std::fmod(i / 6.0, 1.0), 0.7, 1.0));
         p.setPen(QPen(QBrush(hues), 8, Qt::SolidLine, Qt::RoundCap));
         p.drawArc(QRectF(18, 18, 64, 64), 100 * 16, 300 * 16);
         p.setPen(Qt::NoPen);
         p.setBrush(QColor::fromHsvF(0.0, 0.7, 1.0));
         QPolygonF head;
         head << QPointF(50, 6) << QPointF(62, 18) << QPointF(50, 30);
         p.drawPolygon(head);
       }},
      {7,  // ripple
       [](QPainter& p) {
         for (int ring = 0; ring < 3; ++ring) {
           p.setOpacity(1.0 - ring * 0.25);
           p.setPen(Ink(5));
           const double r = 10 + ring * 14;
           p.drawEllipse(QPointF(50, 50), r, r * 0.75);
         }
       }},
      {8,  // raindrops
       [](QPainter& p) {
         p.setPen(Ink(5));
         for (const QPointF& at : {QPointF(30, 30), QPointF(66, 22), QPointF(52, 62)}) {
           QPainterPath drop;
           drop.moveTo(at + QPointF(0, -16));
           drop.cubicTo(at + QPointF(14, 4), at + QPointF(10, 18), at + QPointF(0, 18));
           drop.cubicTo(at + QPointF(-10, 18), at + QPointF(-14, 4), at + QPointF(0, -16));
           p.drawPath(drop);
         }
       }},
      {9,  // starlight
       [](QPainter& p) {
         Star(p, QPointF(40, 42), 26);
         Star(p, QPointF(72, 24), 12);
         Star(p, QPointF(70, 72), 14);
       }},
      {10,  // marquee: lights running in a row
       [](QPainter& p) {
         p.setPen(Qt::NoPen);
         for (int i = 0; i < 5; ++i) {
           p.setOpacity(0.25 + i * 0.18);
           p.setBrush(InkFill());
           p.drawEllipse(QPointF(14 + i * 18, 50), 7, 7);
         }
         p.setOpacity(1.0);
         p.setPen(Ink(4));
         p.drawLine(QPointF(10, 30), QPointF(90, 30));
         p.drawLine(QPointF(10, 70), QPointF(90, 70));
       }},
      {11,  // cross: light running out along both axes
       [](QPainter& p) {
         p.setPen(Ink(6));
         p.drawLine(QPointF(50, 12), QPointF(50, 88));
         p.drawLine(QPointF(12, 50), QPointF(88, 50));
         p.setPen(Qt::NoPen);
         p.setBrush(InkFill());
         p.drawEllipse(QPointF(50, 50), 10, 10);
       }},
      {12,  // neon: a glowing tube
       [](QPainter& p) {
         p.setPen(QPen(QColor(0x9d, 0x8b, 0xff, 70), 16, Qt::SolidLine, Qt::RoundCap));
         p.drawRoundedRect(QRectF(18, 26, 64, 48), 20, 20);
         p.setPen(Ink(5));
         p.drawRoundedRect(QRectF(18, 26, 64, 48), 20, 20);
       }},
      {13,  // fireworks
       [](QPainter& p) {
         p.setPen(Ink(5));
         for (int ray = 0; ray < 8; ++ray) {
           const double a = ray * kPi / 4;
           p.drawLine(QPointF(50 + 14 * std::cos(a), 50 + 14 * std::sin(a)),
                      QPointF(50 + 36 * std::cos(a), 50 + 36 * std::sin(a)));
         }
         p.setPen(Qt::NoPen);
         p.setBrush(InkFill());
         p.drawEllipse(QPointF(50, 50), 6, 6);
       }},
      {14,  // snake
       [](QPainter& p) {
         p.setPen(Ink(7));
         QPolygonF body;
         body << QPointF(14, 76) << QPointF(14, 58) << QPointF(46, 58) << QPointF(46, 40)
              << QPointF(14, 40) << QPointF(14, 22) << QPointF(78, 22);
         p.drawPolyline(body);
         p.setPen(Qt::NoPen);
         p.setBrush(InkFill());
         p.drawEllipse(QPointF(82, 22), 8, 8);
       }},
      {15,  // heartbeat
       [](QPainter& p) {
         p.setPen(Ink(6));
         QPolygonF beat;
         beat << QPointF(8, 54) << QPointF(30, 54) << QPointF(38, 36) << QPointF(48, 78)
              << QPointF(58, 20) << QPointF(66, 54) << QPointF(92, 54);
         p.drawPolyline(beat);
       }},
      {16,  // aurora: soft bands
       [](QPainter& p) {
         for (int band = 0; band < 3; ++band) {
           p.setOpacity(1.0 - band * 0.28);
           p.setPen(Ink(7 - band));
           const double y0 = 30 + band * 18;
           p.drawPolyline(Curve(
               12, 88, [y0, band](double x) { return y0 + 8 * std::sin(x / 14.0 + band * 1.3); }));
         }
       }},
      {17,  // tide: waves rising
       [](QPainter& p) {
         p.setPen(Ink(6));
         for (double y0 : {44.0, 62.0, 80.0})
           p.drawPolyline(Curve(12, 88, [y0](double x) { return y0 - 6 * std::cos(x / 8.0); }));
         p.drawLine(QPointF(50, 30), QPointF(50, 10));
         p.drawPolyline(QPolygonF({QPointF(40, 20), QPointF(50, 10), QPointF(60, 20)}));
       }},
      {18,  // laser
       [](QPainter& p) {
         p.setPen(QPen(QColor(0x38, 0xd9, 0xf5, 80), 14, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(22, 78), QPointF(86, 14));
         p.setPen(Ink(4));
         p.drawLine(QPointF(22, 78), QPointF(86, 14));
         p.setPen(Qt::NoPen);
         p.setBrush(InkFill());
         p.drawRoundedRect(QRectF(8, 70, 22, 22), 5, 5);
       }},
      {19, [](QPainter& p) { Bolt(p); }},
      {20,  // sine wave on its axis
       [](QPainter& p) {
         p.setPen(Ink(3));
         p.setOpacity(0.5);
         p.drawLine(QPointF(10, 50), QPointF(90, 50));
         p.setOpacity(1.0);
         p.setPen(Ink(6));
         p.drawPolyline(
             Curve(10, 90, [](double x) { return 50 - 28 * std::sin((x - 10) / 80.0 * 2 * kPi); }));
       }},
      {128,  // custom: keys of their own colours
       [](QPainter& p) {
         const QColor colours[] = {
             QColor(0xff, 0x5a, 0x6e), QColor(0xff, 0xc8, 0x4a), QColor(0x5a, 0xe0, 0x8c),
             QColor(0x4a, 0xa8, 0xff), QColor(0x9d, 0x8b, 0xff), QColor(0x38, 0xd9, 0xf5),
             QColor(0xff, 0x7a, 0xd9), QColor(0xe9, 0xec, 0xf5), QColor(0xff, 0x9a, 0x3c)};
         p.setPen(Qt::NoPen);
         for (int i = 0; i < 9; ++i) {
           p.setBrush(colours[i]);
           p.drawRoundedRect(QRectF(12 + (i % 3) * 27, 12 + (i / 3) * 27, 22, 22), 5, 5);
         }
       }},
  };
  return glyphs;
}

QImage Draw(const Glyph& glyph, int side) {
  QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(side / 100.0, side / 100.0);
  glyph(painter);
  return image;
}

}  // namespace

QImage KeyLightModeIcon(int mode, int side) {
  const auto& glyphs = KeyGlyphs();
  auto found = glyphs.find(mode);
  if (found != glyphs.end()) return Draw(found->second, side);
  return Draw([](QPainter& p) { Star(p, QPointF(50, 50), 20); }, side);
}

QImage ZoneLightModeIcon(int mode, int side) {
  switch (mode) {
    case 0:
      return Draw(Flow, side);
    case 1:
      return Draw(Breathing, side);
    case 2:
      return Draw(Rainbow, side);
    case 3:
      return Draw([](QPainter& p) { Bolt(p); }, side);
    default:
      return Draw(Static, side);
  }
}

}  // namespace skins

#include "KeyboardPicture.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace render {
namespace {

constexpr double kCaseRadius = 18;
constexpr double kCapRadius = 6;

QColor Alpha(QColor colour, int alpha) {
  colour.setAlpha(alpha);
  return colour;
}

// Dark anodised top case with a lit top edge and a dark rim.
void DrawCase(QPainter& painter, QSize size) {
  const QRectF outline = QRectF(QPointF(0, 0), QSizeF(size)).adjusted(0.5, 0.5, -0.5, -0.5);
  QLinearGradient body(outline.topLeft(), outline.bottomLeft());
  body.setColorAt(0, QColor(0x30, 0x34, 0x3D));
  body.setColorAt(0.08, QColor(0x26, 0x29, 0x31));
  body.setColorAt(1, QColor(0x1A, 0x1C, 0x22));
  painter.setPen(QPen(QColor(0x0A, 0x0B, 0x0E), 1));
  painter.setBrush(body);
  painter.drawRoundedRect(outline, kCaseRadius, kCaseRadius);
  // A bevel: light along the top inner edge, shade along the bottom one.
  const QRectF bevel = outline.adjusted(1.5, 1.5, -1.5, -1.5);
  QLinearGradient rim(bevel.topLeft(), bevel.bottomLeft());
  rim.setColorAt(0, QColor(255, 255, 255, 46));
  rim.setColorAt(0.2, QColor(255, 255, 255, 8));
  rim.setColorAt(0.85, QColor(0, 0, 0, 0));
  rim.setColorAt(1, QColor(0, 0, 0, 90));
  painter.setPen(QPen(QBrush(rim), 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawRoundedRect(bevel, kCaseRadius - 1.5, kCaseRadius - 1.5);
}

// A soft shadow under each cap: a few widening rounded rectangles of low opacity.
void DrawCapShadow(QPainter& painter, const QRectF& cap) {
  painter.setPen(Qt::NoPen);
  for (int step = 0; step < 4; ++step) {
    const double grow = 0.5 + step;
    painter.setBrush(QColor(0, 0, 0, 34 - step * 6));
    painter.drawRoundedRect(cap.translated(0, 2.5).adjusted(-grow, -grow, grow, grow),
                            kCapRadius + grow, kCapRadius + grow);
  }
}

// A sculpted cap: a darker skirt with the dished top face set back towards the top.
void DrawCap(QPainter& painter, const QRectF& cap) {
  QLinearGradient skirt(cap.topLeft(), cap.bottomLeft());
  skirt.setColorAt(0, QColor(0x34, 0x38, 0x41));
  skirt.setColorAt(1, QColor(0x1E, 0x21, 0x27));
  painter.setPen(QPen(QColor(0x0D, 0x0E, 0x11), 1));
  painter.setBrush(skirt);
  painter.drawRoundedRect(cap.adjusted(0.5, 0.5, -0.5, -0.5), kCapRadius, kCapRadius);

  const QRectF top = cap.adjusted(4, 2.5, -4, -7);
  QLinearGradient face(top.topLeft(), top.bottomLeft());
  face.setColorAt(0, QColor(0x44, 0x49, 0x54));
  face.setColorAt(0.5, QColor(0x3A, 0x3F, 0x49));
  face.setColorAt(1, QColor(0x35, 0x39, 0x42));
  painter.setPen(QPen(QColor(0x2A, 0x2D, 0x34), 1));
  painter.setBrush(face);
  painter.drawRoundedRect(top, kCapRadius - 1.5, kCapRadius - 1.5);
  // The dish catches the light on its upper edge.
  painter.setPen(QPen(QColor(255, 255, 255, 34), 1));
  painter.drawLine(QPointF(top.left() + 4, top.top() + 1), QPointF(top.right() - 4, top.top() + 1));
}

// A knurled aluminium knob with a pointer, seen from above.
double KnobRadius(const QRectF& cell) {
  return std::min(cell.width(), cell.height()) / 2 + 3;
}

void DrawKnobShadow(QPainter& painter, const QRectF& cell) {
  painter.setPen(Qt::NoPen);
  for (int step = 0; step < 4; ++step) {
    painter.setBrush(QColor(0, 0, 0, 40 - step * 8));
    painter.drawEllipse(cell.center() + QPointF(0, 3), KnobRadius(cell) + step,
                        KnobRadius(cell) + step);
  }
}

void DrawKnob(QPainter& painter, const QRectF& cell, QColor accent) {
  const QPointF centre = cell.center();
  const double radius = KnobRadius(cell);
  QConicalGradient metal(centre, 90);
  const QColor light(0x8A, 0x90, 0x9B), dark(0x2C, 0x30, 0x37);
  for (int i = 0; i <= 8; ++i) metal.setColorAt(i / 8.0, i % 2 == 0 ? light : dark);
  painter.setPen(QPen(QColor(0x0D, 0x0E, 0x11), 1));
  painter.setBrush(metal);
  painter.drawEllipse(centre, radius, radius);
  // Knurling: fine ridges around the rim.
  for (int i = 0; i < 72; ++i) {
    const double angle = i * 2 * std::numbers::pi / 72;
    const QPointF direction(std::cos(angle), std::sin(angle));
    painter.setPen(QPen(i % 2 == 0 ? QColor(0, 0, 0, 90) : QColor(255, 255, 255, 40), 1));
    painter.drawLine(centre + direction * (radius - 4.5), centre + direction * (radius - 0.5));
  }
  const double inner = radius - 6;
  QRadialGradient cap(centre - QPointF(inner / 3, inner / 3), inner * 1.6);
  cap.setColorAt(0, QColor(0x5C, 0x62, 0x6D));
  cap.setColorAt(1, QColor(0x26, 0x29, 0x30));
  painter.setPen(QPen(QColor(0x14, 0x16, 0x1A), 1));
  painter.setBrush(cap);
  painter.drawEllipse(centre, inner, inner);
  painter.setPen(QPen(accent, 2.5, Qt::SolidLine, Qt::RoundCap));
  painter.drawLine(centre - QPointF(0, inner * 0.35), centre - QPointF(0, inner * 0.8));
}

// The colour screen, dark, behind glass in a thin bezel.
void DrawScreen(QPainter& painter, const QRectF& screen) {
  painter.setPen(QPen(QColor(0x3A, 0x3E, 0x47), 1));
  painter.setBrush(QColor(0x08, 0x09, 0x0B));
  painter.drawRoundedRect(screen.adjusted(-4, -4, 4, 4), 5, 5);
  QLinearGradient glass(screen.topLeft(), screen.bottomRight());
  glass.setColorAt(0, QColor(0x10, 0x14, 0x1B));
  glass.setColorAt(1, QColor(0x03, 0x04, 0x06));
  painter.setPen(Qt::NoPen);
  painter.setBrush(glass);
  painter.drawRect(screen);
  // A diagonal reflection across the upper left of the glass.
  QPainterPath glare;
  glare.moveTo(screen.topLeft());
  glare.lineTo(screen.left() + screen.width() * 0.55, screen.top());
  glare.lineTo(screen.left() + screen.width() * 0.25, screen.bottom());
  glare.lineTo(screen.bottomLeft());
  glare.closeSubpath();
  painter.setBrush(QColor(255, 255, 255, 13));
  painter.drawPath(glare);
}

// The matrix light: a panel of round LEDs, dark while the picture is a still one.
void DrawMatrix(QPainter& painter, const MatrixPanel& matrix) {
  const QRectF panel = QRectF(matrix.rect);
  painter.setPen(QPen(QColor(0x3A, 0x3E, 0x47), 1));
  painter.setBrush(QColor(0x0B, 0x0C, 0x0F));
  painter.drawRoundedRect(panel, 8, 8);
  const QRectF grid = panel.adjusted(10, 10, -10, -10);
  const double cellWidth = grid.width() / matrix.columns;
  const double cellHeight = grid.height() / matrix.rows;
  const double radius = std::min(cellWidth, cellHeight) * 0.3;
  for (int row = 0; row < matrix.rows; ++row) {
    for (int column = 0; column < matrix.columns; ++column) {
      const QPointF centre(grid.left() + (column + 0.5) * cellWidth,
                           grid.top() + (row + 0.5) * cellHeight);
      QRadialGradient led(centre - QPointF(radius / 3, radius / 3), radius * 1.4);
      led.setColorAt(0, QColor(0x3C, 0x41, 0x4B));
      led.setColorAt(1, QColor(0x17, 0x19, 0x1E));
      painter.setPen(QPen(QColor(0x05, 0x06, 0x07), 1));
      painter.setBrush(led);
      painter.drawEllipse(centre, radius, radius);
    }
  }
}

// A diffuser strip of the side or top light, faintly lit in the model's accent colour.
void DrawLightBar(QPainter& painter, const QRectF& bar, QColor accent) {
  painter.setPen(Qt::NoPen);
  const double round = std::min(bar.width(), bar.height()) / 2;
  painter.setBrush(Alpha(accent, 28));
  painter.drawRoundedRect(bar.adjusted(-2, -2, 2, 2), round + 2, round + 2);
  const bool horizontal = bar.width() > bar.height();
  QLinearGradient diffuser(bar.topLeft(), horizontal ? bar.topRight() : bar.bottomLeft());
  diffuser.setColorAt(0, Alpha(accent, 40));
  diffuser.setColorAt(0.5, Alpha(accent, 150));
  diffuser.setColorAt(1, Alpha(accent, 40));
  painter.setBrush(diffuser);
  painter.drawRoundedRect(bar, round, round);
}

}  // namespace

QImage DrawKeyboard(const Layout& layout, const Decorations& decorations, Parts parts) {
  QImage picture(layout.size, QImage::Format_ARGB32_Premultiplied);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  if (parts != Parts::kCapsOnly) {
    DrawCase(painter, layout.size);
    for (const QRect& bar : decorations.lightBars) DrawLightBar(painter, bar, decorations.accent);
    for (const QRect& screen : decorations.screens) DrawScreen(painter, screen);
    for (const MatrixPanel& matrix : decorations.matrices) DrawMatrix(painter, matrix);
  }
  if (parts == Parts::kCaseOnly) return picture;
  // The caps' shadows fall on the case; a picture of the caps alone has none.
  if (parts == Parts::kAll) {
    for (const KeyCap& key : layout.keys) {
      if (key.code == kKnobCode) {
        DrawKnobShadow(painter, key.rect);
      } else {
        DrawCapShadow(painter, key.rect);
      }
    }
  }
  for (const KeyCap& key : layout.keys) {
    if (key.code == kKnobCode) {
      DrawKnob(painter, key.rect, decorations.accent);
    } else {
      DrawCap(painter, key.rect);
    }
  }
  return picture;
}

}  // namespace render

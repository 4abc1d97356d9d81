// The matrix light view: the 7 x 7 lights as round-cornered cells on a dark panel, each lit
// cell glowing into its neighbours as a light would. In the drawing mode a press paints the
// cell under the pointer and a drag paints every cell it enters.

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/MatrixScreen.h"

namespace TesselQt {
namespace {

constexpr qreal kPanelRadius = 18.0;
constexpr qreal kGapShare = 0.22;  // of a cell's pitch
constexpr int kColumns = Tessel::kMatrixColumns;
constexpr int kRows = Tessel::kMatrixRows;

// How bright a colour looks, 0 to 1.
qreal Lightness(Tessel::Color color) {
  return std::max({Tessel::RedOf(color), Tessel::GreenOf(color), Tessel::BlueOf(color)}) / 255.0;
}

class MatrixScreenView : public View<QWidget> {
 public:
  MatrixScreenView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
  }

 protected:
  void SyncState() override {
    auto* screen = ModelAs<Tessel::MatrixScreen>();
    if (screen == nullptr) return;
    cells_ = screen->GetShownColors();
    drawing_ = screen->GetPresetMode() == Tessel::MatrixScreen::kPresetDrawing;
    setCursor(drawing_ && isEnabled() ? Qt::CrossCursor : Qt::ArrowCursor);
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintPanel(painter);
    const QRectF grid = GridRect();
    const qreal pitch = grid.width() / kColumns;
    PaintGlow(painter, grid, pitch);
    for (int cell = 0; cell < Tessel::kMatrixCellCount; ++cell)
      PaintCell(painter, cell, grid, pitch);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    painting_ = drawing_;
    lastPainted_ = -1;
    PaintAt(event->position(), false);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const int cell = CellAt(event->position());
    if (cell != hovered_) {
      hovered_ = cell;
      update();
    }
    if (painting_ && (event->buttons() & Qt::LeftButton)) PaintAt(event->position(), true);
  }
  void mouseReleaseEvent(QMouseEvent*) override { painting_ = false; }
  void leaveEvent(QEvent*) override {
    hovered_ = -1;
    update();
  }

 private:
  QRectF GridRect() const {
    const qreal side = std::min(width(), height()) - 2 * Margin();
    return QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side);
  }
  qreal Margin() const { return std::min(width(), height()) * 0.06; }

  QRectF CellRect(int cell, const QRectF& grid, qreal pitch) const {
    const int column = cell % kColumns;
    const int row = cell / kColumns;
    const qreal gap = pitch * kGapShare;
    return QRectF(grid.left() + column * pitch + gap / 2, grid.top() + row * pitch + gap / 2,
                  pitch - gap, pitch - gap);
  }

  int CellAt(QPointF point) const {
    const QRectF grid = GridRect();
    if (!grid.contains(point)) return -1;
    const qreal pitch = grid.width() / kColumns;
    const int column =
        std::clamp(static_cast<int>((point.x() - grid.left()) / pitch), 0, kColumns - 1);
    const int row = std::clamp(static_cast<int>((point.y() - grid.top()) / pitch), 0, kRows - 1);
    return row * kColumns + column;
  }

  void PaintAt(QPointF point, bool dragging) {
    auto* screen = ModelAs<Tessel::MatrixScreen>();
    const int cell = CellAt(point);
    if (screen == nullptr || !painting_ || cell < 0 || cell == lastPainted_) return;
    lastPainted_ = cell;
    screen->UserPaintCell(cell, dragging);
  }

  void PaintPanel(QPainter& painter) {
    const QRectF panel = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient fill(panel.topLeft(), panel.bottomLeft());
    fill.setColorAt(0.0, QColor(16, 18, 24));
    fill.setColorAt(1.0, QColor(9, 10, 14));
    painter.setPen(QPen(theme::Border(), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(panel, kPanelRadius, kPanelRadius);
  }

  // The light of the lit cells spills over the panel around them.
  void PaintGlow(QPainter& painter, const QRectF& grid, qreal pitch) {
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Plus);
    painter.setPen(Qt::NoPen);
    for (int cell = 0; cell < Tessel::kMatrixCellCount; ++cell) {
      const Tessel::Color color = cells_[static_cast<std::size_t>(cell)];
      const qreal light = Lightness(color);
      if (light < 0.04) continue;
      const QPointF centre = CellRect(cell, grid, pitch).center();
      QColor glow = ToQColor(color);
      QRadialGradient halo(centre, pitch * 1.1);
      glow.setAlphaF(0.32 * light);
      halo.setColorAt(0.0, glow);
      glow.setAlphaF(0.0);
      halo.setColorAt(1.0, glow);
      painter.setBrush(halo);
      painter.drawEllipse(centre, pitch * 1.1, pitch * 1.1);
    }
    painter.restore();
  }

  void PaintCell(QPainter& painter, int cell, const QRectF& grid, qreal pitch) {
    const QRectF box = CellRect(cell, grid, pitch);
    const qreal radius = box.width() * 0.22;
    const Tessel::Color color = cells_[static_cast<std::size_t>(cell)];
    const qreal light = Lightness(color);
    // An unlit light is a dark lens; a lit one shows its colour, brightest in the middle.
    const QColor unlit(30, 34, 43);
    QColor lit = ToQColor(color);
    QRadialGradient lens(box.center(), box.width() * 0.75);
    if (light < 0.02) {
      lens.setColorAt(0.0, unlit.lighter(115));
      lens.setColorAt(1.0, unlit);
    } else {
      lens.setColorAt(0.0, lit.lighter(100 + static_cast<int>(35 * light)));
      lens.setColorAt(1.0, lit);
    }
    painter.setBrush(lens);
    const bool hovered = drawing_ && cell == hovered_ && isEnabled();
    painter.setPen(hovered ? QPen(theme::AccentBright(), 2) : QPen(QColor(255, 255, 255, 18), 1));
    painter.drawRoundedRect(box, radius, radius);
  }

  Tessel::MatrixFrame cells_{};
  bool drawing_ = false;
  bool painting_ = false;
  int hovered_ = -1;
  int lastPainted_ = -1;
};

}  // namespace

ControlView* CreateMatrixScreenView(Tessel::MControl& control, QWidget* parent) {
  return new MatrixScreenView(control, parent);
}

}  // namespace TesselQt

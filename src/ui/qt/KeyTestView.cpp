// The key test's list: one chip per key or button held down, in the order they went down,
// wrapping onto further lines.

#include <QPainter>
#include <QWidget>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/KeyControls.h"

namespace TesselQt {
namespace {

constexpr int kChipHeight = 34;
constexpr int kGap = 8;
constexpr int kPadding = 14;
constexpr int kMinChipWidth = 44;

class KeyTestView : public View<QWidget> {
 public:
  KeyTestView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
  }

 protected:
  void SyncState() override {
    auto* test = ModelAs<Tessel::CKeyTestCtrl>();
    if (test == nullptr) return;
    entries_ = test->GetKeys();
    font_ = theme::FontFor(QStringLiteral("accent"));
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(font_);
    const QFontMetrics metrics(font_);
    int x = 0;
    int y = 0;
    for (const auto& entry : entries_) {
      const QString name = QString::fromStdString(entry.name);
      const int chipWidth = std::min(
          width(), std::max(kMinChipWidth, metrics.horizontalAdvance(name) + 2 * kPadding));
      if (x > 0 && x + chipWidth > width()) {
        x = 0;
        y += kChipHeight + kGap;
      }
      if (y + kChipHeight > height()) break;
      PaintChip(painter, QRectF(x, y, chipWidth, kChipHeight), name);
      x += chipWidth + kGap;
    }
  }

 private:
  static void PaintChip(QPainter& painter, const QRectF& chip, const QString& name) {
    QLinearGradient fill(chip.topLeft(), chip.bottomRight());
    fill.setColorAt(0, QColor(123, 97, 255, 90));
    fill.setColorAt(1, QColor(56, 217, 245, 60));
    painter.setPen(QPen(theme::AccentBright(), 1));
    painter.setBrush(fill);
    painter.drawRoundedRect(chip.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    painter.setPen(theme::Text());
    painter.drawText(
        chip, Qt::AlignCenter,
        painter.fontMetrics().elidedText(name, Qt::ElideRight, static_cast<int>(chip.width()) - 8));
  }

  std::vector<Tessel::CKeyTestCtrl::Entry> entries_;
  QFont font_;
};

}  // namespace

ControlView* CreateKeyTestView(Tessel::MControl& control, QWidget* parent) {
  return new KeyTestView(control, parent);
}

}  // namespace TesselQt

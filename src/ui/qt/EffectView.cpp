// The effect view: the keyboard's picture with every key lit in the colour the running effect
// gives it, and the side and top lights along its edges. It repaints at the effect's pace, so
// what does not change between frames (the picture, the key labels) is drawn once per size
// and each frame only tints the caps.

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QWidget>
#include <algorithm>
#include <map>
#include <vector>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/KeyboardCtrl.h"

namespace TesselQt {
namespace {

// The cap drawn in the picture sits a little inside the key's rectangle.
constexpr qreal kCapInset = 2.5;
constexpr qreal kCapRadius = 6.0;
// How far a key's light shines beyond its cap.
constexpr qreal kHalo = 3.5;
constexpr int kLabelPixels = 10;
// The edge lights sit on the picture's light strips: this far in from the edge, this thick,
// and leaving this share of the edge's length free at each end.
constexpr qreal kEdgeInset = 3.0;
constexpr qreal kEdgeThickness = 5.0;
constexpr qreal kEdgeMargin = 0.08;

QRectF CapOf(const Tessel::KEYITEM_INFO& key) {
  return QRectF(key.rect.left, key.rect.top, key.rect.Width(), key.rect.Height())
      .adjusted(kCapInset, kCapInset, -kCapInset, -kCapInset);
}

// What the drawing needs of the model, read once per change.
struct EffectSnapshot {
  std::vector<Tessel::KEYITEM_INFO> keys;
  std::vector<Tessel::Color> side;
  std::vector<Tessel::Color> top;
  std::string picture;
  int layoutWidth = 0;
  int layoutHeight = 0;
};

bool SameColors(const EffectSnapshot& a, const EffectSnapshot& b) {
  if (a.keys.size() != b.keys.size() || a.side != b.side || a.top != b.top) return false;
  for (std::size_t i = 0; i < a.keys.size(); ++i) {
    if (a.keys[i].color != b.keys[i].color) return false;
  }
  return true;
}

bool SameKeys(const EffectSnapshot& a, const EffectSnapshot& b) {
  return a.picture == b.picture && a.layoutWidth == b.layoutWidth &&
         a.layoutHeight == b.layoutHeight &&
         std::equal(a.keys.begin(), a.keys.end(), b.keys.begin(), b.keys.end(),
                    [](const Tessel::KEYITEM_INFO& x, const Tessel::KEYITEM_INFO& y) {
                      return x.code == y.code && x.rect == y.rect && x.name == y.name;
                    });
}

class EffectView : public View<QWidget> {
 public:
  EffectView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void SyncState() override {
    auto* effect = ModelAs<Tessel::AuroraEffect>();
    if (effect == nullptr) return;
    EffectSnapshot next{effect->GetKeyItems(),        effect->GetSideLightsColors(),
                        effect->GetTopLightsColors(), effect->GetKeyboardImage(),
                        effect->GetLayoutWidth(),     effect->GetLayoutHeight()};
    const bool keysChanged = !SameKeys(next, snapshot_);
    if (!keysChanged && SameColors(next, snapshot_)) return;
    if (keysChanged) layers_ = {};
    snapshot_ = std::move(next);
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const Tessel::LayoutTransform transform =
        Tessel::FitLayout(snapshot_.layoutWidth, snapshot_.layoutHeight, width(), height());
    PrepareLayers(transform);
    painter.drawPixmap(0, 0, layers_.picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(transform.offsetX, transform.offsetY);
    painter.scale(transform.scale, transform.scale);
    painter.setPen(Qt::NoPen);
    for (const Tessel::KEYITEM_INFO& key : snapshot_.keys) PaintLight(painter, key);
    PaintEdges(painter);
    painter.resetTransform();
    painter.drawPixmap(0, 0, layers_.labels);
  }

 private:
  // The parts drawn once per widget size and layout: the picture and the key labels.
  struct Layers {
    QSize size;
    QPixmap picture;
    QPixmap labels;
  };

  QRectF LayoutRect() const {
    if (snapshot_.layoutWidth > 0 && snapshot_.layoutHeight > 0) {
      return QRectF(0, 0, snapshot_.layoutWidth, snapshot_.layoutHeight);
    }
    return QRectF(rect());
  }

  QPixmap BlankLayer() const {
    const qreal ratio = devicePixelRatioF();
    QPixmap layer(size() * ratio);
    layer.setDevicePixelRatio(ratio);
    layer.fill(Qt::transparent);
    return layer;
  }

  void PrepareLayers(const Tessel::LayoutTransform& transform) {
    if (layers_.size == size() && !layers_.picture.isNull()) return;
    layers_.size = size();
    layers_.picture = BlankLayer();
    layers_.labels = BlankLayer();
    const auto inLayout = [&transform](QPainter& painter) {
      painter.setRenderHint(QPainter::Antialiasing);
      painter.setRenderHint(QPainter::SmoothPixmapTransform);
      painter.translate(transform.offsetX, transform.offsetY);
      painter.scale(transform.scale, transform.scale);
    };
    {
      QPainter painter(&layers_.picture);
      inLayout(painter);
      const QPixmap picture(PicturePath(snapshot_.picture));
      if (picture.isNull()) {
        painter.setPen(QPen(theme::Border(), 1.5));
        painter.setBrush(theme::Surface());
        painter.drawRoundedRect(LayoutRect().adjusted(1, 1, -1, -1), 14, 14);
      } else {
        DrawPicture(painter, picture, LayoutRect(), Tessel::PictureFit::Stretch);
      }
    }
    QPainter painter(&layers_.labels);
    inLayout(painter);
    QFont font = theme::FontFor(QString(), kLabelPixels, false);
    font.setWeight(QFont::DemiBold);
    painter.setFont(font);
    for (const Tessel::KEYITEM_INFO& key : snapshot_.keys) {
      const QRectF box = CapOf(key).adjusted(2, 2, -2, -2);
      const QString label = QFontMetricsF(font).elidedText(QString::fromStdString(key.name),
                                                           Qt::ElideRight, box.width());
      painter.setPen(QColor(0, 0, 0, 150));
      painter.drawText(box.translated(0, 1), Qt::AlignCenter, label);
      painter.setPen(QColor(255, 255, 255, 215));
      painter.drawText(box, Qt::AlignCenter, label);
    }
  }

  // A lit cap: a soft halo around it and the colour over the cap of the picture. A dark key
  // leaves the picture's cap as it is.
  static void PaintLight(QPainter& painter, const Tessel::KEYITEM_INFO& key) {
    if ((key.color & 0xFFFFFF) == 0) return;
    const QRectF cap = CapOf(key);
    QColor color = ToQColor(key.color);
    color.setAlpha(70);
    painter.setBrush(color);
    painter.drawRoundedRect(cap.adjusted(-kHalo, -kHalo, kHalo, kHalo), kCapRadius + kHalo,
                            kCapRadius + kHalo);
    color.setAlpha(215);
    painter.setBrush(color);
    painter.drawRoundedRect(cap, kCapRadius, kCapRadius);
  }

  // The side lights from the top down on the left, then on the right; the top lights from the
  // left. Each takes an equal share of its edge.
  void PaintEdges(QPainter& painter) const {
    const QRectF area = LayoutRect();
    const std::size_t perSide = snapshot_.side.size() / 2;
    const qreal sideStart = area.top() + area.height() * kEdgeMargin;
    const qreal sideStep = perSide > 0 ? area.height() * (1 - 2 * kEdgeMargin) / perSide : 0;
    for (std::size_t i = 0; i < 2 * perSide; ++i) {
      const bool left = i < perSide;
      const qreal x = left ? area.left() + kEdgeInset : area.right() - kEdgeInset - kEdgeThickness;
      const qreal y = sideStart + sideStep * static_cast<qreal>(i % perSide);
      PaintEdgeLight(painter, QRectF(x, y + 1, kEdgeThickness, sideStep - 2), snapshot_.side[i]);
    }
    const std::size_t count = snapshot_.top.size();
    const qreal topStart = area.left() + area.width() * kEdgeMargin;
    const qreal topStep = count > 0 ? area.width() * (1 - 2 * kEdgeMargin) / count : 0;
    for (std::size_t i = 0; i < count; ++i) {
      const QRectF light(topStart + topStep * static_cast<qreal>(i) + 1,
                         area.top() + kEdgeInset - 1, topStep - 2, kEdgeThickness - 1);
      PaintEdgeLight(painter, light, snapshot_.top[i]);
    }
  }

  static void PaintEdgeLight(QPainter& painter, const QRectF& light, Tessel::Color color) {
    if ((color & 0xFFFFFF) == 0) return;
    painter.setBrush(ToQColor(color));
    painter.drawRoundedRect(light, 2, 2);
  }

  EffectSnapshot snapshot_;
  Layers layers_;
};

}  // namespace

ControlView* CreateEffectView(Tessel::MControl& control, QWidget* parent) {
  return new EffectView(control, parent);
}

}  // namespace TesselQt

// The keyboard view: the model's picture with every key's label, its light colour (per-key
// lighting), and the hover, selection and keyboard-focus marks of the selecting modes.

#include <QFocusEvent>
#include <QHash>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <tuple>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/qt/WindowWidget.h"
#include "ui/tessel/KeyboardCtrl.h"

namespace TesselQt {
namespace {

QString ToQString(const std::string& text) {
  return QString::fromStdString(text);
}

QRectF ToQRectF(const Tessel::Rect& rect) {
  return QRectF(rect.left, rect.top, rect.Width(), rect.Height());
}

// The cap drawn in the picture sits a little inside the key's rectangle.
constexpr qreal kCapInset = 2.5;
constexpr qreal kCapRadius = 6.0;
constexpr int kLargestLabelPixels = 13;
constexpr int kComfortableLabelPixels = 10;
constexpr int kTwoLinePixels = 9;
constexpr int kSmallestLabelPixels = 7;
// Fitted labels are kept for the texts and cap sizes seen; a view sees a few hundred at most.
constexpr int kLabelCacheLimit = 1024;

// Function types whose labels name something other than a plain key (macros, media, mouse,
// shortcuts, keyboard functions): they are drawn in the accent colour.
bool IsFunctionLabel(const Tessel::KEY_INFO& key) {
  return !key.text.empty() && key.type != 0 && key.type != 2;
}

// Relative luminance of a colour, 0 (black) to 1 (white).
double LuminanceOf(const QColor& colour) {
  return (0.2126 * colour.redF() + 0.7152 * colour.greenF() + 0.0722 * colour.blueF());
}

QRectF CapOf(const Tessel::KEY_INFO& key) {
  const QRectF cap = ToQRectF(key.rect).adjusted(kCapInset, kCapInset, -kCapInset, -kCapInset);
  if (!key.encoder) return cap;
  const qreal side = std::min(cap.width(), cap.height());
  QRectF round(0, 0, side, side);
  round.moveCenter(cap.center());
  return round;
}

QPainterPath ShapeOf(const Tessel::KEY_INFO& key, const QRectF& cap) {
  QPainterPath path;
  if (key.encoder) {
    path.addEllipse(cap);
  } else {
    path.addRoundedRect(cap, kCapRadius, kCapRadius);
  }
  return path;
}

QPainterPath ShapeAround(const Tessel::KEY_INFO& key, const QRectF& cap, qreal grow) {
  return ShapeOf(key, cap.adjusted(-grow, -grow, grow, grow));
}

// A label fitted to a cap: the largest size at which it fits on one line, or on two lines.
struct FittedLabel {
  QFont font;
  QStringList lines;
};

bool IsLatinLetter(QChar c) {
  return c.isLetter() && c.script() == QChar::Script_Latin;
}

// Two lines of a label broken after a space, "+", "-" or "/" (words), or, when `insideWords`,
// between any two characters: a Latin word broken in its middle gets a hyphen.
std::vector<QStringList> Splits(const QString& text, bool insideWords) {
  std::vector<QStringList> splits;
  for (int i = 1; i < text.size(); ++i) {
    const QChar before = text[i - 1];
    const bool atWord = before == u' ' || before == u'+' || before == u'-' || before == u'/';
    if (atWord == insideWords) continue;
    QString first = text.left(i).trimmed();
    const QString second = text.mid(i).trimmed();
    if (first.isEmpty() || second.isEmpty()) continue;
    if (insideWords && IsLatinLetter(before) && IsLatinLetter(text[i])) first += u'-';
    splits.push_back({first, second});
  }
  return splits;
}

QFont LabelFont(int pixels) {
  QFont font = theme::FontFor(QString(), pixels, false);
  font.setWeight(QFont::DemiBold);
  return font;
}

std::optional<FittedLabel> OnOneLine(const QString& text, const QSizeF& box, int from, int to) {
  for (int pixels = from; pixels >= to; --pixels) {
    const QFont font = LabelFont(pixels);
    const QFontMetricsF metrics(font);
    if (metrics.horizontalAdvance(text) <= box.width() && metrics.height() <= box.height()) {
      return FittedLabel{font, {text}};
    }
  }
  return std::nullopt;
}

// The split whose wider line is narrowest, at the largest size at which it fits.
std::optional<FittedLabel> OnTwoLines(const QString& text, const QSizeF& box, int from, int to,
                                      bool insideWords) {
  const std::vector<QStringList> splits = Splits(text, insideWords);
  for (int pixels = from; pixels >= to; --pixels) {
    const QFont font = LabelFont(pixels);
    const QFontMetricsF metrics(font);
    if (2 * metrics.height() > box.height()) continue;
    const QStringList* best = nullptr;
    qreal bestWidth = box.width();
    for (const QStringList& lines : splits) {
      const qreal width =
          std::max(metrics.horizontalAdvance(lines[0]), metrics.horizontalAdvance(lines[1]));
      if (width <= bestWidth) {
        bestWidth = width;
        best = &lines;
      }
    }
    if (best != nullptr) return FittedLabel{font, *best};
  }
  return std::nullopt;
}

// Smaller type is preferred to broken words, and broken words to unreadably small type.
FittedLabel FitLabel(const QString& text, const QSizeF& box) {
  if (auto label = OnOneLine(text, box, kLargestLabelPixels, kComfortableLabelPixels))
    return *label;
  if (auto label = OnTwoLines(text, box, kLargestLabelPixels, kTwoLinePixels, false)) return *label;
  if (auto label = OnTwoLines(text, box, kLargestLabelPixels, kTwoLinePixels, true)) return *label;
  if (auto label = OnOneLine(text, box, kComfortableLabelPixels - 1, kSmallestLabelPixels)) {
    return *label;
  }
  const QFont font = LabelFont(kSmallestLabelPixels);
  return {font, {QFontMetricsF(font).elidedText(text, Qt::ElideRight, box.width())}};
}

// How far a key's light shines beyond its cap.
constexpr qreal kHalo = 5.0;

// The look of a lit cap in white: `mask` gives the light's coverage (halo and cap), tinted with
// the key's colour when drawn; `highlight` brightens the cap's centre and rim on top of it.
struct LightSprite {
  QImage mask;
  QImage highlight;
};

QImage BlankSprite(QSize pixels) {
  QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  return image;
}

LightSprite DrawLightSprite(bool round, QSizeF cap, QSize pixels) {
  const QRectF body(kHalo, kHalo, cap.width(), cap.height());
  const auto shape = [round](const QRectF& rect) {
    QPainterPath path;
    if (round) {
      path.addEllipse(rect);
    } else {
      path.addRoundedRect(rect, kCapRadius, kCapRadius);
    }
    return path;
  };
  const qreal scale = pixels.width() / (cap.width() + 2 * kHalo);
  LightSprite sprite{BlankSprite(pixels), BlankSprite(pixels)};
  {
    QPainter painter(&sprite.mask);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    painter.setPen(Qt::NoPen);
    for (int ring = 3; ring >= 1; --ring) {
      const qreal grow = ring * 1.6;
      painter.setBrush(QColor(255, 255, 255, 30));
      painter.drawPath(shape(body.adjusted(-grow, -grow, grow, grow)));
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.setBrush(QColor(255, 255, 255, 215));
    painter.drawPath(shape(body));
  }
  {
    QPainter painter(&sprite.highlight);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(scale, scale);
    QRadialGradient glow(body.center(), std::max(body.width(), body.height()) * 0.7);
    glow.setColorAt(0.0, QColor(255, 255, 255, 80));
    glow.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(QPen(QColor(255, 255, 255, 110), 1.0));
    painter.setBrush(glow);
    painter.drawPath(shape(body.adjusted(0.5, 0.5, -0.5, -0.5)));
  }
  return sprite;
}

// Light sprites by cap shape and size; a layout has a handful of cap sizes.
class LightSprites {
 public:
  const LightSprite& For(bool round, QSizeF cap, QSize pixels) {
    const auto key = std::make_tuple(round, qRound(cap.width() * 4), qRound(cap.height() * 4),
                                     pixels.width(), pixels.height());
    auto found = sprites_.find(key);
    if (found != sprites_.end()) return found->second;
    if (sprites_.size() >= 64) sprites_.clear();
    return sprites_.emplace(key, DrawLightSprite(round, cap, pixels)).first->second;
  }

 private:
  std::map<std::tuple<bool, int, int, int, int>, LightSprite> sprites_;
};

class KeyboardView : public View<QWidget> {
 public:
  KeyboardView(Tessel::MControl& control, QWidget* parent) : View(control, parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
  }

 protected:
  void SyncState() override {
    auto* keyboard = ModelAs<Tessel::KeyboardCtrl>();
    if (keyboard == nullptr) return;
    Tessel::KeyboardSnapshot next = keyboard->GetSnapshot();
    const bool layoutChanged = !SameKeys(next);
    // Colours changing many times a second (a lighting effect) redraw only the keys they touch.
    const std::optional<QRegion> changed =
        layoutChanged ? std::nullopt : ChangedKeys(snapshot_, next);
    snapshot_ = std::move(next);
    if (layoutChanged) {
      hovered_ = -1;
      focusKey_ = -1;
    }
    if (!snapshot_.picture.empty() && !pictures_.contains(snapshot_.picture)) {
      pictures_[snapshot_.picture] = QPixmap(PicturePath(snapshot_.picture));
    }
    const bool selecting = Selecting();
    setFocusPolicy(selecting ? Qt::StrongFocus : Qt::NoFocus);
    if (!selecting) {
      hovered_ = -1;
      if (hasFocus()) clearFocus();
    }
    if (!changed) {
      update();
    } else if (!changed->isEmpty()) {
      WindowWidget::UpdateRegion(*this, *changed);
    }
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (!isEnabled()) painter.setOpacity(0.55);
    painter.save();
    const Tessel::LayoutTransform transform = Transform();
    painter.translate(transform.offsetX, transform.offsetY);
    painter.scale(transform.scale, transform.scale);
    PaintKeyboard(painter);
    for (std::size_t i = 0; i < snapshot_.keys.size(); ++i) PaintKey(painter, static_cast<int>(i));
    painter.restore();
    if (keyboardFocus_ && hasFocus()) DrawFocusRing(painter, QRectF(rect()), 16);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() == Qt::RightButton && Selecting()) {
      const QPoint at = ToModel(event->position());
      if (auto* keyboard = ModelAs<Tessel::KeyboardCtrl>()) keyboard->UserContextAt(at.x(), at.y());
      return;
    }
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    auto* keyboard = ModelAs<Tessel::KeyboardCtrl>();
    if (keyboard == nullptr || !Selecting()) return QWidget::mousePressEvent(event);
    const QPoint at = ToModel(event->position());
    keyboard->UserPressAt(at.x(), at.y(), (event->modifiers() & Qt::ControlModifier) != 0);
    focusKey_ = KeyAt(event->position());
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    SetHovered(Selecting() ? KeyAt(event->position()) : -1);
    auto* keyboard = ModelAs<Tessel::KeyboardCtrl>();
    if (keyboard == nullptr || (event->buttons() & Qt::LeftButton) == 0) return;
    const QPoint at = ToModel(event->position());
    keyboard->DragMove(at.x(), at.y());
  }
  void mouseReleaseEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    if (auto* keyboard = ModelAs<Tessel::KeyboardCtrl>()) keyboard->UserEndDrag();
  }
  void leaveEvent(QEvent*) override { SetHovered(-1); }

  void keyPressEvent(QKeyEvent* event) override {
    if (!HandleKey(*event)) QWidget::keyPressEvent(event);
  }
  void focusInEvent(QFocusEvent* event) override {
    keyboardFocus_ = IsKeyboardFocusReason(event->reason());
    if (keyboardFocus_ && focusKey_ < 0 && !snapshot_.keys.empty()) focusKey_ = StartKey();
    update();
  }
  void focusOutEvent(QFocusEvent*) override {
    keyboardFocus_ = false;
    update();
  }

  bool event(QEvent* event) override {
    if (event->type() == QEvent::ToolTip) {
      ShowToolTip(*static_cast<QHelpEvent*>(event));
      return true;
    }
    return QWidget::event(event);
  }

 private:
  bool Selecting() const {
    return snapshot_.mode == Tessel::kKeyboardModeSelect ||
           snapshot_.mode == Tessel::kKeyboardModeColor;
  }

  // Whether the model still has the keys last drawn (only labels, colours and marks changed).
  bool SameKeys(const Tessel::KeyboardSnapshot& next) const {
    const auto sameKey = [](const Tessel::KEY_INFO& a, const Tessel::KEY_INFO& b) {
      return a.code == b.code && a.rect == b.rect;
    };
    return std::equal(next.keys.begin(), next.keys.end(), snapshot_.keys.begin(),
                      snapshot_.keys.end(), sameKey);
  }

  // Where the keys whose look differs between two snapshots are drawn; nothing when more than
  // keys changed (the picture, the mode, the layout's size).
  std::optional<QRegion> ChangedKeys(const Tessel::KeyboardSnapshot& before,
                                     const Tessel::KeyboardSnapshot& after) const {
    if (before.picture != after.picture || before.layoutWidth != after.layoutWidth ||
        before.layoutHeight != after.layoutHeight || before.background != after.background ||
        before.mode != after.mode || before.keys.size() != after.keys.size()) {
      return std::nullopt;
    }
    QRegion region;
    for (std::size_t i = 0; i < after.keys.size(); ++i) {
      const int index = static_cast<int>(i);
      const bool wasCurrent = index == before.current;
      const bool isCurrent = index == after.current;
      if (before.keys[i] != after.keys[i] || wasCurrent != isCurrent)
        region += AreaOfKey(after.keys[i]);
    }
    return region;
  }

  // Everything a key's drawing may touch: its light's halo and the rings around it.
  QRect AreaOfKey(const Tessel::KEY_INFO& key) const {
    const Tessel::LayoutTransform transform = Transform();
    const qreal reach = kHalo + 2.0;
    const QRectF area = ToQRectF(key.rect).adjusted(-reach, -reach, reach, reach);
    return QRectF(transform.offsetX + area.left() * transform.scale,
                  transform.offsetY + area.top() * transform.scale, area.width() * transform.scale,
                  area.height() * transform.scale)
        .toAlignedRect()
        .adjusted(-1, -1, 1, 1);
  }

  // Draws one key again (its hover or focus mark changed); nothing for -1.
  void UpdateKey(int index) {
    if (const Tessel::KEY_INFO* key = KeyOf(index)) update(AreaOfKey(*key));
  }

  Tessel::LayoutTransform Transform() const {
    return Tessel::FitLayout(snapshot_.layoutWidth, snapshot_.layoutHeight, width(), height());
  }

  QRectF LayoutRect() const {
    if (snapshot_.layoutWidth > 0 && snapshot_.layoutHeight > 0) {
      return QRectF(0, 0, snapshot_.layoutWidth, snapshot_.layoutHeight);
    }
    return QRectF(rect());
  }

  // The point in the coordinates of the model control's rectangle.
  QPoint ToModel(QPointF local) const { return mapToParent(local.toPoint()); }

  QPointF ToLayout(QPointF local) const {
    const Tessel::LayoutTransform transform = Transform();
    return QPointF((local.x() - transform.offsetX) / transform.scale,
                   (local.y() - transform.offsetY) / transform.scale);
  }

  // The topmost key under a point of the widget; -1 when none.
  int KeyAt(QPointF local) const {
    const QPointF point = ToLayout(local);
    for (std::size_t i = snapshot_.keys.size(); i-- > 0;) {
      const Tessel::Rect& key = snapshot_.keys[i].rect;
      if (point.x() >= key.left && point.x() < key.right && point.y() >= key.top &&
          point.y() < key.bottom) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }

  void SetHovered(int key) {
    if (key == hovered_) return;
    UpdateKey(hovered_);
    hovered_ = key;
    UpdateKey(hovered_);
    setCursor(key >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
  }

  const Tessel::KEY_INFO* KeyOf(int index) const {
    if (index < 0 || index >= static_cast<int>(snapshot_.keys.size())) return nullptr;
    return &snapshot_.keys[static_cast<std::size_t>(index)];
  }

  // --- Keyboard ---

  bool HandleKey(const QKeyEvent& event) {
    auto* keyboard = ModelAs<Tessel::KeyboardCtrl>();
    if (keyboard == nullptr || !Selecting()) return false;
    if (event.matches(QKeySequence::SelectAll)) {
      keyboard->UserSelectAll();
      return true;
    }
    switch (event.key()) {
      case Qt::Key_Escape:
        if (keyboard->GetSelectedKeyCodes().empty()) return false;
        keyboard->UserClearSelection();
        return true;
      case Qt::Key_Left:
        return MoveFocusKey(-1, 0);
      case Qt::Key_Right:
        return MoveFocusKey(1, 0);
      case Qt::Key_Up:
        return MoveFocusKey(0, -1);
      case Qt::Key_Down:
        return MoveFocusKey(0, 1);
      case Qt::Key_Space:
      case Qt::Key_Return:
      case Qt::Key_Enter:
        return PressFocusKey(*keyboard, (event.modifiers() & Qt::ControlModifier) != 0);
      default:
        return false;
    }
  }

  int StartKey() const {
    if (snapshot_.current >= 0 && snapshot_.current < static_cast<int>(snapshot_.keys.size()))
      return snapshot_.current;
    return 0;
  }

  // The nearest key in a direction: ahead of the focus key, weighing sideways distance more.
  bool MoveFocusKey(int dx, int dy) {
    keyboardFocus_ = true;  // a click gave the focus, but now the keyboard is in use
    const Tessel::KEY_INFO* from = KeyOf(focusKey_);
    if (from == nullptr) {
      focusKey_ = snapshot_.keys.empty() ? -1 : StartKey();
      update();
      return true;
    }
    const QPointF origin = ToQRectF(from->rect).center();
    int best = -1;
    double bestScore = std::numeric_limits<double>::max();
    for (std::size_t i = 0; i < snapshot_.keys.size(); ++i) {
      const QPointF delta = ToQRectF(snapshot_.keys[i].rect).center() - origin;
      const double ahead = delta.x() * dx + delta.y() * dy;
      if (ahead <= 1.0) continue;
      const double sideways = std::abs(dx != 0 ? delta.y() : delta.x());
      const double score = ahead + 3.0 * sideways;
      if (score < bestScore) {
        bestScore = score;
        best = static_cast<int>(i);
      }
    }
    if (best >= 0) {
      focusKey_ = best;
      update();
    }
    return true;
  }

  bool PressFocusKey(Tessel::KeyboardCtrl& keyboard, bool additive) {
    const Tessel::KEY_INFO* key = KeyOf(focusKey_);
    if (key == nullptr) return false;
    keyboard.UserPressKey(key->code, additive);
    keyboard.UserEndDrag();
    return true;
  }

  void ShowToolTip(const QHelpEvent& help) {
    const Tessel::KEY_INFO* key = KeyOf(KeyAt(help.pos()));
    if (key == nullptr) {
      QToolTip::hideText();
      return;
    }
    QStringList lines = {ToQString(key->desc.empty() ? key->name : key->desc)};
    if (!key->text.empty() && key->text != key->name) lines << ToQString(key->text);
    if (!key->tip.empty() && key->tip != key->text) lines << ToQString(key->tip);
    QToolTip::showText(help.globalPos(), lines.join(u'\n'), this);
  }

  // --- Painting ---

  void PaintKeyboard(QPainter& painter) {
    const QRectF area = LayoutRect();
    if (snapshot_.background != 0) {
      painter.setPen(Qt::NoPen);
      painter.setBrush(ToQColor(snapshot_.background));
      painter.drawRoundedRect(area.adjusted(1, 1, -1, -1), 14, 14);
    }
    auto picture = pictures_.find(snapshot_.picture);
    if (picture != pictures_.end() && !picture->second.isNull()) {
      DrawPicture(painter, picture->second, area, Tessel::PictureFit::Stretch);
    }
  }

  void PaintKey(QPainter& painter, int index) {
    const Tessel::KEY_INFO& key = snapshot_.keys[static_cast<std::size_t>(index)];
    const QRectF cap = CapOf(key);
    if (cap.isEmpty()) return;
    const bool lit = snapshot_.mode == Tessel::kKeyboardModeColor && key.color != 0;
    if (lit) PaintLight(painter, key, cap);
    if (!Selecting()) {
      PaintLabel(painter, key, cap, lit);
      return;
    }
    if (key.selected) PaintSelection(painter, key, cap, index == snapshot_.current);
    PaintLabel(painter, key, cap, lit);
    if (index == hovered_) {
      painter.setBrush(Qt::NoBrush);
      painter.setPen(QPen(QColor(255, 255, 255, key.selected ? 90 : 150), 1.5));
      painter.drawPath(ShapeAround(key, cap, 1.0));
    }
    if (index == focusKey_ && keyboardFocus_ && hasFocus()) {
      painter.setBrush(Qt::NoBrush);
      painter.setPen(QPen(theme::Focus(), 2, Qt::DashLine));
      painter.drawPath(ShapeAround(key, cap, 3.5));
    }
  }

  // The key's light: a halo around the cap and a glowing fill, brighter towards the centre.
  // The shapes are drawn once per cap size; each frame only tints them.
  void PaintLight(QPainter& painter, const Tessel::KEY_INFO& key, const QRectF& cap) {
    const QRectF area = cap.adjusted(-kHalo, -kHalo, kHalo, kHalo);
    const qreal pixelsPerUnit = painter.worldTransform().m11() * devicePixelRatioF();
    const QSize pixels = (area.size() * pixelsPerUnit).toSize();
    if (pixels.isEmpty()) return;
    const LightSprite& sprite = sprites_.For(key.encoder, cap.size(), pixels);
    QImage tinted(pixels, QImage::Format_ARGB32_Premultiplied);
    tinted.fill(ToQColor(key.color));
    {
      QPainter tint(&tinted);
      tint.setCompositionMode(QPainter::CompositionMode_DestinationIn);
      tint.drawImage(0, 0, sprite.mask);
    }
    painter.drawImage(area, tinted);
    painter.drawImage(area, sprite.highlight);
  }

  // In the key page's mode the selected keys are tinted, the key being assigned most; over
  // the light colours of the painting mode a white ring stands out from any colour.
  void PaintSelection(QPainter& painter, const Tessel::KEY_INFO& key, const QRectF& cap,
                      bool current) {
    const bool painting = snapshot_.mode == Tessel::kKeyboardModeColor;
    if (!painting) {
      QColor tint = theme::Accent();
      tint.setAlpha(current ? 130 : 85);
      painter.setPen(Qt::NoPen);
      painter.setBrush(tint);
      painter.drawPath(ShapeOf(key, cap));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(8, 9, 14, 220), 4.5));
    painter.drawPath(ShapeAround(key, cap, 1.8));
    const QColor ring = painting || current ? QColor(255, 255, 255) : theme::AccentBright();
    painter.setPen(QPen(ring, painting ? 2.4 : 2.0));
    painter.drawPath(ShapeAround(key, cap, 1.8));
  }

  const FittedLabel& LabelFor(const QString& text, const QSizeF& box) {
    const QString cacheKey = text + QStringLiteral("\n%1x%2").arg(box.width()).arg(box.height());
    auto found = labels_.find(cacheKey);
    if (found != labels_.end()) return *found;
    if (labels_.size() >= kLabelCacheLimit) labels_.clear();
    return *labels_.insert(cacheKey, FitLabel(text, box));
  }

  void PaintLabel(QPainter& painter, const Tessel::KEY_INFO& key, const QRectF& cap, bool lit) {
    const QString text = ToQString(key.Caption());
    if (text.isEmpty()) return;
    // The knob's label sits in the middle of the dial, where the round cap leaves less room.
    const qreal margin = key.encoder ? cap.width() * 0.2 : 2.5;
    const QRectF box = cap.adjusted(margin, margin, -margin, -margin);
    const FittedLabel& label = LabelFor(text, box.size());
    const bool darkText = lit && LuminanceOf(ToQColor(key.color)) > 0.55;
    QColor ink = theme::Text();
    if (darkText) {
      ink = QColor(0x12, 0x14, 0x1c);
    } else if (IsFunctionLabel(key)) {
      ink = theme::AccentBright().lighter(115);
    }
    painter.setFont(label.font);
    const QFontMetricsF metrics(label.font);
    const qreal lineHeight = metrics.height();
    const qreal top = box.center().y() - lineHeight * label.lines.size() / 2.0;
    for (int i = 0; i < label.lines.size(); ++i) {
      const QRectF line(box.left() - 2, top + i * lineHeight, box.width() + 4, lineHeight);
      if (!darkText) {
        painter.setPen(QColor(0, 0, 0, 170));
        painter.drawText(line.translated(0, 1), Qt::AlignCenter, label.lines[i]);
      }
      painter.setPen(ink);
      painter.drawText(line, Qt::AlignCenter, label.lines[i]);
    }
  }

  Tessel::KeyboardSnapshot snapshot_;
  std::map<std::string, QPixmap> pictures_;
  QHash<QString, FittedLabel> labels_;
  LightSprites sprites_;
  int hovered_ = -1;
  int focusKey_ = -1;
  bool keyboardFocus_ = false;
};

}  // namespace

ControlView* CreateKeyboardView(Tessel::MControl& control, QWidget* parent) {
  return new KeyboardView(control, parent);
}

}  // namespace TesselQt

// A list of pictures as tiles, side by side or one below the other. A tile wider than tall
// puts its picture left of its caption and detail, others put it above them. Pictures keep the
// screen's proportions on a black ground; animated pictures play when the list asks for it. The
// current tile is outlined in the accent colour; the wheel scrolls, the arrow keys move.

#include <QImageReader>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMovie>
#include <QPainter>
#include <QPixmap>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <map>
#include <memory>

#include "ui/qt/ControlView.h"
#include "ui/qt/FeatureViews.h"
#include "ui/qt/Painting.h"
#include "ui/qt/Theme.h"
#include "ui/tessel/ThumbnailList.h"

namespace TesselQt {
namespace {

constexpr int kGap = 8;
constexpr int kPadding = 6;
constexpr qreal kRadius = 8.0;
constexpr qreal kScreenAspect = 240.0 / 136.0;
constexpr int kCaptionPixels = 12;
constexpr int kDetailPixels = 11;

// A picture as read for one revision of an item: still, or playing.
struct Shown {
  QPixmap still;
  std::unique_ptr<QMovie> movie;
};

class ThumbnailListView : public FocusRingView<QWidget> {
 public:
  ThumbnailListView(Tessel::MControl& control, QWidget* parent) : FocusRingView(control, parent) {
    setMouseTracking(true);
    setFocusPolicy(Qt::TabFocus);
  }

 protected:
  void SyncState() override {
    auto* list = ModelAs<Tessel::ThumbnailList>();
    if (list == nullptr) return;
    items_ = list->GetItems();
    current_ = list->GetCurSel();
    tile_ = QSize(list->GetTileWidth(), list->GetTileHeight());
    vertical_ = list->GetFlow() == Tessel::ThumbnailList::Flow::kVertical;
    animated_ = list->IsAnimated();
    LoadPictures();
    ClampScroll();
    ScrollTo(current_);
    update();
  }

  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled()) painter.setOpacity(0.45);
    painter.setClipRect(rect());
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) PaintTile(painter, i);
    PaintScrollMark(painter);
  }

  void mousePressEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const int index = TileAt(event->position().toPoint());
    if (index < 0) return;
    if (auto* list = ModelAs<Tessel::ThumbnailList>()) list->UserSelect(index);
  }
  void mouseDoubleClickEvent(QMouseEvent* event) override {
    if (event->button() != Qt::LeftButton) return;
    const int index = TileAt(event->position().toPoint());
    if (index < 0) return;
    if (auto* list = ModelAs<Tessel::ThumbnailList>()) list->UserDoubleClick(index);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    const int index = TileAt(event->position().toPoint());
    if (index == hovered_) return;
    hovered_ = index;
    setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
    update();
  }
  void leaveEvent(QEvent*) override {
    hovered_ = -1;
    update();
  }
  void wheelEvent(QWheelEvent* event) override {
    const int before = scroll_;
    const QPoint delta = event->angleDelta();
    const int steps = (delta.y() != 0 ? delta.y() : delta.x()) / 120;
    scroll_ -= steps * Step();
    ClampScroll();
    event->setAccepted(scroll_ != before);
    if (scroll_ != before) update();
  }
  void keyPressEvent(QKeyEvent* event) override {
    const int back = vertical_ ? Qt::Key_Up : Qt::Key_Left;
    const int forward = vertical_ ? Qt::Key_Down : Qt::Key_Right;
    int next = current_;
    if (event->key() == back) {
      --next;
    } else if (event->key() == forward) {
      ++next;
    } else {
      return QWidget::keyPressEvent(event);
    }
    if (next < 0 || next >= static_cast<int>(items_.size())) return;
    if (auto* list = ModelAs<Tessel::ThumbnailList>()) list->UserSelect(next);
  }

 private:
  static QString Key(const Tessel::ListItem& item) {
    return QString::fromStdString(item.icon) + QLatin1Char('#') + QString::number(item.revision);
  }

  // Reads what is new; keeps what is still shown; forgets the rest.
  void LoadPictures() {
    std::map<QString, Shown> kept;
    for (const Tessel::ListItem& item : items_) {
      if (item.icon.empty()) continue;
      const QString key = Key(item);
      if (auto found = shown_.find(key); found != shown_.end()) {
        kept[key] = std::move(found->second);
        continue;
      }
      kept[key] = Read(PicturePath(item.icon));
    }
    shown_ = std::move(kept);
  }

  Shown Read(const QString& path) {
    Shown shown;
    QImageReader reader(path);
    if (animated_ && reader.supportsAnimation() && reader.imageCount() > 1) {
      shown.movie = std::make_unique<QMovie>(path);
      shown.movie->setCacheMode(QMovie::CacheAll);
      QObject::connect(shown.movie.get(), &QMovie::frameChanged, this, [this] { update(); });
      shown.movie->start();
      return shown;
    }
    QImage image;
    if (reader.read(&image)) shown.still = QPixmap::fromImage(image);
    return shown;
  }

  int Step() const { return (vertical_ ? tile_.height() : tile_.width()) + kGap; }
  int Content() const { return std::max(0, static_cast<int>(items_.size()) * Step() - kGap); }
  int Visible() const { return vertical_ ? height() : width(); }
  void ClampScroll() { scroll_ = std::clamp(scroll_, 0, std::max(0, Content() - Visible())); }

  QRectF TileRect(int index) const {
    const int offset = index * Step() - scroll_;
    if (vertical_) return QRectF(0, offset, width(), tile_.height());
    return QRectF(offset, 0, tile_.width(), height());
  }

  int TileAt(QPoint point) const {
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
      if (TileRect(i).contains(point)) return i;
    }
    return -1;
  }

  void ScrollTo(int index) {
    if (index < 0) return;
    const int start = index * Step();
    const int end = start + Step() - kGap;
    if (start < scroll_) scroll_ = start;
    if (end > scroll_ + Visible()) scroll_ = end - Visible();
    ClampScroll();
  }

  void PaintTile(QPainter& painter, int index) {
    const QRectF tile = TileRect(index).adjusted(0.5, 0.5, -0.5, -0.5);
    if (tile.bottom() < 0 || tile.top() > height() || tile.right() < 0 || tile.left() > width())
      return;
    const Tessel::ListItem& item = items_[static_cast<std::size_t>(index)];
    const bool current = index == current_;
    QColor fill = current ? theme::Accent() : theme::Surface();
    fill.setAlpha(current ? 60 : 200);
    if (index == hovered_ && !current) fill = theme::SurfaceRaised().lighter(118);
    painter.setPen(QPen(current ? theme::AccentBright() : theme::Border(), current ? 1.6 : 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(tile, kRadius, kRadius);
    if (current && ShowsFocusRing()) DrawFocusRing(painter, tile, kRadius);

    const bool side = tile.width() > 1.6 * tile.height();
    const QRectF inner = tile.adjusted(kPadding, kPadding, -kPadding, -kPadding);
    const qreal captionRoom = side ? 0 : kCaptionPixels + kDetailPixels + 10;
    const qreal pictureHeight = side ? inner.height() : inner.height() - captionRoom;
    const qreal pictureWidth =
        std::min(side ? inner.width() * 0.55 : inner.width(), pictureHeight * kScreenAspect);
    const QRectF picture(side ? inner.left() : inner.center().x() - pictureWidth / 2, inner.top(),
                         pictureWidth, pictureWidth / kScreenAspect);
    PaintPicture(painter, item, picture);
    const QRectF text = side ? QRectF(picture.right() + 10, inner.top(),
                                      inner.right() - picture.right() - 10, inner.height())
                             : QRectF(inner.left(), picture.bottom() + 4, inner.width(),
                                      inner.bottom() - picture.bottom() - 4);
    PaintTexts(painter, item, text, side, current);
  }

  void PaintPicture(QPainter& painter, const Tessel::ListItem& item, const QRectF& box) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    painter.drawRoundedRect(box, 4, 4);
    auto found = shown_.find(Key(item));
    if (found == shown_.end()) return;
    const QPixmap frame =
        found->second.movie ? found->second.movie->currentPixmap() : found->second.still;
    if (frame.isNull()) return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    DrawPicture(painter, frame, box, Tessel::PictureFit::Contain);
    painter.restore();
  }

  void PaintTexts(QPainter& painter, const Tessel::ListItem& item, const QRectF& box, bool side,
                  bool current) {
    const Qt::Alignment align = side ? Qt::AlignLeft : Qt::AlignHCenter;
    const qreal lineHeight = kCaptionPixels + 6;
    const qreal top = side ? box.center().y() - lineHeight : box.top();
    QFont caption = theme::FontFor(QString(), kCaptionPixels, current);
    painter.setFont(caption);
    painter.setPen(current ? theme::Text() : theme::TextSecondary());
    const QRectF captionBox(box.left(), top, box.width(), lineHeight);
    painter.drawText(
        captionBox, align | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(QString::fromStdString(item.text), Qt::ElideRight,
                                         static_cast<int>(box.width())));
    if (item.detail.empty()) return;
    painter.setFont(theme::FontFor(QStringLiteral("hint"), kDetailPixels));
    painter.setPen(theme::TextSecondary());
    const QRectF detailBox(box.left(), captionBox.bottom(), box.width(), kDetailPixels + 6);
    painter.drawText(
        detailBox, align | Qt::AlignVCenter,
        painter.fontMetrics().elidedText(QString::fromStdString(item.detail), Qt::ElideRight,
                                         static_cast<int>(box.width())));
  }

  // A thin thumb along the scrolling edge shows where the visible tiles lie.
  void PaintScrollMark(QPainter& painter) {
    const int content = Content();
    const int visible = Visible();
    if (content <= visible) return;
    const qreal thumb = std::max<qreal>(20, visible * visible / static_cast<qreal>(content));
    const qreal at = (visible - thumb) * scroll_ / static_cast<qreal>(content - visible);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2f, 0x35, 0x47));
    if (vertical_) {
      painter.drawRoundedRect(QRectF(width() - 3, at, 3, thumb), 1.5, 1.5);
    } else {
      painter.drawRoundedRect(QRectF(at, height() - 3, thumb, 3), 1.5, 1.5);
    }
  }

  std::vector<Tessel::ListItem> items_;
  std::map<QString, Shown> shown_;
  QSize tile_{120, 96};
  bool vertical_ = false;
  bool animated_ = false;
  int current_ = -1;
  int hovered_ = -1;
  int scroll_ = 0;
};

}  // namespace

ControlView* CreateThumbnailListView(Tessel::MControl& control, QWidget* parent) {
  return new ThumbnailListView(control, parent);
}

}  // namespace TesselQt

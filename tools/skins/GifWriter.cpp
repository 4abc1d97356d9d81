#include "GifWriter.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>

namespace skins {
namespace {

constexpr int kPaletteSize = 256;
constexpr std::uint8_t kTransparent = kPaletteSize - 1;  // unchanged pixels of later frames

using Rgb = std::array<int, 3>;

Rgb RgbOf(QRgb pixel) {
  return {qRed(pixel), qGreen(pixel), qBlue(pixel)};
}

// Median cut: the box of colours with the widest channel is split at its median until there
// are as many boxes as palette entries; each entry is the mean of its box.
std::vector<Rgb> MedianCut(std::vector<Rgb> samples, int colours) {
  struct Box {
    std::size_t begin, end;
  };
  auto widest = [&](const Box& box, int& channel) {
    int best = -1;
    for (int c = 0; c < 3; ++c) {
      int low = 255, high = 0;
      for (std::size_t i = box.begin; i < box.end; ++i) {
        low = std::min(low, samples[i][c]);
        high = std::max(high, samples[i][c]);
      }
      if (high - low > best) {
        best = high - low;
        channel = c;
      }
    }
    return best;
  };
  std::vector<Box> boxes = {{0, samples.size()}};
  while (static_cast<int>(boxes.size()) < colours) {
    int pick = -1, pickChannel = 0;
    long pickScore = 0;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
      int channel = 0;
      const long score = static_cast<long>(widest(boxes[b], channel)) *
                         static_cast<long>(boxes[b].end - boxes[b].begin);
      if (boxes[b].end - boxes[b].begin > 1 && score > pickScore) {
        pick = static_cast<int>(b);
        pickChannel = channel;
        pickScore = score;
      }
    }
    if (pick < 0) break;
    Box box = boxes[static_cast<std::size_t>(pick)];
    const std::size_t middle = box.begin + (box.end - box.begin) / 2;
    std::nth_element(
        samples.begin() + static_cast<long>(box.begin), samples.begin() + static_cast<long>(middle),
        samples.begin() + static_cast<long>(box.end),
        [pickChannel](const Rgb& a, const Rgb& b) { return a[pickChannel] < b[pickChannel]; });
    boxes[static_cast<std::size_t>(pick)] = {box.begin, middle};
    boxes.push_back({middle, box.end});
  }
  std::vector<Rgb> palette;
  for (const Box& box : boxes) {
    Rgb sum = {0, 0, 0};
    for (std::size_t i = box.begin; i < box.end; ++i) {
      for (int c = 0; c < 3; ++c) sum[c] += samples[i][c];
    }
    const int count = static_cast<int>(std::max<std::size_t>(1, box.end - box.begin));
    palette.push_back({sum[0] / count, sum[1] / count, sum[2] / count});
  }
  return palette;
}

// Maps colours to their nearest palette entry, remembering answers per 7-bit colour cell.
// A fixed 4 x 4 dither pattern hides the steps of dark gradients; being fixed, it leaves
// pixels that do not change from frame to frame alone.
class Quantiser {
 public:
  explicit Quantiser(std::vector<Rgb> palette)
      : palette_(std::move(palette)), cache_(1 << 21, -1) {}

  std::uint8_t IndexOf(QRgb pixel, int x, int y) {
    static constexpr int kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const int offset = kBayer[y & 3][x & 3] - 8;  // -8 .. 7, a little over one 7-bit step
    auto cell = [offset](int channel) { return std::clamp(channel + offset / 2, 0, 255) >> 1; };
    const int key = (cell(qRed(pixel)) << 14) | (cell(qGreen(pixel)) << 7) | cell(qBlue(pixel));
    int& cached = cache_[static_cast<std::size_t>(key)];
    if (cached < 0)
      cached = Nearest({(key >> 14) << 1 | 1, ((key >> 7) & 127) << 1 | 1, (key & 127) << 1 | 1});
    return static_cast<std::uint8_t>(cached);
  }

 private:
  int Nearest(const Rgb& colour) const {
    int best = 0;
    long bestDistance = -1;
    for (std::size_t i = 0; i < palette_.size(); ++i) {
      long distance = 0;
      for (int c = 0; c < 3; ++c) {
        const long d = colour[c] - palette_[i][c];
        distance += d * d;
      }
      if (bestDistance < 0 || distance < bestDistance) {
        bestDistance = distance;
        best = static_cast<int>(i);
      }
    }
    return best;
  }

  std::vector<Rgb> palette_;
  std::vector<int> cache_;
};

struct GifCloser {
  void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;
struct MapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

using Indices = std::vector<std::uint8_t>;

Indices Quantise(const QImage& image, Quantiser& quantiser) {
  Indices indices(static_cast<std::size_t>(image.width()) *
                  static_cast<std::size_t>(image.height()));
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      indices[static_cast<std::size_t>(y * image.width() + x)] = quantiser.IndexOf(row[x], x, y);
    }
  }
  return indices;
}

bool PutLoopBlock(GifFileType* gif) {
  // The application extension that makes viewers repeat the animation forever.
  const unsigned char name[] = "NETSCAPE2.0";
  const unsigned char loop[] = {1, 0, 0};
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, name) == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

bool PutFrame(GifFileType* gif, const Indices& current, const Indices* previous, int width,
              int height, int delayCs) {
  // The rectangle of changed pixels; the first frame is whole.
  int left = 0, top = 0, right = width - 1, bottom = height - 1;
  if (previous != nullptr) {
    left = width, top = height, right = -1, bottom = -1;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const auto i = static_cast<std::size_t>(y * width + x);
        if (current[i] == (*previous)[i]) continue;
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
    }
    if (right < 0) left = top = right = bottom = 0;  // nothing changed: one transparent pixel
  }
  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.DelayTime = delayCs;
  control.TransparentColor = previous != nullptr ? kTransparent : NO_TRANSPARENT_COLOR;
  GifByteType bytes[4];
  const size_t length = EGifGCBToExtension(&control, bytes);
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), bytes) != GIF_OK)
    return false;
  const int w = right - left + 1, h = bottom - top + 1;
  if (EGifPutImageDesc(gif, left, top, w, h, false, nullptr) != GIF_OK) return false;
  std::vector<GifPixelType> line(static_cast<std::size_t>(w));
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      const auto i = static_cast<std::size_t>(y * width + x);
      const bool same = previous != nullptr && current[i] == (*previous)[i];
      line[static_cast<std::size_t>(x - left)] = same ? kTransparent : current[i];
    }
    if (EGifPutLine(gif, line.data(), w) != GIF_OK) return false;
  }
  return true;
}

}  // namespace

QString WriteLoopingGif(const QString& path, const std::vector<GifFrame>& frames) {
  if (frames.empty()) return QStringLiteral("no frames");
  const int width = frames.front().image.width();
  const int height = frames.front().image.height();
  std::vector<QImage> images;
  std::vector<Rgb> samples;
  for (const GifFrame& frame : frames) {
    images.push_back(frame.image.convertToFormat(QImage::Format_RGB32));
    if (images.back().size() != QSize(width, height))
      return QStringLiteral("frames differ in size");
  }
  for (std::size_t f = 0; f < images.size(); f += std::max<std::size_t>(1, images.size() / 6)) {
    for (int y = 0; y < height; y += 2) {
      for (int x = (y / 2) % 2; x < width; x += 2) samples.push_back(RgbOf(images[f].pixel(x, y)));
    }
  }
  std::vector<Rgb> palette = MedianCut(std::move(samples), kPaletteSize - 1);
  Quantiser quantiser(palette);

  std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(kPaletteSize, nullptr));
  if (!map) return QStringLiteral("no memory for the palette");
  for (int i = 0; i < kPaletteSize; ++i) {
    const Rgb colour =
        i < static_cast<int>(palette.size()) ? palette[static_cast<std::size_t>(i)] : Rgb{0, 0, 0};
    map->Colors[i] = {static_cast<GifByteType>(colour[0]), static_cast<GifByteType>(colour[1]),
                      static_cast<GifByteType>(colour[2])};
  }
  int error = 0;
  GifHandle gif(EGifOpenFileName(path.toLocal8Bit().constData(), false, &error));
  if (!gif)
    return QStringLiteral("cannot create %1: %2")
        .arg(path, QString::fromLatin1(GifErrorString(error)));
  EGifSetGifVersion(gif.get(), true);
  if (EGifPutScreenDesc(gif.get(), width, height, 8, 0, map.get()) != GIF_OK ||
      !PutLoopBlock(gif.get())) {
    return QStringLiteral("cannot write the header");
  }
  Indices previous;
  for (std::size_t f = 0; f < images.size(); ++f) {
    Indices current = Quantise(images[f], quantiser);
    if (!PutFrame(gif.get(), current, f == 0 ? nullptr : &previous, width, height,
                  frames[f].delayCs)) {
      return QStringLiteral("cannot write frame %1").arg(f);
    }
    previous = std::move(current);
  }
  if (EGifCloseFile(gif.release(), &error) != GIF_OK) {
    return QStringLiteral("cannot finish %1: %2")
        .arg(path, QString::fromLatin1(GifErrorString(error)));
  }
  return {};
}

}  // namespace skins

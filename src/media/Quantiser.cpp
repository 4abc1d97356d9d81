#include "media/Quantiser.h"

#include <algorithm>
#include <unordered_set>

namespace media {
namespace {

using Rgb = std::array<int, 3>;

constexpr unsigned kOpaqueAlpha = 128;  // pixels below this count as transparent
constexpr std::size_t kMaxSamples = 1u << 18;

std::uint32_t RgbKey(Argb pixel) {
  return pixel & 0xFFFFFF;
}

// The distinct opaque colours, or nothing when there are more than `limit`.
std::vector<std::uint32_t> DistinctColours(std::span<const Picture> pictures, std::size_t limit) {
  std::unordered_set<std::uint32_t> seen;
  for (const Picture& picture : pictures) {
    for (const Argb pixel : picture.pixels) {
      if (AlphaOf(pixel) < kOpaqueAlpha) continue;
      if (seen.insert(RgbKey(pixel)).second && seen.size() > limit) return {};
    }
  }
  std::vector<std::uint32_t> colours(seen.begin(), seen.end());
  std::sort(colours.begin(), colours.end());
  return colours;
}

std::vector<Rgb> Samples(std::span<const Picture> pictures) {
  std::size_t total = 0;
  for (const Picture& picture : pictures) total += picture.pixels.size();
  const std::size_t step = std::max<std::size_t>(1, total / kMaxSamples);
  std::vector<Rgb> samples;
  std::size_t at = 0;
  for (const Picture& picture : pictures) {
    for (const Argb pixel : picture.pixels) {
      if (at++ % step != 0 || AlphaOf(pixel) < kOpaqueAlpha) continue;
      samples.push_back({static_cast<int>(RedOf(pixel)), static_cast<int>(GreenOf(pixel)),
                         static_cast<int>(BlueOf(pixel))});
    }
  }
  return samples;
}

struct Box {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// The channel with the widest spread in a box, and that spread.
std::pair<int, int> WidestChannel(const std::vector<Rgb>& samples, const Box& box) {
  int bestChannel = 0;
  int bestSpread = -1;
  for (int channel = 0; channel < 3; ++channel) {
    int low = 255;
    int high = 0;
    for (std::size_t i = box.begin; i < box.end; ++i) {
      low = std::min(low, samples[i][channel]);
      high = std::max(high, samples[i][channel]);
    }
    if (high - low > bestSpread) {
      bestSpread = high - low;
      bestChannel = channel;
    }
  }
  return {bestChannel, bestSpread};
}

// Median cut: the box whose widest channel times its population is largest is split at its
// median until there are enough boxes; each palette entry is the mean of its box.
std::vector<PaletteColour> MedianCut(std::vector<Rgb> samples, int colours) {
  if (samples.empty()) return {{0, 0, 0}};
  std::vector<Box> boxes = {{0, samples.size()}};
  while (static_cast<int>(boxes.size()) < colours) {
    long bestScore = 0;
    std::size_t pick = boxes.size();
    int pickChannel = 0;
    for (std::size_t b = 0; b < boxes.size(); ++b) {
      const std::size_t population = boxes[b].end - boxes[b].begin;
      if (population < 2) continue;
      const auto [channel, spread] = WidestChannel(samples, boxes[b]);
      const long score = static_cast<long>(spread) * static_cast<long>(population);
      if (score > bestScore) {
        bestScore = score;
        pick = b;
        pickChannel = channel;
      }
    }
    if (pick == boxes.size()) break;
    const Box box = boxes[pick];
    const std::size_t middle = box.begin + (box.end - box.begin) / 2;
    const auto first = samples.begin() + static_cast<std::ptrdiff_t>(box.begin);
    std::nth_element(
        first, samples.begin() + static_cast<std::ptrdiff_t>(middle),
        samples.begin() + static_cast<std::ptrdiff_t>(box.end),
        [pickChannel](const Rgb& a, const Rgb& b) { return a[pickChannel] < b[pickChannel]; });
    boxes[pick] = {box.begin, middle};
    boxes.push_back({middle, box.end});
  }
  std::vector<PaletteColour> palette;
  for (const Box& box : boxes) {
    long sum[3] = {0, 0, 0};
    for (std::size_t i = box.begin; i < box.end; ++i) {
      for (int c = 0; c < 3; ++c) sum[c] += samples[i][c];
    }
    const long count = static_cast<long>(std::max<std::size_t>(1, box.end - box.begin));
    palette.push_back({static_cast<std::uint8_t>(sum[0] / count),
                       static_cast<std::uint8_t>(sum[1] / count),
                       static_cast<std::uint8_t>(sum[2] / count)});
  }
  return palette;
}

}  // namespace

Quantiser::Quantiser(std::span<const Picture> pictures, int maxColours) {
  const int limit = std::clamp(maxColours, 1, 255);
  exactColours_ = DistinctColours(pictures, static_cast<std::size_t>(limit));
  exact_ = !exactColours_.empty();
  if (exact_) {
    for (const std::uint32_t colour : exactColours_) {
      palette_.push_back({static_cast<std::uint8_t>(colour >> 16),
                          static_cast<std::uint8_t>(colour >> 8),
                          static_cast<std::uint8_t>(colour)});
    }
    return;
  }
  palette_ = MedianCut(Samples(pictures), limit);
  cache_.assign(std::size_t{1} << 21, -1);
}

std::uint8_t Quantiser::IndexOf(Argb pixel, int x, int y) {
  if (exact_) {
    const auto found = std::lower_bound(exactColours_.begin(), exactColours_.end(), RgbKey(pixel));
    if (found != exactColours_.end() && *found == RgbKey(pixel)) {
      return static_cast<std::uint8_t>(found - exactColours_.begin());
    }
    return static_cast<std::uint8_t>(Nearest(static_cast<int>(RedOf(pixel)),
                                             static_cast<int>(GreenOf(pixel)),
                                             static_cast<int>(BlueOf(pixel))));
  }
  static constexpr int kBayer[4][4] = {
      {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  const int offset = kBayer[y & 3][x & 3] - 8;  // -8 .. 7, a little over one 7-bit step
  const auto cell = [offset](unsigned channel) {
    return std::clamp(static_cast<int>(channel) + offset / 2, 0, 255) >> 1;
  };
  const int key = (cell(RedOf(pixel)) << 14) | (cell(GreenOf(pixel)) << 7) | cell(BlueOf(pixel));
  std::int16_t& cached = cache_[static_cast<std::size_t>(key)];
  if (cached < 0) {
    cached = static_cast<std::int16_t>(
        Nearest((key >> 14) << 1 | 1, ((key >> 7) & 127) << 1 | 1, (key & 127) << 1 | 1));
  }
  return static_cast<std::uint8_t>(cached);
}

int Quantiser::Nearest(int red, int green, int blue) const {
  int best = 0;
  long bestDistance = -1;
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    const long dr = red - palette_[i][0];
    const long dg = green - palette_[i][1];
    const long db = blue - palette_[i][2];
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
    }
  }
  return best;
}

}  // namespace media

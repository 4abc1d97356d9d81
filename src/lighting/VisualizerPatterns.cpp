#include "lighting/VisualizerPatterns.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace lighting {
namespace {

constexpr float kDegrees = 180.0f / std::numbers::pi_v<float>;
constexpr float kRadians = std::numbers::pi_v<float> / 180.0f;

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kYellow = 0x00FFFF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kCyan = 0xFFFF00;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kMagenta = 0xFF00FF;
constexpr std::uint32_t kWhite = 0xFFFFFF;

// The colour lists of the band patterns, colour 0 drawn at the bottom.
constexpr std::array<std::uint32_t, 3> kLevelMeter = {kGreen, kYellow, kRed};
constexpr std::array<std::uint32_t, 6> kRainbow = {kRed, kYellow, kGreen, kCyan, kBlue, kMagenta};
constexpr std::array<std::uint32_t, 6> kReverseRainbow = {kMagenta, kBlue,   kCyan,
                                                          kGreen,   kYellow, kRed};
constexpr std::array<std::uint32_t, 3> kGreenWhiteRed = {kGreen, kWhite, kRed};
constexpr std::array<std::uint32_t, 3> kIce = {kBlue, kCyan, kWhite};
constexpr std::array<std::uint32_t, 3> kRedWhiteBlue = {kRed, kWhite, kBlue};

// Patterns 6 to 13: white, red, orange, yellow, green, blue, cyan, violet.
constexpr std::array<std::uint32_t, 8> kFixedColors = {kWhite, kRed,  0x0040FF, kYellow,
                                                       kGreen, kBlue, kCyan,    0xFF0040};

// Angle tables of the hue wheels, computed once: int(atan2(r - y0, c - 128) + 180) mod 360.
struct WheelTables {
  std::vector<std::uint16_t> centre;  // y0 = 32 (pattern 4)
  std::vector<std::uint16_t> bottom;  // y0 = 64 (pattern 19)
  std::vector<float> plasmaAngle;     // angle of (c - 128, r - 32), 0 to 360
  std::vector<float> plasmaRadius;    // distance from the centre, 0 (centre) to 1 (corners)
};

const WheelTables& Tables() {
  static const WheelTables tables = [] {
    WheelTables t;
    const std::size_t size = static_cast<std::size_t>(kVisualizerWidth) * kVisualizerHeight;
    t.centre.resize(size);
    t.bottom.resize(size);
    t.plasmaAngle.resize(size);
    t.plasmaRadius.resize(size);
    const float corner = std::sqrt(17408.0f);
    for (int r = 0; r < kVisualizerHeight; ++r) {
      for (int c = 0; c < kVisualizerWidth; ++c) {
        const std::size_t i = static_cast<std::size_t>(r) * kVisualizerWidth + c;
        const float dx = static_cast<float>(c - 128);
        const auto wheel = [&](float y0) {
          const int degrees = static_cast<int>(std::atan2(r - y0, dx) * kDegrees + 180.0f);
          return static_cast<std::uint16_t>(degrees % 360);
        };
        t.centre[i] = wheel(32.0f);
        t.bottom[i] = wheel(64.0f);
        const float dy = static_cast<float>(r - 32);
        t.plasmaAngle[i] = WrapDegrees(std::atan2(dy, dx) * kDegrees);
        t.plasmaRadius[i] = std::sqrt(dx * dx + dy * dy) / corner;
      }
    }
    return t;
  }();
  return tables;
}

std::uint32_t Rgb(int red, int green, int blue) {
  return static_cast<std::uint32_t>(std::clamp(red, 0, 255)) |
         static_cast<std::uint32_t>(std::clamp(green, 0, 255)) << 8 |
         static_cast<std::uint32_t>(std::clamp(blue, 0, 255)) << 16;
}

// Pattern 17's moving rainbow at column c (pattern 20 uses c = 1).
std::uint32_t MovingRainbow(int column, float hue) {
  const int degrees = static_cast<int>(static_cast<float>(column) * 1.4117647f - hue);
  const float x = static_cast<float>(((degrees % 360) + 360) % 360) / 360.0f * 2.0f * 3.14f;
  return Rgb(static_cast<int>((std::sin(x) + 1.0f) * 127.0f),
             static_cast<int>((std::sin(x - 2.0933335f) + 1.0f) * 127.0f),
             static_cast<int>((std::sin(x + 2.0933335f) + 1.0f) * 127.0f));
}

}  // namespace

int BrightnessFactor(int brightness) {
  return static_cast<int>(static_cast<float>(std::clamp(brightness, 0, 100)) * 2.55f);
}

std::uint32_t ScaleColor(std::uint32_t color, int factor) {
  const auto channel = [&](int shift) {
    return (((color >> shift) & 0xFF) * static_cast<std::uint32_t>(factor) / 256) << shift;
  };
  return channel(0) | channel(8) | channel(16);
}

float WrapDegrees(float degrees) {
  if (!std::isfinite(degrees)) return 0.0f;
  float wrapped = std::fmod(degrees, 360.0f);
  if (wrapped < 0.0f) wrapped += 360.0f;
  return wrapped >= 360.0f ? 0.0f : wrapped;
}

std::uint32_t HsvColor(float hue, int saturation, int value) {
  const float h = WrapDegrees(hue) / 60.0f;
  const int sector = std::min(static_cast<int>(h), 5);
  const float f = h - static_cast<float>(sector);
  const float v = static_cast<float>(std::clamp(value, 0, 255));
  const float s = static_cast<float>(std::clamp(saturation, 0, 255)) / 255.0f;
  const int p = static_cast<int>(v * (1.0f - s));
  const int q = static_cast<int>(v * (1.0f - s * f));
  const int t = static_cast<int>(v * (1.0f - s * (1.0f - f)));
  const int w = static_cast<int>(v);
  switch (sector) {
    case 0:
      return Rgb(w, t, p);
    case 1:
      return Rgb(q, w, p);
    case 2:
      return Rgb(p, w, t);
    case 3:
      return Rgb(p, q, w);
    case 4:
      return Rgb(t, p, w);
    default:
      return Rgb(w, p, q);
  }
}

PatternPainter::PatternPainter(const PatternFrame& frame) : frame_(frame) {
  frame_.hue = WrapDegrees(frame_.hue);
  frame_.plasmaPhase = WrapDegrees(frame_.plasmaPhase);
  factor_ = BrightnessFactor(frame_.brightness);
  const auto useList = [&](const auto& list) {
    list_ = list.data();
    listSize_ = static_cast<int>(list.size());
  };
  switch (frame_.pattern) {
    case 1:
      useList(kLevelMeter);
      break;
    case 2:
      useList(kRainbow);
      break;
    case 3:
      useList(kReverseRainbow);
      break;
    case 14:
      useList(kGreenWhiteRed);
      break;
    case 15:
      useList(kIce);
      break;
    case 16:
      useList(kRedWhiteBlue);
      break;
    case 5:
      flat_ = ScaleColor(HsvColor(frame_.hue, 255, 255), factor_);
      break;
    case 17:
    case 18:
      for (int c = 0; c < kVisualizerWidth; ++c) {
        const std::uint32_t color =
            frame_.pattern == 17 ? MovingRainbow(c, frame_.hue)
                                 : HsvColor(static_cast<float>(256 - c) + frame_.hue, 255, 255);
        columnColors_[c] = ScaleColor(color, factor_);
      }
      break;
    case 20:
      flat_ = ScaleColor(MovingRainbow(1, frame_.hue), factor_);
      break;
    case kMusicPlasmaPattern: {
      energy_ = (frame_.bass + frame_.mid + frame_.treble) / 3.0f;
      black_ = !(energy_ > 0.01f);
      plasmaSaturation_ = static_cast<int>(std::min(1.0f, 0.3f * energy_ + 0.7f) * 255.0f);
      plasmaHueShift_ = frame_.plasmaPhase;
      if (frame_.bass > 0.05f) plasmaHueShift_ += frame_.bass * 60.0f;
      if (frame_.mid > 0.05f) plasmaHueShift_ += frame_.mid * 180.0f;
      if (frame_.treble > 0.05f) plasmaHueShift_ += frame_.treble * 300.0f;
      float centreHue = frame_.plasmaPhase + 240.0f;  // treble
      if (frame_.bass > frame_.mid && frame_.bass > frame_.treble) {
        centreHue = frame_.plasmaPhase;
      } else if (frame_.mid > frame_.treble) {
        centreHue = frame_.plasmaPhase + 120.0f;
      }
      plasmaCentre_ = HsvColor(centreHue, 255, factor_);
      break;
    }
    default:
      if (frame_.pattern >= 6 && frame_.pattern <= 13) {
        flat_ = ScaleColor(kFixedColors[frame_.pattern - 6], factor_);
      } else if (frame_.pattern != 4 && frame_.pattern != 19) {
        black_ = true;  // 0, and every number without a picture
      }
      break;
  }
}

std::uint32_t PatternPainter::Pixel(int column, int row) const {
  if (black_ || column < 0 || column >= kVisualizerWidth || row < 0 || row >= kVisualizerHeight) {
    return 0;
  }
  const std::size_t i = static_cast<std::size_t>(row) * kVisualizerWidth + column;
  switch (frame_.pattern) {
    case 4:
    case 19: {
      const auto& wheel = frame_.pattern == 4 ? Tables().centre : Tables().bottom;
      return ScaleColor(HsvColor(static_cast<float>(wheel[i]) + frame_.hue, 255, 255), factor_);
    }
    case 17:
    case 18:
      return columnColors_[column];
    case kMusicPlasmaPattern:
      return Plasma(column, row);
    default:
      return list_ != nullptr ? Bands(column, row) : flat_;
  }
}

// Vertical bands of the list, colour 0 at the bottom; row 0 grows from the middle outwards.
std::uint32_t PatternPainter::Bands(int column, int row) const {
  const float n = static_cast<float>(listSize_);
  int index = 0;
  if (row > 0) {
    index = static_cast<int>(n - n * static_cast<float>(row) / 63.0f);
  } else if (column >= 128) {
    index = static_cast<int>(static_cast<float>(column - 128) * n / 128.0f);
  } else {
    index = static_cast<int>(n - n * static_cast<float>(column) / 128.0f);
  }
  // Only ever an entry of this frame's own list.
  return ScaleColor(list_[std::clamp(index, 0, listSize_ - 1)], factor_);
}

std::uint32_t PatternPainter::Plasma(int column, int row) const {
  if (column == 128 && row == 32) return plasmaCentre_;
  const std::size_t i = static_cast<std::size_t>(row) * kVisualizerWidth + column;
  const float m = Tables().plasmaRadius[i];
  const float t = frame_.plasmaPhase;
  const auto wave = [&](float scale, float speed) {
    return (std::sin((m * scale + speed * t) * kRadians) + 1.0f) * 0.5f;
  };
  float intensity = wave(240.0f, 4.0f) * 6.0f * frame_.mid * 0.8f +
                    wave(120.0f, 2.0f) * 4.0f * frame_.bass +
                    wave(480.0f, 8.0f) * 8.0f * frame_.treble * 0.6f;
  intensity *= std::pow(1.0f - m, 2.0f * energy_ + 1.0f) *
               std::max(0.0f, 1.0f - (1.0f - 0.6f * energy_) * m);
  intensity = std::clamp(intensity, 0.0f, 1.0f);
  const float hue = Tables().plasmaAngle[i] + plasmaHueShift_;
  return HsvColor(hue, plasmaSaturation_, static_cast<int>(intensity * factor_));
}

}  // namespace lighting

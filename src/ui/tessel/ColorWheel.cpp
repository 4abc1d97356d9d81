#include "ui/tessel/ColorWheel.h"

#include <algorithm>
#include <cmath>

namespace Tessel {
namespace {

constexpr double kFullTurn = 360.0;

double WrapHue(double hue) {
  if (!std::isfinite(hue)) return 0.0;
  const double wrapped = std::fmod(hue, kFullTurn);
  return wrapped < 0.0 ? wrapped + kFullTurn : wrapped;
}

double Unit(double part) {
  if (!std::isfinite(part)) return 0.0;
  return std::clamp(part, 0.0, 1.0);
}

unsigned Channel(double part) {
  return static_cast<unsigned>(std::lround(Unit(part) * 255.0));
}

}  // namespace

Color ColorOfHsv(const Hsv& hsv) {
  const double hue = WrapHue(hsv.hue) / 60.0;
  const double saturation = Unit(hsv.saturation);
  const double value = Unit(hsv.value);
  const double chroma = value * saturation;
  const double x = chroma * (1.0 - std::fabs(std::fmod(hue, 2.0) - 1.0));
  double red = 0;
  double green = 0;
  double blue = 0;
  switch (static_cast<int>(hue)) {
    case 0:
      red = chroma, green = x;
      break;
    case 1:
      red = x, green = chroma;
      break;
    case 2:
      green = chroma, blue = x;
      break;
    case 3:
      green = x, blue = chroma;
      break;
    case 4:
      red = x, blue = chroma;
      break;
    default:
      red = chroma, blue = x;
      break;
  }
  const double lift = value - chroma;
  return Rgb(Channel(red + lift), Channel(green + lift), Channel(blue + lift));
}

Hsv HsvOfColor(Color color) {
  const double red = RedOf(color) / 255.0;
  const double green = GreenOf(color) / 255.0;
  const double blue = BlueOf(color) / 255.0;
  const double high = std::max({red, green, blue});
  const double low = std::min({red, green, blue});
  const double chroma = high - low;
  Hsv hsv;
  hsv.value = high;
  hsv.saturation = high > 0.0 ? chroma / high : 0.0;
  if (chroma > 0.0) {
    double hue = 0.0;
    if (high == red) {
      hue = std::fmod((green - blue) / chroma, 6.0);
    } else if (high == green) {
      hue = (blue - red) / chroma + 2.0;
    } else {
      hue = (red - green) / chroma + 4.0;
    }
    hsv.hue = WrapHue(hue * 60.0);
  }
  return hsv;
}

void ColorWheel::SetColor(Color color) {
  Hsv next = HsvOfColor(color & 0xFFFFFF);
  {
    std::lock_guard lock(mutex_);
    if (ColorOfHsv(hsv_) == (color & 0xFFFFFF)) return;
    // A grey has no hue of its own: the wheel keeps pointing where it pointed.
    if (next.saturation == 0.0 || next.value == 0.0) next.hue = hsv_.hue;
    if (next.value == 0.0) next.saturation = hsv_.saturation;
    hsv_ = next;
    BumpVersionLocked();
  }
  NotifyChanged();
}

Color ColorWheel::GetColor() const {
  return ColorOfHsv(GetHsv());
}

Hsv ColorWheel::GetHsv() const {
  return Read(hsv_);
}

void ColorWheel::UserPickHueSaturation(double hue, double saturation, bool final) {
  Hsv next = GetHsv();
  next.hue = WrapHue(hue);
  next.saturation = Unit(saturation);
  if (next.value <= 0.0) next.value = 1.0;
  Pick(next, final);
}

void ColorWheel::UserPickValue(double value, bool final) {
  Hsv next = GetHsv();
  next.value = Unit(value);
  Pick(next, final);
}

void ColorWheel::Pick(const Hsv& hsv, bool final) {
  if (!IsEnabled()) return;
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    changed = !(hsv_ == hsv);
    if (changed) {
      hsv_ = hsv;
      BumpVersionLocked();
    }
  }
  if (changed) NotifyChanged();
  Report(kEventValueChanged, static_cast<std::intptr_t>(ColorOfHsv(hsv)), final ? 1 : 0);
}

}  // namespace Tessel

#include "ui/tessel/MatrixPresets.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/tessel/ColorWheel.h"

namespace Tessel {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kCentre = 3.0;
// Presets that simulate (rain, fire, stars, fireworks) move in steps of this many animation
// seconds, so that the speed changes their pace and not their look.
constexpr double kTick = 0.05;

double Unit(double value) {
  return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

int CellOf(int column, int row) {
  return row * kMatrixColumns + column;
}

Color Scale(Color color, double factor) {
  const double f = Unit(factor);
  return Rgb(static_cast<unsigned>(std::lround(RedOf(color) * f)),
             static_cast<unsigned>(std::lround(GreenOf(color) * f)),
             static_cast<unsigned>(std::lround(BlueOf(color) * f)));
}

Color AddColors(Color a, Color b) {
  return Rgb(std::min(255u, RedOf(a) + RedOf(b)), std::min(255u, GreenOf(a) + GreenOf(b)),
             std::min(255u, BlueOf(a) + BlueOf(b)));
}

Color Hue(double degrees, double value, double saturation = 1.0) {
  return ColorOfHsv({degrees, saturation, Unit(value)});
}

// A cell's colour: a hue when the preset is colorful, else the single colour; `intensity` 0
// to 1.
Color Paint(const MatrixFrameInput& in, double hue, double intensity) {
  return in.colorful ? Hue(hue, intensity) : Scale(in.color, intensity);
}

double DistanceFromCentre(int column, int row) {
  return std::hypot(column - kCentre, row - kCentre);
}

// Radians around the centre, 0 to the right, counter-clockwise.
double AngleAroundCentre(int column, int row) {
  return std::atan2(kCentre - row, column - kCentre);
}

template <class F>
void ForEachCell(MatrixFrame& out, F colorOf) {
  for (int row = 0; row < kMatrixRows; ++row) {
    for (int column = 0; column < kMatrixColumns; ++column) {
      out[static_cast<std::size_t>(CellOf(column, row))] = colorOf(column, row);
    }
  }
}

void RainbowSwirl(const MatrixFrameInput& in, MatrixFrame& out) {
  ForEachCell(out, [&](int column, int row) {
    const double angle = AngleAroundCentre(column, row);
    const double radius = DistanceFromCentre(column, row);
    const double swirl = 0.5 + 0.5 * std::sin(angle + radius * 0.9 - in.time * 3.0);
    const double hue = angle * 180.0 / kPi + radius * 40.0 + in.time * 90.0;
    return Paint(in, hue, in.colorful ? 0.55 + 0.45 * swirl : 0.15 + 0.85 * swirl);
  });
}

void Ripples(const MatrixFrameInput& in, MatrixFrame& out) {
  ForEachCell(out, [&](int column, int row) {
    const double radius = DistanceFromCentre(column, row);
    const double wave = 0.5 + 0.5 * std::sin(radius * 1.8 - in.time * 5.0);
    return Paint(in, radius * 35.0 + in.time * 40.0, wave * wave);
  });
}

void Plasma(const MatrixFrameInput& in, MatrixFrame& out) {
  const double t = in.time;
  ForEachCell(out, [&](int column, int row) {
    const double value = std::sin(column * 0.8 + t) + std::sin(row * 0.9 - t * 1.2) +
                         std::sin((column + row) * 0.6 + t * 0.8) +
                         std::sin(DistanceFromCentre(column, row) * 1.1 - t);
    const double intensity = 0.5 + 0.5 * std::sin(value * kPi / 2.0);
    return Paint(in, value * 45.0 + t * 30.0, in.colorful ? 0.45 + 0.55 * intensity : intensity);
  });
}

// The snake crawls the rows back and forth.
void Snake(const MatrixFrameInput& in, MatrixFrame& out) {
  constexpr int kLength = 9;
  out.fill(0);
  const auto head = static_cast<long long>(std::floor(in.time * 8.0));
  for (int part = 0; part < kLength; ++part) {
    const long long step = ((head - part) % kMatrixCellCount + kMatrixCellCount) % kMatrixCellCount;
    const int row = static_cast<int>(step / kMatrixColumns);
    const int along = static_cast<int>(step % kMatrixColumns);
    const int column = row % 2 == 0 ? along : kMatrixColumns - 1 - along;
    const double intensity = 1.0 - static_cast<double>(part) / kLength;
    out[static_cast<std::size_t>(CellOf(column, row))] =
        Paint(in, static_cast<double>(head) * 7.0 + part * 12.0, intensity);
  }
}

void Heart(const MatrixFrameInput& in, MatrixFrame& out) {
  static constexpr const char* kShape[kMatrixRows] = {".##.##.", "#######", "#######", ".#####.",
                                                      "..###..", "...#...", "......."};
  // Two beats close together, then a rest.
  const double phase = std::fmod(in.time, 1.2);
  double pulse = std::exp(-phase * 9.0);
  if (phase >= 0.3) pulse += 0.6 * std::exp(-(phase - 0.3) * 9.0);
  const double intensity = 0.3 + 0.7 * std::min(1.0, pulse);
  ForEachCell(out, [&](int column, int row) {
    if (kShape[row][column] != '#') return Color{0};
    return Paint(in, 345.0 + 15.0 * std::sin(in.time), intensity);
  });
}

void Spiral(const MatrixFrameInput& in, MatrixFrame& out) {
  ForEachCell(out, [&](int column, int row) {
    const double angle = AngleAroundCentre(column, row);
    const double radius = DistanceFromCentre(column, row);
    const double arm = 0.5 + 0.5 * std::sin(2.0 * angle - radius * 1.3 + in.time * 4.0);
    return Paint(in, angle * 180.0 / kPi + in.time * 60.0, arm * arm * arm);
  });
}

void Checkerboard(const MatrixFrameInput& in, MatrixFrame& out) {
  const double swap = 0.5 + 0.5 * std::sin(in.time * 1.2 * kPi);
  ForEachCell(out, [&](int column, int row) {
    const bool even = (column + row) % 2 == 0;
    const double intensity = even ? swap : 1.0 - swap;
    return Paint(in, in.time * 40.0 + (even ? 0.0 : 180.0), intensity);
  });
}

// The position of a hand on a square ring of the clock face: the ring's cells ordered
// clockwise from the top middle, and the one nearest to `turn` (0 to 1).
int RingCellAt(int ring, double turn) {
  const int side = 2 * ring;
  const int count = 4 * side;
  const auto step = static_cast<int>(std::lround(Unit(turn - std::floor(turn)) * count)) % count;
  // Walk clockwise from the top middle.
  int column = static_cast<int>(kCentre);
  int row = static_cast<int>(kCentre) - ring;
  const int moves[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
  int edge = 0;
  int walked = ring;  // the top middle is half way along the top edge
  for (int i = 0; i < step; ++i) {
    if (walked == side) {
      edge = (edge + 1) % 4;
      walked = 0;
    }
    column += moves[edge][0];
    row += moves[edge][1];
    ++walked;
  }
  return CellOf(column, row);
}

void ClockFace(const MatrixFrameInput& in, MatrixFrame& out) {
  out.fill(0);
  const double seconds = std::fmod(std::max(0.0, in.clockSeconds), 86400.0);
  // The twelve, three, six and nine o'clock marks.
  for (double mark : {0.0, 0.25, 0.5, 0.75}) {
    out[static_cast<std::size_t>(RingCellAt(3, mark))] = Paint(in, 0.0, 0.12);
  }
  const std::pair<int, double> hands[] = {{1, std::fmod(seconds / 43200.0, 1.0)},
                                          {2, std::fmod(seconds / 3600.0, 1.0)},
                                          {3, std::fmod(seconds / 60.0, 1.0)}};
  const double hues[] = {300.0, 40.0, 180.0};
  const double strengths[] = {0.55, 0.75, 1.0};
  for (int hand = 0; hand < 3; ++hand) {
    const auto& [ring, turn] = hands[hand];
    out[static_cast<std::size_t>(RingCellAt(ring, turn))] = Paint(in, hues[hand], strengths[hand]);
  }
  const double tick = 1.0 - (seconds - std::floor(seconds));
  out[static_cast<std::size_t>(CellOf(3, 3))] = Paint(in, 0.0, 0.2 + 0.8 * tick * tick);
}

void BeatFlash(const MatrixFrameInput& in, double hue, MatrixFrame& out) {
  const double flash = std::max<double>(in.music.beat, in.music.level * 0.25);
  ForEachCell(out, [&](int column, int row) {
    const double falloff = 1.0 - DistanceFromCentre(column, row) * 0.08;
    return Paint(in, hue, flash * falloff);
  });
}

void Waveform(const MatrixFrameInput& in, MatrixFrame& out) {
  out.fill(0);
  const auto rowOf = [&](int column) {
    const double value = std::clamp<double>(in.music.wave[static_cast<std::size_t>(column)], -1, 1);
    return static_cast<int>(std::lround(kCentre - value * kCentre));
  };
  for (int column = 0; column < kMatrixColumns; ++column) {
    const double hue = column * 40.0 + in.time * 60.0;
    const int row = rowOf(column);
    // Joins the point to its right neighbour's, so the wave reads as one line.
    if (column + 1 < kMatrixColumns) {
      const int next = rowOf(column + 1);
      for (int between = std::min(row, next) + 1; between < std::max(row, next); ++between) {
        out[static_cast<std::size_t>(CellOf(column, between))] = Paint(in, hue, 0.45);
      }
    }
    out[static_cast<std::size_t>(CellOf(column, row))] = Paint(in, hue, 1.0);
  }
}

void BassBloom(const MatrixFrameInput& in, MatrixFrame& out) {
  constexpr double kLargest = 4.6;
  const double radius = Unit(in.music.bass) * kLargest;
  ForEachCell(out, [&](int column, int row) {
    const double distance = DistanceFromCentre(column, row);
    // Silence blooms nothing, not even the centre.
    const double edge = Unit((radius - distance) / 1.2 + 0.5) * Unit(radius * 2.0);
    const double core = 0.45 + 0.55 * (1.0 - distance / kLargest);
    return Paint(in, 280.0 - distance * 35.0 + radius * 12.0, edge * core);
  });
}

void Equalizer(const MatrixFrameInput& in, MatrixFrame& out) {
  ForEachCell(out, [&](int column, int row) {
    const double half = Unit(in.music.bands[static_cast<std::size_t>(column)]) * 3.5;
    const double off = std::abs(row - kCentre);
    const double fill = Unit(half + 0.5 - off) * Unit(half * 4.0);
    return Paint(in, 120.0 - off * 38.0, fill * (in.colorful ? 1.0 : 0.5 + off / 6.0));
  });
}

void PlainColor(const MatrixFrameInput& in, MatrixFrame& out) {
  ForEachCell(out,
              [&](int column, int) { return Paint(in, column * 360.0 / kMatrixColumns, 1.0); });
}

}  // namespace

const std::vector<int>& MatrixPresets::Numbers() {
  static const std::vector<int> numbers = {2,  4,  6,  7,  8,  9,  10, 12, 13,
                                           14, 16, 21, 22, 23, 24, 25, 26, 27};
  return numbers;
}

bool MatrixPresets::IsPreset(int number) {
  const std::vector<int>& numbers = Numbers();
  return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

bool MatrixPresets::FollowsMusic(int number) {
  return number >= 22 && number <= 27;
}

void MatrixPresets::Reset() {
  *this = MatrixPresets();
}

double MatrixPresets::Random() {
  // xorshift64*: the same sequence every run, so a preset looks the same in every test.
  random_ ^= random_ >> 12;
  random_ ^= random_ << 25;
  random_ ^= random_ >> 27;
  return static_cast<double>((random_ * 0x2545F4914F6CDD1Dull) >> 11) / 9007199254740992.0;
}

template <class F>
void MatrixPresets::Tick(double step, F simulate) {
  // A long pause (a sleeping machine) does not make the simulation race to catch up.
  tickCarry_ = std::min(tickCarry_ + std::max(0.0, step), 10 * kTick);
  while (tickCarry_ >= kTick) {
    tickCarry_ -= kTick;
    simulate();
  }
}

void MatrixPresets::Render(int preset, const MatrixFrameInput& in, MatrixFrame& out) {
  if (in.music.newBeat) beatHue_ = std::fmod(beatHue_ + 67.0, 360.0);
  switch (preset) {
    case 0:
      return PlainColor(in, out);
    case 2:
      return Rain(in, out);
    case 4:
      return RainbowSwirl(in, out);
    case 6:
      return Fire(in, out);
    case 7:
      return Stars(in, out);
    case 8:
      return Ripples(in, out);
    case 9:
      return Plasma(in, out);
    case 10:
      return Snake(in, out);
    case 12:
      return Heart(in, out);
    case 13:
      return Spiral(in, out);
    case 14:
      return Checkerboard(in, out);
    case 16:
      return Fireworks(in, out);
    case 21:
      return ClockFace(in, out);
    case 22:
      return Spectrum(in, out);
    case 23:
      return Waveform(in, out);
    case 24:
      return PulseRings(in, out);
    case 25:
      return BeatFlash(in, beatHue_, out);
    case 26:
      return BassBloom(in, out);
    case 27:
      return Equalizer(in, out);
    default:
      out.fill(0);
  }
}

void MatrixPresets::Rain(const MatrixFrameInput& in, MatrixFrame& out) {
  constexpr double kTrail = 3.5;
  Tick(in.step, [this] {
    for (Drop& drop : drops_) {
      drop.head += drop.speed * kTick;
      if (drop.head - kTrail > kMatrixRows) {
        drop.head = -Random() * 6.0;
        drop.speed = 4.0 + Random() * 5.0;
      }
    }
  });
  ForEachCell(out, [&](int column, int row) {
    const double behind = drops_[static_cast<std::size_t>(column)].head - row;
    if (behind < 0.0 || behind >= kTrail) return Color{0};
    return Paint(in, 190.0 + column * 22.0, 1.0 - behind / kTrail);
  });
}

void MatrixPresets::Fire(const MatrixFrameInput& in, MatrixFrame& out) {
  Tick(in.step, [this] {
    const auto at = [this](int column, int row) {
      column = std::clamp(column, 0, kMatrixColumns - 1);
      return heat_[static_cast<std::size_t>(CellOf(column, std::min(row, kMatrixRows - 1)))];
    };
    for (int column = 0; column < kMatrixColumns; ++column) {
      heat_[static_cast<std::size_t>(CellOf(column, kMatrixRows - 1))] =
          static_cast<float>(0.55 + Random() * 0.45);
    }
    // Heat rises: each cell takes from the cells below it and cools on the way.
    for (int row = 0; row < kMatrixRows - 1; ++row) {
      for (int column = 0; column < kMatrixColumns; ++column) {
        const double rising = (at(column - 1, row + 1) + 2.0 * at(column, row + 1) +
                               at(column + 1, row + 1) + at(column, row + 2)) /
                              5.0;
        heat_[static_cast<std::size_t>(CellOf(column, row))] =
            static_cast<float>(Unit(rising - 0.06 - Random() * 0.14));
      }
    }
  });
  ForEachCell(out, [&](int column, int row) {
    const double heat = heat_[static_cast<std::size_t>(CellOf(column, row))];
    if (!in.colorful) return Scale(in.color, heat);
    // Black, red, orange, yellow, white as the heat grows.
    return Rgb(static_cast<unsigned>(std::lround(Unit(heat * 1.8) * 255)),
               static_cast<unsigned>(std::lround(Unit((heat - 0.35) * 1.6) * 255)),
               static_cast<unsigned>(std::lround(Unit((heat - 0.8) * 3.0) * 255)));
  });
}

void MatrixPresets::Stars(const MatrixFrameInput& in, MatrixFrame& out) {
  Tick(in.step, [this] {
    for (std::size_t cell = 0; cell < stars_.size(); ++cell) {
      stars_[cell] *= 0.86f;
      if (Random() < 0.035) {
        stars_[cell] = 1.0f;
        starHues_[cell] = static_cast<float>(Random() * 360.0);
      }
    }
  });
  for (std::size_t cell = 0; cell < out.size(); ++cell) {
    const double shine = std::pow(stars_[cell], 1.5);
    out[cell] = in.colorful ? Hue(starHues_[cell], shine, 0.45) : Scale(in.color, shine);
  }
}

void MatrixPresets::Fireworks(const MatrixFrameInput& in, MatrixFrame& out) {
  constexpr double kBurstLife = 1.2;
  Tick(in.step, [this] {
    if (rockets_.empty() && bursts_.size() < 2 && Random() < 0.08) {
      rockets_.push_back({1.0 + Random() * 5.0, 6.9, 1.0 + Random() * 2.5, Random() * 360.0});
    }
    for (Rocket& rocket : rockets_) rocket.row -= 0.6;
    for (auto it = rockets_.begin(); it != rockets_.end();) {
      if (it->row > it->top) {
        ++it;
        continue;
      }
      bursts_.push_back({it->column, it->top, 0.0, it->hue});
      it = rockets_.erase(it);
    }
    for (Burst& burst : bursts_) burst.age += kTick;
    std::erase_if(bursts_, [](const Burst& burst) { return burst.age > kBurstLife; });
  });
  out.fill(0);
  for (const Rocket& rocket : rockets_) {
    const auto column = static_cast<int>(std::lround(rocket.column));
    const auto row = static_cast<int>(std::lround(rocket.row));
    if (row >= 0 && row < kMatrixRows) {
      out[static_cast<std::size_t>(CellOf(column, row))] = Paint(in, rocket.hue, 0.8);
    }
  }
  for (const Burst& burst : bursts_) {
    const double radius = burst.age * 4.0;
    const double fade = 1.0 - burst.age / kBurstLife;
    ForEachCell(out, [&](int column, int row) {
      const std::size_t cell = static_cast<std::size_t>(CellOf(column, row));
      const double distance = std::hypot(column - burst.column, row - burst.row);
      const double ring = Unit(1.0 - std::abs(distance - radius) / 0.9);
      return AddColors(out[cell], Paint(in, burst.hue, ring * fade));
    });
  }
}

void MatrixPresets::Spectrum(const MatrixFrameInput& in, MatrixFrame& out) {
  for (int column = 0; column < kMatrixColumns; ++column) {
    const double height = Unit(in.music.bands[static_cast<std::size_t>(column)]) * kMatrixRows;
    float& peak = peaks_[static_cast<std::size_t>(column)];
    // The peak mark falls four rows a second.
    peak = static_cast<float>(std::max(height, peak - in.seconds * 4.0));
    const int peakRow = static_cast<int>(std::ceil(peak)) - 1;
    for (int fromBottom = 0; fromBottom < kMatrixRows; ++fromBottom) {
      const std::size_t cell =
          static_cast<std::size_t>(CellOf(column, kMatrixRows - 1 - fromBottom));
      const double fill = Unit(height - fromBottom);
      const double rise = static_cast<double>(fromBottom) / (kMatrixRows - 1);
      if (fill > 0.0) {
        out[cell] =
            Paint(in, 120.0 - fromBottom * 20.0, fill * (in.colorful ? 1.0 : 0.4 + 0.6 * rise));
      } else if (fromBottom == peakRow) {
        out[cell] = in.colorful ? Hue(0.0, 0.7, 0.15) : Scale(in.color, 0.5);
      } else {
        out[cell] = 0;
      }
    }
  }
}

void MatrixPresets::PulseRings(const MatrixFrameInput& in, MatrixFrame& out) {
  constexpr double kLargest = 5.5;
  if (in.music.newBeat) rings_.push_back(0.0);
  for (double& radius : rings_) radius += in.seconds * 5.0;
  std::erase_if(rings_, [](double radius) { return radius > kLargest; });
  ForEachCell(out, [&](int column, int row) {
    const double distance = DistanceFromCentre(column, row);
    // The centre glows with the level, the rings travel out from it.
    double intensity = Unit(in.music.level * 1.2 - distance * 0.45);
    for (double radius : rings_) {
      const double ring = Unit(1.0 - std::abs(distance - radius) / 0.8) * (1.0 - radius / kLargest);
      intensity = std::max(intensity, ring);
    }
    return Paint(in, beatHue_ + 200.0 + distance * 30.0, intensity);
  });
}

}  // namespace Tessel

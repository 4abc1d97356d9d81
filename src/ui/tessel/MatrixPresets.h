#pragma once
// The pictures of the matrix light's animated presets: a 7 x 7 grid of colours per frame, made
// from the animation time, the chosen colour and, for the presets that follow the music, the
// music analysis. Pure arithmetic and the state some presets carry from frame to frame (falling
// drops, stars, fire, fireworks); no lock, no clock: the matrix screen owns one renderer and
// calls it under its own lock.

#include <array>
#include <cstdint>
#include <vector>

#include "ui/tessel/Types.h"

namespace Tessel {

inline constexpr int kMatrixColumns = 7;
inline constexpr int kMatrixRows = 7;
inline constexpr int kMatrixCellCount = kMatrixColumns * kMatrixRows;
inline constexpr int kMatrixBandCount = 7;
// Cells run row by row from the top left.
using MatrixFrame = std::array<Color, kMatrixCellCount>;

// What the music analysis tells the presets that follow it, already scaled by the amplitude.
struct MatrixMusic {
  std::array<float, kMatrixBandCount> bands{};  // 0 to 1, low to high
  std::array<float, kMatrixColumns> wave{};     // -1 to 1, one point per column, oldest left
  float level = 0.0f;                           // 0 to 1, the bands' mean
  float bass = 0.0f;                            // 0 to 1, the lowest three bands' mean
  float beat = 0.0f;                            // 1 on a beat, fading to 0 after it
  bool newBeat = false;                         // a beat began in this frame
};

struct MatrixFrameInput {
  double time = 0.0;          // animation seconds (faster with a higher speed)
  double step = 0.0;          // animation seconds since the previous frame
  double seconds = 0.0;       // real seconds since the previous frame (the music's own pace)
  double clockSeconds = 0.0;  // seconds since local midnight, for the clock
  Color color = 0x0000FF;     // the single colour
  bool colorful = false;      // rainbow colours instead of the single colour
  MatrixMusic music;
};

class MatrixPresets {
 public:
  // The preset numbers with a picture of their own, in no particular order.
  static const std::vector<int>& Numbers();
  static bool IsPreset(int number);
  // Presets 22 to 27 follow the music (and its amplitude) instead of the speed.
  static bool FollowsMusic(int number);

  // One frame of a preset; an unknown number gives a dark frame.
  void Render(int preset, const MatrixFrameInput& input, MatrixFrame& out);
  // Forgets what the presets carried between frames.
  void Reset();

 private:
  struct Drop {
    double head = -1.0;  // row of the drop's head; above the grid while negative
    double speed = 6.0;  // rows per animation second
  };
  struct Burst {
    double column = 3.0;
    double row = 3.0;
    double age = 0.0;  // animation seconds
    double hue = 0.0;
  };
  struct Rocket {
    double column = 3.0;
    double row = 7.0;
    double top = 2.0;  // where it bursts
    double hue = 0.0;
  };

  double Random();  // 0 to 1, a fixed sequence
  // Runs `simulate` once per 1/20 animation second that passed.
  template <class F>
  void Tick(double step, F simulate);

  void Rain(const MatrixFrameInput& in, MatrixFrame& out);
  void Fire(const MatrixFrameInput& in, MatrixFrame& out);
  void Stars(const MatrixFrameInput& in, MatrixFrame& out);
  void Fireworks(const MatrixFrameInput& in, MatrixFrame& out);
  void Spectrum(const MatrixFrameInput& in, MatrixFrame& out);
  void PulseRings(const MatrixFrameInput& in, MatrixFrame& out);

  std::uint64_t random_ = 0x9E3779B97F4A7C15ull;
  double tickCarry_ = 0.0;
  std::array<Drop, kMatrixColumns> drops_{};
  std::array<float, kMatrixCellCount> heat_{};
  std::array<float, kMatrixCellCount> stars_{};
  std::array<float, kMatrixCellCount> starHues_{};
  std::vector<Burst> bursts_;
  std::vector<Rocket> rockets_;
  std::array<float, kMatrixColumns> peaks_{};
  std::vector<double> rings_;  // radii of the rings the beats sent out
  double beatHue_ = 0.0;
};

}  // namespace Tessel

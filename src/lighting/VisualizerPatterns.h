#pragma once
// The pictures the music visualizer draws its bars and its background with: 256 columns by 64
// rows (row 0 at the top), one 0x00BBGGRR colour per pixel. Pure functions of the frame's
// values, so a frame can be painted pixel by pixel, only where the pixel is seen.

#include <array>
#include <cstdint>

namespace lighting {

inline constexpr int kVisualizerWidth = 256;
inline constexpr int kVisualizerHeight = 64;
// Patterns 0 to 21 draw a picture; any other number draws black (the foreground list's "off"
// entry and the effect view's own matrix lights use numbers beyond them).
inline constexpr int kVisualizerPatternCount = 22;
inline constexpr int kMusicPlasmaPattern = 21;

// What one frame of a pattern depends on.
struct PatternFrame {
  int pattern = 0;
  int brightness = 100;   // 0 to 100
  float hue = 0;          // degrees, 0 to 360
  float plasmaPhase = 0;  // degrees, 0 to 360 (pattern 21)
  float bass = 0;         // pattern 21: mean levels of columns 0-31, 32-95 and 96-127
  float mid = 0;
  float treble = 0;
};

// The brightness factor int(b x 2.55) (0 to 255) applied to each channel as x * f / 256.
int BrightnessFactor(int brightness);
std::uint32_t ScaleColor(std::uint32_t color, int factor);

// Hue in degrees (any value; it wraps), saturation and value 0 to 255.
std::uint32_t HsvColor(float hue, int saturation, int value);
float WrapDegrees(float degrees);

class PatternPainter {
 public:
  explicit PatternPainter(const PatternFrame& frame);

  // The pattern's pixel at column 0..255, row 0..63 (anything outside is black).
  std::uint32_t Pixel(int column, int row) const;
  bool IsBlack() const { return black_; }

 private:
  std::uint32_t Bands(int column, int row) const;
  std::uint32_t Plasma(int column, int row) const;

  PatternFrame frame_;
  int factor_ = 0;
  bool black_ = false;
  const std::uint32_t* list_ = nullptr;  // the colour list of a band pattern
  int listSize_ = 0;
  std::uint32_t flat_ = 0;  // the colour of single-colour patterns
  std::array<std::uint32_t, kVisualizerWidth> columnColors_{};  // patterns 17 and 18
  // Pattern 21.
  float energy_ = 0;
  int plasmaSaturation_ = 0;
  float plasmaHueShift_ = 0;
  std::uint32_t plasmaCentre_ = 0;
};

}  // namespace lighting

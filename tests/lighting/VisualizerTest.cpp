// The music visualizer: its patterns, its column levels and the frame thread.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "lighting/Visualizer.h"
#include "support/ChildProcess.h"

namespace lighting {
namespace {

constexpr std::uint32_t kRed = 0x0000FF;
constexpr std::uint32_t kGreen = 0x00FF00;
constexpr std::uint32_t kBlue = 0xFF0000;
constexpr std::uint32_t kWhite = 0xFFFFFF;
constexpr int kFull = 255;  // the brightness factor of brightness 100

std::uint32_t PixelOf(int pattern, int column, int row, float hue = 0) {
  return PatternPainter(PatternFrame{pattern, 100, hue}).Pixel(column, row);
}

TEST(VisualizerPatterns, BrightnessScalesEveryChannel) {
  EXPECT_EQ(255, BrightnessFactor(100));
  EXPECT_EQ(127, BrightnessFactor(50));
  EXPECT_EQ(0, BrightnessFactor(-5));
  EXPECT_EQ(255, BrightnessFactor(400));
  EXPECT_EQ(0xFEFEFEu, ScaleColor(kWhite, 255));
  EXPECT_EQ(0x7F003Fu, ScaleColor(0xFF007F, 128));
}

TEST(VisualizerPatterns, HueWrapsIntoTheCircle) {
  struct Case {
    float hue;
    std::uint32_t color;
  };
  for (const Case c : {Case{0, kRed}, Case{120, kGreen}, Case{240, kBlue}, Case{360, kRed},
                       Case{-120, kBlue}, Case{780, 0x00FFFF}, Case{NAN, kRed}}) {
    EXPECT_EQ(c.color, HsvColor(c.hue, 255, 255)) << c.hue;
  }
  EXPECT_FLOAT_EQ(10.0f, WrapDegrees(370.0f));
  EXPECT_FLOAT_EQ(350.0f, WrapDegrees(-10.0f));
}

TEST(VisualizerPatterns, BandsRunFromTheBottomAndRowZeroFromTheMiddle) {
  struct Case {
    int pattern;
    int column;
    int row;
    std::uint32_t color;
  };
  const Case cases[] = {
      {1, 10, 63, kGreen}, {1, 10, 1, kRed},    {1, 10, 32, 0x00FFFF},  // level meter
      {1, 128, 0, kGreen}, {1, 0, 0, kRed},     {1, 255, 0, kRed},
      {2, 0, 63, kRed},    {2, 0, 1, 0xFF00FF}, {3, 0, 63, 0xFF00FF},  // rainbow, reversed
      {14, 5, 63, kGreen}, {15, 5, 63, kBlue},  {16, 5, 1, kBlue},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ScaleColor(c.color, kFull), PixelOf(c.pattern, c.column, c.row))
        << "pattern " << c.pattern << " at " << c.column << "," << c.row;
  }
}

TEST(VisualizerPatterns, FixedAndHueColours) {
  const std::uint32_t fixed[] = {kWhite, kRed,  0x0040FF, 0x00FFFF,
                                 kGreen, kBlue, 0xFFFF00, 0xFF0040};
  for (int pattern = 6; pattern <= 13; ++pattern) {
    EXPECT_EQ(ScaleColor(fixed[pattern - 6], kFull), PixelOf(pattern, 100, 40)) << pattern;
  }
  EXPECT_EQ(ScaleColor(kGreen, kFull), PixelOf(5, 3, 3, 120));
  // The wheel: right of the centre is angle 180, plus the hue, wrapped.
  EXPECT_EQ(ScaleColor(HsvColor(180, 255, 255), kFull), PixelOf(4, 255, 32));
  EXPECT_EQ(ScaleColor(HsvColor(170, 255, 255), kFull), PixelOf(4, 255, 32, 350));
  EXPECT_EQ(ScaleColor(kBlue, kFull), PixelOf(18, 16, 20));
  EXPECT_EQ(ScaleColor(kBlue, kFull), PixelOf(18, 6, 20, 350));
  // The moving rainbow at column 0 and hue 0: x = 0.
  const std::uint32_t rainbow = 127 | 16u << 8 | 237u << 16;
  EXPECT_EQ(ScaleColor(rainbow, kFull), PixelOf(17, 0, 9));
  EXPECT_EQ(PixelOf(20, 1, 0), PixelOf(20, 200, 63));
}

TEST(VisualizerPatterns, NumbersWithoutAPictureAreBlack) {
  for (const int pattern : {0, 22, 23, 100, -1}) {
    EXPECT_EQ(0u, PixelOf(pattern, 128, 32)) << pattern;
  }
  EXPECT_EQ(0u, PixelOf(6, 256, 0));
  EXPECT_EQ(0u, PixelOf(6, 0, 64));
}

TEST(VisualizerPatterns, PlasmaIsBlackInSilenceAndCentredOnTheStrongestBand) {
  PatternFrame frame{kMusicPlasmaPattern, 100};
  EXPECT_TRUE(PatternPainter(frame).IsBlack());
  frame.bass = 0.6f;
  frame.mid = 0.2f;
  frame.treble = 0.1f;
  EXPECT_EQ(HsvColor(0, 255, kFull), PatternPainter(frame).Pixel(128, 32));
  frame.mid = 0.7f;
  EXPECT_EQ(HsvColor(120, 255, kFull), PatternPainter(frame).Pixel(128, 32));
  // The corners are dark: the intensity falls to 0 with the distance.
  EXPECT_EQ(0u, PatternPainter(frame).Pixel(0, 0));
  frame.brightness = 0;
  EXPECT_EQ(0u, PatternPainter(frame).Pixel(130, 30));
}

// 256 points of a cosine completing `cycles` periods, each stored twice.
std::vector<float> Wave(int cycles, float amplitude) {
  std::vector<float> wave(Visualizer::kWaveValues);
  for (int i = 0; i < 256; ++i) {
    const float value =
        amplitude * std::cos(2.0f * std::numbers::pi_v<float> * cycles * i / 256.0f);
    wave[2 * i] = wave[2 * i + 1] = value;
  }
  return wave;
}

VisualizerSettings Unsmoothed() {
  VisualizerSettings settings;
  settings.smoothingMode = 2;
  return settings;
}

TEST(Visualizer, ATonesBinLiftsItsFourColumns) {
  Visualizer visualizer;
  visualizer.SetSettings(Unsmoothed());
  visualizer.SetInputWave(Wave(10, 1.0f));
  visualizer.RenderFrame();
  const auto levels = visualizer.Levels();
  for (int c = 40; c < 44; ++c) EXPECT_FLOAT_EQ(1.0f, levels[c]) << c;
  EXPECT_FLOAT_EQ(0.0f, levels[100]);
  EXPECT_FLOAT_EQ(0.0f, levels[0]);
}

TEST(Visualizer, LevelsDecayWithoutANewWaveAndClearWaveForgetsThem) {
  Visualizer visualizer;
  visualizer.SetSettings(Unsmoothed());
  visualizer.SetInputWave(Wave(10, 1.0f));
  visualizer.RenderFrame();
  visualizer.RenderFrame();
  EXPECT_FLOAT_EQ(0.8f, visualizer.Levels()[40]);
  visualizer.RenderFrame();
  EXPECT_FLOAT_EQ(0.64f, visualizer.Levels()[40]);
  visualizer.ClearWave();
  visualizer.RenderFrame();
  EXPECT_FLOAT_EQ(0.0f, visualizer.Levels()[40]);
}

std::array<float, Visualizer::kWidth> LevelsAfterOneWave(const VisualizerSettings& settings) {
  Visualizer visualizer;
  visualizer.SetSettings(settings);
  visualizer.SetInputWave(Wave(10, 1.0f));
  visualizer.RenderFrame();
  return visualizer.Levels();
}

TEST(Visualizer, SmoothingAveragesNeighboursOrGroups) {
  const auto raw = LevelsAfterOneWave(Unsmoothed());
  const auto mean = [&](int first, int end) {
    float sum = 0;
    for (int c = first; c < end; ++c) sum += raw[c];
    return sum / static_cast<float>(end - first);
  };
  ASSERT_GT(mean(0, 256), 0.0f);
  const auto running = LevelsAfterOneWave(VisualizerSettings{});
  for (int c = 0; c < 256; ++c) {
    // Seventeen columns, fewer at the edges.
    ASSERT_NEAR(mean(std::max(0, c - 8), std::min(256, c + 9)), running[c], 1e-5) << c;
  }
  VisualizerSettings groups;
  groups.smoothingMode = 0;
  const auto grouped = LevelsAfterOneWave(groups);
  for (int c = 0; c < 256; ++c) {
    ASSERT_NEAR(mean(c / 8 * 8, c / 8 * 8 + 8), grouped[c], 1e-5) << c;
  }
}

TEST(Visualizer, BarsCoverTheBackgroundUpToEachColumnsLevel) {
  Visualizer visualizer;
  VisualizerSettings settings;
  settings.barPattern = 6;         // white
  settings.backgroundPattern = 7;  // red
  visualizer.SetSettings(settings);
  visualizer.SetInputWave(Wave(2, 1.0f));
  visualizer.RenderFrame();
  const auto picture = visualizer.Picture();
  const auto levels = visualizer.Levels();
  const std::uint32_t bar = ScaleColor(kWhite, kFull);
  const std::uint32_t background = ScaleColor(kRed, kFull);
  int bars = 0;
  for (int r = 1; r < 64; ++r) {
    for (int c = 0; c < 256; ++c) {
      const bool expectBar = (64.0f - r) / 64.0f < levels[c];
      ASSERT_EQ(expectBar ? bar : background, picture[r * 256 + c]) << c << "," << r;
      bars += expectBar;
    }
  }
  EXPECT_GT(bars, 0);
  // Row 0: the level of column 5 (lifted by the tone of bin 2) grows from the middle.
  const float line = levels[5] - 0.05f;
  ASSERT_GT(line, 0.0f);
  for (int c = 0; c < 256; ++c) {
    const float fromMiddle = c >= 128 ? (c - 128) / 128.0f : (127 - c) / 128.0f;
    EXPECT_EQ(line > fromMiddle ? bar : background, picture[c]) << c;
  }
}

TEST(Visualizer, HostileWavesAndSettingsStayInRange) {
  Visualizer visualizer;
  VisualizerSettings wild;
  wild.columnDecay = NAN;
  wild.hueSpeed = 1e9f;
  wild.windowType = 7;
  wild.smoothingWidth = 0;
  wild.barBrightness = 1000;
  visualizer.SetSettings(wild);
  const VisualizerSettings taken = visualizer.Settings();
  EXPECT_FLOAT_EQ(0.8f, taken.columnDecay);
  EXPECT_FLOAT_EQ(360.0f, taken.hueSpeed);
  EXPECT_EQ(1, taken.windowType);
  EXPECT_EQ(1, taken.smoothingWidth);
  EXPECT_EQ(100, taken.barBrightness);
  std::vector<float> wave = Wave(3, 1e30f);
  wave[7] = NAN;
  wave[8] = INFINITY;
  visualizer.SetInputWave(wave);
  visualizer.RenderFrame();
  visualizer.SetInputWave(std::vector<float>(3, 1.0f));
  visualizer.RenderFrame();
  visualizer.SetInputWave(std::vector<float>(2000, 0.5f));
  visualizer.RenderFrame();
  for (const float level : visualizer.Levels()) {
    ASSERT_TRUE(level >= 0.0f && level <= 1.0f) << level;
  }
  EXPECT_GE(visualizer.Hue(), 0.0f);
  EXPECT_LT(visualizer.Hue(), 360.0f);
}

TEST(Visualizer, TheHueStaysWithinTheCircleFrameAfterFrame) {
  Visualizer visualizer;
  VisualizerSettings settings;
  settings.hueSpeed = 170.0f;
  visualizer.SetSettings(settings);
  float expected = 0;
  for (int i = 0; i < 10; ++i) {
    visualizer.RenderFrame();
    expected = std::fmod(expected + 170.0f, 360.0f);
    EXPECT_FLOAT_EQ(expected, visualizer.Hue());
  }
}

// Settings, layers and waves change from other threads while the frame thread draws; each
// frame is drawn with one set of them, and the last set given is the one that stays.
TEST(Visualizer, ChangesFromOtherThreadsWhileItDraws) {
  Visualizer visualizer;
  visualizer.SetEnabled(true);
  ASSERT_TRUE(visualizer.Start());
  EXPECT_FALSE(visualizer.Start());
  std::atomic<bool> done{false};
  std::thread changer([&] {
    for (int i = 0; i < 400; ++i) {
      VisualizerSettings settings;
      settings.barPattern = i % 30 - 3;
      settings.backgroundPattern = (i * 7) % 25;
      settings.smoothingMode = i % 3;
      settings.windowType = i % 4;
      visualizer.SetSettings(settings);
      visualizer.SetMusicLayer(i % 23, i % 101, (i + 5) % 23, 100 - i % 101);
      if (i % 50 == 0) visualizer.ClearWave();
      if (i % 100 == 0) visualizer.SetEnabled(i % 200 == 0);
      std::this_thread::yield();
    }
    visualizer.SetEnabled(true);
    done = true;
  });
  std::thread feeder([&] {
    for (int i = 0; !done; ++i) {
      visualizer.SetInputWave(Wave(i % 60, 0.5f));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  std::vector<std::uint32_t> copy(Visualizer::kPixels);
  while (!done) visualizer.CopyPicture(std::span<std::uint32_t, Visualizer::kPixels>(copy));
  changer.join();
  feeder.join();

  VisualizerSettings white;
  white.barPattern = 6;
  white.backgroundPattern = 6;
  visualizer.SetSettings(white);
  const std::uint64_t after = visualizer.FrameCount() + 1;
  ASSERT_TRUE(WaitFor([&] { return visualizer.FrameCount() > after; }));
  const auto picture = visualizer.Picture();
  EXPECT_TRUE(std::all_of(picture.begin(), picture.end(),
                          [](std::uint32_t p) { return p == ScaleColor(kWhite, kFull); }));
  visualizer.Stop();
  visualizer.Stop();
}

}  // namespace
}  // namespace lighting

// The matrix light view: brightness bounds, the drawing and its paint strokes, the music
// presets' answer to the music (and to its absence or garbage), reproducible animation, the
// clock preset's hands, and the three threads that use it at once.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/MatrixScreen.h"

namespace {

using Tessel::Color;
using Tessel::MatrixFrame;
using Tessel::MatrixScreen;
using Tessel::Rect;

constexpr int kScreen = 4;
constexpr Color kRed = 0x0000FF;
constexpr Color kGreen = 0x00FF00;
constexpr auto kFrame = std::chrono::milliseconds(16);

struct Event {
  int id;
  int code;
  std::intptr_t arg1;
  std::intptr_t arg2;
};

class Window : public Tessel::MDialog {
 public:
  Window() : MDialog("Matrix") {}
  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    events.push_back({id, code, arg1, arg2});
  }
  std::vector<Event> events;

 protected:
  void CreateControls() override { Add<MatrixScreen>(kScreen); }
};

int Cell(int column, int row) {
  return row * Tessel::kMatrixColumns + column;
}

bool IsDark(const MatrixFrame& frame) {
  for (Color color : frame) {
    if (color != 0) return false;
  }
  return true;
}

class MatrixScreenTest : public ::testing::Test {
 protected:
  MatrixScreenTest() { Tessel::Manager::SetBackend(&backend); }
  ~MatrixScreenTest() override { Tessel::Manager::SetBackend(nullptr); }

  void SetUp() override {
    ASSERT_TRUE(window.Create(nullptr, "Test", Rect::FromSize(0, 0, 800, 600)));
    screen = window.GetControl<MatrixScreen>(kScreen);
    ASSERT_NE(screen, nullptr);
    screen->SetClocks([this] { return now; }, [this] { return wallSeconds; });
  }

  // Feeds the same bands for a number of frames.
  void Play(std::vector<float> bands, int frames) {
    for (int i = 0; i < frames; ++i) {
      screen->SetAudioData(bands);
      screen->Step(kFrame);
    }
  }

  Tessel::HeadlessBackend backend;
  Window window;
  MatrixScreen* screen = nullptr;
  std::chrono::nanoseconds now{0};
  double wallSeconds = 0.0;
};

TEST_F(MatrixScreenTest, BrightnessScalesTheShownCellsAndStaysWithinZeroAndOne) {
  screen->SetMatrixScreenColor(kRed);
  struct Case {
    double given;
    double kept;
    Color shown;
  };
  const Case cases[] = {{0.5, 0.5, 0x000080},
                        {2.0, 1.0, kRed},
                        {-1.0, 0.0, 0},
                        {0.25, 0.25, 0x000040},
                        {std::nan(""), 0.25, 0x000040},
                        {std::numeric_limits<double>::infinity(), 0.25, 0x000040}};
  for (const Case& c : cases) {
    screen->SetBrightness(c.given);
    EXPECT_DOUBLE_EQ(screen->GetBrightness(), c.kept) << c.given;
    for (const Tessel::MATRIX_CELL& cell : screen->GetKeyItems()) {
      ASSERT_EQ(cell.color, c.shown) << "brightness " << c.given << " cell " << cell.index;
    }
  }
  // The drawing keeps its own colours; only what is shown is dimmed.
  screen->SetPresetMode(MatrixScreen::kPresetDrawing);
  screen->SetPictureCell(3, kGreen);
  EXPECT_EQ(screen->GetPicture()[3], kGreen);
  EXPECT_EQ(screen->GetShownColors()[3], 0x004000u);
}

TEST_F(MatrixScreenTest, OnlyTheDrawingTakesStrokesAndEachStrokeIsReported) {
  screen->SetMatrixScreenColor(kGreen);
  EXPECT_FALSE(screen->UserPaintCell(10, false));  // plain display
  EXPECT_TRUE(window.events.empty());

  ASSERT_TRUE(screen->SetPresetMode(MatrixScreen::kPresetDrawing));
  EXPECT_TRUE(screen->UserPaintCell(10, false));
  EXPECT_TRUE(screen->UserPaintCell(11, true));
  EXPECT_FALSE(screen->UserPaintCell(49, true));
  EXPECT_FALSE(screen->UserPaintCell(-1, false));
  ASSERT_EQ(window.events.size(), 2u);
  EXPECT_EQ(window.events[0].code, Tessel::kEventClick);
  EXPECT_EQ(window.events[0].arg1, 10);
  EXPECT_EQ(window.events[1].code, Tessel::kEventDragOver);
  EXPECT_EQ(window.events[1].arg1, 11);
  const MatrixFrame picture = screen->GetPicture();
  for (int i = 0; i < Tessel::kMatrixCellCount; ++i) {
    EXPECT_EQ(picture[i], i == 10 || i == 11 ? kGreen : 0u) << i;
  }
  // A disabled view takes no strokes.
  screen->SetEnabled(false);
  EXPECT_FALSE(screen->UserPaintCell(12, false));
  EXPECT_EQ(screen->GetPicture()[12], 0u);
}

TEST_F(MatrixScreenTest, NumbersThatAreNoPresetAreRefused) {
  ASSERT_TRUE(screen->SetPresetMode(22));
  for (int number : {3, 5, 11, 15, 17, 20, 28, 128, -1}) {
    EXPECT_FALSE(screen->SetPresetMode(number)) << number;
    EXPECT_EQ(screen->GetPresetMode(), 22);
  }
}

TEST_F(MatrixScreenTest, TheSpectrumStandsAsHighAsEachBandTimesTheAmplitude) {
  screen->SetPresetMode(22);
  screen->SetMatrixScreenColorful(true);
  screen->SetAudioAmplitude(MatrixScreen::kUnityAmplitude);
  Play({1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, 3);
  MatrixFrame shown = screen->GetShownColors();
  for (int row = 0; row < Tessel::kMatrixRows; ++row) {
    EXPECT_NE(shown[Cell(0, row)], 0u) << "full band, row " << row;
    EXPECT_EQ(shown[Cell(2, row)], 0u) << "silent band, row " << row;
    // Half a band lights the lower three and a half rows.
    EXPECT_EQ(shown[Cell(1, row)] != 0, row >= 3) << "half band, row " << row;
  }
  // Half the amplitude makes the full band a half one, once the peak marks have fallen.
  screen->SetAudioAmplitude(MatrixScreen::kUnityAmplitude / 2);
  Play({1.0f, 0.5f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f}, 120);
  shown = screen->GetShownColors();
  for (int row = 0; row < Tessel::kMatrixRows; ++row) {
    EXPECT_EQ(shown[Cell(0, row)] != 0, row >= 3) << "full band at half amplitude, row " << row;
  }
  // Amplitude 0: the music shows nothing once the peak marks have fallen.
  screen->SetAudioAmplitude(0);
  Play({1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f}, 120);
  EXPECT_TRUE(IsDark(screen->GetShownColors()));
}

TEST_F(MatrixScreenTest, MusicThatStopsArrivingFadesAndGarbageCountsAsSilence) {
  screen->SetPresetMode(27);
  Play({0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f, 0.9f}, 5);
  EXPECT_FALSE(IsDark(screen->GetShownColors()));
  // The analysis sends nothing more (the sound server went away).
  for (int i = 0; i < 90; ++i) screen->Step(kFrame);
  EXPECT_TRUE(IsDark(screen->GetShownColors()));

  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float infinity = std::numeric_limits<float>::infinity();
  Play({nan, infinity, -infinity, nan, nan, nan, nan}, 5);
  EXPECT_TRUE(IsDark(screen->GetShownColors()));
  std::vector<float> wave(MatrixScreen::kWaveFloats, nan);
  screen->SetInputWave(wave);
  screen->SetPresetMode(23);
  screen->Step(kFrame);
  // A flat wave: the middle row only.
  const MatrixFrame shown = screen->GetShownColors();
  for (int column = 0; column < Tessel::kMatrixColumns; ++column) {
    for (int row = 0; row < Tessel::kMatrixRows; ++row) {
      EXPECT_EQ(shown[Cell(column, row)] != 0, row == 3) << column << "," << row;
    }
  }
}

TEST(MatrixPresetsTest, EveryPresetDrawsSomethingMovingAndTheSameTwice) {
  for (int preset : Tessel::MatrixPresets::Numbers()) {
    Tessel::MatrixPresets first;
    Tessel::MatrixPresets second;
    Tessel::MatrixFrameInput input;
    input.colorful = true;
    std::vector<MatrixFrame> frames;
    bool lit = false;
    for (int frame = 0; frame < 200; ++frame) {
      input.time += 0.016;
      input.step = 0.016;
      input.seconds = 0.016;
      input.clockSeconds += 0.25;
      // Music with a beat every half second.
      const float strength = frame % 30 < 4 ? 0.9f : 0.3f;
      input.music.bands.fill(strength);
      input.music.level = strength;
      input.music.bass = strength;
      input.music.newBeat = frame % 30 == 0;
      input.music.beat = frame % 30 < 4 ? 1.0f : 0.1f;
      input.music.wave = {0.0f, 0.5f, 1.0f, 0.5f, 0.0f, -0.5f, -1.0f};
      MatrixFrame a{};
      MatrixFrame b{};
      first.Render(preset, input, a);
      second.Render(preset, input, b);
      ASSERT_EQ(a, b) << "preset " << preset << " frame " << frame;
      lit = lit || !IsDark(a);
      frames.push_back(a);
    }
    EXPECT_TRUE(lit) << "preset " << preset;
    EXPECT_NE(frames[20], frames[150]) << "preset " << preset << " stands still";
  }
}

TEST_F(MatrixScreenTest, TheClockShowsTheSecondsOnTheOuterRing) {
  screen->SetPresetMode(21);
  screen->SetMatrixScreenColorful(false);
  screen->SetMatrixScreenColor(kRed);
  struct Case {
    double seconds;
    int column;
    int row;
  };
  for (const Case& c :
       {Case{0.0, 3, 0}, Case{15.0, 6, 3}, Case{30.0, 3, 6}, Case{45.0, 0, 3}, Case{7.5, 6, 0}}) {
    wallSeconds = 12 * 3600.0 + c.seconds + 0.5;  // half way through the second
    now += kFrame;
    screen->Animate();
    // The seconds hand is the one cell of the outer ring at full strength.
    std::vector<int> full;
    const MatrixFrame shown = screen->GetShownColors();
    for (int i = 0; i < Tessel::kMatrixCellCount; ++i) {
      const int column = i % 7;
      const int row = i / 7;
      const bool outer = column == 0 || column == 6 || row == 0 || row == 6;
      if (outer && shown[i] == kRed) full.push_back(i);
    }
    EXPECT_EQ(full, std::vector<int>{Cell(c.column, c.row)}) << c.seconds << " s";
  }
}

TEST_F(MatrixScreenTest, FramesCloserThanTheIntervalAreOneFrame) {
  screen->SetPresetMode(9);
  EXPECT_TRUE(screen->Animate());
  const std::uint64_t frames = screen->GetFrameCount();
  now += std::chrono::milliseconds(3);
  EXPECT_FALSE(screen->Animate());
  now += std::chrono::milliseconds(16);
  EXPECT_TRUE(screen->Animate());
  EXPECT_EQ(screen->GetFrameCount(), frames + 1);
}

TEST_F(MatrixScreenTest, MusicAnimationAndReadersOnThreeThreads) {
  screen->SetClocks([] { return std::chrono::steady_clock::now().time_since_epoch(); }, {});
  screen->SetPresetMode(24);
  std::atomic<bool> running{true};
  std::thread audio([&] {
    std::vector<float> bands(7, 0.0f);
    std::vector<float> wave(MatrixScreen::kWaveFloats, 100.0f);
    for (int i = 0; running.load(); ++i) {
      bands.assign(7, i % 8 == 0 ? 1.0f : 0.1f);
      screen->SetAudioData(bands);
      screen->SetInputWave(wave);
      screen->SetMasterVolume(1.0f);
    }
  });
  std::thread worker([&] {
    while (running.load()) {
      screen->Animate();
      ASSERT_EQ(screen->GetKeyItems().size(), 49u);
    }
  });
  for (int i = 0; i < 2000; ++i) {
    screen->SetBrightness((i % 10) / 10.0);
    screen->SetMatrixScreenColor(static_cast<Color>(i * 977));
    screen->SetPresetMode(i % 50 == 0 ? 22 : 24);
    screen->Step(std::chrono::milliseconds(1));
  }
  running.store(false);
  audio.join();
  worker.join();
  EXPECT_GT(screen->GetFrameCount(), 0u);
}

}  // namespace

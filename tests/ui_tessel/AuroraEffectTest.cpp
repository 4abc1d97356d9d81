// The effect view's colour map: its bounds, the music picture's sampling, the matrix lights
// read back into a smaller map, the keys' colours, edge lights and the view's own modes.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"

namespace {

using Tessel::AuroraEffect;
using Tessel::Color;
using Tessel::ColorMap;
using Tessel::Rect;

constexpr int kEffect = 6;
constexpr Color kRed = 0x0000FF;
constexpr Color kGreen = 0x00FF00;
constexpr Color kBlue = 0xFF0000;

class Window : public Tessel::MDialog {
 public:
  Window() : MDialog("Effects") {}

 protected:
  void CreateControls() override { Add<AuroraEffect>(kEffect); }
};

class AuroraEffectTest : public ::testing::Test {
 protected:
  AuroraEffectTest() { Tessel::Manager::SetBackend(&backend); }
  ~AuroraEffectTest() override { Tessel::Manager::SetBackend(nullptr); }

  void SetUp() override {
    ASSERT_TRUE(window.Create(nullptr, "Test", Rect::FromSize(0, 0, 800, 600)));
    effect = window.GetControl<AuroraEffect>(kEffect);
    ASSERT_NE(effect, nullptr);
  }

  // A key in every cell of a rows x columns grid, code = row * 32 + column + 1.
  void AddGridKeys(int rows, int columns) {
    for (int row = 0; row < rows; ++row) {
      for (int column = 0; column < columns; ++column) {
        effect->AddKeyItem("k", row * 32 + column + 1, Rect::FromSize(column * 10, row * 10, 9, 9),
                           column, row);
      }
    }
  }

  Color KeyColor(int row, int column) const {
    for (const auto& item : effect->GetKeyItems()) {
      if (item.code == row * 32 + column + 1) return item.color;
    }
    ADD_FAILURE() << "no key at " << row << "," << column;
    return 0;
  }

  Tessel::HeadlessBackend backend;
  Window window;
  AuroraEffect* effect = nullptr;
};

TEST(ColorMapTest, SizesAndCellsOutsideTheMapAreRefused) {
  ColorMap map;
  EXPECT_TRUE(map.Empty());
  for (const auto& [rows, columns] : {std::pair{9, 4}, {4, 33}, {-1, 3}, {0, 3}, {3, 0}}) {
    EXPECT_FALSE(map.Resize(rows, columns)) << rows << "x" << columns;
  }
  ASSERT_TRUE(map.Resize(6, 23));
  EXPECT_TRUE(map.Set(22, 5, kRed));
  EXPECT_EQ(kRed, map.Get(22, 5));
  EXPECT_FALSE(map.Set(23, 0, kRed));
  EXPECT_FALSE(map.Set(0, 6, kRed));
  EXPECT_FALSE(map.Set(-1, 0, kRed));
  EXPECT_EQ(0u, map.Get(0, 6));
  EXPECT_FALSE(map.Resize(9, 9));
  EXPECT_EQ(6, map.Rows());
  EXPECT_TRUE(map.Resize(0, 0));
  EXPECT_FALSE(map.Set(0, 0, kRed));
}

TEST(ColorMapTest, MusicPictureRowsAndColumns) {
  struct Case {
    int index;
    int count;
    int row;
    int column;
  };
  const Case cases[] = {
      {0, 6, 7, 0},    {5, 6, 57, 210},   {0, 8, 5, 0},      {7, 8, 54, 217},   {0, 1, 33, 0},
      {6, 7, 54, 216}, {18, 19, 57, 234}, {31, 32, 33, 217}, {22, 23, 47, 242}, {0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.row, Tessel::MusicPictureRow(c.index, c.count)) << c.index << " of " << c.count;
    EXPECT_EQ(c.column, Tessel::MusicPictureColumn(c.index, c.count))
        << c.index << " of " << c.count;
  }
}

TEST_F(AuroraEffectTest, TheMusicPictureFillsTheMapAndTheKeys) {
  ASSERT_TRUE(effect->SetColorMapSize(6, 23));
  AddGridKeys(6, 23);
  // Each pixel names its own place.
  std::vector<Color> picture(256 * 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 256; ++x) picture[y * 256 + x] = static_cast<Color>(y << 8 | x);
  }
  ASSERT_TRUE(effect->FillColorMapFromMusicPicture(picture));
  for (int row = 0; row < 6; ++row) {
    for (int column = 0; column < 23; ++column) {
      const Color expected =
          static_cast<Color>(10 * row + 7) << 8 | static_cast<Color>(11 * column);
      ASSERT_EQ(expected, effect->GetColorMap(column, row));
      ASSERT_EQ(expected, KeyColor(row, column));
    }
  }
  EXPECT_FALSE(effect->FillColorMapFromMusicPicture(std::vector<Color>(100)));
}

TEST_F(AuroraEffectTest, SetColorMapChecksItsBoundsAndKeysOutsideStayBlack) {
  ASSERT_TRUE(effect->SetColorMapSize(2, 3));
  AddGridKeys(3, 4);  // a layout larger than its map
  EXPECT_FALSE(effect->SetColorMapSize(9, 3));
  EXPECT_TRUE(effect->SetColorMap(2, 1, kRed));
  EXPECT_FALSE(effect->SetColorMap(3, 1, kRed));
  EXPECT_FALSE(effect->SetColorMap(0, 2, kRed));
  EXPECT_FALSE(effect->SetColorMap(-1, -1, kRed));
  const std::vector<Color> grid = {kRed, kGreen, kBlue, kGreen, kBlue, kRed};
  effect->SetColorMapGrid(grid, 2, 3);
  EXPECT_EQ(kBlue, KeyColor(0, 2));
  EXPECT_EQ(kRed, KeyColor(1, 2));
  EXPECT_EQ(0u, KeyColor(2, 0));
  EXPECT_EQ(0u, KeyColor(0, 3));
  // A grid shorter than its size says is not read.
  effect->SetColorMapGrid(std::vector<Color>(3, kGreen), 2, 3);
  EXPECT_EQ(kRed, KeyColor(1, 2));
  // A larger source is sampled down.
  std::vector<Color> large(8 * 32, kGreen);
  large[7 * 32 + 31] = kBlue;
  effect->SetColorMapGrid(large, 8, 32);
  EXPECT_EQ(kGreen, effect->GetColorMap(2, 1));
}

TEST_F(AuroraEffectTest, AmbientModeTakesTheMeanColour) {
  ASSERT_TRUE(effect->SetColorMapSize(2, 2));
  effect->SetAuroraMode(AuroraEffect::kModeAmbient);
  effect->SetColorMapGrid(std::vector<Color>{0x000010, 0x000030, 0x100000, 0x300000}, 2, 2);
  const ColorMap map = effect->GetColorMapCopy();
  for (const Color cell : map.Cells()) EXPECT_EQ(0x100010u, cell);
}

TEST_F(AuroraEffectTest, MatrixLightsAreClippedToASmallerMap) {
  // Fewer rows (and columns) than the matrix's 7 x 19.
  ASSERT_TRUE(effect->SetColorMapSize(4, 12));
  AddGridKeys(4, 12);
  effect->SetMusicColor(kRed);
  effect->SetFFTSpectrum(std::vector<float>(32, 1.0f), std::vector<float>(64, 1.0f));
  const auto matrix = effect->GetMatrixLightsColors(7, 19, 1, 255);
  ASSERT_EQ(7u * 19u, matrix.size());
  EXPECT_EQ(kRed, matrix[0]);
  effect->ApplyMatrixLightsToColorMap();
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 12; ++column) ASSERT_EQ(kRed, KeyColor(row, column));
  }
  ASSERT_TRUE(effect->SetColorMapSize(0, 0));
  effect->ApplyMatrixLightsToColorMap();
  EXPECT_TRUE(effect->GetMatrixLightsColors(0, 19, 1, 255).empty());
  EXPECT_TRUE(effect->GetMatrixLightsColors(7, 1000, 1, 255).empty());
}

TEST_F(AuroraEffectTest, MatrixLightsRiseWithTheirBandAndLeaveTheRestOfTheMap) {
  ASSERT_TRUE(effect->SetColorMapSize(8, 19));
  effect->SetMusicColor(kGreen);
  std::vector<float> bands(32, 0.0f);
  bands[0] = 0.5f;  // the first matrix column's band
  effect->SetFFTSpectrum(bands, {});
  const auto matrix = effect->GetMatrixLightsColors(7, 19, 1, 255);
  // lround(0.5 x 7) = 4 cells lit from the bottom, at half brightness (1 + 254 x 0.5).
  for (int row = 0; row < 7; ++row) {
    EXPECT_EQ(row >= 3 ? Tessel::ScaleBrightness(kGreen, 128.0f / 255.0f) : 0u, matrix[row * 19])
        << row;
    EXPECT_EQ(0u, matrix[row * 19 + 1]) << row;
  }
  for (int column = 0; column < 19; ++column) effect->SetColorMap(column, 0, kBlue);
  effect->ApplyMatrixLightsToColorMap();
  EXPECT_EQ(kBlue, effect->GetColorMap(0, 0));  // unlit: the music picture stays
  EXPECT_EQ(matrix[6 * 19], effect->GetColorMap(0, 6));
  EXPECT_EQ(0u, effect->GetColorMap(0, 7));  // the map's eighth row is beyond the matrix
}

TEST_F(AuroraEffectTest, EdgeLightsFollowTheMapsEdges) {
  ASSERT_TRUE(effect->SetColorMapSize(3, 4));
  for (int row = 0; row < 3; ++row) {
    effect->SetColorMap(0, row, kRed);
    effect->SetColorMap(3, row, kBlue);
  }
  effect->SetColorMap(1, 0, kGreen);
  effect->SetEdgeLights(3, 4);
  EXPECT_EQ((std::vector<Color>{kRed, kRed, kRed, kBlue, kBlue, kBlue}),
            effect->GetSideLightsColors());
  EXPECT_EQ((std::vector<Color>{kRed, kGreen, 0, kBlue}), effect->GetTopLightsColors());
  effect->SetEdgeLights(0, 0);
  EXPECT_TRUE(effect->GetSideLightsColors().empty());
  EXPECT_TRUE(effect->GetTopLightsColors().empty());
}

TEST_F(AuroraEffectTest, GameModeFlashesOnABeatAndFades) {
  ASSERT_TRUE(effect->SetColorMapSize(1, 2));
  effect->SetAuroraMode(AuroraEffect::kModeGame);
  effect->SetMusicColor(0x0000C8);
  effect->SetBeatData(1, 1.0f, 120, 0, 0, 0);
  effect->OnTimer(1);
  EXPECT_EQ(0x0000C8u, effect->GetColorMap(1, 0));
  effect->OnTimer(1);
  EXPECT_EQ(Tessel::ScaleBrightness(0x0000C8, 0.85f), effect->GetColorMap(1, 0));
  EXPECT_EQ(2u, effect->GetTick());
}

TEST_F(AuroraEffectTest, LayerBarsRiseWithTheSpectrum) {
  ASSERT_TRUE(effect->SetColorMapSize(4, 2));
  effect->SetAuroraMode(AuroraEffect::kModeLayers);
  effect->AddLightLayer(1, 0, 0, 0, 0);
  effect->AddLightLayer(99, 0, 0, 0, 0);  // unknown: draws nothing
  effect->SetMusicColor(kBlue);
  std::vector<float> bands(32, 0.0f);
  for (int i = 16; i < 32; ++i) bands[i] = 0.5f;  // the second column
  effect->SetFFTSpectrum(bands, {});
  effect->OnTimer(1);
  for (int row = 0; row < 4; ++row) {
    EXPECT_EQ(0u, effect->GetColorMap(0, row));
    EXPECT_EQ(row >= 2 ? kBlue : 0u, effect->GetColorMap(1, row)) << row;
  }
  EXPECT_EQ(2u, effect->GetLightLayers().size());
}

// The UI thread switches modes and sizes, the worker fills, ticks and reads, the audio thread
// feeds the music values, all at once.
TEST_F(AuroraEffectTest, ThreeThreadsDriveTheView) {
  ASSERT_TRUE(effect->SetColorMapSize(6, 23));
  AddGridKeys(6, 23);
  std::atomic<bool> done{false};
  std::thread audio([&] {
    for (int i = 0; !done; ++i) {
      effect->SetFFTSpectrum(std::vector<float>(32, (i % 10) / 10.0f), {});
      effect->SetBeatData(i % 2, 0.7f, 120, 0.1f, 0.2f, 0.3f);
      effect->SetExternalAudioData(0.5f, 0.6f, 0.4f, 50, 0.3f);
    }
  });
  std::thread worker([&] {
    const std::vector<Color> picture(256 * 64, kGreen);
    while (!done) {
      effect->FillColorMapFromMusicPicture(picture);
      effect->ApplyMatrixLightsToColorMap();
      effect->OnTimer(1);
      effect->DrawHideControl();
      for (const auto& item : effect->GetKeyItems()) ASSERT_LE(item.row, 7);
      effect->GetSideLightsColors();
    }
  });
  // Until the worker has ticked a while among the changes.
  for (int i = 0; i < 300 || effect->GetTick() < 50; ++i) {
    effect->SetAuroraMode(1 + i % 7);
    effect->SetColorMapSize(1 + i % 8, 1 + i % 32);
    effect->SetMusicColorful(i % 2 == 0);
    effect->SetEdgeLights(i % 7, i % 11);
    if (i % 50 == 0) effect->ClearLightLayers();
    effect->AddLightLayer(1 + i % 2, 0, 0, 0, 0);
  }
  done = true;
  audio.join();
  worker.join();
  // Settled again, the keys show what the map holds.
  effect->SetAuroraMode(AuroraEffect::kModeMusic);
  ASSERT_TRUE(effect->SetColorMapSize(6, 23));
  ASSERT_TRUE(effect->FillColorMapFromMusicPicture(std::vector<Color>(256 * 64, kBlue)));
  for (const auto& item : effect->GetKeyItems()) ASSERT_EQ(kBlue, item.color);
}

}  // namespace

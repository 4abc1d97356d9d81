// What the keyboard would be sent for a red screen, a blue video and a white visualizer
// picture: each source's grid through the effect view's map to its keys, and the keys' colours
// into the screen-sync stream.

#include <gtest/gtest.h>

#include <span>

#include "lighting/Visualizer.h"
#include "platform/capture/ScreenCapture.h"
#include "platform/video/MediaPlayer.h"
#include "platform_capture/XvfbServer.h"
#include "platform_video/MediaWriters.h"
#include "protocol/Colors.h"
#include "support/ChildProcess.h"
#include "support/TempFolder.h"
#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"

namespace {

constexpr int kEffect = 6;
constexpr int kRows = 6;
constexpr int kColumns = 23;

class Window : public Tessel::MDialog {
 public:
  Window() : MDialog("Effects") {}

 protected:
  void CreateControls() override { Add<Tessel::AuroraEffect>(kEffect); }
};

class EffectsPipeline : public ::testing::Test {
 protected:
  EffectsPipeline() { Tessel::Manager::SetBackend(&backend_); }
  ~EffectsPipeline() override { Tessel::Manager::SetBackend(nullptr); }

  void SetUp() override {
    ASSERT_TRUE(window_.Create(nullptr, "Test", Tessel::Rect::FromSize(0, 0, 800, 600)));
    effect_ = window_.GetControl<Tessel::AuroraEffect>(kEffect);
    ASSERT_TRUE(effect_->SetColorMapSize(kRows, kColumns));
    // A key on every other cell; its light index is its place in the list.
    for (int row = 0; row < kRows; ++row) {
      for (int column = 0; column < kColumns; column += 2) {
        effect_->AddKeyItem("k", 1 + effect_->GetKeyCount(), Tessel::Rect{}, column, row);
      }
    }
  }

  // The stream the worker would send: each key's colour at its light index.
  std::vector<std::uint8_t> Stream() const {
    std::vector<protocol::LitKey> lit;
    const auto keys = effect_->GetKeyItems();
    for (const auto& key : keys) lit.push_back({key.code - 1, key.color});
    return protocol::BuildScreenSyncStream(lit, keys.size());
  }

  static bool AllLights(const std::vector<std::uint8_t>& stream, std::uint8_t low,
                        std::uint8_t high) {
    if (stream.empty()) return false;
    for (std::size_t i = 0; i + 1 < stream.size(); i += 2) {
      if (stream[i] != low || stream[i + 1] != high) return false;
    }
    return true;
  }

  Tessel::HeadlessBackend backend_;
  Window window_;
  Tessel::AuroraEffect* effect_ = nullptr;
};

TEST_F(EffectsPipeline, ARedScreenStreamsRed) {
  XvfbServer server(640, 480);
  ASSERT_TRUE(server.Running());
  TestClient client(server.Display());
  client.Open(0, 0, 640, 480, 0x0000FF, "red");
  platform::ScreenCapture capture(server.Display());
  ASSERT_TRUE(capture.SetGridSize(kRows, kColumns));
  capture.FollowScreen();
  ASSERT_TRUE(capture.Start());
  ASSERT_TRUE(WaitFor([&] { return capture.Latest().has_value(); }));
  effect_->SetAuroraMode(Tessel::AuroraEffect::kModeScreen);
  const auto frame = capture.Latest();
  effect_->SetColorMapGrid(frame->grid.cells, frame->grid.rows, frame->grid.columns);
  EXPECT_TRUE(AllLights(Stream(), 0x00, 0xF8));  // red in 5-6-5, low byte first
}

TEST_F(EffectsPipeline, ABlueVideoStreamsBlue) {
  TempFolder folder;
  const auto video = folder / "blue.mp4";
  ASSERT_TRUE(WriteTestVideo(video, std::vector<SplitFrame>(5, {0xFF0000, 0xFF0000}), 25));
  platform::MediaPlayer player;
  ASSERT_TRUE(player.Play(video, kRows, kColumns));
  ASSERT_TRUE(WaitFor([&] { return player.Latest().has_value(); }));
  effect_->SetAuroraMode(Tessel::AuroraEffect::kModeMedia);
  const auto frame = player.Latest();
  effect_->SetColorMapGrid(frame->grid.cells, frame->grid.rows, frame->grid.columns);
  // Nearly pure blue after the lossy video: the blue field full, red and green near zero.
  const auto stream = Stream();
  ASSERT_FALSE(stream.empty());
  for (std::size_t i = 0; i + 1 < stream.size(); i += 2) {
    const unsigned value = stream[i] | stream[i + 1] << 8;
    EXPECT_GE(value & 0x1F, 28u);
    EXPECT_LE(value >> 11, 3u);
  }
}

TEST_F(EffectsPipeline, AWhiteMusicPictureStreamsWhite) {
  lighting::Visualizer visualizer;
  lighting::VisualizerSettings settings;
  settings.barPattern = 6;
  settings.backgroundPattern = 6;
  visualizer.SetSettings(settings);
  visualizer.RenderFrame();
  effect_->SetAuroraMode(Tessel::AuroraEffect::kModeMusic);
  ASSERT_TRUE(effect_->FillColorMapFromMusicPicture(visualizer.Picture()));
  // 0xFE in every channel: (0xFE >> 3) << 11 | (0xFE >> 2) << 5 | (0xFE >> 3) = 0xFFFF.
  EXPECT_TRUE(AllLights(Stream(), 0xFF, 0xFF));
}

}  // namespace

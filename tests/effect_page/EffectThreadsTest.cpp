// The effect page with every thread it lives with: the device worker streaming, the sound
// analysis feeding the visualizer and the effect view, the visualizer drawing, and the user
// changing the music layer, the mode and the colour on the UI thread (run under the thread
// sanitizer too).

#include <atomic>
#include <cmath>
#include <thread>

#include "EffectPageFixture.h"
#include "lighting/KeyboardAudio.h"
#include "ui/tessel/HeadlessBackend.h"

namespace {

class EffectThreadsTest : public EffectPageFixture {
 protected:
  EffectThreadsTest() : EffectPageFixture(/*startWorker=*/true) {}
  void Prepare() override { Plug(kModel); }
  bool WaitUntil(const std::function<bool()>& done) {
    return backend.RunUntil(done, std::chrono::seconds(20));
  }
};

// A sine tone as the sound source's packets would bring it.
std::vector<float> Tone(int step) {
  std::vector<float> samples(2 * 768);
  for (std::size_t i = 0; i < samples.size() / 2; ++i) {
    const float value =
        0.5f * std::sin(static_cast<float>(step * 768 + static_cast<int>(i)) * 0.05f);
    samples[2 * i] = value;
    samples[2 * i + 1] = value;
  }
  return samples;
}

TEST_F(EffectThreadsTest, LayerChangesWhileTheWorkerStreamsAndTheMusicPlays) {
  bool settled = false;
  dialog->WhenSettled([&settled] { settled = true; });
  ASSERT_TRUE(WaitUntil([&settled] { return settled; }));
  ASSERT_GT(Profile(), 0);
  ASSERT_TRUE(dialog->SwitchToPage(kPageScreenSync));

  std::atomic<bool> playing{true};
  std::thread music([this, &playing] {
    lighting::KeyboardAudio& audio = dialog->Audio();
    for (int step = 0; playing.load(); ++step) {
      const std::vector<float> samples = Tone(step);
      audio.QueuePacket({samples, samples.size() / 2, 48000});
      audio.CaptureStep();
      std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
  });

  const std::uint64_t framesBefore = Service().CurrentStatus().framesSent;
  for (int round = 0; round < 40; ++round) {
    ChooseItem(eids::kForegroundCombo, round % lighting::kVisualizerPatternCount);
    ChooseItem(eids::kBackgroundCombo, (round * 7) % lighting::kVisualizerPatternCount);
    Control<Tessel::MSlider>(eids::kAmplitudeSlider).UserSetValue(round, round % 4 == 0);
    Control<Tessel::MSlider>(eids::kLightBrightnessSlider).UserSetValue(100 - round, true);
    if (round % 10 == 5) ClickTab(lighting::kEffectLayers);
    if (round % 10 == 7) ClickTab(lighting::kEffectMusic);
    Control<Tessel::CColorButton>(eids::kFirstPreset + round % 9).UserClick();
    backend.RunFor(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(WaitUntil([&] { return Service().CurrentStatus().framesSent > framesBefore + 10; }));
  playing.store(false);
  music.join();

  const std::optional<storage::MusicLayerRecord> layer = StoredLayer();
  ASSERT_TRUE(layer.has_value());
  EXPECT_EQ(layer->foremode, 39 % lighting::kVisualizerPatternCount);
  EXPECT_EQ(layer->backmode, (39 * 7) % lighting::kVisualizerPatternCount);
  EXPECT_EQ(layer->fore_amplitude, 390);
  EXPECT_EQ(layer->light_right, 61);
  const lighting::VisualizerSettings settings = Service().GetVisualizer().Settings();
  EXPECT_EQ(settings.barPattern, layer->foremode);
  EXPECT_EQ(settings.barBrightness, 61);
  EXPECT_EQ(Service().Mode(), lighting::kEffectMusic);
}

}  // namespace

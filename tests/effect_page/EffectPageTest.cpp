// The screen-sync and music page through the controller: what it stores, what it shows, what
// the visualizer and the sound analysis are given, and what the virtual keyboard is streamed.

#include <sqlite3.h>

#include "EffectPageFixture.h"
#include "core/TextIds.h"
#include "lighting/KeyboardAudio.h"

namespace {

using lighting::LayerValue;

class EffectPageTest : public EffectPageFixture {
 protected:
  void SetUp() override {
    EffectPageFixture::SetUp();
    StartWithKeyboard();
  }
};

// Modes and panels ------------------------------------------------------------------------------

struct TabCase {
  int mode;
  int panel;  // 0: none
  bool colorCard;
};

TEST_F(EffectPageTest, EachTabStoresItsModeAndShowsItsPanel) {
  EnterPage();
  const TabCase cases[] = {
      {lighting::kEffectMedia, eids::kMediaPanel, false},
      {lighting::kEffectScreen, 0, false},
      {lighting::kEffectLayers, eids::kLayersPanel, true},
      {lighting::kEffectMusic, eids::kMusicPanel, true},
  };
  for (const TabCase& tab : cases) {
    ClickTab(tab.mode);
    EXPECT_EQ(Config(storage::config_key::kAuroraMode), std::to_string(tab.mode));
    EXPECT_EQ(View().GetAuroraMode(), tab.mode);
    for (int panel : {eids::kMusicPanel, eids::kMediaPanel, eids::kWindowPanel, eids::kLayersPanel})
      EXPECT_EQ(Shown(panel), panel == tab.panel) << tab.mode << " " << panel;
    EXPECT_EQ(Shown(eids::kColorCard), tab.colorCard) << tab.mode;
  }
}

TEST_F(EffectPageTest, MusicToScreenAndBackSwitchesTheVisualizerOffAndOn) {
  EnterPage();
  lighting::Visualizer& visualizer = Service().GetVisualizer();
  ASSERT_TRUE(visualizer.IsEnabled());
  ClickTab(lighting::kEffectScreen);
  EXPECT_FALSE(visualizer.IsEnabled());
  ClickTab(lighting::kEffectMusic);
  EXPECT_TRUE(visualizer.IsEnabled());
  // It draws again.
  const std::uint64_t frames = visualizer.FrameCount();
  EXPECT_TRUE(WaitFor([&] { return visualizer.FrameCount() > frames + 2; }));
}

TEST_F(EffectPageTest, TheVisualizerRunsOnlyWhileThePageIsActive) {
  lighting::Visualizer& visualizer = Service().GetVisualizer();
  EXPECT_FALSE(visualizer.IsEnabled()) << "not before the page was entered";
  EnterPage();
  EXPECT_TRUE(visualizer.IsEnabled());
  ASSERT_TRUE(dialog->SwitchToPage(kPageLighting));
  EXPECT_FALSE(visualizer.IsEnabled());
}

TEST_F(EffectPageTest, AProfileSwitchShowsThatProfilesMode) {
  EnterPage();
  const int first = Profile();
  ClickTab(lighting::kEffectLayers);
  ASSERT_GT(dialog->Profiles().Page().AddProfile("Second"), 0);
  Settle();
  ASSERT_NE(Profile(), first);
  EXPECT_EQ(Service().Mode(), lighting::kEffectMusic) << "a new profile starts with music";
  EXPECT_EQ(Control<Tessel::MTabCtrl>(eids::kModeTabs).GetCurData(), lighting::kEffectMusic);
  ASSERT_TRUE(dialog->Profiles().Page().SelectProfile(first));
  Settle();
  EXPECT_EQ(Service().Mode(), lighting::kEffectLayers);
  EXPECT_EQ(View().GetAuroraMode(), lighting::kEffectLayers);
  EXPECT_TRUE(Shown(eids::kLayersPanel));
}

// The music layer ---------------------------------------------------------------------------------

TEST_F(EffectPageTest, AmplitudeFortyFiveIsStoredAsFourHundredFiftyAndShownAgainAsFortyFive) {
  EnterPage();
  Control<Tessel::MSlider>(eids::kAmplitudeSlider).UserSetValue(45, true);
  ASSERT_TRUE(StoredLayer().has_value());
  EXPECT_EQ(StoredLayer()->fore_amplitude, 450);
  // The sound analysis scales the wave with the stored value.
  lighting::KeyboardAudio& audio = dialog->Audio();
  const std::vector<float> samples(2 * 256, 0.25f);
  audio.QueuePacket({samples, 256, 48000});
  audio.CaptureStep();
  EXPECT_EQ(audio.Snapshot().waveGain, 450);
  // Shown again from what is stored.
  Control<Tessel::MSlider>(eids::kAmplitudeSlider).SetProgress(3);
  dialog->ShowProfilePages();
  EXPECT_EQ(Control<Tessel::MSlider>(eids::kAmplitudeSlider).GetProgress(), 45);
}

TEST_F(EffectPageTest, LayerControlsStoreTheirColumnAndReachTheVisualizer) {
  EnterPage();
  ChooseItem(eids::kForegroundCombo, 17);
  ChooseItem(eids::kBackgroundCombo, 9);
  Control<Tessel::MSlider>(eids::kBackBrightnessSlider).UserSetValue(40, true);
  Control<Tessel::MSlider>(eids::kLightBrightnessSlider).UserSetValue(70, true);
  const std::optional<storage::MusicLayerRecord> layer = StoredLayer();
  ASSERT_TRUE(layer.has_value());
  EXPECT_EQ(layer->foremode, 17);
  EXPECT_EQ(layer->backmode, 9);
  EXPECT_EQ(layer->backb_right, 40);
  EXPECT_EQ(layer->light_right, 70);
  EXPECT_EQ(layer->fore_amplitude, 300) << "the other columns keep their values";
  const lighting::VisualizerSettings settings = Service().GetVisualizer().Settings();
  EXPECT_EQ(settings.barPattern, 17);
  EXPECT_EQ(settings.backgroundPattern, 9);
  EXPECT_EQ(settings.backgroundBrightness, 40);
  EXPECT_EQ(settings.barBrightness, 70);
}

TEST_F(EffectPageTest, ForegroundOffHidesTheForegroundControlsAndAnyOtherShowsThem) {
  EnterPage();
  const int foreground[] = {eids::kAmplitudeLabel, eids::kAmplitudeSlider,
                            eids::kLightBrightnessLabel, eids::kLightBrightnessSlider,
                            eids::kColorCard};
  ChooseItem(eids::kForegroundCombo, lighting::kForegroundOff);
  EXPECT_EQ(StoredLayer()->foremode, lighting::kForegroundOff);
  for (int id : foreground) EXPECT_FALSE(Shown(id)) << id;
  EXPECT_TRUE(Shown(eids::kBackBrightnessSlider));
  ChooseItem(eids::kForegroundCombo, 5);
  for (int id : foreground) EXPECT_TRUE(Shown(id)) << id;
}

TEST_F(EffectPageTest, ALayerRowOfAnotherProfileIsNeitherReadNorWritten) {
  EnterPage();
  // The layer row carrying this profile's number belongs to another profile.
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(Database().Path().c_str(), &db), SQLITE_OK);
  const std::string sql =
      "UPDATE t_musiclayer_data SET profile = 99, fore_amplitude = 120 "
      "WHERE layer_id = " +
      std::to_string(Profile());
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
  Control<Tessel::MSlider>(eids::kAmplitudeSlider).UserSetValue(45, true);
  EXPECT_TRUE(Shown(eids::kNotSavedLabel));
  storage::MusicLayerRecord other;
  ASSERT_TRUE(Database().GetMusicLayer(Profile(), other));
  EXPECT_EQ(other.fore_amplitude, 120) << "the other profile's layer is left alone";
}

// Colours -------------------------------------------------------------------------------------

TEST_F(EffectPageTest, AMusicColourFromPresetsOrFieldsEndsColorful) {
  EnterPage();
  ClickTab(lighting::kEffectLayers);
  Control<Tessel::CCheckButton>(eids::kColorfulCheck).UserClick();
  EXPECT_TRUE(View().GetMusicColorful());
  Control<Tessel::CColorButton>(eids::kFirstPreset + 3).UserClick();
  EXPECT_EQ(View().GetMusicColor(), lighting::kPresetColors[3]);
  EXPECT_FALSE(View().GetMusicColorful());
  EXPECT_FALSE(Control<Tessel::CCheckButton>(eids::kColorfulCheck).GetCheck());
  EXPECT_EQ(Control<Tessel::MEdit>(eids::kGreenEdit).GetEditText(), "255");
  auto& red = Control<Tessel::MEdit>(eids::kRedEdit);
  red.UserSetText("300");  // clamped to 255
  red.UserCommit(true);
  Control<Tessel::MEdit>(eids::kBlueEdit).UserSetText("16");
  EXPECT_EQ(View().GetMusicColor(), Tessel::Rgb(255, 255, 16));
  EXPECT_EQ(red.GetEditText(), "255");
}

TEST_F(EffectPageTest, TheLayerBoxAddsAndRemovesTheSpectrumLayer) {
  EnterPage();
  ClickTab(lighting::kEffectLayers);
  ASSERT_EQ(View().GetLightLayers().size(), 1u);
  EXPECT_EQ(View().GetLightLayers()[0].type, 1);
  Control<Tessel::CCheckButton>(eids::kLayerCheck).UserClick();
  EXPECT_TRUE(View().GetLightLayers().empty());
  // Entering the page again starts over with one layer, not another on top.
  ASSERT_TRUE(dialog->SwitchToPage(kPageKeys));
  EnterPage();
  EXPECT_EQ(View().GetLightLayers().size(), 1u);
  EXPECT_TRUE(Control<Tessel::CCheckButton>(eids::kLayerCheck).GetCheck());
}

// Streaming -------------------------------------------------------------------------------------

TEST_F(EffectPageTest, AMusicPictureReachesEveryKeyAndTheEdgeLights) {
  EnterPage();
  // Without sound no bar rises: the picture is the background, red.
  ChooseItem(eids::kBackgroundCombo, 7);
  const unsigned red = Rgb565(0x0000FE);  // full brightness scales 0xFF by 255 / 256
  ASSERT_TRUE(StreamUntil([red](unsigned light) { return light == red; }));
  const EdgeLights edges = *dialog->Capabilities().edgeLights;
  for (int light : edges.LightIndices()) EXPECT_EQ(StreamedLight(light), red) << light;
  // The frame is long enough for the last edge light.
  const std::vector<int> lights = edges.LightIndices();
  EXPECT_EQ(*std::max_element(lights.begin(), lights.end()), 127);
}

TEST_F(EffectPageTest, NothingStreamsOnTheOverviewOnTheLightPageOrWithoutAKeyboard) {
  EnterPage();
  IdleCycles(3);
  EXPECT_EQ(StreamsSent(), 3u);
  const int onPage = StreamedFrames();
  EXPECT_GT(onPage, 0);
  ASSERT_TRUE(dialog->SwitchToPage(kPageHome));
  IdleCycles(3);
  EXPECT_EQ(StreamedFrames(), onPage) << "the device overview shows";
  // Behind another page the effect keeps running.
  ASSERT_TRUE(dialog->SwitchToPage(kPageKeys));
  IdleCycles(3);
  EXPECT_EQ(StreamsSent(), 6u);
  const int behind = StreamedFrames();
  EXPECT_GT(behind, onPage);
  ASSERT_TRUE(dialog->SwitchToPage(kPageLighting));
  IdleCycles(3);
  EXPECT_EQ(StreamedFrames(), behind) << "the light page ends it";
  EnterPage();
  dialog->State().online.store(false);
  const int before = StreamedFrames();
  IdleCycles(3);
  EXPECT_EQ(StreamedFrames(), before) << "no keyboard to talk to";
}

TEST_F(EffectPageTest, OnWaylandScreenModesShowANoticeAndLeaveTheKeyboardAlone) {
  ScopedEnvironment wayland("WAYLAND_DISPLAY", "wayland-0");
  EnterPage();
  ClickTab(lighting::kEffectScreen);
  ASSERT_TRUE(Shown(eids::kNotice));
  EXPECT_EQ(Control<Tessel::MControlFont>(eids::kNotice).GetTitle(),
            Text(text::kEffectWaylandNotice));
  const int before = StreamedFrames();
  IdleCycles(3);
  EXPECT_EQ(StreamedFrames(), before);
  ClickTab(lighting::kEffectLayers);
  EXPECT_FALSE(Shown(eids::kNotice));
  IdleCycles(1);
  EXPECT_GT(StreamedFrames(), before);
}

// The page-switch task
// ------------------------------------------------------------------------------

TEST_F(EffectPageTest, EnteringThePageQueuesThePageSwitchWhichSendsOnlyWithItsFlagClear) {
  dialog->QueueTask(task::kPageSwitch);  // the flag is clear until the page is opened
  RunQueuedTasks();
  EXPECT_EQ(Keyboard().counters.pageVisits, 1);
  dialog->Tasks().Clear();
  ASSERT_TRUE(dialog->SwitchToPage(kPageScreenSync));
  EXPECT_EQ(dialog->Tasks().Clear(), std::vector<int>{task::kPageSwitch});
  dialog->QueueTask(task::kPageSwitch);
  RunQueuedTasks();
  EXPECT_EQ(Keyboard().counters.pageVisits, 1) << "the page set the flag";
}

}  // namespace

// The matrix light room through the controller and the virtual keyboard: the modes a profile
// starts with, what each change sends (and in which order), the drawing read and written, the
// animated mode's stream, the switch, failures that keep what is shown, and the music that
// reaches the view from the controller's own analysis.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "ConnectedKeyboardFixture.h"
#include "lighting/LightModes.h"
#include "lighting/MatrixModes.h"
#include "lighting/MatrixPageLayout.h"
#include "platform/audio/GeneratedSource.h"
#include "protocol/Colors.h"
#include "protocol/Frame.h"
#include "sim/Faults.h"
#include "storage/ConfigKeys.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/MatrixScreen.h"

namespace {

namespace mids = lighting::matrix_ids;
using lighting::kMatrixDrawingMode;
using lighting::kMatrixPresetMode;

constexpr int kMatrixModel = 102;
constexpr std::uint32_t kGreen = 0x00FF00;

class MatrixTest : public ConnectedKeyboardFixture {
 protected:
  void StartWith(int model = kMatrixModel) {
    Plug(model);
    StartUp();
    ASSERT_TRUE(dialog->SwitchToPage(kPageMatrix) || model != kMatrixModel);
    Settle();
    bus.SetFrameLogging(true);
    bus.ClearFrameLog();
  }

  lighting::MatrixService& Service() { return dialog->Matrix().Service(); }
  lighting::MatrixPage& Page() { return dialog->Matrix().Page(); }
  template <class T>
  T& Control(int id) {
    T* control = dialog->GetControl<T>(id);
    EXPECT_NE(control, nullptr) << id;
    return *control;
  }
  Tessel::MatrixScreen& Screen() { return Control<Tessel::MatrixScreen>(mids::kMatrixView); }

  // As the user does it, through the controls.
  void UserChooseMode(int mode) {
    auto& list = Control<Tessel::IconList>(mids::kModeList);
    list.UserSelect(list.FindData(mode));
    Settle();
  }
  void UserChoosePreset(int preset) {
    auto& presets = Control<Tessel::MComboBox>(mids::kPresetCombo);
    presets.UserSelect(presets.FindData(preset));
    Settle();
  }
  void UserSlide(int id, int value) {
    Control<Tessel::MSlider>(id).UserSetValue(value, true);
    Settle();
  }

  // The commands the keyboard received since the log was cleared, brackets left out.
  std::vector<int> Received() {
    std::vector<int> commands;
    for (int command : SentCommands()) {
      if (command != 0x10 && command != 0x11) commands.push_back(command);
    }
    bus.ClearFrameLog();
    return commands;
  }
  bool ReceivedAny(std::initializer_list<int> of) {
    const std::vector<int> commands = Received();
    return std::any_of(of.begin(), of.end(), [&](int command) {
      return std::find(commands.begin(), commands.end(), command) != commands.end();
    });
  }
  sim::LightRegion MatrixRegion() const {
    return sim::ReadLightRegion(Keyboard().settings, sim::LightZone::kMatrix);
  }
  storage::LightSettingRecord Stored(int mode) {
    storage::LightSettingRecord record;
    EXPECT_TRUE(Database().GetLightSetting(Profile(), lighting::kZoneMatrix, mode, record));
    return record;
  }
  // Stream transfers the keyboard has received (each of 98 bytes comes in several frames).
  int StreamFrames() const {
    constexpr auto kFramesPerTransfer =
        static_cast<int>((protocol::kMatrixStreamLength + protocol::kFrameDataLength - 1) /
                         protocol::kFrameDataLength);
    const auto& counts = Keyboard().counters.framesByCommand;
    const auto found = counts.find(0x3C);
    return found != counts.end() ? found->second / kFramesPerTransfer : 0;
  }
  // Idle cycles of the worker (the streams).
  void Idle(int cycles) {
    for (int i = 0; i < cycles; ++i) dialog->RunCycle();
  }
};

TEST_F(MatrixTest, ANewProfileShowsEightModesWithModeZeroActive) {
  StartWith();
  const std::vector<Tessel::ListItem> items = Control<Tessel::IconList>(mids::kModeList).GetItems();
  const int modes[] = {0, 1, 2, 3, 4, 5, 6, 128};
  ASSERT_EQ(items.size(), std::size(modes));
  for (std::size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].data, modes[i]);
    EXPECT_EQ(items[i].text, Text(900 + static_cast<int>(i)));
    EXPECT_EQ(Stored(modes[i]).config_func, (std::array{19, 51, 51, 51, 51, 305, 305, 1075})[i]);
  }
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), lighting::kZoneMatrix), 0);
  EXPECT_EQ(Control<Tessel::IconList>(mids::kModeList).GetCurData(), 0);
  EXPECT_TRUE(Control<Tessel::CSwitchButton>(mids::kMatrixSwitch).GetCheck());
  EXPECT_EQ(Screen().GetPresetMode(), Tessel::MatrixScreen::kPresetPlain);
}

TEST_F(MatrixTest, TheDrawingModeIsSentThenTheKeyboardsDrawingIsRead) {
  StartWith();
  UserChooseMode(kMatrixDrawingMode);
  EXPECT_EQ(Received(), (std::vector<int>{0x3D, 0x14, 0x15, 0x3A}));
  EXPECT_EQ(MatrixRegion().mode, kMatrixDrawingMode);
  EXPECT_EQ(Screen().GetPresetMode(), Tessel::MatrixScreen::kPresetDrawing);
  EXPECT_EQ(Screen().GetPicture(), protocol::ParseMatrixPicture(Keyboard().matrixPicture));
  EXPECT_NE(Screen().GetPicture()[48], 0u) << "the keyboard's factory drawing";
}

TEST_F(MatrixTest, PaintingACellSendsEveryCell) {
  StartWith();
  UserChooseMode(kMatrixDrawingMode);
  Received();
  // The first paint ends "colorful", which the keyboard hears of; the paint itself it does not.
  Control<Tessel::CColorButton>(mids::kFirstPresetColor + 4).UserClick();
  Settle();
  EXPECT_EQ(Received(), (std::vector<int>{0x3D, 0x14, 0x15}));
  Control<Tessel::CColorButton>(mids::kFirstPresetColor + 3).UserClick();
  Settle();
  EXPECT_EQ(Received(), std::vector<int>{});
  EXPECT_EQ(Stored(kMatrixDrawingMode).color_value, static_cast<int>(kGreen));
  ASSERT_TRUE(Screen().UserPaintCell(24, false));
  ASSERT_TRUE(Screen().UserPaintCell(25, true));
  Settle();
  EXPECT_EQ(Received(), std::vector<int>{0x3B});
  const protocol::MatrixColors kept = protocol::ParseMatrixPicture(Keyboard().matrixPicture);
  EXPECT_EQ(kept, Screen().GetPicture());
  EXPECT_EQ(kept[24], kGreen);
  EXPECT_EQ(kept[25], kGreen);
}

TEST_F(MatrixTest, StrokesMadeWhileTheDrawingIsReadAreKept) {
  StartWith();
  const protocol::MatrixColors factory = protocol::ParseMatrixPicture(Keyboard().matrixPicture);
  // Painting before the keyboard answered: the read arrives after the strokes.
  ASSERT_TRUE(Page().PaintCells({{0, kGreen}, {48, kGreen}}));
  Settle();
  const protocol::MatrixColors kept = protocol::ParseMatrixPicture(Keyboard().matrixPicture);
  for (std::size_t cell = 0; cell < kept.size(); ++cell) {
    EXPECT_EQ(kept[cell], cell == 0 || cell == 48 ? kGreen : factory[cell]) << cell;
  }
  EXPECT_FALSE(Page().PaintCells({{49, kGreen}}));
}

TEST_F(MatrixTest, TheAnimatedModeQueuesNothingAndStreamsItsFrames) {
  StartWith();
  auto& list = Control<Tessel::IconList>(mids::kModeList);
  list.UserSelect(list.FindData(kMatrixPresetMode));
  EXPECT_TRUE(dialog->Tasks().IsEmpty());
  Settle();
  const int before = StreamFrames();
  Idle(3);
  EXPECT_EQ(StreamFrames(), before + 3);
  EXPECT_EQ(Received(), (std::vector<int>{0x3C}));
  EXPECT_EQ(Keyboard().matrixStream, protocol::BuildMatrixStream(Screen().GetShownColors()));
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), lighting::kZoneMatrix), kMatrixPresetMode);
  // Nothing streams while the device overview is shown, or after another mode was chosen.
  ASSERT_TRUE(dialog->SwitchToPage(kPageHome));
  Idle(2);
  EXPECT_EQ(Received(), std::vector<int>{});
  ASSERT_TRUE(dialog->SwitchToPage(kPageLighting));
  Idle(1);
  EXPECT_EQ(Received(), std::vector<int>{0x3C});
  ASSERT_TRUE(dialog->SwitchToPage(kPageMatrix));
  UserChooseMode(2);
  Received();
  Idle(2);
  EXPECT_EQ(Received(), std::vector<int>{});
}

TEST_F(MatrixTest, AKeyboardThatTakesNoStreamGetsNoFrames) {
  bus.SetFrameLogging(true);
  const auto id = sim::AddCatalogueKeyboard(bus, ShippedData(), 103);
  ASSERT_TRUE(id.has_value());
  keyboard = *id;
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.info.matrix.present = true; });
  settings->WriteDeviceType(103);
  bus.PlugCable(keyboard);
  backend.PumpUntilIdle();
  dialog->Tasks().Clear();
  StartUp();
  ASSERT_TRUE(dialog->SwitchToPage(kPageMatrix));
  Settle();
  UserChooseMode(kMatrixPresetMode);
  Received();
  const int before = StreamFrames();
  Idle(3);
  EXPECT_EQ(StreamFrames(), before);
  EXPECT_TRUE(Service().Streaming());
}

TEST_F(MatrixTest, InTheAnimatedModeBrightnessIsStoredButNotSent) {
  StartWith();
  UserChooseMode(kMatrixPresetMode);
  Received();
  const sim::LightRegion before = MatrixRegion();
  UserSlide(mids::kBrightnessSlider, 2);
  UserSlide(mids::kSpeedSlider, 1);
  EXPECT_FALSE(ReceivedAny({0x3D, 0x14, 0x15}));
  EXPECT_EQ(MatrixRegion(), before);
  EXPECT_EQ(Stored(kMatrixPresetMode).brightness, 2);
  EXPECT_EQ(Stored(kMatrixPresetMode).speed, 1);
  // The view shows it: the virtual keyboard's maximum brightness is 4.
  EXPECT_DOUBLE_EQ(Screen().GetBrightness(), 0.5);
  EXPECT_EQ(Screen().GetAnimationSpeed(), 1);
  // Below the animated mode the change goes to the keyboard.
  UserChooseMode(2);
  Received();
  UserSlide(mids::kBrightnessSlider, 3);
  EXPECT_EQ(Received(), (std::vector<int>{0x3D, 0x14, 0x15}));
  EXPECT_EQ(MatrixRegion().brightness, 3);
}

TEST_F(MatrixTest, TheSwitchSendsModeZeroAndThenTheActiveModeAgain) {
  StartWith();
  UserChooseMode(2);
  EXPECT_EQ(MatrixRegion().mode, 2);
  Control<Tessel::CSwitchButton>(mids::kMatrixSwitch).UserClick();
  Settle();
  EXPECT_EQ(MatrixRegion().mode, 0);
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), lighting::kZoneMatrix), 2);
  Control<Tessel::CSwitchButton>(mids::kMatrixSwitch).UserClick();
  Settle();
  EXPECT_EQ(MatrixRegion().mode, 2);
  // Switched off, the animated mode streams nothing until it is switched on again.
  UserChooseMode(kMatrixPresetMode);
  Control<Tessel::CSwitchButton>(mids::kMatrixSwitch).UserClick();
  Settle();
  EXPECT_EQ(MatrixRegion().mode, 0);
  Received();
  Idle(2);
  EXPECT_EQ(Received(), std::vector<int>{});
  Control<Tessel::CSwitchButton>(mids::kMatrixSwitch).UserClick();
  Settle();
  Received();
  Idle(1);
  EXPECT_EQ(Received(), std::vector<int>{0x3C});
}

TEST_F(MatrixTest, AFailedReadKeepsTheCells) {
  StartWith();
  UserChooseMode(kMatrixDrawingMode);
  Tessel::MatrixFrame painted{};
  painted.fill(kGreen);
  Screen().SetPicture(painted);
  bus.AddFault(keyboard, sim::RefuseNext(0x3A, 50));
  UserChooseMode(6);
  UserChooseMode(kMatrixDrawingMode);
  EXPECT_EQ(Screen().GetPicture(), painted);
}

TEST_F(MatrixTest, MusicPresetsShowTheAmplitudeInsteadOfTheSpeed) {
  StartWith();
  // A new profile stores preset 1, which is none of the list: the list's first is shown.
  EXPECT_EQ(Config(storage::config_key::kMatrixLightPresetMode), "1");
  UserChooseMode(kMatrixPresetMode);
  EXPECT_EQ(Control<Tessel::MComboBox>(mids::kPresetCombo).GetCurData(), 4);
  EXPECT_EQ(Screen().GetPresetMode(), 4);
  const auto shown = [&](int id) { return Control<Tessel::MControl>(id).IsVisible(); };
  EXPECT_TRUE(shown(mids::kSpeedSlider));
  EXPECT_FALSE(shown(mids::kAmplitudeSlider));
  UserChoosePreset(22);
  EXPECT_FALSE(shown(mids::kSpeedSlider));
  EXPECT_TRUE(shown(mids::kAmplitudeSlider));
  EXPECT_EQ(Control<Tessel::MSlider>(mids::kAmplitudeSlider).GetProgress(), 50);
  EXPECT_EQ(Config(storage::config_key::kMatrixLightPresetMode), "22");
  UserSlide(mids::kAmplitudeSlider, 70);
  EXPECT_EQ(Config(storage::config_key::kMatrixLightAmplitude), "70");
  EXPECT_EQ(Screen().GetAudioAmplitude(), 70);
  UserChoosePreset(4);
  EXPECT_TRUE(shown(mids::kSpeedSlider));
  EXPECT_FALSE(shown(mids::kAmplitudeSlider));
  EXPECT_EQ(Received(), std::vector<int>{});
}

TEST_F(MatrixTest, ColourFieldsAreClampedAndTheColourIsSent) {
  StartWith();
  UserChooseMode(2);
  Received();
  auto& red = Control<Tessel::MEdit>(mids::kRedEdit);
  Control<Tessel::MEdit>(mids::kGreenEdit).UserSetText("0");
  Control<Tessel::MEdit>(mids::kBlueEdit).UserSetText("0");
  red.UserSetText("300");
  Settle();
  EXPECT_EQ(red.GetEditText(), "255");
  EXPECT_EQ(Stored(2).color_value, 0x0000FF);
  EXPECT_EQ(Stored(2).colorful, 0) << "a colour of its own ends colorful";
  const sim::LightRegion region = MatrixRegion();
  EXPECT_EQ(region.red, 255);
  EXPECT_EQ(region.green, 0);
  EXPECT_EQ(region.colorful, 0);
}

TEST_F(MatrixTest, TheDirectionIsStoredAndSent) {
  StartWith();
  UserChooseMode(3);
  Received();
  ASSERT_TRUE(Page().SetDirection(lighting::kDirectionUp));
  Settle();
  EXPECT_EQ(Stored(3).direction, lighting::kDirectionUp);
  EXPECT_EQ(Received(), (std::vector<int>{0x3D, 0x14, 0x15}));
}

TEST_F(MatrixTest, AProfileSwitchSendsTheNewProfilesMatrixMode) {
  StartWith();
  UserChooseMode(3);
  const int first = Profile();
  const int second = dialog->Profiles().Page().AddProfile("Other");
  ASSERT_GT(second, 0);
  Settle();
  EXPECT_EQ(Profile(), second);
  EXPECT_EQ(MatrixRegion().mode, 0) << "a new profile starts with mode 0";
  dialog->Profiles().Page().SelectProfile(first);
  Settle();
  EXPECT_EQ(MatrixRegion().mode, 3);
  EXPECT_EQ(Control<Tessel::IconList>(mids::kModeList).GetCurData(), 3);
}

TEST_F(MatrixTest, AKeyboardWithoutABrightnessMaximumShowsFullBrightness) {
  const auto id = sim::AddCatalogueKeyboard(bus, ShippedData(), kMatrixModel);
  ASSERT_TRUE(id.has_value());
  keyboard = *id;
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) {
    state.info.matrix.maxBrightness = 0;
    state.info.matrix.maxSpeed = 0;
  });
  settings->WriteDeviceType(kMatrixModel);
  bus.PlugCable(keyboard);
  backend.PumpUntilIdle();
  dialog->Tasks().Clear();
  StartUp();
  ASSERT_TRUE(dialog->SwitchToPage(kPageMatrix));
  Settle();
  UserChooseMode(kMatrixPresetMode);
  EXPECT_DOUBLE_EQ(Screen().GetBrightness(), 1.0);
  ASSERT_TRUE(Page().SetBrightness(60));
  EXPECT_DOUBLE_EQ(Screen().GetBrightness(), 1.0);
}

// The music analysis of the controller --------------------------------------------------------

class MatrixMusicTest : public MatrixTest {
 protected:
  void AdjustOptions(KeyboardDlg::Options& options) override {
    options.audioSource = [] {
      platform::SignalSpec spec;
      spec.shape = platform::SignalSpec::Shape::Clicks;
      spec.amplitude = 0.8;
      spec.frequency = 80.0;
      spec.clickSeconds = 0.25;
      return std::make_unique<platform::GeneratedSource>(spec, 48000, 768, platform::SteadyClock());
    };
  }
};

TEST_F(MatrixMusicTest, StartUpStartsTheAnalysisThatFeedsTheMatrixViewUntilTheWindowCloses) {
  EXPECT_EQ(dialog->Audio().Snapshot().source.state, platform::AudioSourceState::Stopped);
  StartWith();
  UserChooseMode(kMatrixPresetMode);
  UserChoosePreset(22);
  // Music lights the spectrum once the analysis has heard some (at most ten seconds).
  bool lit = false;
  for (int i = 0; i < 1000 && !lit; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Screen().Step(std::chrono::milliseconds(16));
    const Tessel::MatrixFrame shown = Screen().GetShownColors();
    lit = std::any_of(shown.begin(), shown.end(), [](Tessel::Color c) { return c != 0; });
  }
  EXPECT_TRUE(lit);
  EXPECT_GT(dialog->Audio().Snapshot().stepsWithSound, 0u);
  // A second start-up does not start the analysis again.
  dialog->QueueTask(task::kStartUp);
  Settle();
  dialog->CloseAndDestroy();
  EXPECT_EQ(dialog->Audio().Snapshot().source.state, platform::AudioSourceState::Stopped);
}

}  // namespace

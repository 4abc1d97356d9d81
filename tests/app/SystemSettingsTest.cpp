// The keyboard's information and system settings through the controller, against virtual
// keyboards of protocol revision 2 (model 101, 102, 103) and revision 1 (model 160): what a
// connection reads, the settings page, what reaches the keyboard, and the factory reset.

#include <gtest/gtest.h>

#include <algorithm>

#include "ConnectedKeyboardFixture.h"
#include "core/TextIds.h"
#include "storage/ConfigKeys.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/WaitDlg.h"
#include "ui/tessel/BatteryCtrl.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/KeyboardCtrl.h"

namespace {

namespace key = storage::config_key;

constexpr int kMatrixTab = 2;

struct ModelCase {
  int modelId;
  int revision;
  const char* firmwareLabel;
  bool matrix;
  bool knob;
  int battery;
};

constexpr ModelCase kModels[] = {
    {101, 2, "Firmware version: v1.22", false, true, 80},
    {102, 2, "Firmware version: v1.16", true, false, 80},
    {160, 1, "Firmware version: v1.04", false, false, 0},
};

class SystemSettingsTest : public ConnectedKeyboardFixture {
 protected:
  explicit SystemSettingsTest(bool startWorker = false) : ConnectedKeyboardFixture(startWorker) {}

  template <class T>
  T& Control(int id) {
    T* control = dialog->GetControl<T>(id);
    EXPECT_NE(control, nullptr) << id;
    return *control;
  }
  std::string Title(int id) { return Control<Tessel::MControlFont>(id).GetTitle(); }

  // Positions of the revision's settings in the block.
  static sim::SystemSettingsLayout At(int revision) {
    return sim::SystemSettingsLayoutFor(static_cast<std::uint8_t>(revision));
  }

  // The keyboard's block with different bytes everywhere, so that a write that touches any
  // byte besides the settings shows.
  void FillSettingsBlock() {
    bus.ModifyState(keyboard, [](sim::KeyboardState& state) {
      for (std::size_t i = 0; i < state.settings.size(); ++i) {
        state.settings[i] = static_cast<std::uint8_t>(0x80 + i);
      }
    });
  }

  // Answers the message boxes with `boxAnswer` and runs the worker while a wait dialog is shown,
  // calling `whileWaiting` first.
  void AnswerFactoryReset(int boxAnswer, std::function<void()> whileWaiting = {}) {
    backend.SetResponder([this, boxAnswer, whileWaiting](const Tessel::DialogRequest& request)
                             -> std::optional<Tessel::DialogAnswer> {
      if (request.kind != Tessel::DialogRequest::Kind::ModalShown || request.window == nullptr)
        return std::nullopt;
      if (auto* box = dynamic_cast<Tessel::CUIMessageBox*>(request.window)) {
        boxes.push_back(box->GetCaption() + "|" + box->GetText());
        return Tessel::DialogAnswer::Result(boxAnswer);
      }
      if (request.window->GetName() == WaitDlg::kWindowName) {
        windowEnabledWhileWaiting = dialog->IsWindowEnabled();
        if (whileWaiting) whileWaiting();
        RunQueuedTasks();
        return Tessel::DialogAnswer::Result(Tessel::HeadlessBackend::kLeaveOpen);
      }
      return std::nullopt;
    });
  }

  std::vector<std::string> boxes;
  bool windowEnabledWhileWaiting = true;
};

// Connecting -------------------------------------------------------------------------------------

class ConnectingTest : public SystemSettingsTest,
                       public ::testing::WithParamInterface<ModelCase> {};

TEST_P(ConnectingTest, ReadsTheSettingsLabelsTabsAndBattery) {
  const ModelCase model = GetParam();
  Plug(model.modelId);
  // 301 seconds are stored as 5 minutes.
  bus.ModifyState(keyboard, [&](sim::KeyboardState& state) {
    sim::WriteSystemSettings(state.settings, static_cast<std::uint8_t>(model.revision),
                             {1, 0, 1, 1, 16, 301});
  });
  StartUp();
  ASSERT_GT(Profile(), 0);
  EXPECT_EQ(Config(key::kGameMode), "1");
  EXPECT_EQ(Config(key::kMacMode), "0");
  EXPECT_EQ(Config(key::kLockWin), "1");
  EXPECT_EQ(Config(key::kWasdMode), "1");
  EXPECT_EQ(Config(key::kKeyResponse), "16");
  EXPECT_EQ(Config(key::kSleepTime), "5");
  EXPECT_EQ(Title(ids::kFirmwareVersionLabel), model.firmwareLabel);
  EXPECT_EQ(Control<Tessel::MTabCtrl>(ids::kMainTabs).IsItemVisible(kMatrixTab), model.matrix);
  EXPECT_EQ(Control<Tessel::CSwitchButton>(ids::kKnobModeSwitch).IsVisible(), model.knob);
  EXPECT_EQ(Control<Tessel::BatteryCtrl>(ids::kBattery).GetLevel(), model.battery);
  EXPECT_EQ(Control<Tessel::MControlFont>(ids::kBatteryLabel).IsVisible(), model.battery > 0);
  // The page shows what was stored.
  EXPECT_TRUE(Control<Tessel::CSwitchButton>(ids::kGameModeSwitch).GetCheck());
  EXPECT_FALSE(Control<Tessel::CSwitchButton>(ids::kMacModeSwitch).GetCheck());
  EXPECT_EQ(Control<Tessel::MComboBox>(ids::kSleepTimeCombo)
                .GetItemText(Control<Tessel::MComboBox>(ids::kSleepTimeCombo).GetCurSel()),
            "4 Min");
  EXPECT_EQ(Control<Tessel::MComboBox>(ids::kKeyResponseCombo).GetCurData(), 16);
  const auto info = dialog->Keyboard().Info().Get();
  EXPECT_EQ(info.modelId, model.modelId);
  EXPECT_EQ(info.device.protocolRevision, model.revision);
}

std::string ModelName(const ::testing::TestParamInfo<ModelCase>& info) {
  return "Model" + std::to_string(info.param.modelId);
}

INSTANTIATE_TEST_SUITE_P(Models, ConnectingTest, ::testing::ValuesIn(kModels), ModelName);

TEST_F(SystemSettingsTest, TheBatteryGoesToTheControlAndToTheListBesideTheConnectionItCameThrough) {
  Plug(101, /*receiver=*/true);
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) {
    state.batteryLevel = 15;
    state.batteryCharging = 1;
  });
  StartUp();
  EXPECT_EQ(Control<Tessel::BatteryCtrl>(ids::kBattery).GetLevel(), 15);
  EXPECT_EQ(Control<Tessel::BatteryCtrl>(ids::kBattery).GetCharging(), 1);
  EXPECT_EQ(Control<Tessel::BatteryCtrl>(ids::kBattery).GetChargingText(),
            Text(text::kDeviceCharging));
  for (const auto& item : Control<Tessel::CDeviceList>(ids::kDeviceList).GetItems()) {
    if (item.modelId != 101) continue;
    ASSERT_TRUE(item.batteries.contains(1));
    EXPECT_EQ(item.batteries.at(1).level, 15);
  }

  // A keyboard that reports no level leaves the display as it was.
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.batteryLevel = 0; });
  ReadKeyboard();
  EXPECT_EQ(Control<Tessel::BatteryCtrl>(ids::kBattery).GetLevel(), 15);
}

TEST_F(SystemSettingsTest, AnotherKeyboardDoesNotShowThePreviousKeyboardsBattery) {
  Plug(101);
  StartUp();
  ASSERT_EQ(Control<Tessel::BatteryCtrl>(ids::kBattery).GetLevel(), 80);
  bus.UnplugCable(keyboard);
  Plug(160);
  Settle();
  dialog->GetControl<Tessel::CDeviceList>(ids::kDeviceList)->UserSelectDevice(160);
  Settle();
  ASSERT_EQ(dialog->Keyboard().Info().Get().modelId, 160);
  EXPECT_EQ(Control<Tessel::BatteryCtrl>(ids::kBattery).GetLevel(), 0);
  EXPECT_FALSE(Control<Tessel::MControlFont>(ids::kBatteryLabel).IsVisible());
}

TEST_F(SystemSettingsTest, TheFirmwareLabelShowsTheFirstCharacterAndTheLastTwoInTheUsersLanguage) {
  Plug(101);
  StartUp();
  const struct {
    std::uint16_t version;
    const char* label;
  } kVersions[] = {{0x105, "v1.05"}, {0x1A, "v1.1a"}, {0x5, "v0.05"}, {0x1234, "v1.34"}};
  for (const auto& version : kVersions) {
    bus.ModifyState(
        keyboard, [&](sim::KeyboardState& state) { state.info.firmwareVersion = version.version; });
    ReadKeyboard();
    EXPECT_EQ(Title(ids::kFirmwareVersionLabel), std::string("Firmware version: ") + version.label);
  }
  texts->SetLanguage(2052);
  dialog->ApplyTexts();
  EXPECT_EQ(Title(ids::kFirmwareVersionLabel), Text(text::kFirmwareVersion) + ": v1.34");

  // A keyboard that does not answer leaves the placeholder.
  bus.AddFault(keyboard, sim::RefuseNext(0x12, -1));
  ReadKeyboard();
  EXPECT_EQ(Title(ids::kFirmwareVersionLabel), Text(text::kFirmwareVersion) + ": v1.00");
}

TEST_F(SystemSettingsTest, ALightModeOfThirtyOrMoreIsStoredAsTheFirstCustomSlot) {
  Plug(101);
  StartUp();
  for (int mode : {1, 31, 128}) {
    storage::LightSettingRecord row;
    row.profile = Profile();
    row.mode = mode;
    EXPECT_GT(Database().AddLightSetting(row), 0);
  }
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.settings[2] = 31; });
  ReadKeyboard();
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), 0), 128);
  EXPECT_EQ(dialog->Keyboard().Info().Get().lightModes.zone0, 128);
}

TEST_F(SystemSettingsTest, AFailingStepEndsTheReadClosesTheBracketAndStoresNothing) {
  Plug(101);
  StartUp();
  EXPECT_TRUE(Database().SetConfigValue(Profile(), key::kGameMode, "7"));
  const int closes = Keyboard().counters.bracketCloses;
  bus.SetFrameLogging(true);
  bus.AddFault(keyboard, sim::RefuseNext(0x14, -1));
  EXPECT_FALSE(ReadKeyboard());
  EXPECT_EQ(SentCommands(), (std::vector<int>{0x10, 0x12, 0x14, 0x11}));
  EXPECT_EQ(Keyboard().counters.bracketCloses, closes + 1);
  EXPECT_EQ(Config(key::kGameMode), "7");
}

// The settings page ------------------------------------------------------------------------------

class SettingsPageRevisionTest : public SystemSettingsTest,
                                 public ::testing::WithParamInterface<ModelCase> {};

TEST_P(SettingsPageRevisionTest, EachChangeReachesTheRevisionsPositionAndLeavesEveryOtherByte) {
  const ModelCase model = GetParam();
  Plug(model.modelId);
  StartUp();
  FillSettingsBlock();
  const sim::SystemSettingsLayout at = At(model.revision);
  // What the database holds goes back into the block with the change.
  EXPECT_TRUE(Database().SetConfigValue(Profile(), key::kSleepTime, "2"));
  EXPECT_TRUE(Database().SetConfigValue(Profile(), key::kKeyResponse, "8"));
  sim::SettingsBlock expected = Keyboard().settings;
  expected[at.macMode] = expected[at.lockWin] = expected[at.wasdSwap] = 0;
  expected[at.keyResponse] = 8;
  expected[at.sleepSeconds] = 120;
  expected[at.sleepSeconds + 1] = expected[at.sleepSeconds + 2] = 0;

  Control<Tessel::CSwitchButton>(ids::kGameModeSwitch).UserClick();
  EXPECT_EQ(Config(key::kGameMode), "1");
  EXPECT_EQ(dialog->Tasks().Clear(), std::vector<int>{task::kSendSystemSettings});
  dialog->QueueTask(task::kSendSystemSettings);
  RunQueuedTasks();
  expected[at.gameMode] = 1;
  EXPECT_EQ(Keyboard().settings, expected);

  // 10 minutes are 600 seconds: 0x58 0x02 0x00.
  auto& sleep = Control<Tessel::MComboBox>(ids::kSleepTimeCombo);
  sleep.UserSelect(sleep.FindData(10));
  EXPECT_EQ(Config(key::kSleepTime), "10");
  RunQueuedTasks();
  expected[at.sleepSeconds] = 0x58;
  expected[at.sleepSeconds + 1] = 0x02;
  EXPECT_EQ(Keyboard().settings, expected);

  // The quirks of the lists: "4 Min" stores 5 (300 seconds), "3" stores 4.
  sleep.UserSelect(3);
  auto& response = Control<Tessel::MComboBox>(ids::kKeyResponseCombo);
  response.UserSelect(2);
  EXPECT_EQ(Config(key::kSleepTime), "5");
  EXPECT_EQ(Config(key::kKeyResponse), "4");
  RunQueuedTasks();
  expected[at.sleepSeconds] = 0x2C;
  expected[at.sleepSeconds + 1] = 0x01;
  expected[at.keyResponse] = 4;
  EXPECT_EQ(Keyboard().settings, expected);

  for (int id : {ids::kMacModeSwitch, ids::kLockWinSwitch, ids::kWasdSwapSwitch}) {
    Control<Tessel::CSwitchButton>(id).UserClick();
  }
  RunQueuedTasks();
  expected[at.macMode] = expected[at.lockWin] = expected[at.wasdSwap] = 1;
  EXPECT_EQ(Keyboard().settings, expected);
}

INSTANTIATE_TEST_SUITE_P(Revisions, SettingsPageRevisionTest,
                         ::testing::Values(kModels[0], kModels[2]), ModelName);

TEST_F(SystemSettingsTest, TwoQuickTogglesQueueTwoTasksThatEachSendWhatIsStoredWhenTheyRun) {
  Plug(101);
  StartUp();
  auto& game = Control<Tessel::CSwitchButton>(ids::kGameModeSwitch);
  game.UserClick();
  game.UserClick();
  EXPECT_EQ(Config(key::kGameMode), "0");
  EXPECT_EQ(dialog->Tasks().Size(), 2u);
  const std::size_t gameByte = At(2).gameMode;
  // The keyboard was set behind our back; the first task sends the stored 0.
  bus.ModifyState(keyboard, [&](sim::KeyboardState& state) { state.settings[gameByte] = 1; });
  dialog->RunCycle();
  EXPECT_EQ(Keyboard().settings[gameByte], 0);
  EXPECT_TRUE(Database().SetConfigValue(Profile(), key::kGameMode, "1"));
  dialog->RunCycle();
  EXPECT_EQ(Keyboard().settings[gameByte], 1);
}

TEST_F(SystemSettingsTest, SendingUsesTheBracketAndWritesNothingWhenTheBlockCannotBeRead) {
  Plug(101);
  StartUp();
  FillSettingsBlock();
  const sim::SettingsBlock before = Keyboard().settings;
  EXPECT_TRUE(Database().SetConfigValue(Profile(), key::kGameMode, "1"));
  bus.SetFrameLogging(true);
  dialog->QueueTask(task::kSendSystemSettings);
  RunQueuedTasks();
  EXPECT_EQ(SentCommands(), (std::vector<int>{0x10, 0x14, 0x15, 0x11}));

  bus.ClearFrameLog();
  bus.ModifyState(keyboard, [&](sim::KeyboardState& state) { state.settings = before; });
  bus.AddFault(keyboard, sim::RefuseNext(0x14, -1));
  dialog->QueueTask(task::kSendSystemSettings);
  RunQueuedTasks();
  EXPECT_EQ(SentCommands(), (std::vector<int>{0x10, 0x14, 0x11}));
  EXPECT_EQ(Keyboard().settings, before);
}

TEST_F(SystemSettingsTest, SettingsTheProfileDoesNotHoldKeepTheKeyboardsValues) {
  Plug(101);
  StartUp();
  FillSettingsBlock();
  const sim::SettingsBlock before = Keyboard().settings;
  dialog->State().currentProfile.store(9999);  // a profile without configuration rows
  dialog->QueueTask(task::kSendSystemSettings);
  RunQueuedTasks();
  EXPECT_EQ(Keyboard().settings, before);
}

TEST_F(SystemSettingsTest, WithoutTheKeyboardsRevisionTheSendAsksForItFirst) {
  Plug(160);
  // The information block is refused at the connection: the revision is not known.
  bus.AddFault(keyboard, sim::RefuseNext(0x12, 6));
  StartUp();
  ASSERT_EQ(dialog->Keyboard().Info().Get().modelId, 0);
  ASSERT_GT(Profile(), 0);
  FillSettingsBlock();
  EXPECT_TRUE(Database().SetConfigValue(Profile(), key::kGameMode, "1"));
  dialog->QueueTask(task::kSendSystemSettings);
  RunQueuedTasks();
  EXPECT_EQ(Keyboard().settings[At(1).gameMode], 1);
  EXPECT_EQ(Keyboard().settings[At(2).gameMode], 0x80 + At(2).gameMode);

  // No answer at all: nothing is written.
  FillSettingsBlock();
  const sim::SettingsBlock before = Keyboard().settings;
  bus.AddFault(keyboard, sim::RefuseNext(0x12, -1));
  dialog->QueueTask(task::kSendSystemSettings);
  RunQueuedTasks();
  EXPECT_EQ(Keyboard().settings, before);
}

TEST_F(SystemSettingsTest, LoadingShowsTheStoredValuesAndNoChoiceForAValueWithoutAnItem) {
  Plug(101);
  StartUp();
  const int profile = Profile();
  EXPECT_TRUE(Database().SetConfigValue(profile, key::kMacMode, "1"));
  EXPECT_TRUE(Database().SetConfigValue(profile, key::kWasdMode, "2"));  // only 1 turns it on
  EXPECT_TRUE(Database().SetConfigValue(profile, key::kSleepTime, "7"));
  EXPECT_TRUE(Database().SetConfigValue(profile, key::kKeyResponse, "20"));
  EXPECT_TRUE(Database().SetConfigValue(profile, key::kEncoderMode, "1"));
  dialog->Keyboard().Page().LoadSystemSettings();
  EXPECT_TRUE(Control<Tessel::CSwitchButton>(ids::kMacModeSwitch).GetCheck());
  EXPECT_FALSE(Control<Tessel::CSwitchButton>(ids::kWasdSwapSwitch).GetCheck());
  EXPECT_TRUE(Control<Tessel::CSwitchButton>(ids::kKnobModeSwitch).GetCheck());
  EXPECT_EQ(Control<Tessel::MComboBox>(ids::kSleepTimeCombo).GetCurSel(), -1);
  EXPECT_EQ(Control<Tessel::MComboBox>(ids::kKeyResponseCombo).GetCurData(), 20);
}

class KnobModelTest : public SystemSettingsTest {};

TEST_F(KnobModelTest, TheKnobModeIsStoredSendsNothingAndShowsTheKnobKeyOnModel103) {
  Plug(103);
  StartUp();
  auto& view = Control<Tessel::KeyboardCtrl>(ids::kKeyboardView);
  ASSERT_GT(view.GetKeyCount(), 14);
  auto& knob = Control<Tessel::CSwitchButton>(ids::kKnobModeSwitch);
  EXPECT_TRUE(knob.IsVisible());
  knob.UserClick();
  EXPECT_EQ(Config(key::kEncoderMode), "1");
  EXPECT_TRUE(dialog->Tasks().IsEmpty());
  EXPECT_EQ(view.GetKeyItems()[14].code, 255);
  knob.UserClick();
  EXPECT_EQ(Config(key::kEncoderMode), "0");
  EXPECT_EQ(view.GetKeyItems()[14].code, 74);
}

// Factory reset ----------------------------------------------------------------------------------

TEST_F(SystemSettingsTest, CancellingTheFactoryResetChangesNothing) {
  Plug(101);
  StartUp();
  settings->SetRegString("theme_bkg", "/tmp/mine.png");
  const std::vector<int> profiles = ProfileIds();
  AnswerFactoryReset(Tessel::kResultCancel);
  Control<Tessel::MButton>(ids::kRestoreFactoryButton).UserClick();
  EXPECT_EQ(boxes, std::vector<std::string>{Text(text::kRestoreFactoryCaption) + "|" +
                                            Text(text::kRestoreFactoryMessage)});
  EXPECT_EQ(ProfileIds(), profiles);
  EXPECT_TRUE(dialog->Tasks().IsEmpty());
  EXPECT_EQ(settings->GetRegString("theme_bkg"), "/tmp/mine.png");
}

TEST_F(SystemSettingsTest, TheFactoryResetRestoresKeyboardAndDatabaseAndFreesTheWindow) {
  Plug(101);
  StartUp();
  const std::vector<int> before = ProfileIds();
  ASSERT_EQ(before.size(), 3u);
  Control<Tessel::CSwitchButton>(ids::kGameModeSwitch).UserClick();
  RunQueuedTasks();
  ASSERT_EQ(Keyboard().settings[At(2).gameMode], 1);
  settings->SetRegString("theme_bkg", "/tmp/mine.png");

  AnswerFactoryReset(Tessel::kResultOK);
  Control<Tessel::MButton>(ids::kRestoreFactoryButton).UserClick();
  backend.PumpUntilIdle();

  EXPECT_FALSE(windowEnabledWhileWaiting);
  EXPECT_TRUE(dialog->IsWindowEnabled());
  EXPECT_EQ(Tessel::Manager::FindWindow(WaitDlg::kWindowName), nullptr);
  EXPECT_EQ(Keyboard().counters.factoryResets, 1);
  EXPECT_EQ(Keyboard().settings, Keyboard().factorySettings);
  EXPECT_EQ(settings->GetRegString("theme_bkg"), "");
  // Three new profiles; the old ones are gone with their settings.
  const std::vector<int> after = ProfileIds();
  ASSERT_EQ(after.size(), 3u);
  EXPECT_GT(after.front(), before.back());
  EXPECT_EQ(Profile(), after.front());
  EXPECT_EQ(Config(key::kGameMode), "0");
  EXPECT_EQ(Config(key::kGameMode, before.front()), "");
  EXPECT_FALSE(Control<Tessel::CSwitchButton>(ids::kGameModeSwitch).GetCheck());
  // The new profiles have the keyboard's key rows.
  EXPECT_GT(Database().CountKeyAssignments(after[1]), 0);
  EXPECT_TRUE(dialog->Tasks().IsEmpty());
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(), Text(text::kRestoreFactoryCaption) + "|" + Text(text::kFactoryResetDone));
}

TEST_F(SystemSettingsTest, PullingTheKeyboardOutDuringTheResetFreesTheWindowAndKeepsTheProfiles) {
  Plug(101);
  StartUp();
  const std::vector<int> before = ProfileIds();
  sim::FaultRule unplug;
  unplug.kind = sim::FaultKind::kUnplug;
  unplug.command = 0x31;
  bus.AddFault(keyboard, unplug);
  AnswerFactoryReset(Tessel::kResultOK);
  Control<Tessel::MButton>(ids::kRestoreFactoryButton).UserClick();
  Settle();
  EXPECT_FALSE(bus.IsPlugged(keyboard, sim::Link::kCable));
  EXPECT_TRUE(dialog->IsWindowEnabled());
  EXPECT_EQ(Tessel::Manager::FindWindow(WaitDlg::kWindowName), nullptr);
  EXPECT_FALSE(dialog->State().devicePresent.load());
  // The keyboard never confirmed the reset: the database keeps every profile.
  EXPECT_EQ(ProfileIds(), before);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(),
            Text(text::kRestoreFactoryCaption) + "|" + Text(text::kFactoryResetNotDone));
}

TEST_F(SystemSettingsTest, AResetDroppedBeforeItRanKeepsEveryProfileAndSaysSo) {
  Plug(101, /*receiver=*/true);
  StartUp();
  const std::vector<int> before = ProfileIds();
  EXPECT_TRUE(Database().SetConfigValue(Profile(), key::kGameMode, "1"));
  // The keyboard falls asleep behind its receiver before the worker takes the task.
  AnswerFactoryReset(Tessel::kResultOK, [this] { dialog->State().online.store(false); });
  Control<Tessel::MButton>(ids::kRestoreFactoryButton).UserClick();
  EXPECT_TRUE(dialog->IsWindowEnabled());
  EXPECT_EQ(Tessel::Manager::FindWindow(WaitDlg::kWindowName), nullptr);
  EXPECT_EQ(Keyboard().counters.factoryResets, 0);
  Settle();
  EXPECT_EQ(ProfileIds(), before);
  EXPECT_EQ(Config(key::kGameMode), "1");
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(),
            Text(text::kRestoreFactoryCaption) + "|" + Text(text::kFactoryResetNotDone));
}

TEST_F(SystemSettingsTest, AResetTheKeyboardRefusesKeepsEveryProfileAndSaysSo) {
  Plug(101);
  StartUp();
  const std::vector<int> before = ProfileIds();
  bus.AddFault(keyboard, sim::RefuseNext(0x31, -1));
  AnswerFactoryReset(Tessel::kResultOK);
  Control<Tessel::MButton>(ids::kRestoreFactoryButton).UserClick();
  Settle();
  EXPECT_EQ(ProfileIds(), before);
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back(),
            Text(text::kRestoreFactoryCaption) + "|" + Text(text::kFactoryResetNotDone));
}

TEST_F(SystemSettingsTest, WithoutAKeyboardTheResetOnlyRestoresTheBackgrounds) {
  StartUp();
  settings->SetRegString("theme_bkg_gif", "/tmp/mine.gif");
  const std::vector<int> profiles = ProfileIds();
  AnswerFactoryReset(Tessel::kResultOK);
  dialog->Keyboard().Page().RestoreFactorySettings();
  EXPECT_EQ(settings->GetRegString("theme_bkg_gif"), "");
  EXPECT_EQ(ProfileIds(), profiles);
  EXPECT_TRUE(dialog->IsWindowEnabled());
  EXPECT_TRUE(dialog->Tasks().IsEmpty());
}

// The worker on its own thread -------------------------------------------------------------------

class SystemSettingsWorkerTest : public SystemSettingsTest {
 protected:
  SystemSettingsWorkerTest() : SystemSettingsTest(/*startWorker=*/true) {}
  // The keyboard is there before the window starts its worker.
  void Prepare() override { Plug(101); }

  bool WaitFor(const std::function<bool()>& done) {
    return backend.RunUntil(done, std::chrono::seconds(20));
  }
};

TEST_F(SystemSettingsWorkerTest, TheWorkerReadsSendsAndResetsWhileTheUiThreadWaits) {
  ASSERT_TRUE(
      WaitFor([this] { return Title(ids::kFirmwareVersionLabel) == "Firmware version: v1.22"; }));
  // The read ends with the key rows of the third profile; a change made before would be
  // overwritten by what the keyboard reports.
  ASSERT_TRUE(WaitFor([this] {
    const std::vector<int> profiles = ProfileIds();
    return profiles.size() == 3 && Database().CountKeyAssignments(profiles[2]) > 0 &&
           dialog->Tasks().IsEmpty();
  }));
  Control<Tessel::CSwitchButton>(ids::kGameModeSwitch).UserClick();
  EXPECT_TRUE(WaitFor([this] { return Keyboard().settings[At(2).gameMode] == 1; }));

  backend.SetResponder(
      [](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
        if (dynamic_cast<Tessel::CUIMessageBox*>(request.window) != nullptr) {
          return Tessel::DialogAnswer::Result(Tessel::kResultOK);
        }
        return std::nullopt;  // the wait dialog stays until the worker closes it
      });
  // Returns once the worker has closed the wait dialog.
  Control<Tessel::MButton>(ids::kRestoreFactoryButton).UserClick();
  EXPECT_EQ(Tessel::Manager::FindWindow(WaitDlg::kWindowName), nullptr);
  EXPECT_TRUE(WaitFor([this] { return dialog->IsWindowEnabled(); }));
  EXPECT_EQ(Keyboard().counters.factoryResets, 1);
  EXPECT_EQ(Keyboard().settings[At(2).gameMode], 0);
  EXPECT_TRUE(
      WaitFor([this] { return Config(key::kGameMode) == "0" && dialog->Tasks().IsEmpty(); }));
}

}  // namespace

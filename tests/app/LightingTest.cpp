// The lighting room through the controller, against virtual keyboards: what reaches the
// keyboard's settings block and slot tables, what the database holds, and what the light page
// and the keyboard view show.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "ConnectedKeyboardFixture.h"
#include "core/TextIds.h"
#include "lighting/LightPageLayout.h"
#include "storage/ConfigKeys.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/KeyboardCtrl.h"

namespace {

namespace lids = lighting::ids;
using lighting::KeyColor;

class LightingTest : public ConnectedKeyboardFixture {
 protected:
  explicit LightingTest(bool startWorker = false) : ConnectedKeyboardFixture(startWorker) {}

  lighting::LightingService& Service() { return dialog->Lighting().Service(); }

  void StartWith(int modelId) {
    Plug(modelId);
    StartUp();
    ASSERT_GT(Profile(), 0);
  }
  void OpenLightPage() {
    ASSERT_TRUE(dialog->SwitchToPage(kPageLighting));
    Settle();
  }

  template <class T>
  T& Control(int id) {
    T* control = dialog->GetControl<T>(id);
    EXPECT_NE(control, nullptr) << id;
    return *control;
  }
  Tessel::KeyboardCtrl& View() { return Control<Tessel::KeyboardCtrl>(ids::kKeyboardView); }

  void ChooseMode(int mode) {
    auto& list = Control<Tessel::IconList>(lids::kModeList);
    list.UserSelect(list.FindData(mode));
  }
  void ChooseSlot(int slot) {
    auto& slots = Control<Tessel::MComboBox>(lids::kSlotCombo);
    slots.UserSelect(slots.FindData(slot));
  }

  storage::LightSettingRecord Stored(int zone, int mode) {
    storage::LightSettingRecord record;
    EXPECT_TRUE(Database().GetLightSetting(Profile(), zone, mode, record)) << zone << " " << mode;
    return record;
  }
  void Store(const storage::LightSettingRecord& record) {
    ASSERT_TRUE(Database().UpdateLightSetting(record.type, record.mode, record));
  }

  std::array<std::uint8_t, 9> Region(std::size_t first) {
    const sim::KeyboardState state = Keyboard();
    std::array<std::uint8_t, 9> bytes{};
    std::copy_n(state.settings.begin() + static_cast<std::ptrdiff_t>(first), 9, bytes.begin());
    return bytes;
  }

  // The colour the keyboard keeps for a key in a slot table; empty for a key without a light
  // (as the keyboard reports the lights, the knob has none).
  std::optional<std::uint32_t> SlotColor(int slot, int code) {
    const std::optional<int> light = dialog->Layout()->FindLightIndex(code);
    if (!light) return std::nullopt;
    const sim::ColourTable table = Keyboard().customSlots[static_cast<std::size_t>(slot - 128)];
    const std::size_t at = static_cast<std::size_t>(*light) * 3;
    return table[at] | table[at + 1] << 8 | table[at + 2] << 16;
  }
  std::uint32_t ViewColor(int code) {
    for (const Tessel::KEY_INFO& key : View().GetKeyItems()) {
      if (key.code == code) return key.color;
    }
    ADD_FAILURE() << "no key " << code;
    return 0;
  }
};

// The settings block ------------------------------------------------------------------------------

struct RegionCase {
  int modelId;
  int zone;
  std::size_t firstByte;  // the region's leading byte
};

class LightRegionTest : public LightingTest, public ::testing::WithParamInterface<RegionCase> {};

TEST_P(LightRegionTest, ModeChangeWritesTheZonesRegion) {
  const RegionCase c = GetParam();
  StartWith(c.modelId);
  // Keyboards report a maximum speed of 4 for every zone.
  storage::LightSettingRecord record = Stored(c.zone, 3);
  record.brightness = 4;
  record.speed = 1;
  record.colorful = 0;
  record.colorindex = 2;
  record.color_value = 0x0000FF;
  Store(record);
  const sim::KeyboardState before = Keyboard();
  EXPECT_TRUE(Service().SetZoneMode(c.zone, 3));
  Settle();
  EXPECT_EQ(Region(c.firstByte), (std::array<std::uint8_t, 9>{0, 3, 4, 3, 0, 2, 0xFF, 0, 0}));
  // Every other byte of the block goes back as the keyboard had it.
  const sim::KeyboardState after = Keyboard();
  for (std::size_t i = 0; i < after.settings.size(); ++i) {
    if (i >= c.firstByte && i < c.firstByte + 9) continue;
    EXPECT_EQ(after.settings[i], before.settings[i]) << "byte " << i;
  }
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), c.zone), 3);
  EXPECT_EQ(Config(storage::config_key::kEnableLight), "1");
}

INSTANTIATE_TEST_SUITE_P(Zones, LightRegionTest,
                         ::testing::Values(RegionCase{101, 0, 1}, RegionCase{101, 2, 11},
                                           RegionCase{101, 1, 20}, RegionCase{103, 2, 11},
                                           RegionCase{160, 0, 1}));

TEST_F(LightingTest, MatrixModeOfARevision1KeyboardLeavesItsBlockAsItWas) {
  StartWith(160);
  // The keypad takes the matrix start command as a matrix model of its revision would.
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.info.matrix.present = true; });
  storage::LightSettingRecord matrix{.profile = Profile(), .type = 16, .mode = 2, .brightness = 3};
  ASSERT_GT(Database().AddLightSetting(matrix), 0);
  const sim::KeyboardState before = Keyboard();
  bus.SetFrameLogging(true);
  {
    core::WorkerScope worker;
    Service().SendMatrixLightMode(2);
  }
  const sim::KeyboardState after = Keyboard();
  EXPECT_EQ(after.counters.matrixStarts, before.counters.matrixStarts + 1);
  EXPECT_EQ(after.settings, before.settings);
  const std::vector<int> sent = SentCommands();
  ASSERT_GE(sent.size(), 5u);
  EXPECT_EQ(std::vector<int>(sent.end() - 5, sent.end()),
            (std::vector<int>{0x10, 0x3D, 0x14, 0x15, 0x11}));
}

TEST_F(LightingTest, MatrixModeOfARevision2KeyboardFillsTheMatrixRegion) {
  StartWith(102);
  // The matrix room seeded the profile's matrix modes; mode 2 is changed in place.
  storage::LightSettingRecord matrix;
  ASSERT_TRUE(Database().GetLightSetting(Profile(), 16, 2, matrix));
  matrix.brightness = 3;
  matrix.speed = 1;
  matrix.colorful = 0;
  matrix.color_value = 0x00FF00;
  ASSERT_TRUE(Database().UpdateLightSetting(16, 2, matrix));
  {
    core::WorkerScope worker;
    Service().SendMatrixLightMode(2);
  }
  EXPECT_EQ(Region(29), (std::array<std::uint8_t, 9>{0, 2, 3, 3, 0, 0, 0, 0xFF, 0}));
}

// Custom slots ------------------------------------------------------------------------------------

TEST_F(LightingTest, SlotChoiceShowsTheSlotInZone0AndKeepsTheStoredActiveMode) {
  StartWith(101);
  OpenLightPage();
  ChooseMode(128);
  ChooseSlot(130);
  Settle();
  const sim::KeyboardState state = Keyboard();
  EXPECT_EQ(state.settings[2], 0xFD);
  EXPECT_EQ(state.settings[10], 2);
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), 0), 128);
  EXPECT_EQ(View().GetKeyboardCtrlMode(), Tessel::kKeyboardModeColor);
  // The view shows what the keyboard keeps in slot 130 (blue), whatever the profile stored.
  const int escape = dialog->Layout()->Keys.front().code;
  EXPECT_EQ(ViewColor(escape), SlotColor(130, escape).value_or(1));
  EXPECT_EQ(ViewColor(escape), 0xFF0000u);
}

TEST_F(LightingTest, ADragOverTwentyKeysReachesTheKeyboardWithOneWriteWaiting) {
  StartWith(101);
  OpenLightPage();
  ChooseMode(128);
  Settle();
  // Green from the presets is the brush.
  Control<Tessel::CColorButton>(lids::kFirstPreset + 3).UserClick();
  Settle();
  const std::shared_ptr<const LayoutTables> layout = dialog->Layout();
  const std::vector<LayoutKeyName>& keys = layout->Keys;
  ASSERT_GE(keys.size(), 21u);
  View().UserPressKey(keys[0].code, false);
  for (std::size_t i = 1; i < 20; ++i) View().UserDragOverKey(keys[i].code);
  View().UserEndDrag();
  // However many keys the stroke crossed, one slot write waits.
  EXPECT_EQ(dialog->Tasks().Clear(), std::vector<int>{task::kWriteCustomSlotColors});
  backend.PumpUntilIdle();
  dialog->QueueTask(task::kWriteCustomSlotColors);
  Settle();
  int lit = 0;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::optional<std::uint32_t> color = SlotColor(128, keys[i].code);
    if (!color) continue;
    ++lit;
    EXPECT_EQ(*color, i < 20 ? 0x00FF00u : 0x0000FFu) << i;  // slot 128 ships red
  }
  EXPECT_GT(lit, 90);
  std::vector<storage::UserLightColorRecord> rows;
  EXPECT_EQ(Database().ListUserLightColors(Profile(), 128, rows), static_cast<int>(keys.size()));
}

TEST_F(LightingTest, SlotWriteSkipsStoredKeysWithoutALight) {
  StartWith(103);
  ASSERT_TRUE(Service().SelectSlot(131));
  Settle();
  const int known = dialog->Layout()->Keys[5].code;
  ASSERT_TRUE(Service().StoreSlotColors(131, {{known, 0x123456}, {0xEE, 0xFFFFFF}}));
  Settle();
  EXPECT_EQ(SlotColor(131, known), 0x123456u);
  ASSERT_FALSE(dialog->Layout()->FindLightIndex(0xEE).has_value());
  // Nothing else is lit: the unknown key was not put anywhere.
  const sim::ColourTable table = Keyboard().customSlots[3];
  EXPECT_EQ(std::count(table.begin(), table.end(), 0), static_cast<long>(table.size() - 3));
}

TEST_F(LightingTest, AnUnreadableSlotShowsTheStoredColoursNotBlack) {
  StartWith(101);
  OpenLightPage();
  ChooseMode(128);
  Settle();
  const int key = dialog->Layout()->Keys[3].code;
  ASSERT_TRUE(Service().StoreSlotColors(129, {{key, 0x00A0FF}}));
  bus.AddFault(keyboard, sim::RefuseNext(0x24, 60));
  ChooseSlot(129);
  Settle();
  EXPECT_EQ(ViewColor(key), 0x00A0FFu);
  // The next stroke stores the shown colours, not a dark keyboard.
  View().UserPressKey(dialog->Layout()->Keys[7].code, false);
  std::vector<storage::UserLightColorRecord> rows;
  Database().ListUserLightColors(Profile(), 129, rows);
  const auto row =
      std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.key_code == key; });
  ASSERT_NE(row, rows.end());
  EXPECT_EQ(row->key_rgb, 0x00A0FF);
}

TEST_F(LightingTest, StrokesMadeWhileTheSlotIsBeingReadAreKept) {
  StartWith(101);
  OpenLightPage();
  ChooseMode(128);  // the slot's read waits in the queue
  Control<Tessel::CColorButton>(lids::kFirstPreset + 7).UserClick();  // white
  const int painted = dialog->Layout()->Keys[12].code;
  const int other = dialog->Layout()->Keys[13].code;
  View().UserPressKey(painted, false);
  Settle();
  EXPECT_EQ(ViewColor(painted), 0xFFFFFFu);
  EXPECT_EQ(ViewColor(other), 0x0000FFu) << "the keyboard's own colour";
  dialog->QueueTask(task::kWriteCustomSlotColors);
  Settle();
  EXPECT_EQ(SlotColor(128, painted), 0xFFFFFFu);
  EXPECT_EQ(SlotColor(128, other), 0x0000FFu) << "not the dark placeholder of the view";
}

// The light switch --------------------------------------------------------------------------------

TEST_F(LightingTest, LightOffSendsModeZeroAndOnRestoresThePreviousMode) {
  StartWith(101);
  OpenLightPage();
  ChooseMode(5);
  Settle();
  ASSERT_EQ(Keyboard().settings[2], 5);
  Control<Tessel::CSwitchButton>(lids::kLightSwitch).UserClick();
  Settle();
  EXPECT_EQ(Keyboard().settings[2], 0);
  EXPECT_EQ(Config(storage::config_key::kEnableLight), "0");
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), 0), 5) << "the choice is kept";
  Control<Tessel::CSwitchButton>(lids::kLightSwitch).UserClick();
  Settle();
  EXPECT_EQ(Keyboard().settings[2], 5);
  EXPECT_EQ(Config(storage::config_key::kEnableLight), "1");
}

TEST_F(LightingTest, ChoosingAModeWhileTheLightIsOffTurnsItOn) {
  StartWith(101);
  OpenLightPage();
  Control<Tessel::CSwitchButton>(lids::kLightSwitch).UserClick();
  Settle();
  ChooseMode(7);
  Settle();
  EXPECT_TRUE(Control<Tessel::CSwitchButton>(lids::kLightSwitch).GetCheck());
  EXPECT_EQ(Config(storage::config_key::kEnableLight), "1");
  EXPECT_EQ(Keyboard().settings[2], 7);
}

// Profiles
// -----------------------------------------------------------------------------------------

TEST_F(LightingTest, AProfileSwitchSendsEveryZoneOfTheNewProfile) {
  StartWith(101);
  const std::vector<int> profiles = ProfileIds();
  ASSERT_GE(profiles.size(), 3u);
  const auto prepare = [&](int profile, const std::function<void()>& change) {
    dialog->State().currentProfile.store(profile);
    ASSERT_TRUE(Service().SeedLightModes());
    change();
  };
  prepare(profiles[1], [&] {
    ASSERT_TRUE(Database().SetActiveLightMode(profiles[1], 0, 9));
    ASSERT_TRUE(Database().SetActiveLightMode(profiles[1], 2, 3));
  });
  const int key = dialog->Layout()->Keys[4].code;
  prepare(profiles[2], [&] {
    ASSERT_TRUE(Database().SetActiveLightMode(profiles[2], 0, 128));
    ASSERT_TRUE(Service().StoreSlotColors(128, {{key, 0x336699}}));
  });
  const auto switchTo = [&](int profile) {
    dialog->Tasks().Clear();
    dialog->State().currentProfile.store(profile);
    ASSERT_TRUE(Database().SetActiveProfile(profile));
    dialog->QueueTask(task::kApplyProfile);
    Settle();
  };
  switchTo(profiles[1]);
  sim::KeyboardState state = Keyboard();
  EXPECT_EQ(state.settings[2], 9);
  EXPECT_EQ(state.settings[12], 3);
  EXPECT_EQ(state.settings[21], 1);
  switchTo(profiles[2]);
  state = Keyboard();
  EXPECT_EQ(state.settings[2], 0xFD);
  EXPECT_EQ(state.settings[10], 0);
  EXPECT_EQ(SlotColor(128, key), 0x336699u);
}

// Seeding -----------------------------------------------------------------------------------------

class SeedingTest : public LightingTest, public ::testing::WithParamInterface<int> {};

TEST_P(SeedingTest, EveryProfileGetsItsLightModes) {
  StartWith(GetParam());
  // The light modes come when the profile is loaded.
  EXPECT_EQ(Database().CountLightSettingsOfType(Profile(), 0), 26);
  EXPECT_EQ(Database().CountLightSettingsOfType(Profile(), 1), 5);
  EXPECT_EQ(Database().CountLightSettingsOfType(Profile(), 2), 5);
  EXPECT_EQ(Database().CountLightSettingsOfType(Profile(), 10), 5);
  // Mode 1 is active (and what the keyboards report as their own for zone 0).
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), 0), 1);
  // Zone 2's static mode offers brightness and the colour picker, on model 103 nothing more.
  EXPECT_EQ(Stored(2, 4).config_func, GetParam() == 103 ? 0x11 : 0x31);
  EXPECT_EQ(Stored(0, 130).config_func, 0x111);
  EXPECT_EQ(Stored(0, 0).config_func, 0);
}

INSTANTIATE_TEST_SUITE_P(Models, SeedingTest, ::testing::Values(101, 102, 103, 160));

TEST_F(LightingTest, AProfileWithOnlyMatrixRowsIsStillSeeded) {
  StartWith(102);
  // A new profile whose matrix page was loaded first holds only rows of zone 16.
  const int profile = Database().AddProfile({.name = "New"});
  ASSERT_GT(profile, 0);
  ASSERT_GT(Database().AddLightSetting({.profile = profile, .type = 16, .mode = 0}), 0);
  dialog->State().currentProfile.store(profile);
  EXPECT_TRUE(Service().SeedLightModes());
  EXPECT_EQ(Database().CountLightSettingsOfType(profile, 0), 26);
  EXPECT_EQ(Database().CountLightSettings(profile), 42);
  for (int zone : {0, 1, 2}) EXPECT_EQ(Database().GetActiveLightMode(profile, zone), 1);
  EXPECT_EQ(Database().GetActiveLightMode(profile, 10), 0);
  // Seeded once only.
  EXPECT_TRUE(Service().SeedLightModes());
  EXPECT_EQ(Database().CountLightSettings(profile), 42);
}

TEST_F(LightingTest, AModeTheKeyboardReportsWithoutARecordKeepsTheStoredChoice) {
  StartWith(101);
  ASSERT_TRUE(Service().SetZoneMode(0, 6));
  Settle();
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.settings[2] = 25; });
  ASSERT_TRUE(ReadKeyboard());
  EXPECT_EQ(Database().GetActiveLightMode(Profile(), 0), 6);
}

// The colour picker -------------------------------------------------------------------------------

TEST_F(LightingTest, ColourFieldsAreClampedAndRewritten) {
  StartWith(101);
  OpenLightPage();
  ChooseMode(4);  // static: single colour
  Settle();
  const struct {
    int edit;
    const char* typed;
    const char* shown;
  } cases[] = {{lids::kRedEdit, "300", "255"},
               {lids::kGreenEdit, "-5", "0"},
               {lids::kBlueEdit, "abc", "0"},
               {lids::kGreenEdit, "128", "128"}};
  for (const auto& c : cases) {
    auto& edit = Control<Tessel::MEdit>(c.edit);
    edit.UserSetText(c.typed);
    edit.UserCommit(true);
    EXPECT_EQ(edit.GetEditText(), c.shown) << c.typed;
  }
  Settle();
  EXPECT_EQ(Stored(0, 4).color_value, 0x0080FF);
  EXPECT_EQ(Stored(0, 4).colorful, 0) << "a colour of its own ends colorful";
  EXPECT_EQ(Region(1)[6], 0xFF);
  EXPECT_EQ(Region(1)[7], 0x80);
  EXPECT_EQ(Control<Tessel::ColorWheel>(lids::kColorWheel).GetColor(), 0x0080FFu);
}

TEST_F(LightingTest, AColourDragLeavesOneWriteWaiting) {
  StartWith(101);
  OpenLightPage();
  dialog->Tasks().Clear();
  backend.PumpUntilIdle();
  auto& wheel = Control<Tessel::ColorWheel>(lids::kColorWheel);
  for (int step = 0; step <= 30; ++step) wheel.UserPickHueSaturation(step * 4.0, 1.0, step == 30);
  EXPECT_EQ(dialog->Tasks().Size(), 1u);
  Settle();
  // The last colour of the drag reached the keyboard.
  const std::uint32_t last = Tessel::ColorOfHsv({120.0, 1.0, 1.0});
  EXPECT_EQ(Stored(0, 1).color_value, static_cast<int>(last));
  EXPECT_EQ(Region(1)[7], 0xFF);
}

// The live preview --------------------------------------------------------------------------------

TEST_F(LightingTest, LivePreviewMirrorsTheRunningEffectBrightened) {
  StartWith(101);
  OpenLightPage();
  dialog->ShowWindow(Tessel::kShow);
  ChooseMode(5);  // the virtual keyboard runs a wave across the keys
  Settle();
  Control<Tessel::CSwitchButton>(lids::kPreviewSwitch).UserClick();
  EXPECT_EQ(View().GetKeyboardCtrlMode(), Tessel::kKeyboardModeColor);
  const auto moment = [&](double seconds) {
    bus.ModifyState(keyboard,
                    [&](sim::KeyboardState& state) { state.frozenAnimationSeconds = seconds; });
    dialog->RunCycle();  // an idle cycle
    std::vector<std::uint32_t> colors;
    for (const Tessel::KEY_INFO& key : View().GetKeyItems()) colors.push_back(key.color);
    return colors;
  };
  const std::vector<std::uint32_t> first = moment(1.0);
  const std::vector<std::uint32_t> second = moment(2.5);
  EXPECT_NE(first, second);
  EXPECT_GT(std::count_if(first.begin(), first.end(), [](std::uint32_t c) { return c != 0; }), 50);
  // Each key is the keyboard's colour brightened.
  sim::KeyboardState state = Keyboard();
  const int key = dialog->Layout()->Keys[10].code;
  const auto light = static_cast<std::size_t>(*dialog->Layout()->FindLightIndex(key));
  const sim::ColourTable live = sim::ComputeLiveColours(state, sim::Clock::now());
  EXPECT_EQ(ViewColor(key), protocol::LivePreviewColor(
                                {live[light * 3], live[light * 3 + 1], live[light * 3 + 2]}));
}

TEST_F(LightingTest, NoPreviewWhileTheWindowIsHiddenOrAnotherPageShows) {
  StartWith(101);
  OpenLightPage();
  Control<Tessel::CSwitchButton>(lids::kPreviewSwitch).UserClick();
  dialog->ShowWindow(Tessel::kHide);
  bus.SetFrameLogging(true);
  bus.ClearFrameLog();
  dialog->RunCycle();
  const std::vector<int> hidden = SentCommands();
  EXPECT_EQ(std::find(hidden.begin(), hidden.end(), 0x34), hidden.end());
  dialog->ShowWindow(Tessel::kShow);
  dialog->RunCycle();
  const std::vector<int> sent = SentCommands();
  EXPECT_NE(std::find(sent.begin(), sent.end(), 0x34), sent.end());
}

// Streams and the matrix picture ------------------------------------------------------------------

TEST_F(LightingTest, StreamFramesOpenTheBracketAfterATaskAndAgainAfterAFailedFrame) {
  StartWith(102);
  device::LightingCommands& commands = dialog->Lighting().Commands();
  protocol::MatrixColors cells{};
  cells[0] = 0x0000FF;   // red
  cells[48] = 0xFF0000;  // blue
  bus.SetFrameLogging(true);
  const auto frame = [&] {
    bus.ClearFrameLog();
    core::WorkerScope worker;
    const bool sent = commands.StreamMatrix(cells);
    return std::pair{sent, SentCommands()};
  };
  // The last task closed the bracket: the first frame opens it, the next ones do not.
  EXPECT_EQ(frame(), std::pair(true, std::vector<int>{0x10, 0x3C}));
  EXPECT_EQ(frame(), std::pair(true, std::vector<int>{0x3C}));
  const sim::MatrixStream stream = Keyboard().matrixStream;
  EXPECT_EQ(stream[0], 0x00);
  EXPECT_EQ(stream[1], 0xF8);
  EXPECT_EQ(stream[96], 0x1F);
  EXPECT_EQ(stream[97], 0x00);
  // A refused frame: the next one opens the bracket again.
  bus.AddFault(keyboard, sim::RefuseNext(0x3C, 50));
  EXPECT_FALSE(frame().first);
  bus.ClearFaults(keyboard);
  EXPECT_EQ(frame(), std::pair(true, std::vector<int>{0x10, 0x3C}));
  // The screen-sync frame shares the bracket and puts each key's colour at its light.
  bus.ClearFrameLog();
  const protocol::LitKey keys[] = {{3, 0x00FF00}};
  {
    core::WorkerScope worker;
    EXPECT_TRUE(commands.StreamScreenSync(keys, 10));
  }
  EXPECT_EQ(SentCommands(), std::vector<int>{0x2E});
  EXPECT_EQ(Keyboard().screenSyncStream[6], 0xE0);
  EXPECT_EQ(Keyboard().screenSyncStream[7], 0x07);
}

TEST_F(LightingTest, AMatrixPictureThatCannotBeReadGivesNothingToPaint) {
  StartWith(102);
  {
    core::WorkerScope worker;
    const std::optional<protocol::MatrixColors> read = Service().ReadMatrixPicture();
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, protocol::ParseMatrixPicture(Keyboard().matrixPicture));
    EXPECT_NE((*read)[48], 0u);
  }
  bus.AddFault(keyboard, sim::RefuseNext(0x3A, 50));
  core::WorkerScope worker;
  EXPECT_FALSE(Service().ReadMatrixPicture().has_value());
}

// The worker on its own thread --------------------------------------------------------------------

class LightingWorkerTest : public LightingTest {
 protected:
  LightingWorkerTest() : LightingTest(/*startWorker=*/true) {}
  void Prepare() override { Plug(101); }
  bool WaitFor(const std::function<bool()>& done) {
    return backend.RunUntil(done, std::chrono::seconds(20));
  }
};

TEST_F(LightingWorkerTest, PaintingAndPickingWhileTheWorkerMirrorsTheKeyboard) {
  // Start-up has read the keyboard and the worker has been quiet for a while.
  bool settled = false;
  dialog->WhenSettled([&settled] { settled = true; });
  ASSERT_TRUE(WaitFor([&settled] { return settled; }));
  ASSERT_GT(Profile(), 0);
  ASSERT_TRUE(dialog->SwitchToPage(kPageLighting));
  dialog->ShowWindow(Tessel::kShow);
  ChooseMode(5);
  Control<Tessel::CSwitchButton>(lids::kPreviewSwitch).UserClick();
  // The worker paints the live colours while the user drags over the wheel.
  auto& wheel = Control<Tessel::ColorWheel>(lids::kColorWheel);
  for (int step = 0; step <= 120; ++step) {
    wheel.UserPickHueSaturation(step * 2.0, 1.0, step == 120);
    backend.RunFor(std::chrono::milliseconds(1));
  }
  const std::uint32_t last = Tessel::ColorOfHsv({240.0, 1.0, 1.0});
  EXPECT_TRUE(WaitFor([&] { return Region(1)[8] == 0xFF && Region(1)[6] == 0; }));
  EXPECT_EQ(Stored(0, 5).color_value, static_cast<int>(last));
  // Then a custom slot painted by a stroke.
  ChooseMode(128);
  ASSERT_TRUE(WaitFor([&] { return Keyboard().settings[2] == 0xFD && dialog->Tasks().IsEmpty(); }));
  Control<Tessel::CColorButton>(lids::kFirstPreset + 7).UserClick();  // white
  const std::shared_ptr<const LayoutTables> layout = dialog->Layout();
  View().UserPressKey(layout->Keys[20].code, false);
  for (std::size_t i = 21; i < 40; ++i) View().UserDragOverKey(layout->Keys[i].code);
  View().UserEndDrag();
  EXPECT_TRUE(WaitFor([&] { return SlotColor(128, layout->Keys[39].code) == 0xFFFFFFu; }));
  EXPECT_EQ(SlotColor(128, layout->Keys[41].code), 0x0000FFu) << "slot 128 ships red";
}

}  // namespace

// The controller's side of the device link against the virtual keyboard: what is shown when
// keyboards are attached, plugged, pulled, fall asleep and wake.

#include <gtest/gtest.h>

#include <atomic>

#include "ControllerFixture.h"
#include "base/Text.h"
#include "core/TextIds.h"
#include "sim/VirtualKeyboard.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"

namespace {

constexpr int kScreenTab = 3;

class DeviceSessionTest : public ControllerFixture {
 protected:
  std::filesystem::path AppFolder() override { return ShippedData(); }

  void SetUp() override {
    ControllerFixture::SetUp();
    // No pacing pauses in these tests; the hot-plug settling pause stays.
    dialog->Link().SetSleeper([](std::chrono::milliseconds) {});
  }

  sim::KeyboardId Add(int modelId) {
    std::string error;
    const auto id = sim::AddCatalogueKeyboard(bus, ShippedData(), modelId, &error);
    EXPECT_TRUE(id.has_value()) << error;
    return id.value_or(0);
  }

  // Runs the worker and the UI thread until both are idle.
  void Settle() {
    for (int round = 0; round < 20; ++round) {
      backend.PumpUntilIdle();
      if (dialog->Tasks().IsEmpty()) break;
      RunQueuedTasks();
    }
    backend.PumpUntilIdle();
  }

  void StartUp() {
    dialog->QueueTask(task::kStartUp);
    Settle();
  }

  // One idle cycle of the worker (notification polling), then the UI thread.
  void IdleCycle() {
    dialog->RunCycle();
    Settle();
  }

  std::string Title(int id) { return dialog->GetControl<Tessel::MControlFont>(id)->GetTitle(); }
  std::string Text(int id) const { return texts->GetText(text::kDialogSection, id); }

  Tessel::DeviceItem Item(int modelId) {
    for (const auto& item : dialog->GetControl<Tessel::CDeviceList>(ids::kDeviceList)->GetItems()) {
      if (item.modelId == modelId) return item;
    }
    ADD_FAILURE() << "no item for model " << modelId;
    return {};
  }

  bool Shown(int id) { return dialog->FindControl(id)->IsVisible(); }
  bool TabShown(int position) {
    return dialog->GetControl<Tessel::MTabCtrl>(ids::kMainTabs)->IsItemVisible(position);
  }
};

TEST_F(DeviceSessionTest, StartUpFindsTheCableKeyboardAndShowsItConnected) {
  bus.PlugCable(Add(101));
  StartUp();
  EXPECT_TRUE(dialog->State().devicePresent.load());
  EXPECT_TRUE(dialog->State().online.load());
  EXPECT_EQ(dialog->State().connectionKind.load(), kConnectionCable);
  EXPECT_EQ(settings->ReadDeviceType(), 101);
  EXPECT_TRUE(Shown(ids::kMainTabs));
  EXPECT_TRUE(Shown(ids::kDeviceList));
  EXPECT_FALSE(Shown(ids::kNoKeyboardText));
  const Tessel::DeviceItem item = Item(101);
  EXPECT_EQ(item.modeStates, (std::map<int, int>{{0, 1}}));
  EXPECT_EQ(item.batteries.at(0).level, bus.State(1)->batteryLevel);
  EXPECT_FALSE(Item(102).IsConnected());
  EXPECT_EQ(dialog->GetControl<Tessel::MControlFont>(ids::kProductTitle)->GetTitle(), "Tarvo K9");
  // StartUp runs once per run: a second one does not enumerate again.
  bus.UnplugCable(1);
  dialog->Tasks().Clear();  // the removal's own task
  dialog->QueueTask(task::kStartUp);
  RunQueuedTasks();
  EXPECT_TRUE(dialog->State().online.load());
}

TEST_F(DeviceSessionTest, WithoutAKeyboardTheDisconnectedViewIsShown) {
  StartUp();
  EXPECT_FALSE(dialog->State().devicePresent.load());
  EXPECT_EQ(dialog->State().connectionKind.load(), kConnectionNone);
  EXPECT_FALSE(Shown(ids::kMainTabs));
  EXPECT_FALSE(Shown(ids::kDeviceList));
  EXPECT_TRUE(Shown(ids::kNoKeyboardText));
  EXPECT_EQ(dialog->State().currentPage.load(), kPageHome);
}

class StoredOtherModelTest : public DeviceSessionTest {
 protected:
  void Prepare() override { settings->WriteDeviceType(102); }
};

TEST_F(StoredOtherModelTest, AStoredModelThatIsNotAttachedKeepsTheSelectionUntilTheUserPicks) {
  bus.PlugCable(Add(101));
  StartUp();
  EXPECT_TRUE(dialog->State().devicePresent.load());
  EXPECT_FALSE(dialog->State().online.load());
  EXPECT_EQ(dialog->GetControl<Tessel::CDeviceList>(ids::kDeviceList)->GetSelectDevice(), 102);
  EXPECT_TRUE(Shown(ids::kDeviceList));  // the attached keyboard can be picked
  EXPECT_TRUE(Shown(ids::kNoKeyboardText));

  dialog->QueueTask(task::kApplyLightMode);  // anything queued before the pick is dropped
  dialog->GetControl<Tessel::CDeviceList>(ids::kDeviceList)->UserSelectDevice(101);
  EXPECT_EQ(dialog->Tasks().Clear(), std::vector<int>{task::kReconnect});
  EXPECT_EQ(settings->ReadDeviceType(), 101);
  EXPECT_EQ(dialog->Link().GetSelectedModel(), 101);
  dialog->QueueTask(task::kReconnect);
  Settle();
  EXPECT_TRUE(dialog->State().online.load());
  EXPECT_EQ(dialog->State().currentPage.load(), kPageLighting);  // the pick opens the model's pages
}

TEST_F(DeviceSessionTest, PullingAndPluggingTheCableIsFollowed) {
  const sim::KeyboardId keyboard = Add(101);
  bus.PlugCable(keyboard);
  StartUp();
  dialog->QueueTask(task::kSendSystemSettings);  // dropped by the removal

  bus.UnplugCable(keyboard);
  backend.PumpUntilIdle();  // the removal message reaches the UI thread and queues the task
  EXPECT_EQ(dialog->Session().HotplugModel(), 101);
  Settle();
  EXPECT_FALSE(dialog->State().devicePresent.load());
  EXPECT_TRUE(Shown(ids::kNoKeyboardText));

  // The boot interface arrives first and is refused; the command interface brings it back.
  bus.PlugCable(keyboard);
  backend.PumpUntilIdle();
  EXPECT_EQ(dialog->Tasks().Size(), 1u);
  Settle();
  EXPECT_TRUE(dialog->State().online.load());
  EXPECT_FALSE(Shown(ids::kNoKeyboardText));
}

TEST_F(DeviceSessionTest, InterfacesOfUnknownDevicesAndOtherEventsQueueNothing) {
  StartUp();
  dialog->OnDeviceChange(0x8000, "HID#VID_046D&PID_C52B&MI_01#HIDRAW9");
  dialog->OnDeviceChange(0x8004, "HID#VID_36B0&PID_3001&MI_01#HIDRAW3");  // never present
  dialog->OnDeviceChange(0x0007, "HID#VID_36B0&PID_3001&MI_01#HIDRAW3");
  backend.PumpUntilIdle();
  EXPECT_TRUE(dialog->Tasks().IsEmpty());
}

TEST_F(DeviceSessionTest, TheCableWinsOverTheReceiverAndTheReceiverTakesOverWhenItIsPulled) {
  const sim::KeyboardId keyboard = Add(101);
  bus.PlugCable(keyboard);
  bus.PlugReceiver(keyboard);
  StartUp();
  EXPECT_EQ(dialog->State().connectionKind.load(), kConnectionCable);
  EXPECT_EQ(Item(101).modeStates, (std::map<int, int>{{0, 1}, {1, 1}}));
  EXPECT_TRUE(TabShown(kScreenTab));
  dialog->Link().GetCommandDevice();
  EXPECT_EQ(dialog->Link().PacingDelayMs(), 2);

  bus.UnplugCable(keyboard);
  Settle();
  EXPECT_TRUE(dialog->State().online.load());
  EXPECT_EQ(dialog->State().connectionKind.load(), kConnectionReceiver);
  EXPECT_FALSE(TabShown(kScreenTab));  // the screen is updated by cable only
  dialog->Link().GetCommandDevice();
  EXPECT_EQ(dialog->Link().PacingDelayMs(), 6);
}

TEST_F(DeviceSessionTest, TheWirelessKeyboardFallingAsleepAndWakingIsFollowed) {
  const sim::KeyboardId keyboard = Add(101);
  bus.PlugReceiver(keyboard);
  StartUp();
  ASSERT_TRUE(dialog->State().online.load());
  EXPECT_EQ(dialog->State().connectionKind.load(), kConnectionReceiver);

  bus.SetAsleep(keyboard, true);
  IdleCycle();
  EXPECT_FALSE(dialog->State().online.load());
  // The card and the page say it sleeps, and how to wake it; not that nothing is connected.
  EXPECT_EQ(Item(101).modeStates.at(1), Tessel::kModeAsleep);
  EXPECT_TRUE(Item(101).IsAsleep());
  EXPECT_TRUE(Shown(ids::kNoKeyboardText));
  EXPECT_EQ(Title(ids::kNoKeyboardText), base::Format(Text(text::kHomeKeyboardAsleep), "Tarvo K9"));
  EXPECT_EQ(Title(ids::kNoKeyboardHint), Text(text::kHomeKeyboardAsleepHint));

  // Waking shows it online again without a new enumeration: the records stay.
  std::vector<device::DeviceRecordInfo> before;
  dialog->Link().GetDevices(before);
  bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.batteryLevel = 12; });
  bus.SetAsleep(keyboard, false);
  IdleCycle();
  EXPECT_TRUE(dialog->State().online.load());
  EXPECT_EQ(Item(101).modeStates.at(1), 1);
  EXPECT_FALSE(Shown(ids::kNoKeyboardText));
  EXPECT_TRUE(Shown(ids::kMainTabs));
  EXPECT_FALSE(TabShown(kScreenTab));
  // Asleep during the last search, it is read once it wakes: its battery shows, and its
  // firmware.
  ASSERT_EQ(Item(101).batteries.count(1), 1u);
  EXPECT_EQ(Item(101).batteries.at(1).level, 12);
  EXPECT_EQ(Title(ids::kFirmwareVersionLabel), "Firmware version: v1.22");
  std::vector<device::DeviceRecordInfo> after;
  dialog->Link().GetDevices(after);
  ASSERT_EQ(after.size(), before.size());
  EXPECT_EQ(after[0].index, before[0].index);
}

TEST_F(DeviceSessionTest, AnotherModelWakingOnlyChangesTheListWhileItsPagesAreHidden) {
  bus.PlugCable(Add(101));
  const sim::KeyboardId other = Add(102);
  bus.PlugReceiver(other);
  bus.SetAsleep(other, true);
  StartUp();
  dialog->ShowPage(kPageLighting);
  backend.PumpUntilIdle();
  bus.SetAsleep(other, false);
  IdleCycle();
  EXPECT_EQ(Item(102).modeStates.at(1), 1);
  EXPECT_EQ(dialog->State().currentPage.load(), kPageLighting);  // nothing else moved
  EXPECT_EQ(dialog->State().selectedModel.load(), 101);
}

class KeypadTest : public DeviceSessionTest {
 protected:
  void Prepare() override { settings->WriteDeviceType(160); }
};

TEST_F(KeypadTest, AKeypadHasNoLightingMatrixOrScreenPages) {
  bus.PlugCable(Add(160));
  StartUp();
  EXPECT_TRUE(dialog->State().online.load());
  for (int position : {1, 2, 3}) EXPECT_FALSE(TabShown(position)) << position;
  dialog->GetControl<Tessel::CDeviceList>(ids::kDeviceList)->UserSelectDevice(160);
  backend.PumpUntilIdle();
  EXPECT_EQ(dialog->State().currentPage.load(),
            kPageKeys);  // the lighting page becomes the key page
}

TEST_F(DeviceSessionTest, ANotificationReadDuringATransferQueuesInstallOrUninstall) {
  const sim::KeyboardId keyboard = Add(101);
  bus.PlugReceiver(keyboard);
  StartUp();
  // The keyboard falls asleep while the worker talks to it: the notification arrives in place
  // of a reply and comes back as the device-notify message.
  bus.SetAsleep(keyboard, true);
  std::array<std::uint8_t, 64> block{};
  dialog->Link().TransferBlock(0x14, block);
  backend.PumpUntilIdle();
  EXPECT_EQ(dialog->Tasks().Clear(), std::vector<int>{task::kDeviceUnInstall});
}

}  // namespace

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <fstream>
#include <thread>

#include "XServerSupport.h"
#include "platform/input/EvdevDevice.h"
#include "platform/input/EvdevInputSource.h"
#include "platform/input/FakeInputSource.h"
#include "platform/input/NativeCodes.h"
#include "platform/input/SourceChoice.h"
#include "platform/input/WindowInputSource.h"
#include "support/TempFolder.h"

namespace {

using namespace platform::input;

TEST(NativeCodes, KeycodesAndButtons) {
  EXPECT_EQ(LinuxKeyOfNativeKeycode(38), KEY_A);
  EXPECT_EQ(LinuxKeyOfNativeKeycode(9), KEY_ESC);
  EXPECT_EQ(LinuxKeyOfNativeKeycode(255), 247);
  for (int outside : {-1, 0, 8, 256, 100000}) EXPECT_EQ(LinuxKeyOfNativeKeycode(outside), 0);
  const std::pair<int, int> buttons[] = {
      {1, BTN_LEFT},  {2, BTN_MIDDLE},   {3, BTN_RIGHT}, {4, 0}, {7, 0}, {8, BTN_SIDE},
      {9, BTN_EXTRA}, {10, BTN_FORWARD}, {11, BTN_BACK}, {0, 0}, {12, 0}};
  for (const auto& [native, code] : buttons) EXPECT_EQ(LinuxButtonOfNativeButton(native), code);
}

TEST(FakeInputSource, DeliversOnlyWhileStartedAndCountsGrabs) {
  test_support::EventCollector events;
  FakeInputSource source;
  EXPECT_FALSE(source.EmitKey(KEY_A, InputAction::kPress));
  ASSERT_TRUE(source.Start(events.Callback()));
  EXPECT_TRUE(source.EmitKey(KEY_KP1, InputAction::kPress, false));
  EXPECT_TRUE(source.EmitButton(BTN_LEFT, InputAction::kRelease));
  source.Stop();
  EXPECT_FALSE(source.EmitKey(KEY_B, InputAction::kPress));
  const auto seen = events.Events();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].code, KEY_KP1);
  EXPECT_FALSE(seen[0].numLock);
  EXPECT_EQ(seen[1].device, DeviceKind::kMouse);
  EXPECT_EQ(seen[1].source, SourceKind::kFake);

  {
    KeyboardGrab grab = source.GrabKeyboard();
    EXPECT_TRUE(grab.IsHeld());
    EXPECT_TRUE(source.IsKeyboardGrabbed());
  }
  EXPECT_FALSE(source.IsKeyboardGrabbed());
  source.SetGrabFailure("busy");
  KeyboardGrab failed = source.GrabKeyboard();
  EXPECT_FALSE(failed.IsHeld());
  EXPECT_EQ(failed.Failure(), "busy");
  source.FailNextStart();
  EXPECT_FALSE(source.Start(events.Callback()));
  EXPECT_TRUE(source.Start(events.Callback()));
}

TEST(WindowInputSource, PushedEventsArriveOnTheSourceThreadInOrder) {
  auto feed = std::make_shared<WindowInputFeed>();
  feed->PushKey(38, true, false, true);  // nobody listens: dropped
  test_support::EventCollector events;
  WindowInputSource source(feed);
  std::thread::id callbackThread;
  ASSERT_TRUE(source.Start([&, collect = events.Callback()](const InputEvent& event) {
    callbackThread = std::this_thread::get_id();
    collect(event);
  }));
  feed->PushKey(38, true, false, true);
  feed->PushKey(38, false, true, true);  // an auto-repeat's release: dropped
  feed->PushKey(38, true, true, true);
  feed->PushKey(38, false, false, true);
  feed->PushKey(87, true, false, false);  // keypad 1 with NumLock off
  feed->PushKey(3, true, false, true);    // no such key code: dropped
  feed->PushButton(9, true);
  feed->PushButton(5, true);  // the wheel: dropped
  ASSERT_TRUE(events.WaitFor(BTN_EXTRA, InputAction::kPress));
  source.Stop();
  EXPECT_NE(callbackThread, std::this_thread::get_id());
  const auto seen = events.Events();
  std::vector<std::pair<int, InputAction>> codes;
  for (const auto& e : seen) codes.emplace_back(e.code, e.action);
  const std::vector<std::pair<int, InputAction>> expected{{KEY_A, InputAction::kPress},
                                                          {KEY_A, InputAction::kRepeat},
                                                          {KEY_A, InputAction::kRelease},
                                                          {KEY_KP1, InputAction::kPress},
                                                          {BTN_EXTRA, InputAction::kPress}};
  EXPECT_EQ(codes, expected);
  EXPECT_FALSE(seen[3].numLock);
  EXPECT_EQ(seen[4].device, DeviceKind::kMouse);
  EXPECT_EQ(seen[0].source, SourceKind::kWindow);
  feed->PushKey(38, true, false, true);  // stopped: nothing more arrives
  EXPECT_EQ(events.Events().size(), expected.size());
  EXPECT_FALSE(source.GrabKeyboard().IsHeld());
}

TEST(WindowInputSource, ALaterSourceTakesTheFeedOver) {
  auto feed = std::make_shared<WindowInputFeed>();
  test_support::EventCollector firstEvents, secondEvents;
  WindowInputSource first(feed), second(feed);
  ASSERT_TRUE(first.Start(firstEvents.Callback()));
  ASSERT_TRUE(second.Start(secondEvents.Callback()));
  first.Stop();  // must not detach the second
  feed->PushButton(1, true);
  ASSERT_TRUE(secondEvents.WaitFor(BTN_LEFT, InputAction::kPress));
  EXPECT_TRUE(firstEvents.Events().empty());
}

TEST(SourceChoice, PicksWhatTheSessionOffers) {
  const struct {
    bool x11, wayland, evdev;
    SourceKind kind;
  } cases[] = {
      {true, false, true, SourceKind::kX11},     {true, false, false, SourceKind::kX11},
      {true, true, true, SourceKind::kEvdev},    {true, true, false, SourceKind::kWindow},
      {false, false, true, SourceKind::kEvdev},  {false, false, false, SourceKind::kWindow},
      {false, true, false, SourceKind::kWindow},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseSourceKind({c.x11, c.wayland, c.evdev}), c.kind)
        << c.x11 << c.wayland << c.evdev;
  }
  EXPECT_TRUE(SeesOtherPrograms(SourceKind::kX11));
  EXPECT_TRUE(SeesOtherPrograms(SourceKind::kEvdev));
  EXPECT_FALSE(SeesOtherPrograms(SourceKind::kWindow));
  auto feed = std::make_shared<WindowInputFeed>();
  for (SourceKind kind :
       {SourceKind::kX11, SourceKind::kEvdev, SourceKind::kWindow, SourceKind::kFake}) {
    EXPECT_EQ(CreateInputSource(kind, feed)->Kind(), kind);
  }
}

TEST(SourceChoice, ProbeSeesNoEvdevKeyboardInAFolderWithoutDevices) {
  TempFolder folder;
  std::ofstream(folder / "event0") << "not a device";
  EXPECT_FALSE(ProbeInput(folder.Path()).evdev);
}

// A device as libevdev describes it, without a node behind it.
struct FakeEvdev {
  FakeEvdev() : device(libevdev_new()) {}
  void Enable(unsigned type, unsigned code) {
    const input_absinfo axis{0, 0, 1000, 0, 0, 10};
    ASSERT_EQ(
        libevdev_enable_event_code(device.get(), type, code, type == EV_ABS ? &axis : nullptr), 0);
  }
  std::unique_ptr<libevdev, EvdevFree> device;
};

TEST(EvdevDevice, RolesFromTheCapabilities) {
  FakeEvdev keyboard;
  keyboard.Enable(EV_KEY, KEY_A);
  keyboard.Enable(EV_KEY, KEY_SPACE);
  FakeEvdev media;
  media.Enable(EV_KEY, KEY_VOLUMEUP);
  FakeEvdev mouse;
  mouse.Enable(EV_KEY, BTN_LEFT);
  mouse.Enable(EV_REL, REL_X);
  FakeEvdev power;
  power.Enable(EV_KEY, KEY_POWER);
  FakeEvdev tablet;  // a button but no motion
  tablet.Enable(EV_KEY, BTN_LEFT);
  FakeEvdev combined;
  combined.Enable(EV_KEY, KEY_A);
  combined.Enable(EV_KEY, KEY_SPACE);
  combined.Enable(EV_KEY, BTN_LEFT);
  combined.Enable(EV_ABS, ABS_X);
  const auto roles = [](const FakeEvdev& d) {
    const DeviceRoles r = RolesOf(*d.device);
    return std::make_pair(r.keyboard, r.mouse);
  };
  EXPECT_EQ(roles(keyboard), std::make_pair(true, false));
  EXPECT_EQ(roles(media), std::make_pair(true, false));
  EXPECT_EQ(roles(mouse), std::make_pair(false, true));
  EXPECT_EQ(roles(power), std::make_pair(false, false));
  EXPECT_EQ(roles(tablet), std::make_pair(false, false));
  EXPECT_EQ(roles(combined), std::make_pair(true, true));
}

TEST(EvdevDevice, KeyEventsByDeviceRole) {
  const DeviceRoles keyboard{true, false};
  const DeviceRoles mouse{false, true};
  const DeviceRoles both{true, true};
  const struct {
    unsigned type, code;
    int value;
    DeviceRoles roles;
    bool reported;
    DeviceKind device;
    InputAction action;
  } cases[] = {
      {EV_KEY, KEY_A, 1, keyboard, true, DeviceKind::kKeyboard, InputAction::kPress},
      {EV_KEY, KEY_A, 0, keyboard, true, DeviceKind::kKeyboard, InputAction::kRelease},
      {EV_KEY, KEY_A, 2, keyboard, true, DeviceKind::kKeyboard, InputAction::kRepeat},
      {EV_KEY, KEY_PLAYPAUSE, 1, keyboard, true, DeviceKind::kKeyboard, InputAction::kPress},
      {EV_KEY, KEY_A, 3, keyboard, false, {}, {}},
      {EV_KEY, KEY_A, -1, keyboard, false, {}, {}},
      {EV_KEY, KEY_A, 1, mouse, false, {}, {}},
      {EV_KEY, BTN_LEFT, 1, keyboard, false, {}, {}},
      {EV_KEY, BTN_SIDE, 1, mouse, true, DeviceKind::kMouse, InputAction::kPress},
      {EV_KEY, BTN_TOUCH, 1, both, false, {}, {}},
      {EV_KEY, BTN_TRIGGER, 1, both, false, {}, {}},
      {EV_KEY, BTN_RIGHT, 0, both, true, DeviceKind::kMouse, InputAction::kRelease},
      {EV_KEY, KEY_Z, 1, both, true, DeviceKind::kKeyboard, InputAction::kPress},
      {EV_REL, REL_X, 1, mouse, false, {}, {}},
      {EV_MSC, MSC_SCAN, 1, keyboard, false, {}, {}},
  };
  for (const auto& c : cases) {
    input_event raw{};
    raw.input_event_sec = 12;
    raw.input_event_usec = 500;
    raw.type = static_cast<__u16>(c.type);
    raw.code = static_cast<__u16>(c.code);
    raw.value = c.value;
    const auto event = KeyEventOf(raw, c.roles, true);
    ASSERT_EQ(event.has_value(), c.reported) << c.code << "/" << c.value;
    if (!event) continue;
    EXPECT_EQ(event->code, static_cast<int>(c.code));
    EXPECT_EQ(event->device, c.device);
    EXPECT_EQ(event->action, c.action);
    EXPECT_EQ(event->source, SourceKind::kEvdev);
    EXPECT_TRUE(event->numLock);
    EXPECT_EQ(event->time.time_since_epoch(), std::chrono::microseconds(12'000'500));
  }
}

TEST(EvdevInputSource, NodesThatAreNoDevicesAreSkipped) {
  TempFolder folder;
  std::ofstream(folder / "event0") << "not a device";
  std::ofstream(folder / "mouse0") << "not an event node";
  test_support::EventCollector events;
  EvdevInputSource source(folder.Path());
  EXPECT_FALSE(source.GrabKeyboard().IsHeld());  // not running
  ASSERT_TRUE(source.Start(events.Callback()));
  std::ofstream(folder / "event1") << "appears later";
  EXPECT_EQ(source.OpenDeviceCount(), 0);
  const KeyboardGrab grab = source.GrabKeyboard();
  EXPECT_FALSE(grab.IsHeld());
  EXPECT_NE(grab.Failure().find("no keyboard"), std::string::npos) << grab.Failure();
  source.Stop();
  EXPECT_TRUE(events.Events().empty());
  EXPECT_FALSE(EvdevInputSource::HasReadableKeyboard(folder.Path()));
}

TEST(EvdevInputSource, AFolderThatCannotBeWatchedDoesNotStart) {
  TempFolder folder;
  EvdevInputSource source(folder / "missing");
  EXPECT_FALSE(source.Start([](const InputEvent&) {}));
  source.Stop();
}

}  // namespace

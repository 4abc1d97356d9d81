#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"

namespace {

using Tessel::KeyboardCtrl;
using Tessel::Rect;

constexpr int kView = 5;
constexpr int kEffect = 6;
// Five keys in a row (codes 04 to 08) and the knob, each 40 x 40, 50 apart, in a 310 x 60
// layout shown 1:1 at (100, 50) of the window.
constexpr int kCodes[] = {0x04, 0x05, 0x06, 0x07, 0x08, 0xFF};
constexpr int kLeft = 100;
constexpr int kTop = 50;

struct Event {
  int code;
  std::intptr_t arg;
  friend bool operator==(const Event&, const Event&) = default;
};

class Window : public Tessel::MDialog {
 public:
  Window() : MDialog("Keyboard") {}
  std::vector<Event> events;
  std::vector<std::thread::id> eventThreads;
  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t) override {
    if (id != kView) return;
    events.push_back({code, arg1});
    eventThreads.push_back(std::this_thread::get_id());
  }

 protected:
  void CreateControls() override {
    Add<KeyboardCtrl>(kView);
    Add<Tessel::AuroraEffect>(kEffect);
  }
};

// The centre of the key at list position `i`, in the window.
int CentreX(int i) {
  return kLeft + 10 + 50 * i + 20;
}
constexpr int kCentreY = kTop + 30;

class KeyboardCtrlTest : public ::testing::Test {
 protected:
  KeyboardCtrlTest() { Tessel::Manager::SetBackend(&backend); }
  ~KeyboardCtrlTest() override { Tessel::Manager::SetBackend(nullptr); }

  void SetUp() override {
    ASSERT_TRUE(window.Create(nullptr, "Test", Rect::FromSize(0, 0, 800, 600)));
    view = window.GetControl<KeyboardCtrl>(kView);
    ASSERT_NE(view, nullptr);
    view->SetRect(Rect::FromSize(kLeft, kTop, 310, 60));
    view->SetWidthAndHeight(310, 60);
    for (int i = 0; i < 6; ++i) {
      const int code = kCodes[i];
      view->AddKeyItem("k" + std::to_string(code), "key " + std::to_string(code), code,
                       Rect::FromSize(10 + 50 * i, 10, 40, 40), "", 0x604E3A);
    }
  }

  std::vector<int> Selected() const { return view->GetSelectedKeyCodes(); }

  Tessel::HeadlessBackend backend;
  Window window;
  KeyboardCtrl* view = nullptr;
};

TEST_F(KeyboardCtrlTest, KeysComeBackAsAddedAndTheKnobIsMarked) {
  const std::vector<Tessel::KEY_INFO> keys = view->GetKeyItems();
  ASSERT_EQ(keys.size(), 6u);
  EXPECT_EQ(keys[0].code, 0x04);
  EXPECT_EQ(keys[0].name, "k4");
  EXPECT_EQ(keys[0].desc, "key 4");
  EXPECT_EQ(keys[0].rect, Rect::FromSize(10, 10, 40, 40));
  EXPECT_EQ(keys[0].color, 0x604E3Au);
  EXPECT_EQ(keys[0].Caption(), "k4");
  EXPECT_FALSE(keys[0].encoder);
  EXPECT_TRUE(keys[5].encoder);
  // Items are copies: changing one does not change the view.
  std::vector<Tessel::KEY_INFO> copy = view->GetKeyItems();
  copy[0].color = 1;
  EXPECT_EQ(view->GetKeyItems()[0].color, 0x604E3Au);

  view->SetKeyboardCtrlMode(Tessel::kKeyboardModeSelect);
  view->UserPressKey(0x05, false);
  view->ClearItem();
  EXPECT_EQ(view->GetKeyCount(), 0);
  EXPECT_EQ(view->GetSelectedKeyCode(), 0);
  view->AddKeyItem("a", "", 0x04, Rect::FromSize(0, 0, 10, 10), "", 0);
  EXPECT_EQ(view->GetSelectedKeyCode(), 0);
}

TEST_F(KeyboardCtrlTest, LabelsReplaceNamesUntilTheTipsAreReset) {
  EXPECT_TRUE(view->SetKeyItemInfo(0x05, "Macro 1", 3, "Plays macro 1"));
  EXPECT_FALSE(view->SetKeyItemInfo(0x30, "nothing", 2, ""));
  view->AddKeyItem("again", "", 0x05, Rect::FromSize(300, 0, 5, 5), "", 0);
  EXPECT_TRUE(view->SetKeyItemInfo(0x05, "Vol+", 6, ""));
  std::vector<Tessel::KEY_INFO> keys = view->GetKeyItems();
  EXPECT_EQ(keys[1].Caption(), "Vol+");
  EXPECT_EQ(keys[1].type, 6);
  EXPECT_EQ(keys[6].Caption(), "Vol+");  // every key with the code is labelled
  EXPECT_EQ(keys[0].Caption(), "k4");
  view->ResetTipKey();
  for (const Tessel::KEY_INFO& key : view->GetKeyItems()) {
    EXPECT_EQ(key.Caption(), key.name);
    EXPECT_EQ(key.type, 0);
    EXPECT_EQ(key.tip, "");
  }
}

TEST_F(KeyboardCtrlTest, ColourChangesArriveInOneRepaintPerBatch) {
  backend.PumpUntilIdle();
  const std::uint64_t before = backend.ControlChangeCount();
  const std::uint64_t version = view->GetVersion();
  // A frame of live colours for every light, some of them for codes the view does not have.
  std::vector<Tessel::KeyColor> frame;
  for (int code = 0; code < 128; ++code) frame.push_back({code, Tessel::Rgb(code, 255 - code, 7)});
  EXPECT_EQ(view->SetKeyColors(frame), 5);  // the knob's code 0xFF is not in the frame
  EXPECT_EQ(backend.ControlChangeCount(), before + 1);
  EXPECT_EQ(view->GetVersion(), version + 1);
  EXPECT_EQ(view->GetKeyItems()[2].color, Tessel::Rgb(6, 249, 7));
  // The same frame again changes nothing and asks for no repaint.
  EXPECT_EQ(view->SetKeyColors(frame), 0);
  EXPECT_EQ(backend.ControlChangeCount(), before + 1);

  EXPECT_EQ(view->SetKeyColor(0xFF, 0x0000FF), 1);
  EXPECT_EQ(view->SetKeyColor(0x30, 0x0000FF), 0);
  view->ResetAllItemsColor(0xF1F1F1);
  for (const Tessel::KEY_INFO& key : view->GetKeyItems()) EXPECT_EQ(key.color, 0xF1F1F1u);

  view->SetKeyboardCtrlMode(Tessel::kKeyboardModeColor);
  view->SetKeyCheck(0x04, true);
  view->SetKeyCheck(0x08, true);
  EXPECT_EQ(view->SetSelectedKeysColor(0x00FF00), 2);
  const std::vector<Tessel::KEY_INFO> keys = view->GetKeyItems();
  const std::vector<Tessel::Color> colours = {keys[0].color, keys[1].color, keys[4].color};
  EXPECT_EQ(colours, (std::vector<Tessel::Color>{0x00FF00, 0xF1F1F1, 0x00FF00}));
}

TEST_F(KeyboardCtrlTest, ClicksSelectOneKeyOrWithCtrlAddAndRemoveKeys) {
  using Tessel::kEventClick;
  for (int mode : {Tessel::kKeyboardModeSelect, Tessel::kKeyboardModeColor}) {
    SCOPED_TRACE(mode);
    window.events.clear();
    ASSERT_TRUE(view->SetKeyboardCtrlMode(mode));
    view->ResetAllItemCheck(0);
    view->UserPressKey(0x05, false);
    EXPECT_EQ(Selected(), std::vector<int>{0x05});
    view->UserPressAt(CentreX(2), kCentreY, false);  // 06 replaces 05
    EXPECT_EQ(Selected(), std::vector<int>{0x06});
    view->UserPressAt(CentreX(0), kCentreY, true);  // Ctrl adds 04
    EXPECT_EQ(Selected(), (std::vector<int>{0x04, 0x06}));
    EXPECT_EQ(view->GetSelectedKeyCode(), 0x04);
    view->UserPressAt(CentreX(0), kCentreY, true);  // and takes it away again
    EXPECT_EQ(Selected(), std::vector<int>{0x06});
    EXPECT_EQ(view->GetSelectedKeyCode(), 0x06);
    view->UserPressAt(CentreX(5), kCentreY, true);  // the knob
    view->UserPressAt(kLeft + 2, kTop + 2, true);   // beside the keys, with Ctrl: kept
    EXPECT_EQ(Selected(), (std::vector<int>{0x06, 0xFF}));
    view->UserPressAt(kLeft + 2, kTop + 2, false);  // beside the keys: nothing selected
    EXPECT_EQ(Selected(), std::vector<int>{});
    EXPECT_EQ(view->GetSelectedKeyCode(), 0);
    const std::vector<Event> expected = {
        {kEventClick, 0x05}, {kEventClick, 0x06}, {kEventClick, 0x04}, {kEventClick, 0x04},
        {kEventClick, 0xFF}, {kEventClick, 0},    {kEventClick, 0}};
    EXPECT_EQ(window.events, expected);
  }
}

TEST_F(KeyboardCtrlTest, DraggingSelectsEveryKeyOnTheWayAndReportsEachOnce) {
  using Tessel::kEventClick;
  using Tessel::kEventDragOver;
  for (int mode : {Tessel::kKeyboardModeSelect, Tessel::kKeyboardModeColor}) {
    SCOPED_TRACE(mode);
    window.events.clear();
    view->SetKeyboardCtrlMode(mode);
    view->ResetAllItemCheck(0);
    view->UserPressAt(CentreX(0), kCentreY, false);
    // One jump from 04 to 08: the keys between are crossed too, in order.
    EXPECT_TRUE(view->DragMove(CentreX(4), kCentreY));
    EXPECT_TRUE(view->DragMove(CentreX(1), kCentreY));  // back over keys already entered
    view->UserEndDrag();
    EXPECT_FALSE(view->DragMove(CentreX(5), kCentreY));  // no drag any more
    EXPECT_EQ(Selected(), (std::vector<int>{0x04, 0x05, 0x06, 0x07, 0x08}));
    EXPECT_EQ(view->GetSelectedKeyCode(), 0x08);
    const std::vector<Event> expected = {{kEventClick, 0x04},
                                         {kEventDragOver, 0x05},
                                         {kEventDragOver, 0x06},
                                         {kEventDragOver, 0x07},
                                         {kEventDragOver, 0x08}};
    EXPECT_EQ(window.events, expected);

    // A drag begun beside the keys adds to nothing; a drag entered by code works as well.
    window.events.clear();
    view->UserPressAt(kLeft + 2, kCentreY, false);
    view->UserDragOverKey(0xFF);
    view->UserDragOverKey(0xFF);
    view->UserDragOverKey(0x30);  // not a key
    view->UserEndDrag();
    view->UserDragOverKey(0x04);  // outside a drag
    EXPECT_EQ(Selected(), std::vector<int>{0xFF});
    EXPECT_EQ(window.events, (std::vector<Event>{{kEventClick, 0}, {kEventDragOver, 0xFF}}));
  }
}

TEST_F(KeyboardCtrlTest, SelectAllAndClearReportTheNumberOfSelectedKeys) {
  for (int mode : {Tessel::kKeyboardModeSelect, Tessel::kKeyboardModeColor}) {
    SCOPED_TRACE(mode);
    window.events.clear();
    view->SetKeyboardCtrlMode(mode);
    view->UserSelectAll();
    EXPECT_EQ(Selected().size(), 6u);
    view->UserClearSelection();
    EXPECT_EQ(Selected(), std::vector<int>{});
    EXPECT_EQ(window.events,
              (std::vector<Event>{{Tessel::kEventSelChanged, 6}, {Tessel::kEventSelChanged, 0}}));
  }
}

TEST_F(KeyboardCtrlTest, ThePlainModeAndADisabledViewSelectAndReportNothing) {
  const auto tryEverything = [&] {
    view->UserPressKey(0x04, false);
    view->UserPressAt(CentreX(1), kCentreY, true);
    view->DragMove(CentreX(4), kCentreY);
    view->UserDragOverKey(0x06);
    view->UserEndDrag();
    view->UserSelectAll();
  };
  ASSERT_EQ(view->GetKeyboardCtrlMode(), Tessel::kKeyboardModePlain);
  tryEverything();
  view->SetKeyboardCtrlMode(Tessel::kKeyboardModeColor);
  view->SetEnabled(false);
  tryEverything();
  EXPECT_EQ(Selected(), std::vector<int>{});
  EXPECT_TRUE(window.events.empty());

  // Returning to the plain mode drops a selection; unknown modes are refused.
  view->SetEnabled(true);
  view->UserSelectAll();
  EXPECT_FALSE(view->SetKeyboardCtrlMode(102));
  EXPECT_EQ(view->GetKeyboardCtrlMode(), Tessel::kKeyboardModeColor);
  EXPECT_EQ(Selected().size(), 6u);
  EXPECT_TRUE(view->SetKeyboardCtrlMode(Tessel::kKeyboardModePlain));
  EXPECT_EQ(Selected(), std::vector<int>{});
}

TEST_F(KeyboardCtrlTest, PointsAreMappedThroughTheScaledLayout) {
  struct Case {
    int layoutWidth, layoutHeight, viewWidth, viewHeight;
    Tessel::LayoutTransform expected;
  };
  const Case cases[] = {
      {310, 60, 310, 60, {1.0, 0.0, 0.0}},    {310, 60, 620, 120, {2.0, 0.0, 0.0}},
      {310, 60, 620, 200, {2.0, 0.0, 40.0}},   // centred in the taller view
      {100, 100, 300, 200, {2.0, 50.0, 0.0}},  // centred in the wider view
      {0, 60, 310, 60, {1.0, 0.0, 0.0}},       // no layout size: 1:1
  };
  for (const Case& c : cases) {
    const Tessel::LayoutTransform t =
        Tessel::FitLayout(c.layoutWidth, c.layoutHeight, c.viewWidth, c.viewHeight);
    EXPECT_DOUBLE_EQ(t.scale, c.expected.scale);
    EXPECT_DOUBLE_EQ(t.offsetX, c.expected.offsetX);
    EXPECT_DOUBLE_EQ(t.offsetY, c.expected.offsetY);
  }
  view->SetRect(Rect::FromSize(kLeft, kTop, 620, 200));  // twice the size, 40 pixels of margin
  EXPECT_EQ(view->KeyAt(kLeft + 2 * 75, kTop + 40 + 2 * 30), 0x05);
  EXPECT_EQ(view->KeyAt(kLeft + 2 * 75, kTop + 20), 0);           // in the margin above
  EXPECT_EQ(view->KeyAt(kLeft + 2 * 55, kTop + 40 + 2 * 30), 0);  // between two keys
  // The key added last lies on top.
  view->AddKeyItem("over", "", 0x30, Rect::FromSize(60, 10, 20, 20), "", 0);
  EXPECT_EQ(view->KeyAt(kLeft + 2 * 65, kTop + 40 + 2 * 15), 0x30);
}

TEST_F(KeyboardCtrlTest, TheKnobCanBeRecodedAndKeepsItsLook) {
  EXPECT_TRUE(view->SetKeyEncoder(5, 74));
  EXPECT_FALSE(view->SetKeyEncoder(6, 74));
  EXPECT_FALSE(view->SetKeyEncoder(-1, 74));
  const Tessel::KEY_INFO knob = view->GetKeyItems()[5];
  EXPECT_EQ(knob.code, 74);
  EXPECT_TRUE(knob.encoder);
  EXPECT_TRUE(view->SetKeyEncoder(5, 0xFF));
  EXPECT_EQ(view->GetKeyItems()[5].code, 0xFF);
}

TEST_F(KeyboardCtrlTest, ViewSettingsAreKept) {
  view->SetKeyboardImage("keyboard\\tarvo_k9.png");
  view->SetKeyboardColor(0x1A1614);
  view->SetLightModeColor(0, 0x0000FF);
  view->SetLightModeColor(99, 0x00FF00);  // no such light mode
  EXPECT_EQ(view->GetKeyboardImage(), "keyboard\\tarvo_k9.png");
  EXPECT_EQ(view->GetKeyboardColor(), 0x1A1614u);
  EXPECT_EQ(view->GetLightModeColor(0), 0x0000FFu);
  EXPECT_EQ(view->GetLightModeColor(99), 0u);
  EXPECT_EQ(view->GetLayoutWidth(), 310);
  EXPECT_EQ(view->GetLayoutHeight(), 60);
}

TEST_F(KeyboardCtrlTest, AWorkerPaintsLiveColoursWhileTheUserSelects) {
  view->SetKeyboardCtrlMode(Tessel::kKeyboardModeColor);
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    for (unsigned frame = 0; !stop.load(); ++frame) {
      std::vector<Tessel::KeyColor> colours;
      for (int code : kCodes) colours.push_back({code, Tessel::Rgb(frame, frame >> 8, 1)});
      view->SetKeyColors(colours);
      view->SetKeyItemInfo(0x05, frame % 2 == 0 ? "even" : "odd", 2);
      (void)view->GetSnapshot();
    }
  });
  for (int round = 0; round < 200; ++round) {
    view->UserPressAt(CentreX(round % 5), kCentreY, false);
    view->DragMove(CentreX((round + 2) % 5), kCentreY);
    view->UserEndDrag();
    backend.PumpUntilIdle();
  }
  stop.store(true);
  worker.join();
  backend.PumpUntilIdle();
  // Every event came on the thread of the user's actions, and the selection is intact.
  for (std::thread::id thread : window.eventThreads) EXPECT_EQ(thread, std::this_thread::get_id());
  EXPECT_FALSE(Selected().empty());
  const std::vector<Tessel::KEY_INFO> keys = view->GetKeyItems();
  for (const Tessel::KEY_INFO& key : keys) EXPECT_EQ(key.color, keys[0].color);
}

TEST_F(KeyboardCtrlTest, TheEffectViewKeepsItsKeyItems) {
  auto* effect = window.GetControl<Tessel::AuroraEffect>(kEffect);
  ASSERT_NE(effect, nullptr);
  effect->SetRect(Rect::FromSize(132, 146, 1136, 368));
  effect->SetKeyboardImage("keyboard\\k.png");
  effect->SetWidthAndHeight(1136, 368);
  effect->AddKeyItem("Esc", 0x29, Rect::FromSize(30, 30, 44, 44), 0, 0);
  effect->AddKeyItem("Knob", 0xFF, Rect::FromSize(1062, 30, 44, 44), 22, 0);
  const std::vector<Tessel::KEYITEM_INFO> expected = {
      {0x29, "Esc", Rect::FromSize(30, 30, 44, 44), 0, 0, 0},
      {0xFF, "Knob", Rect::FromSize(1062, 30, 44, 44), 22, 0, 0},
  };
  EXPECT_EQ(effect->GetKeyItems(), expected);
  EXPECT_EQ(effect->GetKeyboardImage(), "keyboard\\k.png");
  EXPECT_EQ(effect->GetLayoutWidth() * 1000 + effect->GetLayoutHeight(), 1136368);
  effect->ClearItem();
  EXPECT_EQ(effect->GetKeyCount(), 0);
}

}  // namespace

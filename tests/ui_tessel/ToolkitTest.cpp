#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"

namespace {

using Tessel::HeadlessBackend;

struct Event {
  int id, code;
  std::intptr_t arg1, arg2;
  friend bool operator==(const Event&, const Event&) = default;
};

class RecordingDialog : public Tessel::MDialog {
 public:
  RecordingDialog() : MDialog("Recording") {}
  std::vector<Event> events;
  std::vector<std::tuple<unsigned, std::intptr_t, std::intptr_t>> messages;
  std::vector<int> ticks;

  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    events.push_back({id, code, arg1, arg2});
  }
  std::intptr_t OnWindowMessage(unsigned message, std::intptr_t w, std::intptr_t l) override {
    messages.emplace_back(message, w, l);
    return message == 0x500 ? 42 : MDialog::OnWindowMessage(message, w, l);
  }
  void OnTimer(int id) override { ticks.push_back(id); }

 protected:
  void CreateControls() override {
    CreateArea(1);
    Add<Tessel::MButton>(2, 1);
    Add<Tessel::CRadioButton>(3)->SetGroup("lang");
    Add<Tessel::CRadioButton>(4)->SetGroup("lang");
    Add<Tessel::CRadioButton>(5)->SetGroup("other");
    auto* combo = Add<Tessel::MComboBox>(6);
    combo->AddItem("one", 10);
    combo->AddItem("two", 20);
    auto* tabs = Add<Tessel::MTabCtrl>(7);
    for (int page : {0, 1, 3}) tabs->AddItem("", page);
    Add<Tessel::MSlider>(8)->SetRange(0, 4);
    Add<Tessel::CSwitchButton>(9);
    Add<Tessel::MEdit>(10)->SetMaxLength(4);
  }
};

class ToolkitTest : public ::testing::Test {
 protected:
  ToolkitTest() { Tessel::Manager::SetBackend(&backend); }
  ~ToolkitTest() override { Tessel::Manager::SetBackend(nullptr); }

  HeadlessBackend backend;
  RecordingDialog dialog;
  void SetUp() override {
    ASSERT_TRUE(dialog.Create(nullptr, "Test", Tessel::Rect::FromSize(0, 0, 400, 300)));
  }
};

TEST_F(ToolkitTest, UserActionsArriveAsControlEvents) {
  dialog.GetControl<Tessel::MButton>(2)->UserClick();
  dialog.GetControl<Tessel::MComboBox>(6)->UserSelect(1);
  dialog.GetControl<Tessel::MTabCtrl>(7)->UserSelect(2);
  dialog.GetControl<Tessel::MSlider>(8)->UserSetValue(9, true);
  dialog.GetControl<Tessel::CSwitchButton>(9)->UserClick();
  dialog.GetControl<Tessel::MEdit>(10)->UserSetText(
      "\xE4\xB8\xAD\xE6\x96\x87"
      "abc");
  const std::vector<Event> expected = {
      {2, Tessel::kEventClick, 0, 0},      {6, Tessel::kEventSelChanged, 1, 20},
      {7, Tessel::kEventSelChanged, 2, 3}, {8, Tessel::kEventValueChanged, 4, 1},
      {9, Tessel::kEventClick, 1, 0},      {10, Tessel::kEventTextChanged, 0, 0},
  };
  EXPECT_EQ(dialog.events, expected);
  EXPECT_EQ(dialog.GetControl<Tessel::MComboBox>(6)->GetCurData(), 20);
  EXPECT_EQ(dialog.GetControl<Tessel::MEdit>(10)->GetEditText(),
            "\xE4\xB8\xAD\xE6\x96\x87"
            "ab");
}

TEST_F(ToolkitTest, DisabledAndHiddenChoicesReportNothing) {
  auto* button = dialog.GetControl<Tessel::MButton>(2);
  button->SetEnabled(false);
  button->UserClick();
  auto* tabs = dialog.GetControl<Tessel::MTabCtrl>(7);
  tabs->SetItemVisible(2, false);
  tabs->UserSelect(2);
  tabs->UserSelect(5);
  EXPECT_TRUE(dialog.events.empty());
  EXPECT_EQ(tabs->GetCurSel(), -1);
  // A hidden area hides its children without changing their own state.
  dialog.FindControl(1)->SetVisible(false);
  EXPECT_TRUE(button->IsVisible());
  EXPECT_FALSE(button->IsShown());
}

TEST_F(ToolkitTest, RadioButtonsExcludeEachOtherWithinTheirGroup) {
  auto* first = dialog.GetControl<Tessel::CRadioButton>(3);
  auto* second = dialog.GetControl<Tessel::CRadioButton>(4);
  auto* other = dialog.GetControl<Tessel::CRadioButton>(5);
  other->SetCheck(true);
  first->SetCheck(true);
  second->UserClick();
  second->UserClick();  // clicking a checked radio keeps it checked
  EXPECT_FALSE(first->GetCheck());
  EXPECT_TRUE(second->GetCheck());
  EXPECT_TRUE(other->GetCheck());
}

TEST_F(ToolkitTest, ListsAndSlidersKeepTheirValuesInRange) {
  auto* combo = dialog.GetControl<Tessel::MComboBox>(6);
  EXPECT_FALSE(combo->SelectData(99));
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_EQ(combo->GetCurData(), 0);
  EXPECT_TRUE(combo->SelectData(20));
  EXPECT_EQ(combo->GetCurSel(), 1);
  combo->SetCurSel(7);
  EXPECT_EQ(combo->GetCurSel(), -1);
  EXPECT_EQ(combo->GetItemText(-1), "");
  auto* slider = dialog.GetControl<Tessel::MSlider>(8);
  slider->SetProgress(-3);
  EXPECT_EQ(slider->GetProgress(), 0);
  slider->SetRange(10, 2);  // swapped bounds are put in order and the value follows
  EXPECT_EQ(slider->GetMinimum(), 2);
  EXPECT_EQ(slider->GetProgress(), 2);
}

TEST_F(ToolkitTest, ControlsRejectDuplicateIdsAndUnknownParentsOrClasses) {
  EXPECT_EQ(dialog.CreateControl("Button", 2), nullptr);
  EXPECT_EQ(dialog.CreateControl("Button", 50, 999), nullptr);
  EXPECT_EQ(dialog.CreateControl("NoSuchControl", 51), nullptr);
  EXPECT_NE(dialog.CreateControl("Label", 52, 1), nullptr);
  EXPECT_EQ(dialog.FindControl(52)->GetParent(), dialog.FindControl(1));
}

TEST_F(ToolkitTest, CallsFromOtherThreadsChangeStateAndReachTheBackend) {
  auto* slider = dialog.GetControl<Tessel::MSlider>(8);
  auto* combo = dialog.GetControl<Tessel::MComboBox>(6);
  const auto before = backend.ControlChangeCount();
  std::vector<std::thread> workers;
  for (int t = 0; t < 4; ++t) {
    workers.emplace_back([&, t] {
      for (int i = 0; i < 500; ++i) {
        slider->SetProgress(i % 5);
        combo->AddItem("x", t * 1000 + i);
        combo->SetCurSel(i % 3);
        (void)combo->GetItems();
      }
    });
  }
  for (auto& worker : workers) worker.join();
  EXPECT_EQ(combo->GetCount(), 2 + 4 * 500);
  EXPECT_GT(backend.ControlChangeCount(), before);
}

TEST_F(ToolkitTest, MessagesPostedFromAnotherThreadRunOnTheUiThread) {
  const auto uiThread = std::this_thread::get_id();
  std::thread::id handledOn;
  std::thread([&] { dialog.PostMessage(0x501, 1, 2); }).join();
  EXPECT_TRUE(dialog.messages.empty());  // nothing runs until the UI thread pumps
  dialog.RunOnUiThread([&] { handledOn = std::this_thread::get_id(); });
  backend.PumpUntilIdle();
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0], std::make_tuple(0x501u, std::intptr_t{1}, std::intptr_t{2}));
  EXPECT_EQ(handledOn, uiThread);
}

TEST_F(ToolkitTest, SendMessageFromAnotherThreadWaitsForTheAnswer) {
  std::intptr_t answer = 0;
  std::thread sender([&] { answer = dialog.SendMessage(0x500, 0, 0); });
  ASSERT_TRUE(backend.RunUntil([&] { return !dialog.messages.empty(); }, std::chrono::seconds(5)));
  sender.join();
  EXPECT_EQ(answer, 42);
  EXPECT_EQ(dialog.SendMessage(0x500), 42);  // on the UI thread it is a direct call
}

TEST(ToolkitWindowLife, WorkPostedForADestroyedWindowIsDropped) {
  HeadlessBackend backend;
  Tessel::Manager::SetBackend(&backend);
  int ran = 0;
  {
    RecordingDialog dialog;
    dialog.Create(nullptr, "Short-lived", {});
    std::thread([&] {
      dialog.PostMessage(0x501);
      dialog.RunOnUiThread([&] { ++ran; });
    }).join();
  }
  backend.PumpUntilIdle();
  EXPECT_EQ(ran, 0);
  Tessel::Manager::SetBackend(nullptr);
}

TEST_F(ToolkitTest, ModalRunEndsWithTheResultAWorkerAsksFor) {
  RecordingDialog wait;
  wait.Create(&dialog, "Wait", {});
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    wait.DoOK();
  });
  EXPECT_EQ(wait.ShowModal(), Tessel::kResultOK);
  worker.join();
  EXPECT_FALSE(wait.IsModal());
  EXPECT_FALSE(wait.IsWindowVisible());
}

TEST_F(ToolkitTest, MessageBoxesAreAnsweredByTheResponder) {
  std::string seenCaption, seenText;
  backend.SetResponder(
      [&](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
        if (request.kind != Tessel::DialogRequest::Kind::ModalShown) return std::nullopt;
        auto* box = dynamic_cast<Tessel::CUIMessageBox*>(request.window);
        if (box == nullptr) return std::nullopt;
        seenCaption = box->GetCaption();
        seenText = box->GetText();
        // Answer the way a user would: by clicking the box's OK button.
        box->GetControl<Tessel::MButton>(Tessel::CUIMessageBox::kOkId)->UserClick();
        return Tessel::DialogAnswer::Result(HeadlessBackend::kLeaveOpen);
      });
  EXPECT_EQ(Tessel::CUIMessageBox::Show(&dialog, "Delete", "Delete this profile?"),
            Tessel::kResultOK);
  EXPECT_EQ(seenCaption, "Delete");
  EXPECT_EQ(seenText, "Delete this profile?");
  backend.SetResponder(nullptr);
  EXPECT_EQ(Tessel::CUIMessageBox::Show(&dialog, "Delete", "Again?"), Tessel::kResultCancel);
}

TEST_F(ToolkitTest, AMessageBoxClosedByNameCountsAsCancelled) {
  backend.SetResponder(
      [](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
        if (request.kind == Tessel::DialogRequest::Kind::ModalShown) {
          Tessel::Manager::FindWindow("MessageBox")
              ->PostMessage(Tessel::WM_CLOSE, Tessel::kResultCancel, 0);
        }
        return Tessel::DialogAnswer::Result(HeadlessBackend::kLeaveOpen);
      });
  EXPECT_EQ(Tessel::CUIMessageBox::Show(&dialog, "c", "t"), Tessel::kResultCancel);
  EXPECT_EQ(Tessel::Manager::FindWindow("MessageBox"), nullptr);
}

TEST_F(ToolkitTest, MenuChoiceComesBackAsTheNamedMessage) {
  backend.SetResponder(
      [](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
        if (request.kind != Tessel::DialogRequest::Kind::Menu) return std::nullopt;
        return Tessel::DialogAnswer::Result(request.items.back().id);
      });
  Tessel::MenuWnd menu(dialog, 1695);
  menu.AddItem(100, "Choose");
  menu.AddItem(101, "Default");
  EXPECT_EQ(menu.Track(), 101);
  backend.PumpUntilIdle();
  ASSERT_EQ(dialog.messages.size(), 1u);
  EXPECT_EQ(dialog.messages[0], std::make_tuple(1695u, std::intptr_t{101}, std::intptr_t{101}));

  backend.SetResponder(
      [](const Tessel::DialogRequest&) { return Tessel::DialogAnswer::Result(555); });
  EXPECT_EQ(menu.Track(), 0);  // an id the menu does not have is no choice
  backend.PumpUntilIdle();
  EXPECT_EQ(dialog.messages.size(), 1u);
}

TEST_F(ToolkitTest, TimersTickUntilKilledOrTheWindowGoes) {
  dialog.SetMTimer(7, 5);
  backend.RunUntil([&] { return dialog.ticks.size() >= 3; }, std::chrono::seconds(5));
  EXPECT_GE(dialog.ticks.size(), 3u);
  dialog.KillMTimer(7);
  const std::size_t ticks = dialog.ticks.size();
  backend.RunFor(std::chrono::milliseconds(30));
  EXPECT_EQ(dialog.ticks.size(), ticks);
}

}  // namespace

namespace {

TEST(DeviceListModel, KeepsModesBatteriesAndSelectionPerModel) {
  Tessel::MDialog owner("owner");
  auto* list = owner.Add<Tessel::CDeviceList>(1);
  list->AddDevice("K9", 101, "off.png", "on.png");
  list->AddDevice("Pad", 160, "p0.png", "p1.png");
  list->SetSelectDevice(999);
  EXPECT_EQ(list->GetSelectDevice(), 0);
  EXPECT_EQ(list->GetSelectPosition(), -1);
  list->SetSelectDevice(160);
  EXPECT_EQ(list->GetSelectPosition(), 1);

  list->SetDeviceState(101, 1, 0);
  list->SetDeviceState(101, 0, 1);
  list->SetDeviceBattery(101, 0, 80, 1);
  list->SetDeviceState(555, 0, 1);  // not listed: ignored
  auto items = list->GetItems();
  EXPECT_TRUE(items[0].IsConnected());
  EXPECT_FALSE(items[1].IsConnected());
  EXPECT_EQ(items[0].batteries.at(0), (Tessel::DeviceItem::Battery{80, 1}));

  list->SetAllDeviceState(0);  // nothing present any more
  items = list->GetItems();
  EXPECT_TRUE(items[0].modeStates.empty());
  EXPECT_FALSE(items[0].IsConnected());

  list->UserSelectDevice(101);
  EXPECT_EQ(list->GetSelectDevice(), 101);
  list->ClearList();
  EXPECT_EQ(list->GetSelectDevice(), 0);
  EXPECT_TRUE(list->GetItems().empty());
}

}  // namespace

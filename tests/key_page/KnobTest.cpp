// The knob dialog against the virtual keyboard: every chosen action reaches the keyboard at the
// action's key index of the layer the dialog was opened on.

#include "KeyPageFixture.h"
#include "core/TextIds.h"
#include "keys/KnobConfigDlg.h"
#include "keys/KnobFunctions.h"

namespace {

// The virtual keyboard's knob actions sit at these key indices.
constexpr int kAction0Index = 86;
constexpr int kAction2Index = 83;

class KnobTest : public KeyPageFixture {
 protected:
  // While the knob dialog is open: each (action, type, code) is chosen in its list, then the
  // dialog is closed with its button.
  void ChooseInKnobDialog(std::vector<std::tuple<int, int, int>> choices) {
    backend.SetResponder([this, choices](const Tessel::DialogRequest& request)
                             -> std::optional<Tessel::DialogAnswer> {
      auto* knob = dynamic_cast<keys::KnobConfigDlg*>(request.window);
      if (knob == nullptr) return std::nullopt;
      opened = true;
      for (const auto& [action, type, code] : choices) {
        auto& list = *knob->GetControl<Tessel::MComboBox>(keys::KnobConfigDlg::kListId + action);
        shownBefore.push_back(list.GetCurSel() >= 0 ? list.GetItemText(list.GetCurSel()) : "");
        const auto functions = keys::BuildKnobFunctionList(Service().Catalogue(), *texts);
        for (std::size_t i = 0; i < functions.size(); ++i) {
          if (functions[i].type == type && functions[i].code == code)
            list.UserSelect(static_cast<int>(i));
        }
      }
      knob->GetControl<Tessel::MButton>(keys::KnobConfigDlg::kDoneId)->UserClick();
      return Tessel::DialogAnswer::Result(Tessel::HeadlessBackend::kLeaveOpen);
    });
  }

  bool opened = false;
  std::vector<std::string> shownBefore;
};

TEST_F(KnobTest, EveryChosenActionReachesTheKeyboardOnTheDialogsLayer) {
  Start();
  ChooseLayer(1);
  ChooseInKnobDialog({{2, 12, 74}, {0, 2, 0x04}});
  SelectKey(Tessel::kKnobKeyCode);
  ASSERT_TRUE(opened);
  // The lists showed what the keyboard's factory set gives the actions.
  EXPECT_EQ(shownBefore,
            (std::vector<std::string>{Text(text::kMediaMute), Text(text::kMediaVolumeDown)}));
  ChooseLayer(0);  // before the task runs
  Settle();
  const sim::KeyboardState state = Keyboard();
  EXPECT_EQ(EntryIn(state.layers[1], kAction2Index), (Entry{0x50, 0x4A, 0x00}));
  EXPECT_EQ(EntryIn(state.layers[1], kAction0Index), (Entry{0x10, 0x00, 0x04}));
  EXPECT_EQ(state.layers[0], state.factoryLayers[0]);
  std::vector<Written> written = WrittenWith(0x1D);
  std::sort(written.begin(), written.end(),
            [](const Written& a, const Written& b) { return a.offset < b.offset; });
  EXPECT_EQ(written, (std::vector<Written>{{3 * kAction2Index, 3}, {3 * kAction0Index, 3}}));
  const auto rows = Service().KnobRowsOfLayer(1);
  EXPECT_EQ(rows[2].macro_type, 12);
  EXPECT_EQ(rows[2].macro_value, 74);
  EXPECT_EQ(rows[2].macro_desc, "KeyTest");
}

TEST_F(KnobTest, ChangesMadeWhileATaskWaitsAreAllSent) {
  Start();
  ChooseInKnobDialog({{0, 6, 106}});
  SelectKey(Tessel::kKnobKeyCode);
  ChooseInKnobDialog({{2, 6, 100}});
  SelectKey(Tessel::kKnobKeyCode);
  EXPECT_EQ(dialog->Tasks().Size(), 1u);
  Settle();
  EXPECT_EQ(EntryIn(Keyboard().layers[0], kAction0Index), (Entry{0x30, 0xE2, 0x00}));
  EXPECT_EQ(EntryIn(Keyboard().layers[0], kAction2Index), (Entry{0x30, 0xCD, 0x00}));
}

TEST_F(KnobTest, AnActionWithoutAKeyIndexWritesNothing) {
  Start(101, false, [this] {
    bus.ModifyState(keyboard, [](sim::KeyboardState& state) { state.knobIndices[0] = 200; });
  });
  ChooseInKnobDialog({{0, 6, 106}, {2, 6, 100}});
  SelectKey(Tessel::kKnobKeyCode);
  Settle();
  EXPECT_EQ(WrittenWith(0x1B), (std::vector<Written>{{3 * kAction2Index, 3}}));
}

}  // namespace

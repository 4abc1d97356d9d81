#pragma once
// The key page of a controller whose virtual keyboard has been read, with a fake input source
// for the key test and the key capture.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/ConnectedKeyboardFixture.h"
#include "keys/KeyAssignmentLayout.h"
#include "platform/input/FakeInputSource.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/KeyControls.h"
#include "ui/tessel/KeyboardCtrl.h"

using Entry = std::array<std::uint8_t, 3>;

// A frame written to the keyboard: its offset and data length.
struct Written {
  int offset;
  int length;
  bool operator==(const Written&) const = default;
};

class KeyPageFixture : public ConnectedKeyboardFixture {
 protected:
  explicit KeyPageFixture(bool startWorker = false) : ConnectedKeyboardFixture(startWorker) {}

  void AdjustOptions(KeyboardDlg::Options& options) override {
    options.inputSource = [this](std::shared_ptr<platform::input::WindowInputFeed>) {
      auto source = std::make_unique<platform::input::FakeInputSource>();
      input = source.get();
      return source;
    };
  }

  // A keyboard of the model, read, with the key page shown; message boxes answered OK.
  void Start(int modelId = 101, bool receiver = false,
             const std::function<void()>& beforeRead = {}) {
    Plug(modelId, receiver);
    if (beforeRead) beforeRead();
    StartUp();
    AnswerMessages(Tessel::kResultOK);
    ASSERT_TRUE(dialog->SwitchToPage(kPageKeys));
    Settle();
    bus.SetFrameLogging(true);
  }

  void AnswerMessages(int result) {
    backend.SetResponder(
        [this,
         result](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
          if (auto* box = dynamic_cast<Tessel::CUIMessageBox*>(request.window)) {
            messages.push_back(box->GetText());
            return Tessel::DialogAnswer::Result(result);
          }
          return std::nullopt;
        });
  }

  Tessel::KeyboardCtrl& View() {
    return *dialog->GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView);
  }
  Tessel::KeyFuncValue& Picker() {
    return *dialog->GetControl<Tessel::KeyFuncValue>(key_ids::kPicker);
  }
  template <class T>
  T& Control(int id) {
    return *dialog->GetControl<T>(id);
  }

  void SelectKey(int code) { View().UserPressKey(code, false); }
  void ChooseTab(int tab) {
    const auto& tabs = key_ids::kPickerTabs;
    const auto position = std::find(tabs.begin(), tabs.end(), tab) - tabs.begin();
    Control<Tessel::TabCtrlEx>(key_ids::kFunctionTabs).UserSelect(static_cast<int>(position));
  }
  void ChooseLayer(int layer) { Control<Tessel::MTabCtrl>(key_ids::kLayerTabs).UserSelect(layer); }
  // Picks the picker's item with the value.
  void Pick(int value) {
    const auto items = Picker().GetItems();
    const auto found = std::find_if(items.begin(), items.end(),
                                    [&](const auto& item) { return item.value == value; });
    ASSERT_NE(found, items.end()) << "no item " << value;
    Picker().UserPick(static_cast<int>(found - items.begin()));
  }
  // Selects a key and gives it a function of a tab.
  void Assign(int code, int tab, int value) {
    SelectKey(code);
    ChooseTab(tab);
    Pick(value);
  }

  // The key index the keyboard's factory layer 0 gives a key code.
  int IndexOf(int code) {
    const sim::KeyboardState state = Keyboard();
    const Entry wanted = sim::FactoryEntryForCode(code);
    for (int index = 0; index < 128; ++index) {
      if (EntryIn(state.factoryLayers[0], index) == wanted) return index;
    }
    ADD_FAILURE() << "no key index for code " << code;
    return 0;
  }
  static Entry EntryIn(const sim::LayerTable& table, int index) {
    const auto at = table.begin() + index * 3;
    return {at[0], at[1], at[2]};
  }
  Entry Current(int layer, int code) {
    return EntryIn(Keyboard().layers[static_cast<std::size_t>(layer)], IndexOf(code));
  }
  void SetFactoryAndCurrent(int layer, int code, Entry factory, Entry current) {
    const int index = IndexOf(code);
    bus.ModifyState(keyboard, [&](sim::KeyboardState& state) {
      std::copy(factory.begin(), factory.end(),
                state.factoryLayers[static_cast<std::size_t>(layer)].begin() + index * 3);
      std::copy(current.begin(), current.end(),
                state.layers[static_cast<std::size_t>(layer)].begin() + index * 3);
    });
  }

  // The frames written with a command.
  std::vector<Written> WrittenWith(int command) const {
    std::vector<Written> written;
    for (const sim::LoggedFrame& frame : bus.FrameLog()) {
      if (frame.direction != sim::Direction::kToDevice || frame.bytes.size() < 6 ||
          frame.bytes[1] != 0xAA || frame.bytes[2] != command)
        continue;
      written.push_back({frame.bytes[3] | frame.bytes[4] << 8, frame.bytes[5]});
    }
    return written;
  }

  storage::KeyAssignmentRecord Row(int layer, int code) {
    storage::KeyAssignmentRecord row;
    EXPECT_TRUE(Database().GetKeyAssignment(Profile(), layer, code, row)) << layer << "/" << code;
    return row;
  }
  std::string Label(int code) {
    for (const auto& key : View().GetKeyItems()) {
      if (key.code == code) return key.text;
    }
    return "(no key)";
  }
  std::vector<std::string> TestList() {
    std::vector<std::string> names;
    for (const auto& entry : Control<Tessel::CKeyTestCtrl>(key_ids::kKeyTestList).GetKeys())
      names.push_back(entry.name);
    return names;
  }

  keys::KeyAssignmentService& Service() { return dialog->Keys().Service(); }

  platform::input::FakeInputSource* input = nullptr;  // made when the key page first listens
  std::vector<std::string> messages;
};

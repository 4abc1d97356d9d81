#pragma once
// The macro page of a controller whose virtual keyboard has been read, with a fake input
// source for recordings.

#include <string>
#include <vector>

#include "key_page/KeyPageFixture.h"
#include "macros/MacroPageLayout.h"
#include "sim/MacroMemory.h"
#include "ui/tessel/ProfileList.h"
#include "ui/tessel/RecordList.h"
// After the toolkit's headers: the kernel's KEY_INFO would clash with the toolkit's.
#include <linux/input-event-codes.h>

class MacroPageFixture : public KeyPageFixture {
 protected:
  // The keyboard read, the macro page shown, message boxes answered OK.
  void StartOnMacroPage(int modelId = 101, bool receiver = false,
                        const std::function<void()>& beforeRead = {}) {
    Start(modelId, receiver, beforeRead);
    ASSERT_TRUE(dialog->SwitchToPage(kPageMacros));
    Settle();
  }

  macros::MacroService& Macros() { return dialog->Macros().Service(); }
  macros::MacroPage& Page() { return dialog->Macros().Page(); }
  Tessel::MacroList& MacroList() { return Control<Tessel::MacroList>(macro_ids::kMacroList); }
  Tessel::CRecordList& EventList() { return Control<Tessel::CRecordList>(macro_ids::kEventList); }
  void Click(int id) { Control<Tessel::MButton>(id).UserClick(); }

  std::vector<int> MacroIds() {
    std::vector<int> ids;
    for (const auto& macro : Macros().ListMacros()) ids.push_back(macro.macro_id);
    return ids;
  }
  std::vector<std::string> ListedTexts() {
    std::vector<std::string> texts;
    for (const auto& item : EventList().GetRecordItems()) texts.push_back(item.text);
    return texts;
  }
  std::vector<int> ListedDelays() {
    std::vector<int> delays;
    for (const auto& item : EventList().GetRecordItems()) delays.push_back(item.delay);
    return delays;
  }
  // What the keyboard finds in its macro memory; fails the test when it is inconsistent.
  sim::MacroMemoryReading KeyboardMacros() {
    std::string problem;
    const auto reading = sim::ReadMacroMemory(Keyboard().macroMemory, &problem);
    EXPECT_TRUE(reading) << problem;
    return reading.value_or(sim::MacroMemoryReading{});
  }
  // The events a macro's stored events become in the keyboard's memory.
  std::vector<sim::PlayedMacroEvent> Played(int macroId) {
    std::vector<sim::PlayedMacroEvent> played;
    for (const auto& event : Macros().Events(macroId)) {
      const auto encoded = protocol::EncodeMacroEvent(macros::ImageEventOf(event));
      played.push_back({encoded.delay, encoded.code, encoded.flags});
    }
    return played;
  }
  macros::MacroResult SetEvents(int macroId, const std::string& text) {
    std::string error;
    const auto events = macros::ParseEvents(text, &error);
    EXPECT_TRUE(events) << error;
    return Macros().ReplaceEvents(macroId, events.value_or(std::vector<macros::MacroEvent>{}));
  }
  // A key press seen by the input source at a moment of its own.
  void Emit(int code, bool down, std::chrono::steady_clock::time_point when, bool button = false) {
    platform::input::InputEvent event;
    event.device =
        button ? platform::input::DeviceKind::kMouse : platform::input::DeviceKind::kKeyboard;
    event.code = code;
    event.action =
        down ? platform::input::InputAction::kPress : platform::input::InputAction::kRelease;
    event.numLock = true;
    event.time = when;
    ASSERT_NE(input, nullptr);
    input->Emit(event);
    backend.PumpUntilIdle();
  }
};

#include "keys/KeyTestPage.h"

#include "keys/KeyAssignmentLayout.h"
#include "keys/LinuxKeyCodes.h"
#include "ui/tessel/KeyControls.h"
#include "ui/tessel/PageHost.h"

namespace keys {

KeyTestPage::KeyTestPage(Tessel::PageHost& host, InputRouter& input, const core::TextTable& texts)
    : host_(host), input_(input), state_(texts) {}

void KeyTestPage::StartKeyTest() {
  listening_.Cancel();
  state_.Reset();
  ClearList();
  listening_ = input_.Subscribe([this](const platform::input::InputEvent& e) { OnRawInput(e); });
}

void KeyTestPage::StopKeyTest() {
  listening_.Cancel();
  ClearList();
}

void KeyTestPage::ClearList() {
  if (auto* list = host_.GetControl<Tessel::CKeyTestCtrl>(key_ids::kKeyTestList)) list->ClearList();
}

void KeyTestPage::OnRawInput(const platform::input::InputEvent& event) {
  const KeyTransition transition = event.action == platform::input::InputAction::kRelease
                                       ? KeyTransition::kUp
                                       : KeyTransition::kDown;
  std::optional<InputEventRecord> record =
      event.device == platform::input::DeviceKind::kKeyboard
          ? KeyRecordOfLinuxKey(event.code, transition, event.numLock)
          : ButtonRecordOfLinuxButton(event.code, transition);
  if (!record) return;
  const std::optional<KeyTestState::Change> change = state_.OnRawInput(NameRawInputEvent(*record));
  auto* list = host_.GetControl<Tessel::CKeyTestCtrl>(key_ids::kKeyTestList);
  if (!change || list == nullptr) return;
  if (change->kind == KeyTestState::Change::Kind::kAdd) {
    list->AddKey(change->name, change->identity);
  } else {
    list->RemoveKey(change->identity);
  }
}

}  // namespace keys

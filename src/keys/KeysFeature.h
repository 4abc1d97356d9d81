#pragma once
// The key room: what each key does on each Fn layer (the key page, task 9, the profile's key
// map sent after a switch), the knob's actions (the knob dialog, task 8), and the key test.

#include "core/Feature.h"
#include "device/KeyCommands.h"
#include "keys/KeyAssignmentPage.h"
#include "keys/KeyAssignmentService.h"

class ControllerActions;

namespace keys {

class KeysFeature : public Feature {
 public:
  KeysFeature(Tessel::PageHost& host, SharedState& state, device::HidDeviceManager& link,
              device::KeyboardCommands& keyboard, storage::SettingsDatabase& database,
              const core::TextTable& texts, KeyMapReader& keyMaps, const CurrentModel& model,
              const CurrentLayout& layout, DeviceTaskQueue& tasks, InputRouter& input);
  ~KeysFeature() override;

  FeatureSlot Slot() const override { return FeatureSlot::kKeys; }
  void CreateControls(Tessel::PageHost& host) override;
  std::vector<TextBinding> TextBindings() const override;
  void ApplyTexts() override { page_.ApplyTexts(); }
  void RegisterTasks(TaskTable& table) override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    return page_.OnControlEvent(id, code, arg1, arg2);
  }
  std::optional<std::intptr_t> OnWindowMessage(unsigned message, std::intptr_t wParam,
                                               std::intptr_t lParam) override;
  void OnPageLeft(int pageId) override;
  void OnPageShown(int pageId) override;
  // The current profile's current layer on the keyboard view.
  void ShowProfile() override;
  // Worker, after a profile switch: layer 0 shown, the profile's four layers sent.
  void ApplyProfile() override;
  void Shutdown() override { page_.OnPageLeft(); }

  KeyAssignmentService& Service() { return service_; }
  KeyAssignmentPage& Page() { return page_; }

 private:
  SharedState& state_;
  device::KeyCommands keyCommands_;
  KeyAssignmentService service_;
  KeyAssignmentPage page_;
};

}  // namespace keys

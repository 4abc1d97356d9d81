#pragma once
// The lighting room: the built-in light modes of every zone, the live colours of the running
// effect, and the five custom per-key slots, on the light page (main page 1).

#include "core/Feature.h"
#include "device/LightingCommands.h"
#include "lighting/LightPage.h"
#include "lighting/LightingService.h"

class CurrentLayout;
class CurrentModel;
class DeviceTaskQueue;
struct SharedState;
namespace core {
class TextTable;
}
namespace device {
class HidDeviceManager;
class KeyboardCommands;
}  // namespace device
namespace storage {
class SettingsDatabase;
}

class LightingFeature : public Feature {
 public:
  LightingFeature(Tessel::PageHost& host, SharedState& state, device::HidDeviceManager& link,
                  device::KeyboardCommands& keyboard, storage::SettingsDatabase& database,
                  const CurrentModel& model, const CurrentLayout& layout,
                  const core::TextTable& texts, DeviceTaskQueue& tasks);

  FeatureSlot Slot() const override { return FeatureSlot::kLighting; }
  void CreateControls(Tessel::PageHost& host) override;
  std::vector<TextBinding> TextBindings() const override;
  void ApplyTexts() override { page_.ApplyTexts(); }
  void RegisterTasks(TaskTable& table) override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    return page_.OnControlEvent(id, code, arg1, arg2);
  }
  void OnPageShown(int pageId) override;
  void LoadBeforeKeyboardRead() override { page_.LoadLightPage(); }
  void ShowProfile() override { page_.ShowProfile(); }
  void ApplyProfile() override { page_.ApplyProfile(); }
  void Idle() override { service_.ReadLivePreview(); }

  lighting::LightingService& Service() { return service_; }
  lighting::LightPage& Page() { return page_; }
  // The stream frames of the matrix and screen-sync rooms go through these commands.
  device::LightingCommands& Commands() { return commands_; }

 private:
  device::LightingCommands commands_;
  lighting::LightingService service_;
  lighting::LightPage page_;
};

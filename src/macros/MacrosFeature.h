#pragma once
// The macro room: the macros every profile shares, the macro page (main page 5) with its
// recording, and task 11, which writes them into the keyboard's macro memory.

#include "core/Feature.h"
#include "device/MacroCommands.h"
#include "macros/MacroPage.h"
#include "macros/MacroService.h"

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
namespace keys {
class InputRouter;
class KeyAssignmentService;
}  // namespace keys
namespace storage {
class SettingsDatabase;
}

namespace macros {

class MacrosFeature : public Feature {
 public:
  MacrosFeature(Tessel::PageHost& host, SharedState& state, device::HidDeviceManager& link,
                device::KeyboardCommands& keyboard, storage::SettingsDatabase& database,
                const CurrentModel& model, const core::TextTable& texts, DeviceTaskQueue& tasks,
                keys::KeyAssignmentService& keys, keys::InputRouter& input,
                MacroRecorder::ClockSource clock = MacroRecorder::Clock::now);

  FeatureSlot Slot() const override { return FeatureSlot::kMacros; }
  void CreateControls(Tessel::PageHost& host) override;
  std::vector<TextBinding> TextBindings() const override;
  void ApplyTexts() override { page_.ApplyTexts(); }
  void RegisterTasks(TaskTable& table) override { service_.RegisterTasks(table); }
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    return page_.OnControlEvent(id, code, arg1, arg2);
  }
  std::optional<std::intptr_t> OnWindowMessage(unsigned message, std::intptr_t wParam,
                                               std::intptr_t lParam) override {
    return page_.OnWindowMessage(message, wParam, lParam);
  }
  void OnPageShown(int pageId) override;
  void OnPageLeft(int pageId) override;
  // The macro list, read again (the macros are the same for every profile).
  void ShowProfile() override { page_.LoadMacroPage(); }
  void Shutdown() override { page_.Shutdown(); }

  MacroService& Service() { return service_; }
  MacroPage& Page() { return page_; }

 private:
  device::MacroCommands commands_;
  MacroService service_;
  MacroPage page_;
};

}  // namespace macros

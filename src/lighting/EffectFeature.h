#pragma once
// The effect room: the screen-sync and music effects of page 2. The keyboard's lights follow
// the music, a picture or video, the screen or one window, streamed by the device worker while
// the page is active.

#include "core/Feature.h"
#include "lighting/AuroraView.h"
#include "lighting/EffectPage.h"
#include "lighting/EffectService.h"

class CurrentLayout;
class CurrentModel;
class DeviceTaskQueue;
struct SharedState;
namespace core {
class TextTable;
}
namespace device {
class KeyboardCommands;
class LightingCommands;
}  // namespace device
namespace storage {
class SettingsDatabase;
}

namespace lighting {
class KeyboardAudio;
}

class EffectFeature : public Feature {
 public:
  // `audio` feeds the visualizer and the effect view while the room lives.
  EffectFeature(Tessel::PageHost& host, SharedState& state, device::KeyboardCommands& keyboard,
                device::LightingCommands& lighting, storage::SettingsDatabase& database,
                const CurrentModel& model, const CurrentLayout& layout,
                const core::TextTable& texts, DeviceTaskQueue& tasks,
                lighting::KeyboardAudio& audio, lighting::EffectService::Sources sources);
  ~EffectFeature() override;
  EffectFeature(const EffectFeature&) = delete;
  EffectFeature& operator=(const EffectFeature&) = delete;

  FeatureSlot Slot() const override { return FeatureSlot::kEffects; }
  void CreateControls(Tessel::PageHost& host) override;
  std::vector<TextBinding> TextBindings() const override;
  void ApplyTexts() override { page_.ApplyTexts(); }
  void RegisterTasks(TaskTable& table) override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    return page_.OnControlEvent(id, code, arg1, arg2);
  }
  void OnPageShown(int pageId) override;
  void ShowProfile() override { page_.ShowProfile(); }
  void ApplyProfile() override { page_.ShowProfile(); }
  void Idle() override;
  void Shutdown() override;

  lighting::EffectService& Service() { return service_; }
  lighting::EffectPage& Page() { return page_; }

 private:
  void StopFeeds();

  SharedState& state_;
  DeviceTaskQueue& tasks_;
  lighting::KeyboardAudio& audio_;
  lighting::AuroraView view_;
  lighting::EffectService service_;
  lighting::EffectPage page_;
  bool feeding_ = false;
};

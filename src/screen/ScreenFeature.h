#pragma once
// The screen room: the media library of the keyboard's screen, the frame editor, and the
// upload of the screens' animations with the screen's clock, on the screen page (main page 6).

#include "core/Feature.h"
#include "screen/ScreenPage.h"
#include "screen/ScreenService.h"

class AppPaths;
class DeviceTaskQueue;
struct DeviceCatalogue;
struct SharedState;
namespace core {
class Sleeper;
class TextTable;
}  // namespace core
namespace device {
class HidDeviceManager;
}
namespace storage {
class SettingsDatabase;
}

class ScreenFeature : public Feature {
 public:
  ScreenFeature(Tessel::PageHost& host, SharedState& state, device::HidDeviceManager& link,
                storage::SettingsDatabase& database, const DeviceCatalogue& catalogue,
                const AppPaths& paths, const core::TextTable& texts, DeviceTaskQueue& tasks,
                core::Sleeper& sleeper);

  FeatureSlot Slot() const override { return FeatureSlot::kScreen; }
  void CreateControls(Tessel::PageHost& host) override;
  std::vector<TextBinding> TextBindings() const override;
  void ApplyTexts() override { page_.ApplyTexts(); }
  void RegisterTasks(TaskTable& table) override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    return page_.OnControlEvent(id, code, arg1, arg2);
  }
  void OnPageShown(int pageId) override;
  // A keyboard by cable or through its receiver: the library of its model (made from the
  // screens' animations on the first visit) is shown.
  void ShowProfile() override;

  // The library belongs to the selected model: its folders follow the model. Any thread.
  void UpdatePlace();

  screen::ScreenService& Service() { return service_; }
  screen::ScreenPage& Page() { return page_; }

 private:
  SharedState& state_;
  const DeviceCatalogue& catalogue_;
  const AppPaths& paths_;
  Tessel::PageHost& host_;
  screen::ScreenService service_;
  screen::ScreenPage page_;
};

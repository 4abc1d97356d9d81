#include "lighting/LightingFeature.h"

#include <utility>

#include "core/SharedState.h"
#include "core/TaskCodes.h"
#include "core/TaskTable.h"
#include "lighting/LightPageLayout.h"

LightingFeature::LightingFeature(Tessel::PageHost& host, SharedState& state,
                                 device::HidDeviceManager& link, device::KeyboardCommands& keyboard,
                                 storage::SettingsDatabase& database, const CurrentModel& model,
                                 const CurrentLayout& layout, const core::TextTable& texts,
                                 DeviceTaskQueue& tasks)
    : commands_(link, keyboard),
      service_(state, database, keyboard, commands_, model, layout, tasks),
      page_(host, state, model, texts, service_) {
  service_.SetView(&page_);
}

void LightingFeature::CreateControls(Tessel::PageHost& host) {
  lighting::CreateLightPageControls(host);
}

std::vector<TextBinding> LightingFeature::TextBindings() const {
  return lighting::LightPageTextBindings();
}

void LightingFeature::RegisterTasks(TaskTable& table) {
  using Service = lighting::LightingService;
  const std::pair<int, void (Service::*)()> tasks[] = {
      {task::kApplyCustomSlot, &Service::ApplyCustomSlot},
      {task::kApplyLightMode, &Service::ApplyLightMode},
      {task::kApplyLightModeAgain, &Service::ApplyLightMode},
      {task::kReadCustomSlotColors, &Service::ReadCustomSlotColors},
      {task::kWriteCustomSlotColors, &Service::WriteCustomSlotColors},
  };
  for (const auto& [code, work] : tasks) {
    table.SetRun(
        code,
        [this, code, work] {
          service_.TaskStarted(code);
          (service_.*work)();
        },
        [this, code] { service_.TaskFinished(code); });
  }
}

void LightingFeature::OnPageShown(int pageId) {
  if (pageId == kPageLighting) page_.OnShown();
}

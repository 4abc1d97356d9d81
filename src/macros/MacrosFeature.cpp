#include "macros/MacrosFeature.h"

#include "core/SharedState.h"
#include "macros/MacroPageLayout.h"

namespace macros {

MacrosFeature::MacrosFeature(Tessel::PageHost& host, SharedState& state,
                             device::HidDeviceManager& link, device::KeyboardCommands& keyboard,
                             storage::SettingsDatabase& database, const CurrentModel& model,
                             const core::TextTable& texts, DeviceTaskQueue& tasks,
                             keys::KeyAssignmentService& keys, keys::InputRouter& input,
                             MacroRecorder::ClockSource clock)
    : commands_(link),
      service_(state, keyboard, commands_, database, texts, model, tasks, keys),
      page_(host, texts, service_, input, std::move(clock)) {}

void MacrosFeature::CreateControls(Tessel::PageHost& host) {
  CreateMacroPageControls(host);
}

std::vector<TextBinding> MacrosFeature::TextBindings() const {
  return MacroPageTextBindings();
}

void MacrosFeature::OnPageShown(int pageId) {
  if (pageId == kPageMacros) page_.OnPageShown();
}

void MacrosFeature::OnPageLeft(int pageId) {
  if (pageId == kPageMacros) page_.OnPageLeft();
}

}  // namespace macros

#include "keys/KeysFeature.h"

#include "core/SharedState.h"
#include "core/TaskTable.h"
#include "core/WindowMessages.h"
#include "keys/KeyAssignmentLayout.h"

namespace keys {

KeysFeature::KeysFeature(Tessel::PageHost& host, SharedState& state, device::HidDeviceManager& link,
                         device::KeyboardCommands& keyboard, storage::SettingsDatabase& database,
                         const core::TextTable& texts, KeyMapReader& keyMaps,
                         const CurrentModel& model, const CurrentLayout& layout,
                         DeviceTaskQueue& tasks, InputRouter& input)
    : state_(state),
      keyCommands_(link),
      service_(state, keyboard, keyCommands_, database, texts, keyMaps, model, layout, tasks),
      page_(host, state, model, texts, service_, input) {
  service_.SetObserver(&page_);
}

KeysFeature::~KeysFeature() {
  service_.SetObserver(nullptr);
}

void KeysFeature::CreateControls(Tessel::PageHost& host) {
  CreateKeyPageControls(host);
}

std::vector<TextBinding> KeysFeature::TextBindings() const {
  return KeyPageTextBindings();
}

void KeysFeature::RegisterTasks(TaskTable& table) {
  service_.RegisterTasks(table);
  // Labels only; nothing is sent.
  table.SetRun(task::kLoadKeyAssignments, [this] { page_.ShowLayerAssignments(); });
}

std::optional<std::intptr_t> KeysFeature::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                                          std::intptr_t lParam) {
  switch (message) {
    case UM_KEY_FUNCTION_MENU:
      page_.OnKeyMenu(static_cast<int>(wParam));
      return 1;
    case UM_KNOB_CONFIG:
      page_.OnKnobConfig(static_cast<int>(wParam), lParam);
      return 1;
    case UM_VIEW_DRAG:
      page_.OnViewDrag(static_cast<int>(wParam), static_cast<int>(lParam));
      return 1;
    default:
      return std::nullopt;
  }
}

void KeysFeature::OnPageLeft(int pageId) {
  if (pageId == kPageKeys) page_.OnPageLeft();
}

void KeysFeature::OnPageShown(int pageId) {
  if (pageId == kPageKeys) page_.OnPageShown();
}

void KeysFeature::ShowProfile() {
  page_.ShowCurrentLayer();
  page_.ShowLayerAssignments();
}

void KeysFeature::ApplyProfile() {
  ShowProfile();
  service_.SendAllLayers(state_.currentProfile.load());
}

}  // namespace keys

#include "keyboard/KeyboardFeature.h"

#include "core/ControllerActions.h"
#include "core/DeviceTaskQueue.h"
#include "core/TaskTable.h"
#include "storage/SettingsDatabase.h"

KeyboardFeature::KeyboardFeature(Tessel::PageHost& host, SharedState& state,
                                 device::KeyboardCommands& keyboard,
                                 storage::SettingsDatabase& database, CurrentModel& model,
                                 const core::TextTable& texts, DeviceTaskQueue& tasks,
                                 ControllerActions& actions)
    : state_(state),
      database_(database),
      actions_(actions),
      info_(state, keyboard, database, model),
      settings_(state, keyboard, database, info_),
      page_(host, state, model, texts, database, tasks, actions) {
  info_.AddObserver(page_);
}

void KeyboardFeature::RegisterTasks(TaskTable& table) {
  table.SetRun(task::kSendSystemSettings, [this] { settings_.SendSystemSettings(); });
  // The window disabled for the reset takes input again whether the reset ran or was dropped.
  table.SetRun(
      task::kFactoryReset, [this] { FactoryReset(); }, [this] { FinishFactoryReset(); });
}

void KeyboardFeature::ApplyProfile() {
  page_.LoadSystemSettings();
  settings_.SendSystemSettings();
}

// The keyboard first: its profiles are removed from the database only once the keyboard has
// accepted the reset, so a reset that does not happen (keyboard pulled out, reset refused)
// changes nothing at all.
void KeyboardFeature::FactoryReset() {
  if (!settings_.SendFactoryReset()) {
    resetOutcome_.store(ResetOutcome::kRefused);
    return;
  }
  resetOutcome_.store(ResetOutcome::kDone);
  if (!database_.ClearAllData()) return;  // reported as a failed write; the profiles stay
  actions_.LoadKeyboardModel(state_.selectedModel.load());
  actions_.LoadProfileList();
  page_.LoadSystemSettings();
}

void KeyboardFeature::FinishFactoryReset() {
  page_.FinishFactoryReset(resetOutcome_.exchange(ResetOutcome::kNotRun) == ResetOutcome::kDone);
}

#include "keyboard/KeyboardFeature.h"

#include "core/ControllerActions.h"
#include "core/DeviceTaskQueue.h"
#include "core/TaskTable.h"
#include "device/KeyboardCommands.h"

KeyboardFeature::KeyboardFeature(Tessel::PageHost& host, SharedState& state,
                                 device::KeyboardCommands& keyboard,
                                 storage::SettingsDatabase& database, CurrentModel& model,
                                 const core::TextTable& texts, DeviceTaskQueue& tasks,
                                 ControllerActions& actions)
    : state_(state),
      tasks_(tasks),
      actions_(actions),
      keyboard_(keyboard),
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
  table.SetRun(task::kPageSwitch, [this] { SendPageSwitch(); });
}

void KeyboardFeature::FactoryReset() {
  resetRan_.store(true);
  settings_.SendFactoryReset();
  actions_.LoadProfileList();
  page_.LoadSystemSettings();
}

void KeyboardFeature::FinishFactoryReset() {
  page_.FinishFactoryReset();
  // A reset that never reached the keyboard still emptied the database: the profile view is
  // built again from it.
  if (!resetRan_.exchange(false)) tasks_.Append(task::kReconnect);
}

void KeyboardFeature::OnPageShown(int pageId) {
  if (pageId != kPageScreenSync) return;
  pageSwitchOnce_.store(true);
  tasks_.Append(task::kPageSwitch);
}

void KeyboardFeature::SendPageSwitch() {
  // The page sets the flag before it queues the task, so the command only goes out when the
  // task is queued with the flag clear.
  if (pageSwitchOnce_.load()) return;
  device::CommandBracket bracket(keyboard_);
  keyboard_.StartScreenSync();
}

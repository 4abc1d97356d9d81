#include "lighting/EffectFeature.h"

#include "core/DeviceTaskQueue.h"
#include "core/SharedState.h"
#include "core/TaskCodes.h"
#include "core/TaskTable.h"
#include "lighting/EffectPageLayout.h"
#include "lighting/KeyboardAudio.h"
#include "ui/pages/ControlIds.h"

EffectFeature::EffectFeature(Tessel::PageHost& host, SharedState& state,
                             device::KeyboardCommands& keyboard, device::LightingCommands& lighting,
                             storage::SettingsDatabase& database, const CurrentModel& model,
                             const CurrentLayout& layout, const core::TextTable& texts,
                             DeviceTaskQueue& tasks, lighting::KeyboardAudio& audio,
                             lighting::EffectService::Sources sources)
    : state_(state),
      tasks_(tasks),
      audio_(audio),
      view_(host, ids::kEffectView),
      service_(state, database, keyboard, lighting, model, layout, audio, std::move(sources)),
      page_(host, state, model, texts, service_, view_) {
  service_.SetView(&view_);
  audio_.AddFeed(view_);
  audio_.AddFeed(service_.GetVisualizer());
  feeding_ = true;
}

EffectFeature::~EffectFeature() {
  StopFeeds();
}

void EffectFeature::StopFeeds() {
  if (!feeding_) return;
  feeding_ = false;
  // Once removed, the sound analysis calls neither again: the view may go with the window.
  audio_.RemoveFeed(view_);
  audio_.RemoveFeed(service_.GetVisualizer());
}

void EffectFeature::CreateControls(Tessel::PageHost& host) {
  lighting::CreateEffectPageControls(host);
}

std::vector<TextBinding> EffectFeature::TextBindings() const {
  return lighting::EffectPageTextBindings();
}

void EffectFeature::RegisterTasks(TaskTable& table) {
  table.SetRun(task::kPageSwitch, [this] { service_.SendPageSwitch(); });
}

void EffectFeature::OnPageShown(int pageId) {
  if (pageId == kPageLighting) service_.SetActive(false);
  if (pageId != kPageScreenSync) return;
  service_.SetActive(true);
  // The flag is set before the task is queued (see SendPageSwitch).
  service_.MarkPageSwitch();
  tasks_.Append(task::kPageSwitch);
  page_.OnEntered();
}

void EffectFeature::Idle() {
  service_.StreamEffectColors();
  if (service_.Active()) page_.ShowSourceNotice();
}

void EffectFeature::Shutdown() {
  StopFeeds();
  service_.Shutdown();
}

#include "screen/ScreenFeature.h"

#include "catalogue/DeviceCatalogue.h"
#include "core/AppPaths.h"
#include "core/SharedState.h"
#include "core/Sleeper.h"
#include "core/TaskCodes.h"
#include "core/TaskTable.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "screen/ScreenPageLayout.h"
#include "ui/tessel/PageHost.h"

ScreenFeature::ScreenFeature(Tessel::PageHost& host, SharedState& state,
                             device::HidDeviceManager& link, storage::SettingsDatabase& database,
                             const DeviceCatalogue& catalogue, const AppPaths& paths,
                             const core::TextTable& texts, DeviceTaskQueue& tasks,
                             core::Sleeper& sleeper)
    : state_(state),
      catalogue_(catalogue),
      paths_(paths),
      host_(host),
      service_(link, database,
               [&texts](int id) { return texts.GetText(text::kDialogSection, id); }),
      page_(host, state, database, texts, tasks, service_) {
  service_.SetWaiter(
      [&sleeper](std::chrono::milliseconds pause) { return sleeper.SleepFor(pause); });
  service_.SetProgress(
      [this](int percent, const std::string& line) { page_.ShowUploadProgress(percent, line); });
}

void ScreenFeature::CreateControls(Tessel::PageHost& host) {
  screen::CreateScreenPageControls(host);
}

std::vector<TextBinding> ScreenFeature::TextBindings() const {
  return screen::ScreenPageTextBindings();
}

void ScreenFeature::RegisterTasks(TaskTable& table) {
  using Service = screen::ScreenService;
  using Page = screen::ScreenPage;
  const struct {
    int code;
    void (Service::*run)();
    void (Page::*epilogue)();
  } tasks[] = {
      {task::kCloseWaitDialog, &Service::RunExport, &Page::FinishExport},
      {task::kUploadScreenMedia, &Service::RunUpload, &Page::FinishUpload},
      {task::kImportMedia, &Service::RunImport, &Page::FinishImport},
      {task::kSyncScreenClock, &Service::RunClockSync, &Page::FinishClockSync},
  };
  for (const auto& entry : tasks) {
    // The epilogue runs whether the task ran or was dropped: its dialog always closes.
    table.SetRun(
        entry.code, [this, run = entry.run] { (service_.*run)(); },
        [this, epilogue = entry.epilogue] { (page_.*epilogue)(); });
  }
}

void ScreenFeature::UpdatePlace() {
  const KeyboardModelRecord* model = catalogue_.FindModel(state_.selectedModel.load());
  service_.Library().SetPlace(
      {paths_.GetAppFolder(), paths_.GetDataFolder(), model != nullptr ? model->layoutName : ""});
}

void ScreenFeature::ShowProfile() {
  const int kind = state_.connectionKind.load();
  if (kind != kConnectionCable && kind != kConnectionReceiver) return;
  UpdatePlace();
  service_.Library().SeedIfEmpty();
  host_.RunOnUiThread([this] { page_.LoadLcdPage(); });
}

void ScreenFeature::OnPageShown(int pageId) {
  if (pageId == kPageScreen) page_.RefreshScreens();
}

#include "app/LocalController.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/ControlServer.h"
#include "app/KeyboardDlg.h"
#include "app/StartupConfig.h"
#include "core/AppPaths.h"
#include "core/Language.h"
#include "core/SettingsStore.h"
#include "core/TextTable.h"
#include "platform/HidapiBackend.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/UdevMonitor.h"
#include "sim/VirtualKeyboard.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

namespace {

using cli::Answer;
using cli::Reason;

// The main window, found by name when a signal asks it to close.
void CloseMainWindow(const std::string& name) {
  if (auto* dialog = dynamic_cast<KeyboardDlg*>(Tessel::Manager::FindWindow(name))) {
    dialog->CloseAndDestroy();
  }
}

struct Hid {
  std::unique_ptr<device::HidApi> stack;
  std::string error;
};

Hid MakeHid(const LocalRunOptions& options, const std::filesystem::path& appFolder) {
  Hid hid;
  if (!options.virtualKeyboard) {
    hid.stack = std::make_unique<platform::HidapiBackend>();
  } else {
    hid.stack = sim::MakeVirtualKeyboardBus(appFolder, *options.virtualKeyboard, &hid.error);
  }
  return hid;
}

// The window with its server until the answer is there; the answer, or why there is none.
struct Session {
  KeyboardDlg& dialog;
  platform::SingleInstance* instance;
  std::optional<Answer> answer;
};

void RunRequest(Session& session, const cli::Request& request, const LocalRunOptions& options) {
  KeyboardDlg& dialog = session.dialog;
  ControlServer server(dialog);
  if (session.instance != nullptr) session.instance->SetRequestHandler(server.Handler());
  dialog.ScheduleExit(static_cast<int>(options.limit.count()));
  server.Execute(request, [&session](Answer answer) {
    if (!session.answer) session.answer = std::move(answer);
    if (session.dialog.GetSafeHwnd() != 0) session.dialog.CloseAndDestroy();
  });
  dialog.ShowModal(Tessel::kHide);
  if (session.instance != nullptr) session.instance->SetRequestHandler({});
}

int Finish(Session& session, const std::function<int(const LocalRun&)>& finish) {
  LocalRun run;
  run.answer = session.answer.value_or(
      Answer::Failure(Reason::kTimeout, "ended before the command finished"));
  const int status = finish(run);
  if (!session.dialog.WorkerEnded()) {
    // The worker still uses the controller: leave without destroying anything.
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}

// The controller of the application on the HID stack, until the request is answered.
int RunController(const AppPaths& paths, const StartupConfig& config, device::HidApi& hid,
                  platform::SingleInstance& instance, const cli::Request& request,
                  const LocalRunOptions& options,
                  const std::function<int(const LocalRun&)>& finish) {
  SettingsStore settings(paths.GetConfigFolder() / "settings.ini");
  core::TextTable texts(paths.GetAppFolder(),
                        ChooseUiLanguage(settings, config.languages, SystemUiLanguage()));
  AppPaths::CreateFolderPath(paths.GetDataFolder() / "db");

  KeyboardDlg::Options dialogOptions;
  dialogOptions.audioSource = SystemSoundSource;
  // A start at login runs the application, which lives beside tarvoctl.
  dialogOptions.autostartExecutable =
      platform::Autostart::CurrentExecutable().parent_path() / "tarvo";
  KeyboardDlg dialog(paths, settings, texts, hid, std::move(dialogOptions));
  // Real devices come and go through udev; the virtual keyboard reports that itself. Both go
  // before the window they report to.
  std::unique_ptr<platform::UdevMonitor> monitor;
  if (!hid.ReportsHotPlug()) {
    monitor = std::make_unique<platform::UdevMonitor>(
        [&dialog](device::HotPlugEvent event, const std::string& path) {
          dialog.OnDeviceChange(static_cast<int>(event), path);
        });
  }
  dialog.Create(nullptr, paths.GetProductName(),
                Tessel::Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight));
  Session session{dialog, &instance, std::nullopt};
  RunRequest(session, request, options);
  return Finish(session, finish);
}

}  // namespace

int RunLocalController(const cli::Request& request, const LocalRunOptions& options,
                       const std::function<int(const LocalRun&)>& finish) {
  const StartupConfig config = ReadStartupConfig(AppPaths::FindAppFolder());
  if (config.productName) Tessel::Manager::SetDeviceName(*config.productName);
  const std::string product = Tessel::Manager::GetDeviceName();
  const AppPaths paths = AppPaths::FromEnvironment(product);
  Tessel::Manager::SetResourceFolder(paths.GetAppFolder());

  Tessel::HeadlessBackend backend;
  Tessel::Manager::SetBackend(&backend);
  int status = 0;
  {
    // Before any thread starts: the signals must be blocked in all of them.
    platform::TerminationSignals signals(
        [&backend, product](int) { backend.Post([product] { CloseMainWindow(product); }); });
    auto instance = platform::SingleInstance::Acquire(paths.GetRuntimeFolder(), product, {});
    Hid hid;
    if (instance == nullptr) {
      status = finish(LocalRun{LocalRun::Outcome::kOtherCopyRuns, {}});
    } else if (hid = MakeHid(options, paths.GetAppFolder()); !hid.stack) {
      status =
          finish(LocalRun{LocalRun::Outcome::kAnswered,
                          Answer::Failure(Reason::kUsage, "--virtual-keyboard: " + hid.error)});
    } else {
      status = RunController(paths, config, *hid.stack, *instance, request, options, finish);
    }
  }
  Tessel::Manager::SetBackend(nullptr);
  return status;
}

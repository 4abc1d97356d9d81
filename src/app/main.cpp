// The entry point: reads the configuration, keeps to one running copy, chooses the language,
// prepares the data folder and runs the main window until the user leaves.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "app/CommandLine.h"
#include "app/KeyboardDlg.h"
#include "app/StartupConfig.h"
#include "base/Log.h"
#include "core/AppPaths.h"
#include "core/Language.h"
#include "core/SettingsStore.h"
#include "core/TextTable.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

namespace {

// Posts `work` for a window of this process, found by name on the UI thread.
void PostToMainWindow(Tessel::Backend& backend, const std::string& name, void (*work)(Tessel::MWindow&)) {
  backend.Post([name, work] {
    if (Tessel::MWindow* window = Tessel::Manager::FindWindow(name)) work(*window);
  });
}

int RunMainWindow(const CommandLine& line, Tessel::Backend& backend, const AppPaths& paths, SettingsStore& settings,
                  core::TextTable& texts) {
  const std::string product = paths.GetProductName();
  KeyboardDlg dialog(paths, settings, texts, KeyboardDlg::Options{});
  dialog.Create(nullptr, product, Tessel::Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight));
  dialog.CenterWindow();
  if (line.exitAfterMs >= 0) dialog.ScheduleExit(line.exitAfterMs);
  (void)backend;
  base::DebugLog("main window running");
  dialog.ShowModal(line.autorun ? Tessel::kMinimize : Tessel::kShow);
  if (!dialog.WorkerEnded()) {
    // The worker still uses the controller: leave without destroying anything.
    std::fflush(nullptr);
    std::_Exit(0);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.help || !line.errors.empty()) {
    for (const std::string& error : line.errors) std::cerr << "tarvo: " << error << '\n';
    std::cout << UsageText();
    return line.errors.empty() ? 0 : 2;
  }

  // The configuration names the product, which names everything else.
  const StartupConfig config = ReadStartupConfig(AppPaths::FindAppFolder());
  if (config.productName) Tessel::Manager::SetDeviceName(*config.productName);
  const std::string product = Tessel::Manager::GetDeviceName();
  const AppPaths paths = AppPaths::FromEnvironment(product);
  Tessel::Manager::SetResourceFolder(paths.GetAppFolder());

  Tessel::HeadlessBackend backend;
  Tessel::Manager::SetBackend(&backend);
  platform::TerminationSignals signals([&backend, product](int signal) {
    base::DebugLog("signal %d: shutting down", signal);
    PostToMainWindow(backend, product, [](Tessel::MWindow& window) {
      if (auto* dialog = dynamic_cast<KeyboardDlg*>(&window)) dialog->CloseAndDestroy();
    });
  });

  // One copy per user: a second one raises the first and leaves.
  auto instance = platform::SingleInstance::Acquire(paths.GetRuntimeFolder(), product, [&backend, product] {
    base::DebugLog("raise request from a second copy");
    PostToMainWindow(backend, product, [](Tessel::MWindow& window) { window.BringToFront(); });
  });
  if (instance == nullptr) {
    platform::SingleInstance::AskToRaise(paths.GetRuntimeFolder(), product);
    return 0;
  }

  SettingsStore settings(paths.GetConfigFolder() / "settings.ini");
  core::TextTable texts(paths.GetAppFolder(), ChooseUiLanguage(settings, config.languages, SystemUiLanguage()));
  AppPaths::CreateFolderPath(paths.GetDataFolder() / "db");

  const int result = RunMainWindow(line, backend, paths, settings, texts);
  Tessel::Manager::SetBackend(nullptr);
  return result;
}

// The entry point: reads the configuration, keeps to one running copy, chooses the language,
// prepares the data folder and runs the main window until the user leaves.

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <system_error>

#include "UdevRules.h"
#include "app/CommandLine.h"
#include "app/ControlServer.h"
#include "app/KeyboardAccessHint.h"
#include "app/KeyboardDlg.h"
#include "app/StartupConfig.h"
#include "base/Log.h"
#include "catalogue/DeviceCatalogue.h"
#include "core/AppPaths.h"
#include "core/Language.h"
#include "core/SettingsStore.h"
#include "core/TextTable.h"
#include "core/WindowMessages.h"
#include "platform/CommandSocket.h"
#include "platform/HidapiBackend.h"
#include "platform/PowerMonitor.h"
#include "platform/PrivateFolder.h"
#include "platform/ScreenInfo.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/UdevMonitor.h"
#include "sim/VirtualKeyboard.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/qt/PictureFile.h"
#include "ui/qt/QtBackend.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

namespace {

// Hands work from the signal and socket threads to the UI thread, for exactly as long as the
// backend lives: the main thread detaches it before the backend goes.
class MainWindowPoster {
 public:
  explicit MainWindowPoster(std::string windowName) : windowName_(std::move(windowName)) {}
  void Attach(Tessel::Backend* backend) {
    std::lock_guard lock(mutex_);
    backend_ = backend;
  }
  // Runs `work` on the UI thread for the main window, found by name when the work runs.
  void Post(void (*work)(Tessel::MWindow&)) {
    std::lock_guard lock(mutex_);
    if (backend_ == nullptr) return;
    backend_->Post([name = windowName_, work] {
      if (Tessel::MWindow* window = Tessel::Manager::FindWindow(name)) work(*window);
    });
  }

 private:
  const std::string windowName_;
  std::mutex mutex_;
  Tessel::Backend* backend_ = nullptr;
};

// The rule built into the program, after the commands that install it.
int PrintUdevRules() {
  std::cout << "# Lets the user at the desktop use Tarvo keyboards without root. Install with:\n";
  std::istringstream commands(KeyboardAccessHint::InstallCommands());
  for (std::string line; std::getline(commands, line);) std::cout << '#' << line << '\n';
  std::cout << kUdevRules;
  return 0;
}

// On small screens, and on a full-HD screen scaled above 125 %, the window draws at the
// screen's own pixels instead of being enlarged by the desktop's scale factor.
void ApplyScreenScaling() {
  const std::optional<platform::ScreenInfo> screen = platform::ReadPrimaryScreen();
  if (!screen) return;
  if (NeedsDpiAwareness(screen->width, screen->height, ScalePercentFromDpi(screen->dpi))) {
    setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 0);
  }
}

// What the configuration names and where the user's files go.
struct Startup {
  StartupConfig config;
  AppPaths paths;
};

// Reads the configuration, which names the product and with it every folder, and makes the
// user's folders private. None, with a message on standard error, when either cannot be done:
// going on would put the user's data elsewhere or where others can reach it.
std::optional<Startup> PrepareStartup() {
  StartupConfig config = ReadStartupConfig(AppPaths::FindAppFolder());
  if (!config.error.empty()) {
    std::cerr << "tarvo: " << config.error << '\n';
    return std::nullopt;
  }
  if (config.productName) Tessel::Manager::SetDeviceName(*config.productName);
  AppPaths paths = AppPaths::FromEnvironment(Tessel::Manager::GetDeviceName());
  // The runtime folder holds the lock and the sockets; the others the settings and databases.
  const std::pair<std::filesystem::path, platform::FolderLinks> folders[] = {
      {paths.GetRuntimeFolder(), platform::FolderLinks::kRefuse},
      {paths.GetConfigFolder(), platform::FolderLinks::kFollow},
      {paths.GetDataFolder(), platform::FolderLinks::kFollow},
      {paths.GetDataFolder() / "db", platform::FolderLinks::kFollow},
  };
  for (const auto& [folder, links] : folders) {
    std::string error;
    if (!platform::PreparePrivateFolder(folder, links, &error)) {
      std::cerr << "tarvo: cannot use " << error << '\n';
      return std::nullopt;
    }
  }
  return Startup{std::move(config), std::move(paths)};
}

// Checked before anything starts, so that a run that cannot save its picture says so at once.
std::optional<std::string> ScreenshotProblem(const std::filesystem::path& file) {
  const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    return "cannot write " + file.string() + ": there is no folder " + folder.string();
  }
  if (std::filesystem::is_directory(file, error)) {
    return "cannot write " + file.string() + ": it is a folder";
  }
  return std::nullopt;
}

// What keeps the window from being shown (or saved as a picture).
std::optional<std::string> WindowProblem(const CommandLine& line) {
  if (line.screenshot && line.headless) {
    return "--screenshot needs the window (leave out --headless)";
  }
  if (line.screenshot) {
    if (std::optional<std::string> problem = ScreenshotProblem(*line.screenshot)) {
      return "--screenshot: " + *problem;
    }
  }
  if (line.headless) return std::nullopt;
  return platform::FindDisplayProblem();
}

// Checks again whether a keyboard of ours is attached but closed to this user, and shows the
// hint of the home page accordingly.
void ShowKeyboardAccess(KeyboardDlg& dialog, const core::TextTable& texts,
                        const std::shared_ptr<KeyboardAccessHint>& access) {
  const KeyboardAccessHint::State state = access->Check();
  dialog.RunOnUiThread(
      [&dialog, &texts, access, state] { access->ShowOnHomePage(dialog, texts, state); });
}

// Where the running copy listens for the virtual keyboard's hand controls.
std::filesystem::path VirtualKeyboardSocket(const AppPaths& paths) {
  return paths.GetRuntimeFolder() / (paths.GetProductName() + "-virtual-keyboard.sock");
}

int SendVirtualKeyboardCommand(const AppPaths& paths, const std::string& command) {
  const std::optional<std::string> answer =
      platform::CommandSocket::Send(VirtualKeyboardSocket(paths), command);
  if (!answer) {
    std::cerr << "tarvo: no copy with a virtual keyboard is running\n";
    return 1;
  }
  std::cout << *answer;
  return answer->starts_with("error") ? 1 : 0;
}

// The HID stack: the machine's hidraw devices, or the built-in virtual keyboard.
struct HidStack {
  std::unique_ptr<device::HidApi> hid;
  sim::VirtualHidBus* virtualBus = nullptr;
};

std::optional<HidStack> MakeHidStack(const CommandLine& line,
                                     const std::filesystem::path& appFolder) {
  HidStack stack;
  if (!line.virtualKeyboard) {
    stack.hid = std::make_unique<platform::HidapiBackend>();
    return stack;
  }
  std::string error;
  std::unique_ptr<sim::VirtualHidBus> bus =
      sim::MakeVirtualKeyboardBus(appFolder, *line.virtualKeyboard, &error);
  if (!bus) {
    std::cerr << "tarvo: --virtual-keyboard: " << error << '\n';
    return std::nullopt;
  }
  stack.virtualBus = bus.get();
  stack.hid = std::move(bus);
  return stack;
}

struct Run {
  const CommandLine& line;
  const AppPaths& paths;
  SettingsStore& settings;
  core::TextTable& texts;
  HidStack& hid;
  TesselQt::QtBackend* qt = nullptr;             // null when headless
  platform::SingleInstance* instance = nullptr;  // answers tarvoctl's requests
};

// The effect page's sources: the sound the computer plays, and still pictures read by Qt's
// image reader (which knows more formats than the video decoder) when Qt draws the window.
KeyboardDlg::Options WindowOptions(bool withQt) {
  KeyboardDlg::Options options;
  options.audioSource = SystemSoundSource;
  if (withQt) {
    options.pictureLoader =
        [](const std::filesystem::path& file) -> std::optional<platform::RgbPicture> {
      std::optional<TesselQt::PicturePixels> read = TesselQt::ReadPictureFile(file.string());
      if (!read) return std::nullopt;
      return platform::RgbPicture{read->width, read->height, std::move(read->pixels)};
    };
  }
  return options;
}

int RunMainWindow(const Run& run) {
  KeyboardDlg dialog(run.paths, run.settings, run.texts, *run.hid.hid,
                     WindowOptions(run.qt != nullptr));
  // On real hardware, a keyboard this user may not open points to the udev rule.
  std::shared_ptr<KeyboardAccessHint> access;
  if (run.hid.virtualBus == nullptr) {
    access = std::make_shared<KeyboardAccessHint>(platform::KeyboardAccessRoots{},
                                                  ReadDeviceCatalogue(run.paths.GetAppFolder()));
    std::cerr << access->StartupMessage(access->Check());
  }
  // Real devices come and go through udev; the virtual keyboard reports that itself. Both
  // go before the window they report to.
  std::unique_ptr<platform::UdevMonitor> monitor;
  if (!run.hid.hid->ReportsHotPlug()) {
    monitor = std::make_unique<platform::UdevMonitor>(
        [&dialog, &texts = run.texts, access](device::HotPlugEvent event, const std::string& path) {
          dialog.OnDeviceChange(static_cast<int>(event), path);
          if (access) ShowKeyboardAccess(dialog, texts, access);
        });
  }
  // Sleep and wake of the machine arrive as the power broadcast: suspend 4, resume 7.
  platform::PowerMonitor power([&dialog](bool sleeping) {
    dialog.PostMessage(Tessel::WM_POWERBROADCAST, sleeping ? kPowerSuspend : kPowerResumeSuspend,
                       0);
  });
  std::unique_ptr<platform::CommandSocket> controls;
  if (run.hid.virtualBus != nullptr) {
    controls = platform::CommandSocket::Listen(
        VirtualKeyboardSocket(run.paths), [bus = run.hid.virtualBus](const std::string& command) {
          return sim::RunControlCommand(*bus, command);
        });
  }
  dialog.Create(nullptr, run.paths.GetProductName(),
                Tessel::Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight));
  dialog.CenterWindow();
  if (access) ShowKeyboardAccess(dialog, run.texts, access);
  // tarvoctl's requests, from the window's creation to its end.
  ControlServer server(dialog);
  if (run.instance != nullptr) run.instance->SetRequestHandler(server.Handler());
  if (run.line.exitAfterMs >= 0) dialog.ScheduleExit(run.line.exitAfterMs);
  int result = 0;
  if (run.line.screenshot && run.qt != nullptr) {
    dialog.WhenSettled([&] {
      if (run.line.page >= 0) dialog.SwitchToPage(run.line.page);
      run.qt->FlushChanges();
      if (!run.qt->SaveScreenshot(dialog, *run.line.screenshot)) {
        std::cerr << "tarvo: cannot write the screenshot to " << *run.line.screenshot << '\n';
        result = 1;
      }
      dialog.CloseAndDestroy();
    });
  } else if (run.line.page >= 0) {
    dialog.WhenSettled([&] { dialog.SwitchToPage(run.line.page); });
  }
  base::DebugLog("main window running");
  dialog.ShowModal(TrayFeature::StartShowCommand(run.line.autorun, run.settings));
  if (run.instance != nullptr) run.instance->SetRequestHandler({});
  if (!dialog.WorkerEnded()) {
    // The worker still uses the controller: leave without destroying anything.
    std::fflush(nullptr);
    std::_Exit(result);
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  const CommandLine line = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (line.help || !line.errors.empty()) {
    for (const std::string& error : line.errors) std::cerr << "tarvo: " << error << '\n';
    std::cout << UsageText();
    return line.errors.empty() ? 0 : 2;
  }
  if (line.printUdevRules) return PrintUdevRules();
  // What the program writes (settings, databases with the recorded macros) is the user's alone.
  platform::KeepNewFilesPrivate();
  if (line.virtualKeyboardCommand) {
    const std::optional<Startup> startup = PrepareStartup();
    if (!startup) return 1;
    return SendVirtualKeyboardCommand(startup->paths, *line.virtualKeyboardCommand);
  }
  if (const std::optional<std::string> problem = WindowProblem(line)) {
    std::cerr << "tarvo: " << *problem << '\n';
    return line.screenshot && line.headless ? 2 : 1;
  }

  const std::optional<Startup> startup = PrepareStartup();
  if (!startup) return 1;
  const AppPaths& paths = startup->paths;
  const std::string product = paths.GetProductName();
  Tessel::Manager::SetResourceFolder(paths.GetAppFolder());
  // Before any thread starts (Qt starts some): the signals must be blocked in all of them.
  MainWindowPoster poster(product);
  platform::TerminationSignals signals([&poster](int signal) {
    base::DebugLog("signal %d: shutting down", signal);
    poster.Post([](Tessel::MWindow& window) {
      if (auto* dialog = dynamic_cast<KeyboardDlg*>(&window)) dialog->CloseAndDestroy();
    });
  });

  std::optional<HidStack> hid = MakeHidStack(line, paths.GetAppFolder());
  if (!hid) return 2;

  std::unique_ptr<Tessel::HeadlessBackend> headless;
  std::unique_ptr<TesselQt::QtBackend> qt;
  if (line.headless) {
    headless = std::make_unique<Tessel::HeadlessBackend>();
    Tessel::Manager::SetBackend(headless.get());
  } else {
    ApplyScreenScaling();
    qt = std::make_unique<TesselQt::QtBackend>(argc, argv);
    qt->SetApplicationIcon(Tessel::Manager::ResolvePicture("skins/theme1/DeviceDriver.ico"));
  }
  poster.Attach(Tessel::Manager::GetBackend());

  // One copy per user: a second one raises the first and leaves.
  auto instance = platform::SingleInstance::Acquire(paths.GetRuntimeFolder(), product, [&poster] {
    base::DebugLog("raise request from a second copy");
    poster.Post([](Tessel::MWindow& window) { window.BringToFront(); });
  });
  if (instance == nullptr) {
    poster.Attach(nullptr);
    if (platform::SingleInstance::AskToRaise(paths.GetRuntimeFolder(), product)) return 0;
    std::cerr << "tarvo: another copy holds the lock "
              << platform::SingleInstance::LockPath(paths.GetRuntimeFolder(), product).string()
              << " but does not answer the request to show its window\n";
    return 1;
  }

  SettingsStore settings(paths.GetConfigFolder() / "settings.ini");
  const int language = ChooseUiLanguage(settings, startup->config.languages, SystemUiLanguage());
  core::TextTable texts(paths.GetAppFolder(), language);
  if (qt) qt->SetLanguage(language);

  const int result = RunMainWindow({line, paths, settings, texts, *hid, qt.get(), instance.get()});
  instance.reset();
  poster.Attach(nullptr);
  return result;
}

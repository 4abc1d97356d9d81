// The entry point: reads the configuration, keeps to one running copy, chooses the language,
// prepares the data folder and runs the main window until the user leaves.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>

#include "app/CommandLine.h"
#include "app/KeyboardDlg.h"
#include "app/StartupConfig.h"
#include "base/Log.h"
#include "core/AppPaths.h"
#include "core/Language.h"
#include "core/SettingsStore.h"
#include "core/TextTable.h"
#include "core/WindowMessages.h"
#include "platform/CommandSocket.h"
#include "platform/HidapiBackend.h"
#include "platform/PowerMonitor.h"
#include "platform/ScreenInfo.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "platform/UdevMonitor.h"
#include "sim/VirtualKeyboard.h"
#include "ui/pages/MainWindowLayout.h"
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

int PrintUdevRules(const std::filesystem::path& appFolder) {
  std::ifstream rules(appFolder / "udev" / "70-tarvo.rules");
  if (!rules) {
    std::cerr << "tarvo: cannot read " << (appFolder / "udev" / "70-tarvo.rules") << '\n';
    return 1;
  }
  std::cout << "# Lets the user at the desktop use Tarvo keyboards without root. Install with:\n"
               "#   tarvo --print-udev-rules | sudo tee /etc/udev/rules.d/70-tarvo.rules\n"
               "#   sudo udevadm control --reload && sudo udevadm trigger\n"
            << rules.rdbuf();
  return 0;
}

bool HasDisplay() {
  for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
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
  TesselQt::QtBackend* qt = nullptr;  // null when headless
};

int RunMainWindow(const Run& run) {
  KeyboardDlg dialog(run.paths, run.settings, run.texts, *run.hid.hid, KeyboardDlg::Options{});
  // Real devices come and go through udev; the virtual keyboard reports that itself. Both
  // go before the window they report to.
  std::unique_ptr<platform::UdevMonitor> monitor;
  if (!run.hid.hid->ReportsHotPlug()) {
    monitor = std::make_unique<platform::UdevMonitor>(
        [&dialog](device::HotPlugEvent event, const std::string& path) {
          dialog.OnDeviceChange(static_cast<int>(event), path);
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
  if (run.line.exitAfterMs >= 0) dialog.ScheduleExit(run.line.exitAfterMs);
  int result = 0;
  if (run.line.screenshot && run.qt != nullptr) {
    dialog.WhenSettled([&] {
      if (run.line.page >= 0) dialog.SwitchToPage(run.line.page);
      run.qt->FlushChanges();
      if (!run.qt->SaveScreenshot(dialog, *run.line.screenshot)) result = 1;
      dialog.CloseAndDestroy();
    });
  } else if (run.line.page >= 0) {
    dialog.WhenSettled([&] { dialog.SwitchToPage(run.line.page); });
  }
  base::DebugLog("main window running");
  dialog.ShowModal(run.line.autorun ? Tessel::kMinimize : Tessel::kShow);
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
  if (line.printUdevRules) return PrintUdevRules(AppPaths::FindAppFolder());
  if (line.virtualKeyboardCommand) {
    const StartupConfig config = ReadStartupConfig(AppPaths::FindAppFolder());
    if (config.productName) Tessel::Manager::SetDeviceName(*config.productName);
    return SendVirtualKeyboardCommand(AppPaths::FromEnvironment(Tessel::Manager::GetDeviceName()),
                                      *line.virtualKeyboardCommand);
  }
  if (line.screenshot && line.headless) {
    std::cerr << "tarvo: --screenshot needs the window (leave out --headless)\n";
    return 2;
  }
  if (!line.headless && !HasDisplay()) {
    std::cerr << "tarvo: no display found; start it in a desktop session, or run with --headless,\n"
                 "or set QT_QPA_PLATFORM=offscreen\n";
    return 1;
  }

  // The configuration names the product, which names everything else.
  const StartupConfig config = ReadStartupConfig(AppPaths::FindAppFolder());
  if (config.productName) Tessel::Manager::SetDeviceName(*config.productName);
  const std::string product = Tessel::Manager::GetDeviceName();
  const AppPaths paths = AppPaths::FromEnvironment(product);
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
    platform::SingleInstance::AskToRaise(paths.GetRuntimeFolder(), product);
    return 0;
  }

  SettingsStore settings(paths.GetConfigFolder() / "settings.ini");
  const int language = ChooseUiLanguage(settings, config.languages, SystemUiLanguage());
  core::TextTable texts(paths.GetAppFolder(), language);
  if (qt) qt->SetLanguage(language);
  AppPaths::CreateFolderPath(paths.GetDataFolder() / "db");

  const int result = RunMainWindow({line, paths, settings, texts, *hid, qt.get()});
  instance.reset();
  poster.Attach(nullptr);
  return result;
}

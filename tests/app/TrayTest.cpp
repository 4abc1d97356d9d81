// The application on the desktop through the controller: the tray icon and its menu, what the
// close buttons do in each exit mode, with and without a notification area, the start
// command of an autorun start, and the settings page's start-at-login switches.

#include <gtest/gtest.h>

#include <fstream>

#include "ControllerFixture.h"
#include "app/TrayFeature.h"
#include "core/TextIds.h"
#include "core/WindowMessages.h"
#include "platform/Autostart.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class TrayTest : public ControllerFixture {
 protected:
  explicit TrayTest(bool startWorker = false) : ControllerFixture(startWorker) {}

  fs::path AppFolder() override { return ShippedData(); }

  template <class T>
  T& Control(int id) {
    T* control = dialog->GetControl<T>(id);
    EXPECT_NE(control, nullptr) << id;
    return *control;
  }
  std::string Text(int id) { return texts->GetText(text::kDialogSection, id); }
  fs::path AutostartFile() { return folder / "config" / "autostart" / "tarvo.desktop"; }

  // Records the message boxes the user is shown, as "caption|text", and closes them.
  void Prepare() override {
    backend.SetResponder(
        [this](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
          if (request.kind != Tessel::DialogRequest::Kind::ModalShown) return std::nullopt;
          if (auto* box = dynamic_cast<Tessel::CUIMessageBox*>(request.window)) {
            boxes.push_back(box->GetCaption() + "|" + box->GetText());
          }
          return std::nullopt;
        });
  }

  std::vector<std::string> boxes;
};

TEST_F(TrayTest, TheIconShowsTheProductAndOffersExit) {
  const std::optional<Tessel::TrayIconInfo> icon = backend.TrayIconOf(*dialog);
  ASSERT_TRUE(icon.has_value());
  EXPECT_EQ(icon->id, TrayFeature::kTrayIconId);
  EXPECT_EQ(icon->notifyMessage, UM_TRAY_NOTIFY);
  EXPECT_EQ(icon->tip, "Tarvo");
  EXPECT_EQ(icon->icon.filename(), "DeviceDriver.ico");
  EXPECT_TRUE(fs::is_regular_file(icon->icon));
  ASSERT_EQ(icon->menu.size(), 1u);
  EXPECT_EQ(icon->menu[0].id, kTrayExitCommand);
  EXPECT_EQ(icon->menu[0].text, "Exit");
  // The menu speaks the language the user chooses.
  Control<Tessel::CRadioButton>(ids::kLanguageSimplifiedChinese).UserClick();
  EXPECT_EQ(backend.TrayIconOf(*dialog)->menu[0].text,
            texts->GetText(text::kDialogSection, text::kTrayExit));
  EXPECT_NE(backend.TrayIconOf(*dialog)->menu[0].text, "Exit");
}

TEST_F(TrayTest, TheCloseButtonsFollowTheExitMode) {
  const struct {
    const char* exitMode;  // nullptr: not stored
    bool trayHost;
    bool byWindowManager;
    int showCommand;  // -1: the application ended
  } cases[] = {
      {nullptr, true, false, -1},
      {"0", true, true, -1},
      {"2", true, false, -1},
      {"1", true, false, Tessel::kHide},
      {"1", true, true, Tessel::kHide},
      {"1", false, false, Tessel::kMinimize},
      {"1", false, true, Tessel::kMinimize},
  };
  for (const auto& [exitMode, trayHost, byWindowManager, showCommand] : cases) {
    SCOPED_TRACE(std::string(exitMode ? exitMode : "none") + (trayHost ? " tray" : " no tray") +
                 (byWindowManager ? " wm" : " button"));
    dialog->CloseAndDestroy();
    dialog.reset();
    if (exitMode) {
      settings->SetRegString("exit_mode", exitMode);
    } else {
      settings->DeleteValue("exit_mode");
    }
    backend.SetTrayAvailable(trayHost);
    SetUp();
    dialog->ShowWindow(Tessel::kShow);
    if (byWindowManager) {
      dialog->PostMessage(Tessel::WM_CLOSE);
    } else {
      Control<Tessel::MButton>(ids::kCloseButton).UserClick();
    }
    backend.PumpUntilIdle();
    if (showCommand < 0) {
      EXPECT_FALSE(dialog->IsCreated());
      EXPECT_FALSE(backend.TrayIconOf(*dialog).has_value());
    } else {
      ASSERT_TRUE(dialog->IsCreated());
      EXPECT_EQ(dialog->GetShowCommand(), showCommand);
    }
  }
}

TEST_F(TrayTest, AClickOnTheIconBringsTheHiddenWindowBack) {
  backend.SetTrayAvailable(true);
  settings->SetRegString("exit_mode", "1");
  dialog->ShowWindow(Tessel::kShow);
  Control<Tessel::MButton>(ids::kCloseButton).UserClick();
  backend.PumpUntilIdle();
  ASSERT_FALSE(dialog->IsWindowVisible());
  // A right click is the desktop's: it shows the menu, nothing else happens.
  ASSERT_TRUE(backend.ClickTrayIcon(*dialog, Tessel::kTrayRightButtonDown));
  backend.PumpUntilIdle();
  EXPECT_FALSE(dialog->IsWindowVisible());
  for (int click : {Tessel::kTrayLeftButtonDown, Tessel::kTrayLeftDoubleClick}) {
    dialog->ShowWindow(Tessel::kHide);
    const int raised = backend.RaiseCount(*dialog);
    ASSERT_TRUE(backend.ClickTrayIcon(*dialog, click));
    backend.PumpUntilIdle();
    EXPECT_TRUE(dialog->IsWindowVisible()) << click;
    EXPECT_EQ(backend.RaiseCount(*dialog), raised + 1) << click;
  }
}

TEST(TrayStart, AnAutorunStartIsMinimisedOnlyWhenTheSwitchIsOn) {
  TempFolder folder;
  SettingsStore settings(folder / "settings.ini");
  const struct {
    bool autorun;
    const char* minimize;
    int showCommand;
  } cases[] = {{false, "1", Tessel::kShow},
               {true, "1", Tessel::kMinimize},
               {true, "0", Tessel::kShow},
               {true, "", Tessel::kShow}};
  for (const auto& [autorun, minimize, showCommand] : cases) {
    settings.GetRegString("create");
    ASSERT_TRUE(settings.SetRegString("autorun_minimize", minimize));
    EXPECT_EQ(TrayFeature::StartShowCommand(autorun, settings), showCommand)
        << autorun << " " << minimize;
  }
}

// With the worker thread running: the tray's exit goes through the orderly shutdown.
class TrayExitTest : public TrayTest {
 protected:
  TrayExitTest() : TrayTest(true) {}
};

TEST_F(TrayExitTest, TheExitItemClosesOpenDialogsThenEndsTheApplicationInOrder) {
  backend.SetTrayAvailable(true);
  int boxResult = -1;
  backend.SetResponder(
      [this](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
        if (request.kind != Tessel::DialogRequest::Kind::ModalShown ||
            dynamic_cast<Tessel::CUIMessageBox*>(request.window) == nullptr) {
          return std::nullopt;
        }
        // The user leaves the box open and chooses Exit in the tray's menu.
        EXPECT_TRUE(backend.ChooseTrayMenuItem(*dialog, kTrayExitCommand));
        return Tessel::DialogAnswer::Result(Tessel::HeadlessBackend::kLeaveOpen);
      });
  dialog->RunOnUiThread([&] { boxResult = Tessel::CUIMessageBox::Show(dialog.get(), "A", "B"); });
  ASSERT_TRUE(backend.RunUntil([&] { return !dialog->IsCreated(); }, 10s));
  EXPECT_EQ(boxResult, Tessel::kResultCancel);
  EXPECT_TRUE(dialog->WorkerEnded());
  EXPECT_FALSE(backend.TrayIconOf(*dialog).has_value());
  // Only the item of the menu ends the application.
  EXPECT_FALSE(backend.ChooseTrayMenuItem(*dialog, kTrayExitCommand + 1));
}

TEST_F(TrayExitTest, TheTraysExitRequestEndsTheApplication) {
  dialog->PostMessage(UM_TRAY_COMMAND, 0, TrayFeature::kTrayExitRequest + 1);
  backend.PumpUntilIdle();
  ASSERT_TRUE(dialog->IsCreated());
  dialog->PostMessage(UM_TRAY_COMMAND, 0, TrayFeature::kTrayExitRequest);
  ASSERT_TRUE(backend.RunUntil([&] { return !dialog->IsCreated(); }, 10s));
  EXPECT_TRUE(dialog->WorkerEnded());
}

// The settings page -------------------------------------------------------------------------

TEST_F(TrayTest, TheAutorunSwitchWritesTheEntryAndTheMinimiseSwitchFollowsIt) {
  auto& autorun = Control<Tessel::CSwitchButton>(ids::kAutorunSwitch);
  auto& minimize = Control<Tessel::CSwitchButton>(ids::kAutorunMinimizeSwitch);
  EXPECT_FALSE(autorun.GetCheck());
  EXPECT_FALSE(minimize.IsVisible());

  autorun.UserClick();
  ASSERT_TRUE(fs::exists(AutostartFile()));
  EXPECT_TRUE(autorun.GetCheck());
  EXPECT_TRUE(minimize.IsVisible());
  EXPECT_FALSE(minimize.GetCheck());
  std::ifstream in(AutostartFile());
  std::string line;
  std::optional<std::vector<std::string>> exec;
  while (std::getline(in, line)) {
    if (line.starts_with("Exec=")) exec = platform::Autostart::ParseExec(line.substr(5));
  }
  ASSERT_TRUE(exec.has_value());
  EXPECT_EQ(*exec, (std::vector<std::string>{platform::Autostart::CurrentExecutable().string(),
                                             "-autorun"}));

  minimize.UserClick();
  EXPECT_EQ(settings->GetRegString("autorun_minimize"), "1");
  autorun.UserClick();
  EXPECT_FALSE(fs::exists(AutostartFile()));
  EXPECT_FALSE(minimize.IsVisible());
  EXPECT_FALSE(minimize.GetCheck());
  EXPECT_EQ(settings->GetRegString("autorun_minimize"), "0");
  // On again: the entry is back, the start-minimised choice stays "no".
  autorun.UserClick();
  EXPECT_TRUE(fs::exists(AutostartFile()));
  EXPECT_FALSE(minimize.GetCheck());
  EXPECT_EQ(settings->GetRegString("autorun_minimize"), "0");
  EXPECT_TRUE(boxes.empty());
}

TEST_F(TrayTest, AnAutostartFileThatCannotBeWrittenTurnsTheSwitchBackOffAndSaysSo) {
  // A file where the autostart folder should be fails for every user, root included.
  std::ofstream(folder / "config" / "autostart") << "not a folder";
  auto& autorun = Control<Tessel::CSwitchButton>(ids::kAutorunSwitch);
  autorun.UserClick();
  EXPECT_FALSE(autorun.GetCheck());
  EXPECT_FALSE(Control<Tessel::CSwitchButton>(ids::kAutorunMinimizeSwitch).IsVisible());
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], Text(text::kSettingsAutorun) + "|Tarvo cannot start at login: " +
                          AutostartFile().string() + " could not be written.");
}

TEST_F(TrayTest, TheExitModeRadiosStoreTheChoiceAndTheCloseTipSaysIt) {
  auto& hide = Control<Tessel::CRadioButton>(ids::kExitModeHideToTray);
  auto& quit = Control<Tessel::CRadioButton>(ids::kExitModeQuit);
  auto* close = dialog->FindControl(ids::kCloseButton);
  EXPECT_TRUE(quit.GetCheck());
  hide.UserClick();
  EXPECT_EQ(settings->GetRegString("exit_mode"), "1");
  EXPECT_FALSE(quit.GetCheck());
  EXPECT_EQ(close->GetToolTip(), Text(text::kCloseTipHideToTray));
  quit.UserClick();
  EXPECT_EQ(settings->GetRegString("exit_mode"), "0");
  EXPECT_EQ(close->GetToolTip(), Text(text::kCloseTipExit));
}

}  // namespace

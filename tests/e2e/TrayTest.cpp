// Tarvo on an X server (Xvfb): with a notification area (trayer) its icon is docked there and
// the icon menu's exit ends it with status 0; without one, closing to the tray minimises the
// window instead of hiding it where nobody could bring it back.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

#include "ProcessRunner.h"
#include "platform_input/XServerSupport.h"
#include "support/TempFolder.h"

namespace {

using namespace std::chrono_literals;

class TrayOnXvfb : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* program : {"Xvfb", "xdotool", "trayer"}) {
      if (!test_support::ProgramExists(program)) {
        GTEST_SKIP() << program << " is not installed (scripts/bootstrap installs it)";
      }
    }
    // A screen larger than the window: it is drawn at its own size, not scaled to fit.
    server_ = std::make_unique<test_support::XvfbServer>(1600, 1000);
    ASSERT_FALSE(server_->Display().empty()) << "Xvfb did not start";
    for (const char* name : {"run", "config/Tarvo", "data"})
      std::filesystem::create_directories(folder / name);
  }

  std::map<std::string, std::string> Environment() {
    return {{"XDG_RUNTIME_DIR", (folder / "run").string()},
            {"XDG_CONFIG_HOME", (folder / "config").string()},
            {"XDG_DATA_HOME", (folder / "data").string()},
            {"DISPLAY", server_->Display()},
            {"QT_QPA_PLATFORM", "xcb"},
            // No desktop bus: the icon goes to the X11 notification area.
            {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent"},
            {"TARVO_DEBUG", "1"}};
  }

  std::unique_ptr<TarvoProcess> StartTarvo() {
    auto tarvo = std::make_unique<TarvoProcess>(std::vector<std::string>{"--virtual-keyboard"},
                                                Environment(), folder / "tarvo.txt");
    EXPECT_TRUE(tarvo->Started());
    return tarvo;
  }

  // Runs an X client to its end; its standard output.
  std::string Run(const std::vector<std::string>& arguments) {
    TarvoProcess client(std::vector<std::string>(arguments.begin() + 1, arguments.end()),
                        Environment(), folder / "client.txt",
                        test_support::FindProgram(arguments[0]), folder / "client-err.txt");
    client.Wait(10s);
    return client.Output();
  }

  // Waits (a generous while) for a line of the output; false when it never came.
  static bool WaitForOutput(const TarvoProcess& process, const std::string& text) {
    for (int i = 0; i < 3000; ++i) {
      if (process.Output().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  // The windows whose class is `name`, with their geometry ("ID WxH+X+Y").
  std::vector<std::pair<std::string, std::string>> Windows(const std::string& name) {
    std::vector<std::pair<std::string, std::string>> windows;
    std::istringstream ids(Run({"xdotool", "search", "--classname", name}));
    for (std::string id; std::getline(ids, id);) {
      const std::string geometry = Run({"xdotool", "getwindowgeometry", "--shell", id});
      windows.emplace_back(id, geometry);
    }
    return windows;
  }

  // The main window, once it is shown; empty when it never was.
  std::string MainWindow() {
    std::string window;
    for (int i = 0; i < 300 && window.empty(); ++i) {
      std::istringstream ids(Run({"xdotool", "search", "--onlyvisible", "--name", "^Tarvo$"}));
      std::getline(ids, window);
      if (window.empty()) std::this_thread::sleep_for(50ms);
    }
    return window;
  }

  // The icon of tarvo docked in the tray: a small window of class "tarvo".
  std::string DockedIcon() {
    for (int i = 0; i < 300; ++i) {
      for (const auto& [id, geometry] : Windows("tarvo")) {
        if (geometry.find("WIDTH=1400") == std::string::npos &&
            geometry.find("WIDTH=") != std::string::npos &&
            Run({"xdotool", "getwindowname", id}).empty() == false) {
          return id;
        }
      }
      std::this_thread::sleep_for(50ms);
    }
    return {};
  }

  TempFolder folder;
  std::unique_ptr<test_support::XvfbServer> server_;
};

TEST_F(TrayOnXvfb, WithATrayHostTheIconIsDockedAndItsExitEndsTarvo) {
  TarvoProcess trayer({"--edge", "top", "--align", "left", "--widthtype", "request", "--height",
                       "32", "--SetDockType", "true"},
                      Environment(), folder / "trayer.txt", test_support::FindProgram("trayer"));
  for (int i = 0; i < 300 && Run({"xdotool", "search", "--class", "trayer"}).empty(); ++i) {
    std::this_thread::sleep_for(50ms);
  }
  std::unique_ptr<TarvoProcess> tarvo = StartTarvo();
  ASSERT_TRUE(WaitForOutput(*tarvo, "tray: icon added, notification area: yes")) << tarvo->Output();
  const std::string icon = DockedIcon();
  ASSERT_FALSE(icon.empty()) << Run({"xwininfo", "-root", "-tree"});
  // Without a window manager nothing keeps the main window off the panel at the top.
  const std::string window = MainWindow();
  ASSERT_FALSE(window.empty());
  Run({"xdotool", "windowmove", window, "0", "40"});
  // The menu opens at the pointer; its one item is just below and right of it.
  Run({"xdotool", "mousemove", "--window", icon, "8", "8", "click", "3"});
  std::this_thread::sleep_for(500ms);
  Run({"xdotool", "mousemove_relative", "--", "24", "12", "click", "1"});
  EXPECT_EQ(tarvo->Wait(20s), 0) << tarvo->Output();
  EXPECT_NE(tarvo->Output().find("tray: exit"), std::string::npos) << tarvo->Output();
}

TEST_F(TrayOnXvfb, WithoutATrayHostClosingToTheTrayMinimises) {
  std::ofstream(folder / "config" / "Tarvo" / "settings.ini") << "[settings]\nexit_mode=1\n";
  std::unique_ptr<TarvoProcess> tarvo = StartTarvo();
  ASSERT_TRUE(WaitForOutput(*tarvo, "tray: icon added, notification area: no")) << tarvo->Output();
  const std::string window = MainWindow();
  ASSERT_FALSE(window.empty());
  // The close button at the right end of the title bar.
  Run({"xdotool", "mousemove", "--window", window, "1356", "28", "click", "1"});
  ASSERT_TRUE(WaitForOutput(*tarvo, "no notification area, the window is minimised instead"))
      << tarvo->Output();
  EXPECT_EQ(tarvo->Wait(1s), std::nullopt) << "closing to the tray ended Tarvo";
  tarvo->Signal(SIGTERM);
  EXPECT_EQ(tarvo->Wait(20s), 0) << tarvo->Output();
}

}  // namespace

// The application with its virtual keyboard, worked by hand through the control socket as a
// user would work a cable: the link follows every change within a second.

#include <gtest/gtest.h>

#include <thread>

#include "ProcessRunner.h"
#include "support/TempFolder.h"

namespace {

class VirtualKeyboardTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Environment() {
    return {{"XDG_RUNTIME_DIR", (folder / "run").string()},
            {"XDG_CONFIG_HOME", (folder / "config").string()},
            {"XDG_DATA_HOME", (folder / "data").string()},
            {"TARVO_DEBUG", "1"}};
  }
  void SetUp() override {
    for (const char* name : {"run", "config", "data"})
      std::filesystem::create_directories(folder / name);
  }
  // Runs a hand control against the running copy and returns its answer.
  std::string Control(const std::string& command) {
    TarvoProcess control({"--virtual-keyboard-command", command}, Environment(),
                         folder / "control.txt");
    control.Wait(std::chrono::seconds(10));
    return control.Output();
  }
  // Waits until the running copy's log holds `text` `count` times.
  bool WaitFor(TarvoProcess& tarvo, const std::string& text, int count,
               std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      const std::string output = tarvo.Output();
      int seen = 0;
      for (std::size_t at = output.find(text); at != std::string::npos;
           at = output.find(text, at + 1))
        ++seen;
      if (seen >= count) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }
  TempFolder folder;
};

TEST_F(VirtualKeyboardTest, PullingAndPluggingTheCableIsFollowedWithinASecond) {
  TarvoProcess tarvo({"--headless", "--virtual-keyboard"}, Environment(), folder / "tarvo.txt");
  ASSERT_TRUE(WaitFor(tarvo, "task 1 StartUp", 1, std::chrono::seconds(10))) << tarvo.Output();
  EXPECT_NE(Control("list").find("kb1"), std::string::npos);

  ASSERT_TRUE(WaitFor(tarvo, "view: model 101 connected", 1, std::chrono::seconds(5)))
      << tarvo.Output();
  EXPECT_EQ(Control("unplug cable"), "ok\n");
  EXPECT_TRUE(WaitFor(tarvo, "view: disconnected", 1, std::chrono::seconds(1))) << tarvo.Output();
  EXPECT_EQ(Control("plug cable"), "ok\n");
  EXPECT_TRUE(WaitFor(tarvo, "view: model 101 connected", 2, std::chrono::seconds(1)))
      << tarvo.Output();

  tarvo.Signal(SIGTERM);
  EXPECT_EQ(tarvo.Wait(std::chrono::seconds(10)), 0) << tarvo.Output();
}

TEST_F(VirtualKeyboardTest,
       TheWirelessKeyboardSleepingAndWakingIsFollowedThroughTheReceiversNotifications) {
  TarvoProcess tarvo({"--headless", "--virtual-keyboard=101,receiver"}, Environment(),
                     folder / "tarvo.txt");
  ASSERT_TRUE(WaitFor(tarvo, "view: model 101 connected (link 1)", 1, std::chrono::seconds(10)))
      << tarvo.Output();
  // Start-up goes on to read the whole keyboard; the keyboard falls asleep after that.
  ASSERT_TRUE(WaitFor(tarvo, "keyboard read:", 1, std::chrono::seconds(10))) << tarvo.Output();
  EXPECT_EQ(Control("sleep"), "ok\n");
  EXPECT_TRUE(WaitFor(tarvo, "view: disconnected", 1, std::chrono::seconds(1))) << tarvo.Output();
  EXPECT_EQ(Control("wake"), "ok\n");
  EXPECT_TRUE(WaitFor(tarvo, "device notify data: AA D0", 2, std::chrono::seconds(1)))
      << tarvo.Output();
  tarvo.Signal(SIGTERM);
  EXPECT_EQ(tarvo.Wait(std::chrono::seconds(10)), 0);
  // Both came as the receiver's notifications, not as devices arriving or leaving.
  EXPECT_EQ(tarvo.Output().find("Trd_Device"), std::string::npos) << tarvo.Output();
}

TEST_F(VirtualKeyboardTest, HandControlsWithoutARunningCopyFail) {
  TarvoProcess control({"--virtual-keyboard-command", "sleep"}, Environment(),
                       folder / "control.txt");
  EXPECT_EQ(control.Wait(std::chrono::seconds(10)), 1);
  EXPECT_NE(control.Output().find("no copy with a virtual keyboard"), std::string::npos);
}

TEST_F(VirtualKeyboardTest, AnUnknownModelIsRefused) {
  TarvoProcess tarvo({"--headless", "--virtual-keyboard=999"}, Environment(), folder / "tarvo.txt");
  EXPECT_EQ(tarvo.Wait(std::chrono::seconds(10)), 2);
  EXPECT_NE(tarvo.Output().find("--virtual-keyboard"), std::string::npos);
}

}  // namespace

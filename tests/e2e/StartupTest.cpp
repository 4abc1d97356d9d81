// The tarvo executable as a user starts it: a headless run that ends cleanly, a second copy that
// raises the first, a signal that shuts it down.

#include <fcntl.h>
#include <gtest/gtest.h>

#include <csignal>

#include "ProcessRunner.h"
#include "support/TempFolder.h"

namespace {

class StartupTest : public ::testing::Test {
 protected:
  std::map<std::string, std::string> Environment() {
    return {{"XDG_RUNTIME_DIR", (folder / "run").string()},
            {"XDG_CONFIG_HOME", (folder / "config").string()},
            {"XDG_DATA_HOME", (folder / "data").string()},
            {"TARVO_DEBUG", "1"},
            {"QT_QPA_PLATFORM", "offscreen"}};
  }
  void SetUp() override {
    for (const char* name : {"run", "config", "data"})
      std::filesystem::create_directories(folder / name);
  }
  TempFolder folder;
};

TEST_F(StartupTest, HeadlessRunEndsCleanlyAfterTheGivenTime) {
  TarvoProcess tarvo({"--headless", "--exit-after-ms", "500"}, Environment(), folder / "out.txt");
  ASSERT_TRUE(tarvo.Started());
  EXPECT_EQ(tarvo.Wait(std::chrono::seconds(20)), 0) << tarvo.Output();
}

TEST_F(StartupTest, ASecondCopyRaisesTheFirstAndLeaves) {
  TarvoProcess first({"--headless", "--exit-after-ms", "8000"}, Environment(),
                     folder / "first.txt");
  // Wait until the first copy listens for raise requests.
  for (int i = 0; i < 500 && first.Output().find("main window running") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  TarvoProcess second({"--headless"}, Environment(), folder / "second.txt");
  EXPECT_EQ(second.Wait(std::chrono::seconds(10)), 0) << second.Output();
  for (int i = 0; i < 500 && first.Output().find("raise request") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_NE(first.Output().find("raise request"), std::string::npos) << first.Output();
  first.Signal(SIGTERM);
  EXPECT_EQ(first.Wait(std::chrono::seconds(10)), 0) << first.Output();
}

TEST_F(StartupTest, TerminationSignalShutsDownCleanly) {
  TarvoProcess tarvo({"--headless"}, Environment(), folder / "out.txt");
  for (int i = 0; i < 500 && tarvo.Output().find("main window running") == std::string::npos; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  tarvo.Signal(SIGINT);
  EXPECT_EQ(tarvo.Wait(std::chrono::seconds(10)), 0) << tarvo.Output();
  EXPECT_NE(tarvo.Output().find("shutting down"), std::string::npos) << tarvo.Output();
}

TEST_F(StartupTest, UnknownOptionsAreRefused) {
  TarvoProcess tarvo({"--no-such-option"}, Environment(), folder / "out.txt");
  EXPECT_EQ(tarvo.Wait(std::chrono::seconds(10)), 2);
  EXPECT_NE(tarvo.Output().find("unknown option: --no-such-option"), std::string::npos);
}

}  // namespace

#pragma once
// A controller fixture whose input source is the X11 one on a private X server (Xvfb), with
// keys and buttons sent to that server by xdotool. Skips when either program is missing.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/KeyboardDlg.h"
#include "platform/input/X11InputSource.h"
#include "platform_input/XServerSupport.h"

template <class Fixture>
class OnXServer : public Fixture {
 protected:
  void AdjustOptions(KeyboardDlg::Options& options) override {
    options.inputSource = [this](std::shared_ptr<platform::input::WindowInputFeed>) {
      return std::make_unique<platform::input::X11InputSource>(server_->Display());
    };
  }

  void SetUp() override {
    if (!test_support::ProgramExists("Xvfb") || !test_support::ProgramExists("xdotool")) {
      GTEST_SKIP() << "Xvfb or xdotool is not installed (scripts/bootstrap installs them)";
    }
    server_ = std::make_unique<test_support::XvfbServer>();
    ASSERT_FALSE(server_->Display().empty()) << "Xvfb did not start";
    Fixture::SetUp();
  }

  void XdoTool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "xdotool");
    ASSERT_EQ(test_support::RunWithDisplay(server_->Display(), arguments), 0);
  }

  std::unique_ptr<test_support::XvfbServer> server_;
};

#pragma once
// A virtual keyboard with a screen on its cable, the device link to it, an application folder
// whose gif/qgif is the converter of this build, a user data folder, and animations to put in
// them.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "device/HidDeviceManager.h"
#include "media/Gif.h"
#include "screen/ScreenUpload.h"
#include "sim/ScreenMedia.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"
#include "support/TempFolder.h"

namespace screen::testing {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline const std::string kModel = "tarvo_k9";

// An animation of the screen's size in a few flat colours, different for every seed.
inline media::Animation Stripes(int seed, int frames, int delayMs, int width = kScreenWidth,
                                int height = kScreenHeight) {
  media::Animation animation;
  animation.width = width;
  animation.height = height;
  for (int f = 0; f < frames; ++f) {
    media::Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const int band = (x / 16 + y / 8 + f + seed) % 4;
        picture.Set(x, y, media::MakeArgb(band * 80, (seed * 60) % 256, 255 - band * 60));
      }
    }
    animation.frames.push_back({picture, delayMs});
  }
  return animation;
}

// A small shell script standing in for the converter.
inline void WriteScript(const fs::path& path, const std::string& body) {
  fs::create_directories(path.parent_path());
  std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
  fs::permissions(path, fs::perms::owner_all);
}

// Every pause asked for, kept short in real time so that the channel's arrival is still
// waited for.
class RecordingWaiter {
 public:
  Waiter AsWaiter() {
    return [this](std::chrono::milliseconds duration) {
      std::lock_guard lock(mutex_);
      pauses_.push_back(duration);
      if (stopAfter_ >= 0 && static_cast<int>(pauses_.size()) > stopAfter_) return false;
      std::this_thread::sleep_for(std::min(duration, std::chrono::milliseconds(1)));
      return true;
    };
  }
  std::vector<std::chrono::milliseconds> Pauses() {
    std::lock_guard lock(mutex_);
    return pauses_;
  }
  void StopAfter(int pauses) { stopAfter_ = pauses; }

 private:
  std::mutex mutex_;
  std::vector<std::chrono::milliseconds> pauses_;
  int stopAfter_ = -1;
};

struct ProgressLine {
  int percent = 0;
  std::string text;
};

class ScreenFixture : public ::testing::Test {
 protected:
  ScreenFixture() : link(bus) {
    std::string error;
    const auto added = sim::AddCatalogueKeyboard(bus, fs::path(TARVO_SOURCE_DIR) / "data",
                                                 KeyboardModel(), &error);
    EXPECT_TRUE(added.has_value()) << error;
    keyboard = added.value_or(0);
    bus.ModifyState(keyboard, [](sim::KeyboardState& state) {
      state.screen.appearDelay = 0ms;
      state.screen.disappearDelay = 0ms;
    });
    bus.PlugCable(keyboard);
    link.SetSleeper([](std::chrono::milliseconds) {});
    link.AddCatalogueEntry({0x36B0, CableProductId(), "", KeyboardModel(), 0});
    link.EnumerateDevice();
    link.SetSelectedModel(KeyboardModel());
    fs::create_directories(appFolder / "gif");
    fs::create_symlink(fs::path(TARVO_APP_BUILD_DIR) / "gif" / "qgif", appFolder / "gif" / "qgif");
    fs::create_directories(dataFolder);
  }

  static constexpr int KeyboardModel() { return 101; }
  static constexpr int CableProductId() { return 0x3001; }

  void PutUserGif(int screen, const media::Animation& animation) {
    Put(UserScreenGif(dataFolder, kModel, screen), animation);
  }
  void PutFactoryGif(int screen, const media::Animation& animation) {
    Put(FactoryScreenGif(appFolder, kModel, screen), animation);
  }
  static void Put(const fs::path& path, const media::Animation& animation) {
    fs::create_directories(path.parent_path());
    std::string error;
    ASSERT_TRUE(media::WriteGifFile(path, animation, &error)) << error;
  }

  ScreenUploadService Service() {
    return ScreenUploadService(
        link, {},
        [this](int percent, const std::string& line) {
          std::lock_guard lock(progressMutex);
          progress.push_back({percent, line});
        },
        waiter.AsWaiter());
  }

  UploadRequest Request() const {
    UploadRequest request;
    request.appFolder = appFolder;
    request.dataFolder = dataFolder;
    request.model = kModel;
    return request;
  }

  sim::KeyboardState State() const { return bus.State(keyboard).value(); }

  std::vector<ProgressLine> Progress() {
    std::lock_guard lock(progressMutex);
    return progress;
  }

  TempFolder temp;
  const fs::path appFolder = temp / "app folder";
  const fs::path dataFolder = temp / "Tarvo Files";
  sim::VirtualHidBus bus;
  sim::KeyboardId keyboard = 0;
  device::HidDeviceManager link;
  RecordingWaiter waiter;
  std::mutex progressMutex;
  std::vector<ProgressLine> progress;
};

}  // namespace screen::testing

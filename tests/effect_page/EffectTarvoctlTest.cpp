// The effect verbs as a user runs them: tarvoctl against a running `tarvo --headless
// --virtual-keyboard`; what the keyboard shows is read back through the virtual keyboard's
// state readout.

#include <gtest/gtest.h>

#include <thread>

#include "base/Json.h"
#include "e2e/ProcessRunner.h"
#include "platform_video/MediaWriters.h"
#include "support/TempFolder.h"

namespace {

using namespace std::chrono_literals;

constexpr std::uint32_t kBlue = 0xFF0000;  // 0x00BBGGRR

struct Result {
  std::optional<int> status;
  std::string out;
  std::string err;
};

class EffectTarvoctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"run", "config", "data"})
      std::filesystem::create_directories(folder / name);
  }

  // No desktop of the test machine is seen: the screen modes have nothing to read.
  std::map<std::string, std::string> Environment() {
    return {{"XDG_RUNTIME_DIR", (folder / "run").string()},
            {"XDG_CONFIG_HOME", (folder / "config").string()},
            {"XDG_DATA_HOME", (folder / "data").string()},
            {"TARVO_DEBUG", "1"},
            {"DISPLAY", ""},
            {"WAYLAND_DISPLAY", ""},
            {"XDG_SESSION_TYPE", ""}};
  }

  Result Tarvoctl(const std::vector<std::string>& arguments) {
    TarvoProcess process(arguments, Environment(), folder / "out.txt",
                         TarvoProcess::ControlExecutable(), folder / "err.txt");
    Result result;
    result.status = process.Wait(30s);
    result.out = process.Output();
    result.err = process.ErrorOutput();
    return result;
  }

  static base::Json Parse(const std::string& text) {
    const std::optional<base::Json> json = base::Json::Parse(text);
    EXPECT_TRUE(json.has_value()) << text;
    return json.value_or(base::Json());
  }

  base::Json KeyboardState() {
    TarvoProcess control({"--virtual-keyboard-command", "state"}, Environment(),
                         folder / "state.txt");
    EXPECT_EQ(control.Wait(10s), 0);
    return Parse(control.Output());
  }

  static bool Eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 300; ++i) {
      if (done()) return true;
      std::this_thread::sleep_for(50ms);
    }
    return false;
  }

  TempFolder folder;
};

int HexByte(const std::string& hex, std::size_t index) {
  return std::stoi(hex.substr(index * 2, 2), nullptr, 16);
}

// The keys lit by the stream show (nearly: the video is lossy) blue. A light the keyboard has
// but the layout gives no key stays dark; any other colour is wrong.
bool KeysBlue(const base::Json& state) {
  const std::string indices = state.Find("light_indices")->AsString();
  const std::string colours = state.Find("live_colours")->AsString();
  int lit = 0;
  int blueKeys = 0;
  for (std::size_t key = 0; key * 2 < indices.size(); ++key) {
    const int light = HexByte(indices, key);
    if (light == 0xFF || static_cast<std::size_t>(light * 3 + 2) * 2 >= colours.size()) continue;
    ++lit;
    const int red = HexByte(colours, light * 3);
    const int green = HexByte(colours, light * 3 + 1);
    const int blue = HexByte(colours, light * 3 + 2);
    if (red > 40 || green > 40) return false;
    if (blue >= 200) ++blueKeys;
  }
  return lit > 0 && blueKeys * 10 >= lit * 9;
}

TEST_F(EffectTarvoctlTest, AVideoChosenWithTarvoctlLightsTheKeyboardAndTheLayerIsStored) {
  const std::filesystem::path video = folder / "blue.mp4";
  ASSERT_TRUE(WriteTestVideo(video, std::vector<SplitFrame>(10, {kBlue, kBlue}), 25));
  TarvoProcess tarvo({"--headless", "--virtual-keyboard"}, Environment(), folder / "tarvo.txt");
  ASSERT_TRUE(Eventually([&] {
    return tarvo.Output().find("keyboard read:") != std::string::npos;
  })) << tarvo.Output();
  ASSERT_FALSE(KeysBlue(KeyboardState()));

  const Result amplitude = Tarvoctl({"effect", "amplitude", "45"});
  ASSERT_EQ(amplitude.status, 0) << amplitude.err;
  EXPECT_EQ(amplitude.out, "amplitude 45 (stored as 450)\n");

  const Result file = Tarvoctl({"effect", "file", video.string()});
  ASSERT_EQ(file.status, 0) << file.err;
  EXPECT_NE(file.out.find("effect mode 2"), std::string::npos) << file.out;
  EXPECT_TRUE(Eventually([&] { return KeysBlue(KeyboardState()); }))
      << KeyboardState().Find("live_colours")->AsString();
  EXPECT_GT(KeyboardState().Find("frames_received")->Find("0x2e")->AsInteger(), 0);

  const Result show = Tarvoctl({"--json", "effect", "show"});
  ASSERT_EQ(show.status, 0) << show.err;
  const base::Json shown = Parse(show.out);
  EXPECT_EQ(shown.Find("mode")->AsInteger(), 2);
  EXPECT_EQ(shown.Find("file")->AsString(), video.string());
  EXPECT_EQ(shown.Find("music_layer")->Find("amplitude_stored")->AsInteger(), 450);

  // Refused: a mode out of range, and the screen with no display to read; the mode stays.
  const Result mode = Tarvoctl({"effect", "mode", "8"});
  EXPECT_EQ(mode.status, 1);
  EXPECT_NE(mode.err.find("from 1 to 7"), std::string::npos) << mode.err;
  const Result screen = Tarvoctl({"effect", "screen"});
  EXPECT_EQ(screen.status, 1);
  EXPECT_NE(screen.err.find("no X display"), std::string::npos) << screen.err;
  EXPECT_EQ(Parse(Tarvoctl({"--json", "effect", "show"}).out).Find("mode")->AsInteger(), 2);

  tarvo.Signal(SIGTERM);
  EXPECT_EQ(tarvo.Wait(10s), 0) << tarvo.Output();
}

}  // namespace

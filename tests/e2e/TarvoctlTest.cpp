// tarvoctl as a user runs it: against a running `tarvo --headless --virtual-keyboard`, and with
// its own headless controller when no Tarvo runs. What the keyboard received is read back
// through the virtual keyboard's state readout.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>
#include <tuple>

#include "ProcessRunner.h"
#include "base/Json.h"
#include "platform/UniqueFd.h"
#include "sim/StateReport.h"
#include "support/TempFolder.h"
#include "update/ScriptedHttpServer.h"

namespace {

using namespace std::chrono_literals;

struct Result {
  std::optional<int> status;
  std::string out;
  std::string err;
};

class TarvoctlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"run", "config", "data"})
      std::filesystem::create_directories(folder / name);
  }
  std::map<std::string, std::string> Environment(bool debug = false) {
    std::map<std::string, std::string> environment = {
        {"XDG_RUNTIME_DIR", (folder / "run").string()},
        {"XDG_CONFIG_HOME", (folder / "config").string()},
        {"XDG_DATA_HOME", (folder / "data").string()}};
    if (debug) environment["TARVO_DEBUG"] = "1";
    return environment;
  }

  Result Tarvoctl(const std::vector<std::string>& arguments, bool debug = false) {
    TarvoProcess process(arguments, Environment(debug), folder / "out.txt",
                         TarvoProcess::ControlExecutable(), folder / "err.txt");
    Result result;
    result.status = process.Wait(30s);
    result.out = process.Output();
    result.err = process.ErrorOutput();
    return result;
  }

  base::Json Json(const std::string& text) {
    const std::optional<base::Json> json = base::Json::Parse(text);
    EXPECT_TRUE(json.has_value()) << text;
    return json.value_or(base::Json());
  }

  // The running copy's virtual keyboard, as it is now.
  base::Json KeyboardState() {
    TarvoProcess control({"--virtual-keyboard-command", "state"}, Environment(),
                         folder / "state.txt");
    EXPECT_EQ(control.Wait(10s), 0);
    return Json(control.Output());
  }

  bool WaitFor(TarvoProcess& tarvo, const std::string& text) {
    for (int i = 0; i < 500; ++i) {
      if (tarvo.Output().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  // Sends raw bytes to the user's command socket and returns the answer.
  std::string RawRequest(const std::string& bytes) {
    platform::UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (folder / "run" / "Tarvo.sock").string();
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
      return "<no connection>";
    ::send(fd.Get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    ::shutdown(fd.Get(), SHUT_WR);
    std::string answer;
    char buffer[512];
    for (ssize_t n; (n = ::recv(fd.Get(), buffer, sizeof buffer, 0)) > 0;)
      answer.append(buffer, static_cast<std::size_t>(n));
    return answer;
  }

  // A failure: exit status 1 and exactly one line on standard error, which holds `text`.
  static void ExpectOneLineFailure(const Result& result, const std::string& text) {
    EXPECT_EQ(result.status, 1) << result.err;
    EXPECT_EQ(result.out, "");
    ASSERT_FALSE(result.err.empty());
    EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    EXPECT_NE(result.err.find(text), std::string::npos) << result.err;
  }

  TempFolder folder;
};

// The positions at which two hexadecimal dumps differ, in bytes.
std::vector<std::size_t> DifferingBytes(const std::string& before, const std::string& after) {
  std::vector<std::size_t> positions;
  for (std::size_t i = 0; i + 1 < std::min(before.size(), after.size()); i += 2) {
    if (before.compare(i, 2, after, i, 2) != 0) positions.push_back(i / 2);
  }
  return positions;
}

TEST_F(TarvoctlTest, DrivesARunningTarvoAndItsKeyboard) {
  TarvoProcess tarvo({"--headless", "--virtual-keyboard"}, Environment(true), folder / "tarvo.txt");
  ASSERT_TRUE(WaitFor(tarvo, "keyboard read:")) << tarvo.Output();

  // The game mode byte of the settings block, and nothing else, changes.
  const base::Json before = KeyboardState();
  const Result set = Tarvoctl({"settings", "set", "game-mode", "on"});
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.out, "game-mode on (sent to the keyboard)\n");
  const base::Json after = KeyboardState();
  const std::vector<std::size_t> changed =
      DifferingBytes(before.Find("settings")->AsString(), after.Find("settings")->AsString());
  EXPECT_EQ(changed.size(), 1u);
  EXPECT_EQ(after.Find("system_settings")->Find("game_mode")->AsInteger(), 1);
  EXPECT_EQ(before.Find("system_settings")->Find("game_mode")->AsInteger(), 0);

  // The profile switch reaches the database and the worker's task 6.
  const Result select = Tarvoctl({"profile", "select", "2"});
  ASSERT_EQ(select.status, 0) << select.err;
  EXPECT_NE(tarvo.Output().find("task 6 ApplyProfile"), std::string::npos);
  const base::Json list = Json(Tarvoctl({"--json", "profile", "list"}).out);
  EXPECT_EQ(list.Find("active")->AsInteger(), 2);

  ExpectOneLineFailure(Tarvoctl({"profile", "select", "Nope"}), "no such profile: Nope");
  ExpectOneLineFailure(Tarvoctl({"settings", "set", "sleep-time", "7"}), "sleep-time takes");
  EXPECT_EQ(Tarvoctl({"settings", "frobnicate"}).status, 2);

  // A malformed request is answered with an error, and Tarvo goes on.
  const std::optional<base::Json> refused = base::Json::Parse(RawRequest("{\"tarvoctl\":1,"));
  ASSERT_TRUE(refused.has_value());
  EXPECT_FALSE(refused->Find("ok")->AsBool());
  EXPECT_EQ(RawRequest(std::string(100000, 'x')), "error: request too long\n");
  const Result status = Tarvoctl({"--json", "status"});
  ASSERT_EQ(status.status, 0) << status.err;
  EXPECT_TRUE(Json(status.out).Find("connected")->AsBool());

  tarvo.Signal(SIGTERM);
  EXPECT_EQ(tarvo.Wait(10s), 0) << tarvo.Output();

  // The switch was stored: a controller started afresh reads it from the database.
  const Result stored = Tarvoctl({"--virtual-keyboard", "--json", "profile", "list"});
  ASSERT_EQ(stored.status, 0) << stored.err;
  EXPECT_EQ(Json(stored.out).Find("active")->AsInteger(), 2);
}

// The matrix light of model 102, as the keyboard itself holds it.
struct MatrixOnKeyboard {
  std::int64_t mode, brightness, red, green, blue, colorful, pictureWrites;
  std::string picture;  // three bytes a cell, red first
};

TEST_F(TarvoctlTest, DrivesTheMatrixLightOfTheVirtualKeyboard) {
  TarvoProcess tarvo({"--headless", "--virtual-keyboard=102"}, Environment(true),
                     folder / "tarvo.txt");
  ASSERT_TRUE(WaitFor(tarvo, "keyboard read:")) << tarvo.Output();
  const auto keyboard = [&] {
    const base::Json state = KeyboardState();
    const base::Json& region = *state.Find("light_modes")->Find("matrix");
    const base::Json* writes = state.Find("frames_received")->Find("0x3b");
    return MatrixOnKeyboard{region.Find("mode")->AsInteger(),
                            region.Find("brightness")->AsInteger(),
                            region.Find("red")->AsInteger(),
                            region.Find("green")->AsInteger(),
                            region.Find("blue")->AsInteger(),
                            region.Find("colorful")->AsInteger(),
                            writes != nullptr ? writes->AsInteger() : 0,
                            state.Find("matrix_picture")->AsString()};
  };
  const auto cell = [](const MatrixOnKeyboard& on, int index) {
    return on.picture.substr(static_cast<std::size_t>(index) * 6, 6);
  };

  Result mode = Tarvoctl({"matrix", "mode", "2"});
  ASSERT_EQ(mode.status, 0) << mode.err;
  EXPECT_EQ(mode.out, "matrix mode 2 (Breathing) sent to the keyboard\n");
  EXPECT_EQ(keyboard().mode, 2);
  ASSERT_EQ(Tarvoctl({"matrix", "brightness", "3"}).status, 0);
  EXPECT_EQ(keyboard().brightness, 3);
  ASSERT_EQ(Tarvoctl({"matrix", "colour", "00ff00"}).status, 0);
  MatrixOnKeyboard now = keyboard();
  EXPECT_EQ(std::tuple(now.red, now.green, now.blue, now.colorful), std::tuple(0, 255, 0, 0));
  ASSERT_EQ(Tarvoctl({"matrix", "off"}).status, 0);
  EXPECT_EQ(keyboard().mode, 0);
  ASSERT_EQ(Tarvoctl({"matrix", "on"}).status, 0);
  EXPECT_EQ(keyboard().mode, 2);

  // Painting chooses the drawing mode, reads the keyboard's drawing and sends all of it back.
  const MatrixOnKeyboard before = keyboard();
  const Result paint = Tarvoctl({"matrix", "paint", "0=ff0000", "24=00ff00", "48=0000FF"});
  ASSERT_EQ(paint.status, 0) << paint.err;
  const MatrixOnKeyboard painted = keyboard();
  EXPECT_EQ(painted.mode, 5);
  EXPECT_GT(painted.pictureWrites, before.pictureWrites);
  EXPECT_EQ(cell(painted, 0), "ff0000");
  EXPECT_EQ(cell(painted, 24), "00ff00");
  EXPECT_EQ(cell(painted, 48), "0000ff");
  EXPECT_EQ(cell(painted, 1), cell(before, 1)) << "the cells not painted are the keyboard's";
  const base::Json shown = Json(Tarvoctl({"--json", "matrix", "show"}).out);
  EXPECT_EQ(shown.Find("drawing")->AsArray().at(24).AsString(), "00ff00");

  ExpectOneLineFailure(Tarvoctl({"matrix", "paint", "1=ffffff", "49=ff0000"}), "CELL 0 to 48");
  ExpectOneLineFailure(Tarvoctl({"matrix", "mode", "7"}), "no matrix mode 7");
  ExpectOneLineFailure(Tarvoctl({"matrix", "brightness", "5"}), "brightness is 0 to 4");
  ExpectOneLineFailure(Tarvoctl({"matrix", "colour", "12345g"}), "RRGGBB");
  EXPECT_EQ(keyboard().picture, painted.picture);

  ASSERT_EQ(Tarvoctl({"matrix", "clear"}).status, 0);
  EXPECT_EQ(keyboard().picture, std::string(painted.picture.size(), '0'));

  // The animated mode is Tarvo's own: its settings stay off the keyboard's matrix block.
  const Result preset = Tarvoctl({"matrix", "preset", "22"});
  ASSERT_EQ(preset.status, 0) << preset.err;
  EXPECT_NE(preset.out.find("device overview"), std::string::npos) << preset.out;
  const MatrixOnKeyboard animated = keyboard();
  ASSERT_EQ(Tarvoctl({"matrix", "brightness", "1"}).status, 0);
  EXPECT_EQ(keyboard().brightness, animated.brightness);
  const base::Json show = Json(Tarvoctl({"--json", "matrix", "show"}).out);
  EXPECT_EQ(show.Find("mode")->AsInteger(), 128);
  EXPECT_EQ(show.Find("preset")->AsInteger(), 22);
  EXPECT_EQ(show.Find("brightness")->AsInteger(), 1);

  const Result audio = Tarvoctl({"--json", "audio", "show"});
  ASSERT_EQ(audio.status, 0) << audio.err;
  EXPECT_FALSE(Json(audio.out).Find("source")->Find("state")->AsString().empty());

  tarvo.Signal(SIGTERM);
  EXPECT_EQ(tarvo.Wait(10s), 0) << tarvo.Output();

  ExpectOneLineFailure(Tarvoctl({"--virtual-keyboard=103", "matrix", "show"}),
                       "has no matrix light");
}

TEST_F(TarvoctlTest, RunsItsOwnControllerWhenNoTarvoRuns) {
  const Result select = Tarvoctl({"--virtual-keyboard", "profile", "select", "3"}, true);
  ASSERT_EQ(select.status, 0) << select.err;
  EXPECT_NE(select.out.find("active profile: 3"), std::string::npos) << select.out;
  EXPECT_NE(select.err.find("task 6 ApplyProfile"), std::string::npos) << select.err;

  const Result set =
      Tarvoctl({"--virtual-keyboard", "--json", "settings", "set", "game-mode", "on"}, true);
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(Json(set.out).Find("value")->AsString(), "on");
  EXPECT_NE(set.err.find("task 17 SendSystemSettings"), std::string::npos) << set.err;

  const Result list = Tarvoctl({"--virtual-keyboard", "--json", "profile", "list"});
  ASSERT_EQ(list.status, 0) << list.err;
  EXPECT_EQ(Json(list.out).Find("active")->AsInteger(), 3);

  ExpectOneLineFailure(Tarvoctl({"--virtual-keyboard", "profile", "select", "Nope"}),
                       "no such profile: Nope");
  ExpectOneLineFailure(Tarvoctl({"--virtual-keyboard", "settings", "set", "game-mode", "2"}),
                       "game-mode takes on or off");
  // No virtual keyboard, and no keyboard on the machine.
  ExpectOneLineFailure(Tarvoctl({"settings", "set", "game-mode", "on"}), "no keyboard");
  ExpectOneLineFailure(Tarvoctl({"profile", "import", "missing.xml"}), "cannot read");
}

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

// The converter's output for a GIF, as the upload writes it into the screen's flash.
std::string ConvertedSha256(const std::filesystem::path& gif, const std::filesystem::path& out) {
  const std::string converter = std::string(TARVO_APP_BUILD_DIR) + "/gif/qgif";
  TarvoProcess convert({"convert", "-i", gif.string(), "-o", out.string(), "-f", "gx96",
                        "--scale-size", "240", "136"},
                       {}, out.string() + ".log", converter);
  EXPECT_EQ(convert.Wait(30s), 0) << convert.Output();
  const std::string text = FileBytes(out);
  const std::vector<std::uint8_t> bytes(text.begin(), text.end());
  return sim::Sha256Hex(bytes);
}

TEST_F(TarvoctlTest, ImportsSetsAndUploadsAScreenAnimation) {
  TarvoProcess tarvo({"--headless", "--virtual-keyboard=101"}, Environment(true),
                     folder / "tarvo.txt");
  ASSERT_TRUE(WaitFor(tarvo, "keyboard read:")) << tarvo.Output();

  const std::filesystem::path picture = folder / "waves.gif";
  std::filesystem::copy_file(std::string(TARVO_SOURCE_DIR) + "/data/gif/tarvo_k9/1.gif", picture);
  const Result imported = Tarvoctl({"--json", "screen", "import", picture.string()});
  ASSERT_EQ(imported.status, 0) << imported.err;
  const base::Json item = *Json(imported.out).Find("item");
  const std::int64_t id = item.Find("id")->AsInteger();
  EXPECT_GT(item.Find("frames")->AsInteger(), 1);
  const std::string listed = Tarvoctl({"screen", "list"}).out;
  EXPECT_NE(listed.find(std::to_string(id) + " "), std::string::npos) << listed;

  // Screen 3 shows the user's copy of its factory animation until an animation is set for it.
  const base::Json shownBefore = Json(Tarvoctl({"--json", "screen", "show"}).out);
  const std::filesystem::path thirdGif =
      shownBefore.Find("screens")->AsArray().at(2).Find("gif")->AsString();
  const std::string factoryBytes = FileBytes(thirdGif);
  ExpectOneLineFailure(Tarvoctl({"screen", "set", "4", std::to_string(id)}), "SCREEN is 1, 2 or 3");
  ExpectOneLineFailure(Tarvoctl({"screen", "set", "3", "../x"}), "not an animation name");
  ExpectOneLineFailure(Tarvoctl({"screen", "set", "3", "Nope"}), "no such animation: Nope");
  EXPECT_EQ(FileBytes(thirdGif), factoryBytes) << "a refused choice changes nothing";
  const Result set = Tarvoctl({"screen", "set", "3", std::to_string(id)});
  ASSERT_EQ(set.status, 0) << set.err;
  const base::Json shown = Json(Tarvoctl({"--json", "screen", "show"}).out);
  const base::Json& third = shown.Find("screens")->AsArray().at(2);
  EXPECT_EQ(third.Find("source")->AsString(), "user");
  EXPECT_EQ(third.Find("gif")->AsString(), thirdGif.string());
  EXPECT_NE(FileBytes(thirdGif), factoryBytes);

  const base::Json before = *KeyboardState().Find("screen");
  EXPECT_TRUE(before.Find("clock")->IsNull());
  const Result upload = Tarvoctl({"screen", "upload"});
  ASSERT_EQ(upload.status, 0) << upload.err;
  EXPECT_EQ(upload.out, "uploaded the animations of screens 1, 2, 3\n");

  // The flash holds the three converted animations one after another, each on blocks of its
  // own, written only where it was erased, and the screen session is closed again.
  const base::Json after = *KeyboardState().Find("screen");
  const std::vector<base::Json>& images = after.Find("images")->AsArray();
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(images[2].Find("sha256")->AsString(), ConvertedSha256(thirdGif, folder / "3.bin"));
  for (std::size_t k = 0; k + 1 < images.size(); ++k) {
    const std::int64_t blocks = (images[k].Find("size")->AsInteger() + 65535) / 65536;
    EXPECT_EQ(images[k + 1].Find("start_block")->AsInteger(),
              images[k].Find("start_block")->AsInteger() + blocks);
  }
  EXPECT_EQ(after.Find("writes_over_unerased")->AsInteger(), 0);
  EXPECT_FALSE(after.Find("session_open")->AsBool());

  const Result clock = Tarvoctl({"screen", "clock"});
  ASSERT_EQ(clock.status, 0) << clock.err;
  EXPECT_FALSE(KeyboardState().Find("screen")->Find("clock")->IsNull());

  tarvo.Signal(SIGTERM);
  EXPECT_EQ(tarvo.Wait(10s), 0) << tarvo.Output();
  // No virtual keyboard, and no keyboard on the machine.
  ExpectOneLineFailure(Tarvoctl({"screen", "upload"}), "no keyboard");
}

TEST_F(TarvoctlTest, MacrosReachTheKeyboardsMacroMemory) {
  TarvoProcess tarvo({"--headless", "--virtual-keyboard"}, Environment(true), folder / "tarvo.txt");
  ASSERT_TRUE(WaitFor(tarvo, "keyboard read:")) << tarvo.Output();
  const Result list = Tarvoctl({"--json", "macro", "list"});
  ASSERT_EQ(list.status, 0) << list.err;
  const base::Json macros = Json(list.out);
  ASSERT_EQ(macros.Find("macros")->AsArray().size(), 10u);
  EXPECT_EQ(macros.Find("memory")->Find("bytes")->AsInteger(), 4096);

  const Result set = Tarvoctl({"macro", "set", "1", "down:A", "50", "up:A", "20", "click:left"});
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.out, "macro 1: 4 events (sent to the keyboard)\n");
  const base::Json slots = *KeyboardState().Find("macros")->Find("slots");
  ASSERT_EQ(slots.AsArray().size(), 10u);
  const std::vector<std::string> expected = {"0032:04:81", "0014:04:01", "000a:01:83",
                                             "000a:01:03"};
  std::vector<std::string> played;
  for (const base::Json& event : slots.AsArray()[0].AsArray()) played.push_back(event.AsString());
  EXPECT_EQ(played, expected);
  const base::Json shown = Json(Tarvoctl({"--json", "macro", "show", "1"}).out);
  EXPECT_EQ(shown.Find("text")->AsString(), "down:A 50 up:A 20 button-down:left button-up:left");

  // A macro written to a file comes back as a new one, with its events.
  const std::string file = (folder / "m1.json").string();
  ASSERT_EQ(Tarvoctl({"macro", "export", "1", file}).status, 0);
  const Result imported = Tarvoctl({"--json", "macro", "import", file});
  ExpectOneLineFailure(imported, "at most 10 macros");
  ASSERT_EQ(Tarvoctl({"macro", "delete", "2"}).status, 0);
  const Result again = Tarvoctl({"--json", "macro", "import", file});
  ASSERT_EQ(again.status, 0) << again.err;
  const base::Json after = *KeyboardState().Find("macros")->Find("slots");
  ASSERT_EQ(after.AsArray().size(), 10u);
  EXPECT_EQ(after.AsArray()[9].AsArray().size(), 4u);

  ExpectOneLineFailure(Tarvoctl({"macro", "set", "1", "down:Nope"}), "no such key: 'down:Nope'");
  ExpectOneLineFailure(Tarvoctl({"macro", "show", "99"}), "no such macro: 99");
  EXPECT_EQ(Tarvoctl({"macro", "show", "x"}).status, 2);
  tarvo.Signal(SIGTERM);
  EXPECT_EQ(tarvo.Wait(10s), 0) << tarvo.Output();
}

TEST_F(TarvoctlTest, TheShellCompletionAsksTarvoctl) {
  const std::string script = std::string(TARVO_SOURCE_DIR) + "/data/completion/tarvoctl.bash";
  const std::string line = "source '" + script + "'; COMP_WORDS=('" +
                           TarvoProcess::ControlExecutable() +
                           "' settings set ga); COMP_CWORD=3; _tarvoctl; echo \"${COMPREPLY[*]}\"";
  TarvoProcess bash({"-c", line}, Environment(), folder / "bash.txt", "/bin/bash");
  EXPECT_EQ(bash.Wait(10s), 0);
  EXPECT_EQ(bash.Output(), "game-mode\n");
}

// Keys and lighting ------------------------------------------------------------------------------

// The three-byte entries of a layer table (hex) whose bytes differ.
std::vector<std::size_t> DifferingEntries(const std::string& before, const std::string& after) {
  std::vector<std::size_t> entries;
  for (std::size_t byte : DifferingBytes(before, after)) {
    if (entries.empty() || entries.back() != byte / 3) entries.push_back(byte / 3);
  }
  return entries;
}

TEST_F(TarvoctlTest, SetsKeysAndLightsOfARunningTarvosKeyboard) {
  TarvoProcess tarvo({"--headless", "--virtual-keyboard"}, Environment(true), folder / "tarvo.txt");
  ASSERT_TRUE(WaitFor(tarvo, "keyboard read:")) << tarvo.Output();

  // One entry of layer 0 changes: A's, from its own key to Ctrl+C.
  const base::Json before = KeyboardState();
  const Result set = Tarvoctl({"key", "set", "0", "A", "Ctrl+C"});
  ASSERT_EQ(set.status, 0) << set.err;
  EXPECT_EQ(set.out, "key A on layer 0: Ctrl+C (sent to the keyboard)\n");
  const base::Json after = KeyboardState();
  const std::string layerBefore = before.Find("layers")->AsArray()[0].AsString();
  const std::string layerAfter = after.Find("layers")->AsArray()[0].AsString();
  const std::vector<std::size_t> changed = DifferingEntries(layerBefore, layerAfter);
  ASSERT_EQ(changed.size(), 1u);
  EXPECT_EQ(layerBefore.substr(changed[0] * 6, 6), "100004");
  EXPECT_EQ(layerAfter.substr(changed[0] * 6, 6), "100106");
  for (std::size_t layer = 1; layer < 4; ++layer) {
    EXPECT_EQ(after.Find("layers")->AsArray()[layer].AsString(),
              before.Find("layers")->AsArray()[layer].AsString());
  }
  ASSERT_EQ(Tarvoctl({"key", "reset", "0"}).status, 0);
  const base::Json reset = KeyboardState();
  EXPECT_EQ(reset.Find("layers")->AsArray()[0].AsString(),
            reset.Find("factory_layers")->AsArray()[0].AsString());

  // A mode changes the key lights' bytes of the settings block, nothing else.
  const Result mode = Tarvoctl({"light", "mode", "keys", "3"});
  ASSERT_EQ(mode.status, 0) << mode.err;
  const base::Json lit = KeyboardState();
  EXPECT_EQ(lit.Find("light_modes")->Find("zone0")->Find("mode")->AsInteger(), 3);
  for (std::size_t byte :
       DifferingBytes(reset.Find("settings")->AsString(), lit.Find("settings")->AsString())) {
    EXPECT_TRUE(byte >= 1 && byte <= 9) << "byte " << byte << " is not the key lights'";
  }

  // Slot 130's table: every light red.
  ASSERT_EQ(Tarvoctl({"slot", "fill", "130", "FF0000"}).status, 0);
  const std::string slot = KeyboardState().Find("custom_slots")->AsArray()[2].AsString();
  std::size_t red = 0;
  for (std::size_t at = 0; at + 6 <= slot.size(); at += 6) {
    const std::string light = slot.substr(at, 6);
    EXPECT_TRUE(light == "ff0000" || light == "000000") << light;
    red += light == "ff0000" ? 1 : 0;
  }
  EXPECT_GT(red, 60u);
  const base::Json shown = Json(Tarvoctl({"--json", "light", "show"}).out);
  EXPECT_EQ(shown.Find("zones")->AsArray().at(0).Find("slot")->AsInteger(), 130);

  // Refused: one line, exit status 1, the keyboard as it was.
  const base::Json unchanged = KeyboardState();
  ExpectOneLineFailure(Tarvoctl({"key", "set", "0", "Nokey", "A"}), "no such key: Nokey");
  ExpectOneLineFailure(Tarvoctl({"light", "colour", "keys", "12345G"}), "not '12345G'");
  ExpectOneLineFailure(Tarvoctl({"key", "set", "0", "A", "Ctrl+Hyper"}), "no such key 'Hyper'");
  EXPECT_EQ(KeyboardState().Find("layers")->Dump(), unchanged.Find("layers")->Dump());
  EXPECT_EQ(KeyboardState().Find("settings")->Dump(), unchanged.Find("settings")->Dump());

  tarvo.Signal(SIGTERM);
  EXPECT_EQ(tarvo.Wait(10s), 0) << tarvo.Output();

  // Model 102 has no side light (its own controller, once the model is selected).
  ASSERT_EQ(Tarvoctl({"--virtual-keyboard=102", "device", "select", "102"}).status, 0);
  ExpectOneLineFailure(Tarvoctl({"--virtual-keyboard=102", "light", "mode", "side", "flow"}),
                       "model 102 has no side light");
}

TEST_F(TarvoctlTest, AutostartWritesAnEntryThatStartsTarvoAndRemovesIt) {
  const std::filesystem::path entry = folder / "config" / "autostart" / "tarvo.desktop";
  const Result on = Tarvoctl({"autostart", "on"});
  ASSERT_EQ(on.status, 0) << on.err;
  EXPECT_EQ(on.out, "Tarvo starts at login (" + entry.string() + ")\n");
  std::ifstream in(entry);
  const std::string text{std::istreambuf_iterator<char>(in), {}};
  // The entry runs tarvo, not the tarvoctl that wrote it.
  const std::string tarvo = std::filesystem::canonical(TarvoProcess::Executable()).string();
  EXPECT_NE(text.find("\nExec=\"" + tarvo + "\" -autorun\n"), std::string::npos) << text;

  const Result off = Tarvoctl({"autostart", "off"});
  ASSERT_EQ(off.status, 0) << off.err;
  EXPECT_FALSE(std::filesystem::exists(entry));

  std::filesystem::remove_all(folder / "config" / "autostart");
  std::ofstream(folder / "config" / "autostart") << "a file where the folder should be";
  ExpectOneLineFailure(Tarvoctl({"autostart", "on"}), "cannot write " + entry.string());
}

TEST_F(TarvoctlTest, UpdateCheckAsksTheServerOfTheConfiguration) {
  ScriptedHttpServer server;
  const std::filesystem::path app = folder / "app";
  std::filesystem::create_directories(app);
  const std::filesystem::path shipped = std::filesystem::path(TARVO_SOURCE_DIR) / "data";
  for (const auto& item : std::filesystem::directory_iterator(shipped)) {
    if (item.path().filename() != "config.xml")
      std::filesystem::create_directory_symlink(item.path(), app / item.path().filename());
  }
  std::ifstream in(shipped / "config.xml");
  std::string config{std::istreambuf_iterator<char>(in), {}};
  const std::string shippedAddress = "https://tarvo.example/update/";
  config.replace(config.find(shippedAddress), shippedAddress.size(), server.Url("/update/"));
  std::ofstream(app / "config.xml") << config;
  auto check = [&] {
    std::map<std::string, std::string> environment = Environment();
    environment["TARVO_APP_DIR"] = app.string();
    environment["no_proxy"] = "127.0.0.1";
    TarvoProcess process({"update", "check"}, environment, folder / "out.txt",
                         TarvoProcess::ControlExecutable(), folder / "err.txt");
    Result result;
    result.status = process.Wait(30s);
    result.out = process.Output();
    result.err = process.ErrorOutput();
    return result;
  };
  server.Script("/update/version", ScriptedResponse::Text("1.0.3.0\n"));
  Result newer = check();
  EXPECT_EQ(newer.status, 0) << newer.err;
  EXPECT_EQ(newer.out, "version 1.0.3.0 is available (this is 1.0.2.0)\n");
  server.Script("/update/version", ScriptedResponse::Text("1.0.1.9"));
  Result same = check();
  EXPECT_EQ(same.status, 0) << same.err;
  EXPECT_EQ(same.out, "Tarvo 1.0.2.0 is up to date\n");
  server.Script("/update/version", ScriptedResponse::Text("Not Found", 404));
  ExpectOneLineFailure(check(), "no answer from the update server (unreachable)");
}

}  // namespace

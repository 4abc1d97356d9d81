// tarvoctl as a user runs it: against a running `tarvo --headless --virtual-keyboard`, and with
// its own headless controller when no Tarvo runs. What the keyboard received is read back
// through the virtual keyboard's state readout.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstring>
#include <thread>

#include "ProcessRunner.h"
#include "base/Json.h"
#include "platform/UniqueFd.h"
#include "support/TempFolder.h"

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

}  // namespace

#pragma once
// A private PulseAudio server for tests: its own runtime, state and home folders, a null
// output to play into, a socket of its own. The user's or system's server is never touched.
// It runs as root too (CI does), which the server allows outside its system mode.

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

class PulseDaemon {
 public:
  static constexpr const char* kFirstSink = "tarvo_first";

  PulseDaemon() {
    for (const char* folder : {"run", "run/pulse", "config", "state"})
      std::filesystem::create_directories(folder_ / folder);
    for (char** entry = environ; *entry; ++entry) {
      const std::string text = *entry;
      if (text.rfind("PULSE_", 0) == 0 || text.rfind("HOME=", 0) == 0 ||
          text.rfind("XDG_", 0) == 0 || text.rfind("DBUS_", 0) == 0)
        continue;
      environment_.push_back(text);
    }
    const std::string root = folder_.Path().string();
    environment_.push_back("HOME=" + root);
    environment_.push_back("XDG_RUNTIME_DIR=" + root + "/run");
    environment_.push_back("XDG_CONFIG_HOME=" + root + "/config");
    environment_.push_back("PULSE_RUNTIME_PATH=" + root + "/run/pulse");
    environment_.push_back("PULSE_STATE_PATH=" + root + "/state");
  }

  // Starts the server and waits until it answers.
  bool Start() {
    daemon_ = ChildProcess::Spawn(
        {"pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
         "--use-pid-file=false", "--realtime=false", "--high-priority=false",
         "--disallow-exit=false", "--log-target=stderr",
         std::string("--load=module-null-sink rate=48000 sink_name=") + kFirstSink,
         "--load=module-native-protocol-unix auth-anonymous=1 socket=" + Socket()},
        environment_, folder_ / "daemon.log");
    if (!daemon_) return false;
    return WaitFor([this] {
             return !daemon_->Running() || (std::filesystem::exists(Socket()) && Pactl({"info"}));
           }) &&
           daemon_->Running();
  }

  // Ends the server the hard way: nothing is cleaned up behind it.
  void Kill() {
    if (!daemon_) return;
    daemon_->Signal(SIGKILL);
    daemon_->Wait();
    daemon_.reset();
  }

  std::string Socket() const { return (folder_ / "native").string(); }
  std::string Server() const { return "unix:" + Socket(); }

  bool Pactl(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{"pactl", "-s", Server()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    auto child = ChildProcess::Spawn(command, environment_, folder_ / "tools.log");
    return child && child->Wait() == 0;
  }

  // An idle null output renders in blocks of two seconds and takes up the short blocks a
  // new recording asks for only after the current one. Suspending and resuming it starts
  // the short blocks at once.
  bool Wake(const std::string& sink) {
    return Pactl({"suspend-sink", sink, "1"}) && Pactl({"suspend-sink", sink, "0"});
  }

  // Plays a sound file into the output; it runs until the file has played.
  std::optional<ChildProcess> Play(const std::filesystem::path& file, const std::string& sink) {
    return ChildProcess::Spawn(
        {"paplay", "-s", Server(), "-d", sink, "--latency-msec=40", file.string()}, environment_,
        folder_ / "tools.log");
  }

  std::filesystem::path File(const std::string& name) const { return folder_ / name; }

  std::string Log() const {
    std::stringstream text;
    for (const char* name : {"daemon.log", "tools.log"}) {
      std::ifstream in(folder_ / name);
      text << "== " << name << "\n" << in.rdbuf();
    }
    return text.str();
  }

 private:
  TempFolder folder_;
  std::vector<std::string> environment_;
  std::optional<ChildProcess> daemon_;
};

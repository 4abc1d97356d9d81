#pragma once
// Runs the tarvo (or tarvoctl) executable as a child process with its own environment and collects
// its exit status and output.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class TarvoProcess {
 public:
  // Standard output and error go to `outputFile`, or error to `errorFile` when one is given.
  TarvoProcess(const std::vector<std::string>& arguments,
               const std::map<std::string, std::string>& environment,
               const std::filesystem::path& outputFile, std::string executable = Executable(),
               std::optional<std::filesystem::path> errorFile = std::nullopt)
      : output_(outputFile), error_(errorFile) {
    std::vector<std::string> envText;
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text(*entry);
      if (!environment.contains(text.substr(0, text.find('=')))) envText.push_back(text);
    }
    for (const auto& [name, value] : environment) envText.push_back(name + "=" + value);
    std::vector<char*> env;
    for (auto& text : envText) env.push_back(text.data());
    env.push_back(nullptr);

    std::vector<std::string> argText = {std::move(executable)};
    argText.insert(argText.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& text : argText) argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    if (error_) {
      posix_spawn_file_actions_addopen(&actions, 2, error_->c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                       0600);
    } else {
      posix_spawn_file_actions_adddup2(&actions, 1, 2);
    }
    started_ = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), env.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~TarvoProcess() {
    if (started_ && !status_) {
      kill(pid_, SIGKILL);
      Wait(std::chrono::seconds(5));
    }
  }

  static std::string Executable() { return std::string(TARVO_APP_BUILD_DIR) + "/tarvo"; }
  static std::string ControlExecutable() { return std::string(TARVO_APP_BUILD_DIR) + "/tarvoctl"; }

  // The exit status (or 128 + signal) once the process ended within the time.
  std::optional<int> Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (started_ && !status_) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        break;
      }
      if (std::chrono::steady_clock::now() > deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
  }
  void Signal(int signal) { kill(pid_, signal); }
  std::string Output() const { return Read(output_); }
  std::string ErrorOutput() const { return error_ ? Read(*error_) : std::string(); }
  bool Started() const { return started_; }

 private:
  static std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  std::filesystem::path output_;
  std::optional<std::filesystem::path> error_;
  pid_t pid_ = -1;
  bool started_ = false;
  std::optional<int> status_;
};

// tarvoctl: reads and changes a Tarvo keyboard from the command line. It asks the Tarvo that
// runs for this user; when none runs, it runs the controller itself, headless, for one command.

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "app/LocalController.h"
#include "app/StartupConfig.h"
#include "cli/Client.h"
#include "cli/Invocation.h"
#include "core/AppPaths.h"
#include "platform/SingleInstance.h"
#include "ui/tessel/Manager.h"

namespace {

// How long tarvoctl keeps asking a Tarvo that listens but does not take its requests yet (one
// that is starting).
constexpr auto kReadyWait = std::chrono::seconds(10);
constexpr auto kRetryPause = std::chrono::milliseconds(200);

// One line for standard error, whatever the text holds.
std::string OneLine(std::string text) {
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

int Fail(const std::string& error, int status = 1) {
  std::cerr << "tarvoctl: " << OneLine(error) << '\n';
  return status;
}

int Print(const cli::Invocation& invocation, const cli::Answer& answer) {
  if (!answer.ok) return Fail(answer.error, cli::ExitStatusOf(answer));
  if (invocation.json) {
    std::cout << answer.result.DumpPretty() << '\n';
  } else if (invocation.command->format != nullptr) {
    std::cout << invocation.command->format(answer.result);
  }
  std::cout.flush();
  return std::cout ? 0 : Fail("cannot write the result");
}

std::filesystem::path CommandSocketPath() {
  const StartupConfig config = ReadStartupConfig(AppPaths::FindAppFolder());
  if (config.productName) Tessel::Manager::SetDeviceName(*config.productName);
  const std::string product = Tessel::Manager::GetDeviceName();
  return platform::SingleInstance::SocketPath(AppPaths::FromEnvironment(product).GetRuntimeFolder(),
                                              product);
}

int Run(const cli::Invocation& invocation) {
  const std::filesystem::path socket = CommandSocketPath();
  const auto readyDeadline = std::chrono::steady_clock::now() + kReadyWait;
  while (true) {
    const cli::RemoteAnswer remote = cli::AskRunningTarvo(socket, invocation.request);
    switch (remote.outcome) {
      case cli::RemoteAnswer::Outcome::kAnswered:
        return Print(invocation, remote.answer);
      case cli::RemoteAnswer::Outcome::kNoAnswer:
        return Fail("the running Tarvo gave no answer: " + remote.detail);
      case cli::RemoteAnswer::Outcome::kNotReady:
        if (std::chrono::steady_clock::now() > readyDeadline) {
          return Fail("the running Tarvo does not take tarvoctl's requests (" + remote.detail +
                      "); is it an older version?");
        }
        std::this_thread::sleep_for(kRetryPause);
        break;
      case cli::RemoteAnswer::Outcome::kNobodyRuns: {
        bool otherCopy = false;
        const int status =
            RunLocalController(invocation.request, LocalRunOptions{invocation.virtualKeyboard},
                               [&](const LocalRun& run) {
                                 otherCopy = run.outcome == LocalRun::Outcome::kOtherCopyRuns;
                                 return otherCopy ? 0 : Print(invocation, run.answer);
                               });
        // A Tarvo started between the question and the lock: ask it.
        if (!otherCopy) return status;
        break;
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  if (error) folder = "/";
  const cli::Invocation invocation =
      cli::ParseInvocation(std::vector<std::string>(argv + 1, argv + argc), folder);
  switch (invocation.action) {
    case cli::Invocation::Action::kHelp:
      std::cout << invocation.text;
      return 0;
    case cli::Invocation::Action::kVersion:
      std::cout << "tarvoctl " << TARVO_VERSION << '\n';
      return 0;
    case cli::Invocation::Action::kComplete:
      for (const std::string& candidate : invocation.candidates) std::cout << candidate << '\n';
      return 0;
    case cli::Invocation::Action::kUsageError:
      return Fail(invocation.text, 2);
    case cli::Invocation::Action::kRun:
      break;
  }
  return Run(invocation);
}

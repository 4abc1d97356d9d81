#pragma once
// tarvoctl's own controller, for when no Tarvo runs: the application's start-up (its
// configuration, language, settings database and keyboard read) on the headless backend, as
// `tarvo --headless` does, then one request through ControlServer, then a clean end. While it
// runs it holds the one-copy lock, so that a Tarvo started meanwhile finds it, and it answers
// other tarvoctl requests on the user's command socket too.

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "cli/Protocol.h"

struct LocalRun {
  enum class Outcome {
    kAnswered,       // `answer` holds the command's answer
    kOtherCopyRuns,  // another Tarvo holds the lock: ask it instead
  };
  Outcome outcome = Outcome::kAnswered;
  cli::Answer answer;
};

struct LocalRunOptions {
  // --virtual-keyboard[=MODEL[,receiver]]: "" for the default keyboard; none for the machine's.
  std::optional<std::string> virtualKeyboard;
  // The controller ends after this long, answered or not.
  std::chrono::milliseconds limit{90000};
};

// Runs the request and hands the outcome to `finish`, which returns the exit status; returns
// that status. `finish` runs before the controller is taken down: when the device worker does
// not end in time, the process ends right after it without destroying what the worker uses.
int RunLocalController(const cli::Request& request, const LocalRunOptions& options,
                       const std::function<int(const LocalRun&)>& finish);

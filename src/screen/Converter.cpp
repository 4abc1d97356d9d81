#include "screen/Converter.h"

#include <algorithm>
#include <system_error>

#include "base/Log.h"
#include "base/Text.h"
#include "platform/ChildProcess.h"

namespace screen {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr std::size_t kChunkBytes = 4095;
// How often a stop request is looked at while the converter is silent.
constexpr milliseconds kPollStep{50};

ConverterResult Failure(ConverterStatus status, std::string problem) {
  ConverterResult result;
  result.status = status;
  result.problem = std::move(problem);
  return result;
}

bool StopRequested(const ConverterOptions& options) {
  return options.shouldStop && options.shouldStop();
}

// Reads the output until the converter closes it; false when it had to be stopped first.
bool ReadUntilEnd(platform::ChildProcess& child, const ConverterOptions& options,
                  Clock::time_point deadline, ConverterResult& result) {
  while (true) {
    if (StopRequested(options)) {
      result.status = ConverterStatus::kStopped;
      return false;
    }
    const auto left = std::chrono::duration_cast<milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) {
      result.status = ConverterStatus::kTimedOut;
      return false;
    }
    std::string chunk;
    const auto read = child.Read(chunk, std::min(left, kPollStep), kChunkBytes);
    if (read == platform::ChildProcess::Output::kEnded) return true;
    if (read == platform::ChildProcess::Output::kTimedOut) continue;
    result.output += chunk;
    const std::string shown = base::ToLowerAscii(chunk);
    base::DebugLog("%s", shown.c_str());
    if (options.onOutput) options.onOutput(shown);
  }
}

void Judge(const platform::ChildExit& exit, const fs::path& outputFile, ConverterResult& result) {
  if (!exit.exited) {
    result.status = ConverterStatus::kFailed;
    result.problem = "the converter ended by signal " + std::to_string(exit.signal);
    return;
  }
  result.exitCode = exit.code;
  std::error_code error;
  if (exit.code != 0) {
    result.status = ConverterStatus::kFailed;
    result.problem = "the converter ended with exit code " + std::to_string(exit.code);
  } else if (!fs::is_regular_file(outputFile, error) || fs::file_size(outputFile, error) == 0) {
    result.status = ConverterStatus::kNoOutput;
    result.problem = "the converter wrote no output file";
  } else {
    result.status = ConverterStatus::kDone;
  }
}

}  // namespace

std::vector<std::string> ConverterCommandLine(const fs::path& converter, const fs::path& input,
                                              const fs::path& output, int width, int height) {
  return {converter.string(),    "convert", "-i",   input.string(), "-o",
          output.string(),       "-f",      "gx96", "--scale-size", std::to_string(width),
          std::to_string(height)};
}

ConverterResult RunConverter(const std::vector<std::string>& commandLine,
                             const fs::path& outputFile, const ConverterOptions& options) {
  std::error_code error;
  fs::remove(outputFile, error);
  if (error) return Failure(ConverterStatus::kNotStarted, "cannot remove " + outputFile.string());
  std::string reason;
  auto child = platform::ChildProcess::Start(commandLine, &reason);
  if (!child) return Failure(ConverterStatus::kNotStarted, reason);
  const auto deadline = Clock::now() + options.timeout;
  ConverterResult result;
  if (!ReadUntilEnd(*child, options, deadline, result)) {
    child->Stop();
    result.problem = result.status == ConverterStatus::kTimedOut
                         ? "the converter did not finish in time and was stopped"
                         : "the converter was stopped";
    return result;
  }
  // The output is closed; the exit follows at once unless a helper of the converter kept it.
  const auto left =
      std::max(milliseconds{0}, std::chrono::duration_cast<milliseconds>(deadline - Clock::now()));
  const auto exit = child->Wait(left);
  if (!exit) {
    child->Stop();
    result.status = ConverterStatus::kTimedOut;
    result.problem = "the converter did not finish in time and was stopped";
    return result;
  }
  Judge(*exit, outputFile, result);
  return result;
}

ConverterResult ConvertForScreen(const fs::path& converter, const fs::path& input,
                                 const fs::path& output, int width, int height,
                                 const ConverterOptions& options) {
  std::error_code error;
  const auto status = fs::status(converter, error);
  constexpr auto kRunnable = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  if (!fs::is_regular_file(status) || (status.permissions() & kRunnable) == fs::perms::none) {
    return Failure(ConverterStatus::kMissing, "no converter at " + converter.string());
  }
  return RunConverter(ConverterCommandLine(converter, input, output, width, height), output,
                      options);
}

}  // namespace screen

#pragma once
// Running the picture converter (gif/qgif) as a child process: its output is passed on line
// by line as it comes, it is stopped when it takes too long or the worker is asked to stop,
// and a conversion only counts when the converter exited with 0 and left its output file.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace screen {

enum class ConverterStatus {
  kDone,
  kMissing,     // no converter at its path; nothing was started
  kNotStarted,  // the process could not be started, or the old output could not be removed
  kTimedOut,    // stopped after the time-out
  kStopped,     // stopped because the caller asked
  kFailed,      // ended with another exit code than 0, or by a signal
  kNoOutput,    // exited with 0 but wrote no output file
};

struct ConverterResult {
  ConverterStatus status = ConverterStatus::kNotStarted;
  std::optional<int> exitCode;  // when it exited by itself
  std::string output;           // everything it printed
  std::string problem;          // what went wrong, for the log
  bool Succeeded() const { return status == ConverterStatus::kDone; }
};

struct ConverterOptions {
  std::chrono::milliseconds timeout{std::chrono::minutes(2)};
  // Each piece of output (at most 4095 bytes), in lower case, as it arrives.
  std::function<void(const std::string& text)> onOutput;
  // Polled while the converter runs; true ends it at once.
  std::function<bool()> shouldStop;
};

// The converter's arguments: convert -i INPUT -o OUTPUT -f gx96 --scale-size WIDTH HEIGHT.
std::vector<std::string> ConverterCommandLine(const std::filesystem::path& converter,
                                              const std::filesystem::path& input,
                                              const std::filesystem::path& output, int width,
                                              int height);

// Runs the command line (argv[0] = the program). The output file is removed first, so that a
// file left by an earlier run is never taken for this run's result.
ConverterResult RunConverter(const std::vector<std::string>& commandLine,
                             const std::filesystem::path& outputFile,
                             const ConverterOptions& options = {});

// Converts one GIF for the screen; kMissing at once when the converter is not there.
ConverterResult ConvertForScreen(const std::filesystem::path& converter,
                                 const std::filesystem::path& input,
                                 const std::filesystem::path& output, int width, int height,
                                 const ConverterOptions& options = {});

}  // namespace screen

#pragma once
// Starting the application at login: an XDG autostart entry,
// <config home>/autostart/<product>.desktop (lower case), whose Exec line runs this
// executable with "-autorun".

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class Autostart {
 public:
  static constexpr const char* kArgument = "-autorun";

  // `autostartFolder` is <config home>/autostart (AppPaths::GetAutostartFolder); `executable`
  // is the program the entry runs (CurrentExecutable in the application).
  Autostart(std::filesystem::path autostartFolder, std::string productName,
            std::filesystem::path executable);

  // <autostart folder>/<product in lower case, odd characters as '-'>.desktop
  std::filesystem::path GetFile() const;

  // On when the entry exists and the desktop is not told to skip it (Hidden=true, or
  // X-GNOME-Autostart-enabled=false).
  bool IsEnabled() const;
  // Writes the entry (atomically, creating the folder); false when it could not be written,
  // in which case the switch stays off.
  bool Enable() const;
  // Removes the entry; false when it still exists afterwards.
  bool Disable() const;

  // The running executable (/proc/self/exe).
  static std::filesystem::path CurrentExecutable();

  // One argument of an Exec line: in double quotes, with '"', '`', '$' and '\' escaped by a
  // backslash, '%' doubled, and then the string escapes of the file format applied.
  static std::string QuoteExecArgument(std::string_view argument);
  // The arguments of an Exec value as a launcher reads them (string escapes removed, quotes
  // resolved, "%%" as '%'); nullopt for an unterminated quote, a bad escape or a field code.
  static std::optional<std::vector<std::string>> ParseExec(std::string_view value);

 private:
  std::string BuildEntry() const;

  std::filesystem::path folder_;
  std::string productName_;
  std::filesystem::path executable_;
};

}  // namespace platform

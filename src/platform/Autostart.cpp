#include "platform/Autostart.h"

#include <fcntl.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <system_error>

#include "base/Log.h"
#include "base/Text.h"
#include "platform/UniqueFd.h"

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::string_view kGroup = "[Desktop Entry]";

// The escapes every string value of the file format uses.
std::string EscapeString(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::optional<std::string> UnescapeString(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    switch (text[i]) {
      case 's':
        out += ' ';
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        return std::nullopt;
    }
  }
  return out;
}

bool IsQuotedEscape(char c) {
  return c == '"' || c == '`' || c == '$' || c == '\\';
}

// Splits an Exec value whose string escapes are already resolved.
std::optional<std::vector<std::string>> SplitArguments(std::string_view line) {
  std::vector<std::string> arguments;
  std::string current;
  bool inArgument = false;
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '%') {
      // "%%" is a literal percent sign; this application writes no other field code.
      if (i + 1 == line.size() || line[i + 1] != '%') return std::nullopt;
      current += '%';
      inArgument = true;
      ++i;
    } else if (quoted) {
      if (c == '"') {
        quoted = false;
      } else if (c == '\\') {
        if (i + 1 == line.size() || !IsQuotedEscape(line[i + 1])) return std::nullopt;
        current += line[++i];
      } else if (c == '`' || c == '$') {
        return std::nullopt;  // must be escaped inside quotes
      } else {
        current += c;
      }
    } else if (c == ' ' || c == '\t' || c == '\n') {
      if (inArgument) arguments.push_back(std::move(current));
      current.clear();
      inArgument = false;
    } else {
      if (c == '"') {
        quoted = true;
      } else {
        current += c;
      }
      inArgument = true;
    }
  }
  if (quoted) return std::nullopt;
  if (inArgument) arguments.push_back(std::move(current));
  return arguments;
}

std::string EntryFileName(const std::string& productName) {
  std::string name;
  for (char c : base::ToLowerAscii(productName)) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
                       (c == '.' && !name.empty());
    name += plain ? c : '-';
  }
  return (name.empty() ? std::string("autostart") : name) + ".desktop";
}

bool WriteAtomically(const fs::path& file, const std::string& content) {
  std::random_device random;
  const fs::path temporary = file.string() + ".tmp-" + std::to_string(random());
  UniqueFd out(
      ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644));
  if (!out.IsValid()) return false;
  const char* data = content.data();
  std::size_t left = content.size();
  bool ok = true;
  while (ok && left > 0) {
    const ssize_t written = ::write(out.Get(), data, left);
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    if (ok) {
      data += written;
      left -= static_cast<std::size_t>(written);
    }
  }
  ok = ok && ::fsync(out.Get()) == 0;
  ok = ok && ::close(out.Release()) == 0;
  ok = ok && ::rename(temporary.c_str(), file.c_str()) == 0;
  if (!ok) {
    out.Reset();
    ::unlink(temporary.c_str());
  }
  return ok;
}

}  // namespace

Autostart::Autostart(fs::path autostartFolder, std::string productName, fs::path executable)
    : folder_(std::move(autostartFolder)),
      productName_(std::move(productName)),
      executable_(std::move(executable)) {}

fs::path Autostart::GetFile() const {
  return folder_ / EntryFileName(productName_);
}

fs::path Autostart::CurrentExecutable() {
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  return error ? fs::path() : executable;
}

std::string Autostart::QuoteExecArgument(std::string_view argument) {
  std::string quoted = "\"";
  for (char c : argument) {
    if (IsQuotedEscape(c)) quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  quoted += '"';
  return EscapeString(quoted);
}

std::optional<std::vector<std::string>> Autostart::ParseExec(std::string_view value) {
  const std::optional<std::string> line = UnescapeString(value);
  if (!line) return std::nullopt;
  return SplitArguments(*line);
}

std::string Autostart::BuildEntry() const {
  std::string entry(kGroup);
  entry += "\nType=Application\nName=" + EscapeString(productName_) +
           "\nExec=" + QuoteExecArgument(executable_.string()) + " " + kArgument +
           "\nTerminal=false\nX-GNOME-Autostart-enabled=true\n";
  return entry;
}

bool Autostart::IsEnabled() const {
  std::error_code error;
  if (!fs::is_regular_file(GetFile(), error)) return false;
  std::ifstream in(GetFile(), std::ios::binary);
  if (!in) return false;
  bool inGroup = false;
  std::string line;
  while (std::getline(in, line)) {
    const std::string_view text = base::Trim(line);
    if (text.empty() || text.front() == '#') continue;
    if (text.front() == '[') {
      inGroup = text == kGroup;
      continue;
    }
    const std::size_t equals = text.find('=');
    if (!inGroup || equals == std::string_view::npos) continue;
    const std::string_view key = base::Trim(text.substr(0, equals));
    const std::string_view value = base::Trim(text.substr(equals + 1));
    if (key == "Hidden" && value == "true") return false;
    if (key == "X-GNOME-Autostart-enabled" && value == "false") return false;
  }
  return true;
}

bool Autostart::Enable() const {
  if (executable_.empty() || productName_.empty()) return false;
  std::error_code error;
  fs::create_directories(folder_, error);
  if (!fs::is_directory(folder_, error)) return false;
  const bool written = WriteAtomically(GetFile(), BuildEntry());
  base::DebugLog("autostart: %s %s", GetFile().c_str(),
                 written ? "written" : "could not be written");
  return written;
}

bool Autostart::Disable() const {
  std::error_code error;
  fs::remove(GetFile(), error);
  return !fs::exists(fs::symlink_status(GetFile(), error));
}

}  // namespace platform

#include "core/SettingsStore.h"

#include <fstream>
#include <string_view>
#include <system_error>

#include "base/Files.h"
#include "base/Log.h"
#include "base/Text.h"
#include "core/AppPaths.h"

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSection = "settings";

// Values may hold any text; backslash, line feed and carriage return are escaped.
std::string Escape(const std::string& value) {
  std::string out;
  for (char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    const char next = value[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

// The section a "[name]" line opens, in lower case; none for any other line.
std::optional<std::string> SectionOf(std::string_view line) {
  const std::string_view text = base::Trim(line);
  if (text.empty() || text.front() != '[') return std::nullopt;
  std::string_view name = text.substr(1);
  name = name.substr(0, name.find(']'));
  return base::ToLowerAscii(base::Trim(name));
}

// The name of a "name=value" line; empty for comments, blank lines and lines without "=".
std::string_view NameOf(std::string_view line) {
  const std::string_view text = base::Trim(line);
  if (text.empty() || text.front() == '#' || text.front() == ';' || text.front() == '[') return {};
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return {};
  return base::Trim(line.substr(0, equals));
}

std::string ValueOf(std::string_view line) {
  return Unescape(line.substr(line.find('=') + 1));
}

// Names that can be written as a line and read back as the same name.
bool IsWritableName(std::string_view name) {
  if (name.empty() || base::Trim(name) != name) return false;
  if (name.front() == '#' || name.front() == ';' || name.front() == '[') return false;
  return name.find_first_of("=\r\n") == std::string_view::npos;
}

// Calls visit(line index, name) for every value of our section (and of the lines before any
// section), in file order.
template <class Visit>
void ForEachValue(const std::vector<std::string>& lines, Visit visit) {
  bool ours = true;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (std::optional<std::string> section = SectionOf(lines[i])) {
      ours = *section == kSection;
      continue;
    }
    const std::string_view name = NameOf(lines[i]);
    if (ours && !name.empty()) visit(i, name);
  }
}

// Where a first value goes: after our section's heading, which is added at the end when the
// file has none.
std::size_t AfterSectionHeading(std::vector<std::string>& lines) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (SectionOf(lines[i]) == kSection) return i + 1;
  }
  lines.push_back("[" + std::string(kSection) + "]");
  return lines.size();
}

// The file's bytes; none when it is not a regular file, is larger than `limit` or cannot be
// read. Nothing is opened that is not a regular file: a pipe would block the reader.
std::optional<std::string> ReadRegularFile(const fs::path& path, std::size_t limit) {
  std::error_code error;
  if (!fs::is_regular_file(path, error)) return std::nullopt;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error || size > limit) return std::nullopt;
  std::ifstream in(path, std::ios::binary);
  std::string content(static_cast<std::size_t>(size), '\0');
  if (!in || !in.read(content.data(), static_cast<std::streamsize>(size))) return std::nullopt;
  return content;
}

}  // namespace

SettingsStore::SettingsStore(fs::path file) : file_(std::move(file)) {}

bool SettingsStore::Exists() const {
  std::error_code error;
  return fs::is_regular_file(file_, error);
}

SettingsStore::Access SettingsStore::Load() {
  if (document_) return Access::Ok;
  if (refused_) return Access::Failed;
  std::error_code error;
  if (fs::status(file_, error).type() == fs::file_type::not_found) return Access::Missing;
  const std::optional<std::string> content = ReadRegularFile(file_, kMaxFileBytes);
  if (!content) {
    base::ErrorLog(
        "cannot use the settings file %s (not a readable file of at most 1 MB); "
        "it is left as it is",
        file_.c_str());
    refused_ = true;
    return Access::Failed;
  }
  document_ = Document{};
  std::string_view rest = *content;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    // The first line tells how the lines end; they are written back the same way.
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
      if (document_->lines.empty()) document_->crlf = true;
    }
    document_->lines.emplace_back(line);
  }
  return Access::Ok;
}

bool SettingsStore::Save(Document changed) {
  const char* lineEnd = changed.crlf ? "\r\n" : "\n";
  std::string text;
  for (const std::string& line : changed.lines) text += line + lineEnd;
  // A crash never leaves half a file; the settings are the user's own.
  if (!base::WriteFileAtomically(file_, text, nullptr, 0600)) return false;
  document_ = std::move(changed);
  return true;
}

bool SettingsStore::CreateIfMissing() {
  if (Exists()) return true;
  if (!AppPaths::CreateFolderPath(file_.parent_path())) return false;
  return Save(Document{{"[" + std::string(kSection) + "]"}});
}

std::optional<std::string> SettingsStore::Find(const std::string& name) const {
  std::optional<std::string> found;
  ForEachValue(document_->lines, [&](std::size_t index, std::string_view key) {
    if (!found && base::EqualsIgnoreCaseAscii(key, name)) found = ValueOf(document_->lines[index]);
  });
  return found;
}

int SettingsStore::GetRegInt(const std::string& name) {
  return base::ToInt(GetRegString(name));
}

std::string SettingsStore::GetRegString(const std::string& name) {
  std::lock_guard lock(mutex_);
  const Access access = Load();
  if (access == Access::Missing) CreateIfMissing();
  if (access != Access::Ok) return {};
  return Find(name).value_or("");
}

bool SettingsStore::SetRegString(const std::string& name, const std::string& value) {
  std::lock_guard lock(mutex_);
  if (!IsWritableName(name) || Load() != Access::Ok) return false;
  Document changed = *document_;
  std::vector<std::string>& lines = changed.lines;
  std::optional<std::size_t> found;
  std::size_t insertAt = lines.size() + 1;  // past the end: no value of ours yet
  ForEachValue(lines, [&](std::size_t index, std::string_view key) {
    if (!found && base::EqualsIgnoreCaseAscii(key, name)) found = index;
    insertAt = index + 1;
  });
  if (found) {
    // The name keeps the spelling the file gave it.
    lines[*found] = std::string(NameOf(lines[*found])) + "=" + Escape(value);
    return Save(std::move(changed));
  }
  if (insertAt > lines.size()) insertAt = AfterSectionHeading(lines);
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), name + "=" + Escape(value));
  return Save(std::move(changed));
}

bool SettingsStore::DeleteValue(const std::string& name) {
  std::lock_guard lock(mutex_);
  if (Load() != Access::Ok) return false;
  Document changed = *document_;
  std::vector<std::size_t> matches;
  ForEachValue(changed.lines, [&](std::size_t index, std::string_view key) {
    if (base::EqualsIgnoreCaseAscii(key, name)) matches.push_back(index);
  });
  if (matches.empty()) return false;
  for (auto index = matches.rbegin(); index != matches.rend(); ++index) {
    changed.lines.erase(changed.lines.begin() + static_cast<std::ptrdiff_t>(*index));
  }
  return Save(std::move(changed));
}

int SettingsStore::ReadLcid() {
  std::lock_guard lock(mutex_);
  switch (Load()) {
    case Access::Ok:
      return base::ToInt(Find("LCID").value_or(""));
    case Access::Missing:
      return CreateIfMissing() ? 0 : kFallbackLcid;
    case Access::Failed:
      break;
  }
  return kFallbackLcid;
}

bool SettingsStore::WriteLcid(int lcid) {
  return SetRegString("LCID", std::to_string(lcid));
}

int SettingsStore::ReadDeviceType() {
  std::lock_guard lock(mutex_);
  if (Load() != Access::Ok) return 0;
  return base::ToInt(Find("DeviceType").value_or(""));
}

int SettingsStore::ReadSelectedModel() {
  const int stored = ReadDeviceType();
  return stored < 100 ? kDefaultModel : stored;
}

bool SettingsStore::WriteDeviceType(int modelId) {
  return SetRegString("DeviceType", std::to_string(modelId));
}

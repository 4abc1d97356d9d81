#include "core/SettingsStore.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "base/Files.h"
#include "base/Text.h"
#include "core/AppPaths.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "[settings]";

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

}  // namespace

SettingsStore::SettingsStore(fs::path file) : file_(std::move(file)) {}

bool SettingsStore::Exists() const {
  std::error_code error;
  return fs::is_regular_file(file_, error);
}

SettingsStore::Access SettingsStore::Load(Values& values) const {
  values.clear();
  std::error_code error;
  if (!fs::exists(file_, error)) return error ? Access::Failed : Access::Missing;
  std::ifstream in(file_, std::ios::binary);
  if (!in) return Access::Failed;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Blanks before a comment or section mark do not make a value of it (one that would be
    // saved without them and lost as a comment on the next reading).
    const std::string_view text = base::Trim(line);
    if (text.empty() || text[0] == '#' || text[0] == ';' || text[0] == '[') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string name(base::Trim(std::string_view(line).substr(0, equals)));
    if (name.empty() || Find(values, name)) continue;
    values.emplace_back(name, Unescape(std::string_view(line).substr(equals + 1)));
  }
  return Access::Ok;
}

bool SettingsStore::Save(const Values& values) const {
  std::ostringstream text;
  text << kSection << '\n';
  for (const auto& [name, value] : values) text << name << '=' << Escape(value) << '\n';
  // A crash never leaves half a file; the settings are the user's own.
  return base::WriteFileAtomically(file_, text.str(), nullptr, 0600);
}

bool SettingsStore::CreateIfMissing() {
  if (Exists()) return true;
  if (!AppPaths::CreateFolderPath(file_.parent_path())) return false;
  return Save({});
}

std::optional<std::string> SettingsStore::Find(const Values& values, const std::string& name) {
  for (const auto& [key, value] : values) {
    if (base::EqualsIgnoreCaseAscii(key, name)) return value;
  }
  return std::nullopt;
}

int SettingsStore::GetRegInt(const std::string& name) {
  return base::ToInt(GetRegString(name));
}

std::string SettingsStore::GetRegString(const std::string& name) {
  std::lock_guard lock(mutex_);
  Values values;
  const Access access = Load(values);
  if (access == Access::Missing) CreateIfMissing();
  if (access != Access::Ok) return {};
  return Find(values, name).value_or("");
}

bool SettingsStore::SetRegString(const std::string& name, const std::string& value) {
  std::lock_guard lock(mutex_);
  Values values;
  if (Load(values) != Access::Ok) return false;
  for (auto& [key, stored] : values) {
    if (base::EqualsIgnoreCaseAscii(key, name)) {
      stored = value;
      return Save(values);
    }
  }
  values.emplace_back(name, value);
  return Save(values);
}

bool SettingsStore::DeleteValue(const std::string& name) {
  std::lock_guard lock(mutex_);
  Values values;
  if (Load(values) != Access::Ok) return false;
  const auto removed = std::erase_if(
      values, [&](const auto& entry) { return base::EqualsIgnoreCaseAscii(entry.first, name); });
  return removed > 0 && Save(values);
}

int SettingsStore::ReadLcid() {
  std::lock_guard lock(mutex_);
  Values values;
  switch (Load(values)) {
    case Access::Ok:
      return base::ToInt(Find(values, "LCID").value_or(""));
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
  Values values;
  if (Load(values) != Access::Ok) return 0;
  return base::ToInt(Find(values, "DeviceType").value_or(""));
}

int SettingsStore::ReadSelectedModel() {
  const int stored = ReadDeviceType();
  return stored < 100 ? kDefaultModel : stored;
}

bool SettingsStore::WriteDeviceType(int modelId) {
  return SetRegString("DeviceType", std::to_string(modelId));
}

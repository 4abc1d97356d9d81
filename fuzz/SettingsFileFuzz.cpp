// Feeds arbitrary bytes to the settings store as the content of its file, reads the values
// the application reads, stores one value and deletes another. Storing a value must keep every
// other value of the file, and the stored text (line ends and backslashes included) must read
// back as it was given.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/Text.h"
#include "core/SettingsStore.h"
#include "fuzz/FuzzSupport.h"

namespace {

using fuzz::Require;

constexpr std::size_t kMaxInput = 64 * 1024;
constexpr std::size_t kMaxNames = 16;

// The names the file seems to give values to: the text before "=" on each line. Asking for
// more names than the store holds is harmless; these are the ones whose values must survive.
std::vector<std::string> NamesIn(std::string_view text) {
  std::vector<std::string> names;
  while (!text.empty() && names.size() < kMaxNames) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view name = base::Trim(line.substr(0, equals));
    if (!name.empty()) names.emplace_back(name);
  }
  return names;
}

using Values = std::vector<std::pair<std::string, std::string>>;

Values ReadValues(SettingsStore& store, const std::vector<std::string>& names) {
  Values values;
  for (const std::string& name : names) values.emplace_back(name, store.GetRegString(name));
  return values;
}

void CheckReads(SettingsStore& store, const std::vector<std::string>& names) {
  for (const std::string& name : names) {
    Require(store.GetRegInt(name) == base::ToInt(store.GetRegString(name)),
            "a number is its text read by the text-to-integer rule");
  }
  Require(store.ReadSelectedModel() >= 100, "the selected model is a model id");
  Require(store.ReadDeviceType() == store.GetRegInt("DeviceType"), "DeviceType is one value");
  Require(store.ReadLcid() == store.GetRegInt("LCID"), "LCID is one value");
}

// Values of names other than `changed` are as before.
void CheckKept(SettingsStore& store, const Values& before, std::string_view changed) {
  for (const auto& [name, value] : before) {
    if (base::EqualsIgnoreCaseAscii(name, changed)) continue;
    Require(store.GetRegString(name) == value, "storing a value keeps the others");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInput) return 0;
  const std::string_view content = fuzz::AsText({data, size});
  const std::filesystem::path file = fuzz::ScratchFolder() / "settings" / "settings.ini";
  fuzz::WriteFile(file, content);

  SettingsStore store(file);
  const std::vector<std::string> names = NamesIn(content);
  CheckReads(store, names);
  const Values before = ReadValues(store, names);

  // A value with every character the file format has to escape.
  const std::string stored = "a\\b\nc\rd=e\\n " + std::string(content.substr(0, 32));
  Require(store.SetRegString("FuzzValue", stored), "a value is stored in an existing file");
  Require(store.GetRegString("fuzzvalue") == stored, "a stored value reads back");
  CheckKept(store, before, "FuzzValue");
  CheckReads(store, names);

  if (!names.empty()) {
    const Values kept = ReadValues(store, names);
    if (store.DeleteValue(names.front())) {
      Require(store.GetRegString(names.front()).empty(), "a deleted value is gone");
      CheckKept(store, kept, names.front());
    }
  }
  return 0;
}

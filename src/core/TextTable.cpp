#include "core/TextTable.h"

#include <fstream>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "base/Log.h"
#include "base/Text.h"

namespace core {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// Far above any real table (the shipped ones hold a few kilobytes); a larger file is not one.
constexpr std::size_t kMaxTableBytes = 4 * 1024 * 1024;

// The file's bytes; none when it cannot be opened or read, or is far too large to be a table.
std::optional<std::string> ReadTableFile(const std::filesystem::path& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error || size > kMaxTableBytes) return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  std::string content(static_cast<std::size_t>(size), '\0');
  if (!file || !file.read(content.data(), static_cast<std::streamsize>(size))) return std::nullopt;
  return content;
}

// A value wholly enclosed in double quotes keeps what is between them, blanks included.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

// One parsed table file: section -> key -> value, with section and key in lower case.
class TextTable::Table {
 public:
  static Table Parse(std::string_view content) {
    Table table;
    if (content.starts_with(kUtf8ByteOrderMark)) content.remove_prefix(kUtf8ByteOrderMark.size());
    Entries* section = nullptr;
    while (!content.empty()) {
      const std::size_t end = content.find('\n');
      const std::string_view line = base::Trim(content.substr(0, end));
      content.remove_prefix(end == std::string_view::npos ? content.size() : end + 1);
      if (line.empty() || line.front() == ';') continue;
      if (line.front() == '[') {
        section = &table.sections_[SectionName(line)];
      } else if (section != nullptr) {
        AddEntry(*section, line);
      }
    }
    return table;
  }

  const std::string* Find(std::string_view section, std::string_view key) const {
    const auto entries = sections_.find(base::ToLowerAscii(section));
    if (entries == sections_.end()) return nullptr;
    const auto entry = entries->second.find(base::ToLowerAscii(key));
    return entry == entries->second.end() ? nullptr : &entry->second;
  }

 private:
  using Entries = std::unordered_map<std::string, std::string>;

  // "[name]" gives name; a line without the closing bracket names the rest of the line.
  static std::string SectionName(std::string_view line) {
    std::string_view name = line.substr(1);
    name = name.substr(0, name.find(']'));
    return base::ToLowerAscii(base::Trim(name));
  }

  // A later line with a key already seen does not replace the first one; a line without "="
  // is a key whose value is empty.
  static void AddEntry(Entries& entries, std::string_view line) {
    const std::size_t equals = line.find('=');
    const std::string_view key = base::Trim(line.substr(0, equals));
    std::string_view value;
    if (equals != std::string_view::npos) value = Unquote(base::Trim(line.substr(equals + 1)));
    entries.try_emplace(base::ToLowerAscii(key), base::CodePointPrefix(value, kMaxTextLength));
  }

  // Sections of the same name are merged; their keys keep file order for "first match wins".
  std::unordered_map<std::string, Entries> sections_;
};

TextTable::TextTable(std::filesystem::path appFolder, int language)
    : appFolder_(std::move(appFolder)), language_(language) {}

TextTable::~TextTable() = default;

void TextTable::SetLanguage(int language) {
  const std::lock_guard lock(mutex_);
  if (language == language_) return;
  language_ = language;
  table_.reset();
}

int TextTable::Language() const {
  const std::lock_guard lock(mutex_);
  return language_;
}

std::filesystem::path TextTable::TablePath(int language) const {
  return appFolder_ / "language" / (std::to_string(language) + ".lan");
}

std::string TextTable::GetText(std::string_view section, int id) const {
  return GetValue(section, std::to_string(id));
}

std::string TextTable::GetValue(std::string_view section, std::string_view key) const {
  const std::shared_ptr<const Table> table = CurrentTable();
  const std::string* value = table->Find(section, key);
  return value == nullptr ? std::string() : *value;
}

std::shared_ptr<const TextTable::Table> TextTable::CurrentTable() const {
  const std::lock_guard lock(mutex_);
  if (!table_) {
    const std::filesystem::path path = TablePath(language_);
    std::optional<std::string> content = ReadTableFile(path);
    if (!content && language_ != kDefaultLanguage) {
      // English texts are better than an empty window.
      base::ErrorLog("cannot read the language table %s; the texts are shown in English",
                     path.c_str());
      content = ReadTableFile(TablePath(kDefaultLanguage));
    }
    if (!content) base::ErrorLog("cannot read the language table %s", path.c_str());
    table_ = std::make_shared<const Table>(Table::Parse(content.value_or("")));
  }
  return table_;
}

}  // namespace core

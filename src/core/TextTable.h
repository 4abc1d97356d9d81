#pragma once
// The language tables: every text the application shows is looked up by section and number in
// "language/<language id>.lan" of the application folder.
//
// The files use the private-profile layout: "[SECTION]" lines, then "key=value" lines. Section
// and key match without regard to ASCII case, the first match in the file wins, blanks around
// key and value are dropped, a value wholly enclosed in double quotes loses them, and a value
// is cut to 259 characters (code points). A missing section or key gives the empty text; a
// table that cannot be read is replaced by the English one (1033), with a line on standard
// error.

#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace core {

class TextTable {
 public:
  // Longest text handed out, in code points; longer values are cut.
  static constexpr std::size_t kMaxTextLength = 259;
  // Language used until SetLanguage is called (English, United States).
  static constexpr int kDefaultLanguage = 1033;

  // `appFolder` is the folder that holds "language/".
  explicit TextTable(std::filesystem::path appFolder, int language = kDefaultLanguage);
  ~TextTable();

  TextTable(const TextTable&) = delete;
  TextTable& operator=(const TextTable&) = delete;

  // The current language (a Windows language identifier such as 1033, 2052 or 1028). Changing
  // it drops the cached table; the new one is read on the next look-up.
  void SetLanguage(int language);
  int Language() const;

  // The text with key `id` (decimal) in `section` of the current language's table.
  std::string GetText(std::string_view section, int id) const;

  // The value of any key in `section` of the current language's table.
  std::string GetValue(std::string_view section, std::string_view key) const;

  // The file that holds the texts of `language`.
  std::filesystem::path TablePath(int language) const;

 private:
  class Table;

  std::shared_ptr<const Table> CurrentTable() const;

  const std::filesystem::path appFolder_;
  mutable std::mutex mutex_;
  int language_;
  // Parsed once per language; replaced when the language changes. Readers keep their own
  // reference, so a language switch never invalidates a look-up in progress.
  mutable std::shared_ptr<const Table> table_;
};

}  // namespace core

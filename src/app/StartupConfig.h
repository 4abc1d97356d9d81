#pragma once
// What the entry point reads from "config.xml" before the main window exists: the product name
// and the supported languages.

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

struct StartupConfig {
  std::optional<std::string> productName;  // "software" / "name"; none keeps the toolkit's default
  std::set<int> languages;                 // "language.info" / "lan" / "value"
  // Why the file cannot be used (it cannot be read, is not a configuration, or names the
  // product with something that cannot name a folder); empty when it can.
  std::string error;
};

// A missing "software" element or name leaves the name empty, missing languages the set. A file
// that cannot be read is an error: going on with the default name would put the user's data in
// other folders without a word.
StartupConfig ReadStartupConfig(const std::filesystem::path& appFolder);

// Whether a product name can name folders and sockets as it stands: one path component of
// printable UTF-8 text, at most 64 bytes, without separators, not starting with a dot, a dash
// or a blank and not ending with a blank.
bool IsPlainPathComponent(std::string_view name);

#pragma once
// What the entry point reads from "config.xml" before the main window exists: the product name
// and the supported languages.

#include <filesystem>
#include <optional>
#include <set>
#include <string>

struct StartupConfig {
  std::optional<std::string> productName;  // "software" / "name"; none keeps the toolkit's default
  std::set<int> languages;                 // "language.info" / "lan" / "value"
};

// Missing file or elements leave the fields empty.
StartupConfig ReadStartupConfig(const std::filesystem::path& appFolder);

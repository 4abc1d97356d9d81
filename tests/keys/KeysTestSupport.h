#pragma once
// A language folder written by the test: every text the key names use reads "<tag><number>",
// so a test can tell which text a name came from and in which language.

#include <fstream>
#include <string>

#include "support/TempFolder.h"

class TestLanguages {
 public:
  TestLanguages() {
    std::filesystem::create_directories(folder_ / "language");
    Write(1033, "en");
    Write(2052, "zh");
  }

  const std::filesystem::path& AppFolder() const { return folder_.Path(); }

  static std::string Text(const std::string& tag, int id) { return tag + std::to_string(id); }

 private:
  void Write(int language, const std::string& tag) {
    std::ofstream file(folder_ / ("language/" + std::to_string(language) + ".lan"));
    file << "[KB.DIALOG]\n";
    for (int id = 1; id < 600; ++id) file << id << '=' << Text(tag, id) << '\n';
  }

  TempFolder folder_;
};

#pragma once
// What the fuzz entry points share: a check that stops the run with a message when an
// invariant breaks, a reader that takes typed pieces off the input, and a private folder for
// parsers that only read files.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

#include "tests/support/TempFolder.h"

namespace fuzz {

inline void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken invariant: %s\n", what);
  std::abort();
}

// Takes pieces off the front of the input; past its end every piece is zero or empty.
class InputReader {
 public:
  InputReader(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

  std::uint8_t Byte() {
    if (bytes_.empty()) return 0;
    const std::uint8_t value = bytes_.front();
    bytes_ = bytes_.subspan(1);
    return value;
  }
  // Little-endian, from up to four bytes.
  std::uint32_t Word32() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return value;
  }
  int Int() { return static_cast<int>(Word32()); }
  std::span<const std::uint8_t> Bytes(std::size_t count) {
    const std::size_t taken = std::min(count, bytes_.size());
    const auto piece = bytes_.first(taken);
    bytes_ = bytes_.subspan(taken);
    return piece;
  }
  std::span<const std::uint8_t> Rest() { return Bytes(bytes_.size()); }
  bool Empty() const { return bytes_.empty(); }

 private:
  std::span<const std::uint8_t> bytes_;
};

inline std::string_view AsText(std::span<const std::uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// One folder per process, removed when it ends normally.
inline const std::filesystem::path& ScratchFolder() {
  static const TempFolder folder;
  return folder.Path();
}

inline void WriteFile(const std::filesystem::path& path, std::string_view content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  Require(static_cast<bool>(out), "the scratch file is written");
}

}  // namespace fuzz

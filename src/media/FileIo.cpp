#include "media/FileIo.h"

#include <fstream>
#include <random>
#include <system_error>

namespace media {
namespace {

namespace fs = std::filesystem;

void SetError(std::string* error, const std::string& text) {
  if (error != nullptr) *error = text;
}

fs::path TemporaryBeside(const fs::path& path) {
  std::random_device random;
  return path.parent_path() /
         ("." + path.filename().string() + "." + std::to_string(random() & 0xFFFFFF) + ".tmp");
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const fs::path& path, std::size_t maxBytes,
                                                       std::string* error) {
  std::error_code code;
  if (!fs::is_regular_file(path, code)) {
    SetError(error, "no such file: " + path.string());
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    SetError(error, "cannot open " + path.string());
    return std::nullopt;
  }
  std::vector<std::uint8_t> bytes;
  constexpr std::size_t kStep = 64 * 1024;
  while (in) {
    const std::size_t filled = bytes.size();
    if (filled > maxBytes) break;
    bytes.resize(filled + kStep);
    in.read(reinterpret_cast<char*>(bytes.data() + filled), static_cast<std::streamsize>(kStep));
    bytes.resize(filled + static_cast<std::size_t>(in.gcount()));
  }
  if (bytes.size() > maxBytes) {
    SetError(error, "file too large: " + path.string());
    return std::nullopt;
  }
  if (in.bad()) {
    SetError(error, "cannot read " + path.string());
    return std::nullopt;
  }
  return bytes;
}

bool WriteFileAtomically(const fs::path& path, std::span<const std::uint8_t> bytes,
                         std::string* error) {
  const fs::path temporary = TemporaryBeside(path);
  std::error_code code;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) {
      SetError(error, "cannot create " + temporary.string());
      return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temporary, code);
      SetError(error, "cannot write " + temporary.string());
      return false;
    }
  }
  fs::rename(temporary, path, code);
  if (code) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
    SetError(error, "cannot replace " + path.string() + ": " + code.message());
    return false;
  }
  return true;
}

}  // namespace media

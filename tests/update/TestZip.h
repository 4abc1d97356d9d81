#pragma once
// Zip archives for tests, written with minizip's writer: any stored name (hostile ones too),
// Unix file types and modes, stored or deflated data, and a way to damage stored data after
// the CRC was recorded.

#include <minizip/zip.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace testzip {

struct Entry {
  std::string name;
  std::string data;
  unsigned mode = S_IFREG | 0644;  // Unix type and permissions
  bool stored = false;             // no compression (the data appears verbatim in the file)
};

inline Entry File(std::string name, std::string data, unsigned permissions = 0644) {
  return Entry{std::move(name), std::move(data), S_IFREG | permissions, false};
}

inline void Write(const std::filesystem::path& file, const std::vector<Entry>& entries) {
  zipFile zip = zipOpen64(file.c_str(), APPEND_STATUS_CREATE);
  if (zip == nullptr) throw std::runtime_error("cannot create " + file.string());
  constexpr unsigned long kMadeByUnix = (3u << 8) | 20u;
  for (const Entry& entry : entries) {
    zip_fileinfo info{};
    info.external_fa = static_cast<uLong>(entry.mode) << 16;
    const int method = entry.stored ? 0 : Z_DEFLATED;
    const bool opened =
        zipOpenNewFileInZip4_64(zip, entry.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                method, Z_DEFAULT_COMPRESSION, 0, -MAX_WBITS, DEF_MEM_LEVEL,
                                Z_DEFAULT_STRATEGY, nullptr, 0, kMadeByUnix, 0, 0) == ZIP_OK;
    const bool written =
        opened && zipWriteInFileInZip(zip, entry.data.data(),
                                      static_cast<unsigned>(entry.data.size())) == ZIP_OK;
    if (!written || zipCloseFileInZip(zip) != ZIP_OK) {
      zipClose(zip, nullptr);
      throw std::runtime_error("cannot write " + entry.name);
    }
  }
  if (zipClose(zip, nullptr) != ZIP_OK) throw std::runtime_error("cannot close " + file.string());
}

// Flips one byte of stored data, so that the entry's recorded CRC no longer matches.
inline void DamageStoredData(const std::filesystem::path& file, const std::string& storedData) {
  std::string bytes;
  {
    std::ifstream in(file, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  const std::size_t at = bytes.find(storedData);
  if (at == std::string::npos) throw std::runtime_error("stored data not found");
  bytes[at + storedData.size() / 2] ^= 0x20;
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace testzip

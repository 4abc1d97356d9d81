#include "platform/Archive.h"

#include <fcntl.h>
#include <minizip/unzip.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <random>
#include <system_error>

#include "base/Log.h"
#include "platform/UniqueFd.h"

namespace fs = std::filesystem;

namespace platform {

namespace {

constexpr std::size_t kMaxNameBytes = 4096;
constexpr std::size_t kMaxPartBytes = 255;
constexpr std::size_t kReadBlock = 64 * 1024;
constexpr unsigned kHostUnix = 3;
constexpr unsigned kHostMacOs = 19;
constexpr unsigned long kDosFolderAttribute = 0x10;
constexpr unsigned long kEncryptedFlag = 0x1;

struct ZipClose {
  void operator()(void* zip) const { unzClose(zip); }
};
using ZipReader = std::unique_ptr<void, ZipClose>;

enum class EntryKind { File, Folder, Special };

struct Entry {
  std::string name;
  unz_file_info64 info{};
  EntryKind kind = EntryKind::File;
  bool executable = false;
};

std::vector<std::string> SplitName(std::string_view name) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start < name.size()) {
    const std::size_t slash = std::min(name.find('/', start), name.size());
    parts.emplace_back(name.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

EntryKind KindOf(const unz_file_info64& info, std::string_view name) {
  const unsigned host = static_cast<unsigned>(info.version >> 8);
  const bool trailingSlash = name.ends_with('/');
  if (host == kHostUnix || host == kHostMacOs) {
    const unsigned type = static_cast<unsigned>(info.external_fa >> 16) & S_IFMT;
    if (type == S_IFDIR) return EntryKind::Folder;
    if (type == S_IFREG) return trailingSlash ? EntryKind::Special : EntryKind::File;
    if (type != 0) return EntryKind::Special;  // links, devices, pipes, sockets
  } else if ((info.external_fa & kDosFolderAttribute) != 0) {
    return EntryKind::Folder;
  }
  return trailingSlash ? EntryKind::Folder : EntryKind::File;
}

bool IsExecutable(const unz_file_info64& info) {
  const unsigned host = static_cast<unsigned>(info.version >> 8);
  if (host != kHostUnix && host != kHostMacOs) return false;
  return ((info.external_fa >> 16) & 0111) != 0;
}

bool ReadCurrentEntry(unzFile zip, Entry& entry) {
  if (unzGetCurrentFileInfo64(zip, &entry.info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return false;
  }
  entry.name.assign(entry.info.size_filename, '\0');
  if (unzGetCurrentFileInfo64(zip, &entry.info, entry.name.data(), entry.name.size(), nullptr, 0,
                              nullptr, 0) != UNZ_OK) {
    return false;
  }
  entry.kind = KindOf(entry.info, entry.name);
  entry.executable = IsExecutable(entry.info);
  return true;
}

ArchiveResult Failure(ArchiveStatus status, std::string entry = {}) {
  ArchiveResult result;
  result.status = status;
  result.entry = std::move(entry);
  return result;
}

// Goes through every entry once and refuses the archive before anything is written.
ArchiveResult CheckEntries(unzFile zip, const ArchiveLimits& limits, std::vector<Entry>& entries) {
  unz_global_info64 global{};
  if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) return Failure(ArchiveStatus::Damaged);
  if (global.number_entry > limits.maxEntries) return Failure(ArchiveStatus::TooLarge);
  if (global.number_entry == 0) return Failure(ArchiveStatus::Ok);
  std::uint64_t total = 0;
  int step = unzGoToFirstFile(zip);
  for (; step == UNZ_OK; step = unzGoToNextFile(zip)) {
    Entry entry;
    if (!ReadCurrentEntry(zip, entry)) return Failure(ArchiveStatus::Damaged);
    if (entries.size() >= limits.maxEntries) return Failure(ArchiveStatus::TooLarge, entry.name);
    if (!IsSafeEntryName(entry.name) || entry.kind == EntryKind::Special) {
      return Failure(ArchiveStatus::UnsafeEntry, entry.name);
    }
    const unsigned long method = entry.info.compression_method;
    if ((entry.info.flag & kEncryptedFlag) != 0 || (method != 0 && method != Z_DEFLATED)) {
      return Failure(ArchiveStatus::Unsupported, entry.name);
    }
    const std::uint64_t size = entry.info.uncompressed_size;
    if (size > limits.maxEntryBytes || size > limits.maxTotalBytes - total) {
      return Failure(ArchiveStatus::TooLarge, entry.name);
    }
    total += size;
    entries.push_back(std::move(entry));
  }
  if (step != UNZ_END_OF_LIST_OF_FILE) return Failure(ArchiveStatus::Damaged);
  return Failure(ArchiveStatus::Ok);
}

// Opens the folders of `parts` below `root`, creating missing ones; a part that is a link or
// not a folder fails, so nothing is ever written outside the root.
UniqueFd OpenFolderChain(int root, const std::vector<std::string>& parts) {
  UniqueFd current(::fcntl(root, F_DUPFD_CLOEXEC, 0));
  for (const std::string& part : parts) {
    if (!current.IsValid()) break;
    if (::mkdirat(current.Get(), part.c_str(), 0755) != 0 && errno != EEXIST) return {};
    current = UniqueFd(
        ::openat(current.Get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
  return current;
}

// A file being written under a temporary name; removed unless committed.
class PendingFile {
 public:
  PendingFile(int folder, mode_t mode) : folder_(folder) {
    std::random_device random;
    for (int attempt = 0; attempt < 16 && !file_.IsValid(); ++attempt) {
      name_ = ".extract-" + std::to_string(random()) + std::to_string(random());
      file_ = UniqueFd(::openat(folder_, name_.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
      if (!file_.IsValid() && errno != EEXIST) break;
    }
    if (file_.IsValid() && ::fchmod(file_.Get(), mode) != 0) Discard();
  }
  ~PendingFile() { Discard(); }
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  bool IsValid() const { return file_.IsValid(); }
  bool Write(const char* data, std::size_t size) {
    while (size > 0) {
      const ssize_t written = ::write(file_.Get(), data, size);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      data += written;
      size -= static_cast<std::size_t>(written);
    }
    return true;
  }
  bool Commit(const std::string& finalName) {
    if (::fsync(file_.Get()) != 0 || ::close(file_.Release()) != 0) return false;
    if (::renameat(folder_, name_.c_str(), folder_, finalName.c_str()) != 0) return false;
    name_.clear();
    return true;
  }

 private:
  void Discard() {
    file_.Reset();
    if (!name_.empty()) ::unlinkat(folder_, name_.c_str(), 0);
    name_.clear();
  }

  int folder_;
  UniqueFd file_;
  std::string name_;
};

// The entry opened for reading; closed (and its CRC checked) by Finish, or on destruction.
class OpenEntry {
 public:
  explicit OpenEntry(unzFile zip) : zip_(zip), open_(unzOpenCurrentFile(zip) == UNZ_OK) {}
  ~OpenEntry() {
    if (open_) unzCloseCurrentFile(zip_);
  }
  OpenEntry(const OpenEntry&) = delete;
  OpenEntry& operator=(const OpenEntry&) = delete;

  bool IsOpen() const { return open_; }
  int Read(char* buffer, unsigned size) { return unzReadCurrentFile(zip_, buffer, size); }
  // UNZ_CRCERROR when the data read does not match the recorded CRC.
  int Finish() {
    open_ = false;
    return unzCloseCurrentFile(zip_);
  }

 private:
  unzFile zip_;
  bool open_;
};

class Extractor {
 public:
  Extractor(unzFile zip, int root, const ArchiveLimits& limits)
      : zip_(zip), root_(root), limits_(limits) {}

  ArchiveStatus Extract(const Entry& entry) {
    std::vector<std::string> parts = SplitName(entry.name);
    if (entry.kind == EntryKind::Folder) {
      return OpenFolderChain(root_, parts).IsValid() ? ArchiveStatus::Ok
                                                     : ArchiveStatus::WriteFailed;
    }
    const std::string leaf = parts.back();
    parts.pop_back();
    const UniqueFd folder = OpenFolderChain(root_, parts);
    if (!folder.IsValid()) return ArchiveStatus::WriteFailed;
    return ExtractFile(entry, folder.Get(), leaf);
  }

 private:
  ArchiveStatus ExtractFile(const Entry& entry, int folder, const std::string& leaf) {
    OpenEntry reader(zip_);
    if (!reader.IsOpen()) return ArchiveStatus::Damaged;
    PendingFile file(folder, entry.executable ? 0755 : 0644);
    if (!file.IsValid()) return ArchiveStatus::WriteFailed;
    std::vector<char> buffer(kReadBlock);
    std::uint64_t size = 0;
    while (true) {
      const int read = reader.Read(buffer.data(), static_cast<unsigned>(buffer.size()));
      if (read < 0) return ArchiveStatus::Damaged;
      if (read == 0) break;
      size += static_cast<std::uint64_t>(read);
      // The recorded sizes were checked, but the data may inflate beyond them.
      if (size > limits_.maxEntryBytes || size > limits_.maxTotalBytes - total_) {
        return ArchiveStatus::TooLarge;
      }
      if (!file.Write(buffer.data(), static_cast<std::size_t>(read)))
        return ArchiveStatus::WriteFailed;
    }
    if (reader.Finish() != UNZ_OK || size != entry.info.uncompressed_size)
      return ArchiveStatus::Damaged;
    if (!file.Commit(leaf)) return ArchiveStatus::WriteFailed;
    total_ += size;
    return ArchiveStatus::Ok;
  }

  unzFile zip_;
  int root_;
  const ArchiveLimits& limits_;
  std::uint64_t total_ = 0;
};

}  // namespace

const char* ToString(ArchiveStatus status) {
  switch (status) {
    case ArchiveStatus::Ok:
      return "ok";
    case ArchiveStatus::CannotOpen:
      return "cannot open";
    case ArchiveStatus::UnsafeEntry:
      return "unsafe entry";
    case ArchiveStatus::Unsupported:
      return "unsupported entry";
    case ArchiveStatus::TooLarge:
      return "too large";
    case ArchiveStatus::Damaged:
      return "damaged";
    case ArchiveStatus::WriteFailed:
      return "write failed";
  }
  return "unknown";
}

bool IsSafeEntryName(std::string_view name) {
  if (name.empty() || name.size() > kMaxNameBytes || name.front() == '/') return false;
  const bool badCharacter = std::any_of(name.begin(), name.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte < 0x20 || byte == 0x7F || c == '\\';
  });
  if (badCharacter) return false;
  // A trailing slash marks a folder; any other empty part ("a//b") is refused.
  const std::string_view path = name.ends_with('/') ? name.substr(0, name.size() - 1) : name;
  const std::vector<std::string> parts = SplitName(path);
  if (parts.empty() || path.ends_with('/')) return false;
  return std::none_of(parts.begin(), parts.end(), [](const std::string& part) {
    return part.empty() || part == "." || part == ".." || part.size() > kMaxPartBytes;
  });
}

ArchiveResult ExtractArchive(const fs::path& archive, const fs::path& folder,
                             const ArchiveLimits& limits) {
  ZipReader zip(unzOpen64(archive.c_str()));
  if (!zip) return Failure(ArchiveStatus::CannotOpen);
  std::vector<Entry> entries;
  ArchiveResult result = CheckEntries(zip.get(), limits, entries);
  if (result.status != ArchiveStatus::Ok) {
    base::DebugLog("archive: %s refused: %s %s", archive.c_str(), ToString(result.status),
                   result.entry.c_str());
    return result;
  }
  const UniqueFd root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!root.IsValid()) return Failure(ArchiveStatus::WriteFailed);

  Extractor extractor(zip.get(), root.Get(), limits);
  std::vector<std::string> written;
  std::size_t index = 0;
  int step = unzGoToFirstFile(zip.get());
  for (; step == UNZ_OK && index < entries.size(); step = unzGoToNextFile(zip.get()), ++index) {
    const Entry& entry = entries[index];
    const ArchiveStatus status = extractor.Extract(entry);
    if (status != ArchiveStatus::Ok) {
      result = Failure(status, entry.name);
      break;
    }
    if (entry.kind == EntryKind::File) written.push_back(entry.name);
  }
  if (result.status == ArchiveStatus::Ok && index != entries.size()) {
    result = Failure(ArchiveStatus::Damaged);
  }
  if (result.status != ArchiveStatus::Ok) {
    // Leave no part of a failed extraction behind.
    for (const std::string& name : written) {
      std::error_code error;
      fs::remove(folder / name, error);
    }
    base::DebugLog("archive: %s failed at %s: %s", archive.c_str(), result.entry.c_str(),
                   ToString(result.status));
    return result;
  }
  result.extracted = std::move(written);
  return result;
}

}  // namespace platform

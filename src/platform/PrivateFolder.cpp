#include "platform/PrivateFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/UniqueFd.h"

namespace platform {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;

bool Fail(std::string* error, const std::filesystem::path& folder, const std::string& why) {
  if (error != nullptr) *error = folder.string() + ": " + why;
  return false;
}

bool FailErrno(std::string* error, const std::filesystem::path& folder, const char* what) {
  return Fail(error, folder, std::string(what) + ": " + std::strerror(errno));
}

// Each missing part of the path is made with mode 0700, as the desktop's folder rules ask.
bool CreateMissingFolders(const std::filesystem::path& folder, std::string* error) {
  std::filesystem::path current;
  for (const std::filesystem::path& part : folder) {
    current /= part;
    struct stat existing {};
    if (::stat(current.c_str(), &existing) == 0) continue;
    if (::mkdir(current.c_str(), kPrivateFolderMode) != 0 && errno != EEXIST) {
      return FailErrno(error, current, "cannot create the folder");
    }
  }
  return true;
}

}  // namespace

bool PreparePrivateFolder(const std::filesystem::path& folder, FolderLinks links,
                          std::string* error) {
  if (folder.empty()) return Fail(error, folder, "no folder given");
  if (!CreateMissingFolders(folder, error)) return false;
  // Checked and narrowed through one descriptor, so the path cannot be swapped in between.
  const int noFollow = links == FolderLinks::kRefuse ? O_NOFOLLOW : 0;
  const UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | noFollow));
  if (!fd.IsValid()) {
    const int openError = errno;
    // With O_DIRECTORY a link that is not followed reads as "not a folder".
    struct stat link {};
    const bool isLink = ::lstat(folder.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    if (openError == ELOOP || (openError == ENOTDIR && isLink)) {
      return Fail(error, folder, "is a symbolic link, not a folder");
    }
    if (openError == ENOTDIR) return Fail(error, folder, "is not a folder");
    errno = openError;
    return FailErrno(error, folder, "cannot open the folder");
  }
  struct stat info {};
  if (::fstat(fd.Get(), &info) != 0) return FailErrno(error, folder, "cannot look at the folder");
  if (info.st_uid != ::geteuid()) return Fail(error, folder, "belongs to another user");
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    return Fail(error, folder, "other users may write into it");
  }
  if ((info.st_mode & 07777) != kPrivateFolderMode && ::fchmod(fd.Get(), kPrivateFolderMode) != 0) {
    return FailErrno(error, folder, "cannot make the folder private");
  }
  return true;
}

void KeepNewFilesPrivate() {
  const mode_t mask = ::umask(0);
  ::umask(mask | S_IRWXG | S_IRWXO);
}

}  // namespace platform

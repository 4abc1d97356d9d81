#include "base/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace base {

namespace {

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what + ": " + std::strerror(errno);
  return false;
}

// The process's umask, read without changing it (umask() would change it for every other thread
// for a moment); 077 when it cannot be read, which errs on the private side.
mode_t CurrentUmask() {
  std::FILE* status = std::fopen("/proc/self/status", "re");
  if (status == nullptr) return 077;
  char line[256];
  mode_t mask = 077;
  while (std::fgets(line, sizeof line, status) != nullptr) {
    unsigned value = 0;
    if (std::sscanf(line, "Umask: %o", &value) == 1) {
      mask = static_cast<mode_t>(value & 0777);
      break;
    }
  }
  std::fclose(status);
  return mask;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                         std::string* error, mode_t mode) {
  const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
  std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) return Fail(error, "cannot create a file in " + folder.string());
  struct stat existing {};
  const mode_t wanted =
      ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : (mode & ~CurrentUmask());
  const bool written = ::fchmod(fd, wanted) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  const int savedErrno = errno;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    errno = written ? errno : savedErrno;
    Fail(error, "cannot write " + path.string());
    ::unlink(temporary.c_str());
    return false;
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    Fail(error, "cannot replace " + path.string());
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace base

#include "platform/Desktop.h"

#include <spawn.h>
#include <sys/wait.h>

#include <thread>

#include "base/Text.h"

extern char** environ;

namespace platform {

bool OpenUrl(const std::string& url) {
  const std::string lower = base::ToLowerAscii(url);
  const bool allowed =
      lower.starts_with("https://") || lower.starts_with("http://") || lower.starts_with("mailto:");
  if (!allowed || url.find('\n') != std::string::npos) return false;
  std::string program = "xdg-open";
  std::string argument = url;
  char* argv[] = {program.data(), argument.data(), nullptr};
  pid_t child = 0;
  if (posix_spawnp(&child, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
  // xdg-open returns once the browser has the address; reap it without holding anyone up.
  std::thread([child] {
    int status = 0;
    waitpid(child, &status, 0);
  }).detach();
  return true;
}

}  // namespace platform

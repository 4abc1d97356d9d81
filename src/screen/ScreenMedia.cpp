#include "screen/ScreenMedia.h"

#include <algorithm>
#include <system_error>

#include "base/Text.h"

namespace screen {

namespace fs = std::filesystem;

int ClampFrameDelay(int delayMs) {
  return std::clamp(delayMs, kShortestFrameDelayMs, kLongestFrameDelayMs);
}

int ParseFrameDelay(std::string_view text) {
  return ClampFrameDelay(base::ToInt(text));
}

fs::path UserScreenGif(const fs::path& dataFolder, const std::string& model, int screen) {
  return dataFolder / "default_gif" / model / (std::to_string(screen) + ".gif");
}

fs::path FactoryScreenGif(const fs::path& appFolder, const std::string& model, int screen) {
  return appFolder / "gif" / model / (std::to_string(screen) + ".gif");
}

fs::path ConverterPath(const fs::path& appFolder) {
  return appFolder / "gif" / "qgif";
}

fs::path ConvertedImagePath(const fs::path& dataFolder, int number) {
  return dataFolder / ("gif_" + std::to_string(number) + ".bin");
}

std::vector<ScreenSource> CollectScreenSources(const fs::path& dataFolder,
                                               const fs::path& appFolder,
                                               const std::string& model) {
  std::vector<ScreenSource> sources;
  for (int screen = 0; screen < kScreenCount; ++screen) {
    std::error_code error;
    const fs::path user = UserScreenGif(dataFolder, model, screen);
    const fs::path factory = FactoryScreenGif(appFolder, model, screen);
    if (fs::is_regular_file(user, error)) {
      sources.push_back({screen, user, true});
    } else if (fs::is_regular_file(factory, error)) {
      sources.push_back({screen, factory, false});
    }
  }
  return sources;
}

}  // namespace screen

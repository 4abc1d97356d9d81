#pragma once
// What the screen page, its tasks and the upload share: the screens, where each screen's
// animation is found, the converted files, and the rules for frame delays.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace screen {

inline constexpr int kScreenCount = 3;
inline constexpr int kScreenWidth = 240;
inline constexpr int kScreenHeight = 136;

// Delays the user enters are kept between these (milliseconds).
inline constexpr int kShortestFrameDelayMs = 30;
inline constexpr int kLongestFrameDelayMs = 500;
// A frame whose GIF names no delay, when the library is first filled.
inline constexpr int kSeedFrameDelayMs = 100;
// The one frame of an imported still picture.
inline constexpr int kStillFrameDelayMs = 10;

int ClampFrameDelay(int delayMs);
// A delay typed by the user: the leading number (0 when there is none), clamped.
int ParseFrameDelay(std::string_view text);

// The GIF the user assigned to a screen: <data folder>/default_gif/<model>/<screen>.gif
std::filesystem::path UserScreenGif(const std::filesystem::path& dataFolder,
                                    const std::string& model, int screen);
// The factory GIF of a screen: <application folder>/gif/<model>/<screen>.gif
std::filesystem::path FactoryScreenGif(const std::filesystem::path& appFolder,
                                       const std::string& model, int screen);
// The converter: <application folder>/gif/qgif
std::filesystem::path ConverterPath(const std::filesystem::path& appFolder);
// Converted image n (1, 2, ...): <data folder>/gif_<n>.bin
std::filesystem::path ConvertedImagePath(const std::filesystem::path& dataFolder, int number);

struct ScreenSource {
  int screen = 0;
  std::filesystem::path gif;
  bool userChoice = false;  // the user's GIF, not the factory one
  bool operator==(const ScreenSource&) const = default;
};

// The animation of each screen 0 to 2 that has one: the user's GIF when it exists, else the
// factory GIF; screens with neither are left out.
std::vector<ScreenSource> CollectScreenSources(const std::filesystem::path& dataFolder,
                                               const std::filesystem::path& appFolder,
                                               const std::string& model);

}  // namespace screen

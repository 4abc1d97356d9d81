#pragma once
// The effect room's worker side: the screen-sync and music effects between the settings
// database, their sources and the keyboard. The effect mode chooses what lights the keys: the
// music visualizer (1), a picture, GIF or video (2), the whole screen (3), one window (4), or
// what the effect view draws itself (5 to 7). The sources run while the effect page is
// active; the device worker's idle cycle fills the effect view from them and streams the
// colours it gives the keys to the keyboard.
//
// No controls: what the worker needs of the effect view goes through EffectView.
//
// Threads: the operations that store and choose may be called from any thread (the page on
// the UI thread, a command line from its own); StreamEffectColors and SendPageSwitch run on
// the device worker. The sources run on threads of their own.

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lighting/Visualizer.h"
#include "platform/capture/ScreenCapture.h"
#include "platform/video/MediaPlayer.h"
#include "storage/Records.h"

class CurrentLayout;
class CurrentModel;
struct SharedState;
namespace device {
class KeyboardCommands;
class LightingCommands;
}  // namespace device
namespace storage {
class SettingsDatabase;
}

namespace lighting {

class KeyboardAudio;

// Effect modes: the data of the page's mode tabs, and those the controller knows besides.
enum EffectMode : int {
  kEffectMusic = 1,
  kEffectMedia = 2,
  kEffectScreen = 3,
  kEffectWindow = 4,
  kEffectLayers = 5,
  kEffectAmbient = 6,
  kEffectGame = 7,
};
inline constexpr int kFirstEffectMode = kEffectMusic;
inline constexpr int kLastEffectMode = kEffectGame;
inline constexpr int kDefaultEffectMode = kEffectMusic;
// The modes the page's tabs offer, in tab order.
inline constexpr std::array<int, 4> kEffectTabModes = {kEffectMusic, kEffectMedia, kEffectScreen,
                                                       kEffectLayers};
constexpr bool IsEffectMode(int mode) {
  return mode >= kFirstEffectMode && mode <= kLastEffectMode;
}
// Whether a mode follows the screen or a window (and needs a desktop that lets us read it).
constexpr bool FollowsScreen(int mode) {
  return mode == kEffectScreen || mode == kEffectWindow || mode == kEffectAmbient;
}

// The foreground pattern that draws no bars, and the one whose matrix lights the effect view
// draws over the music picture.
inline constexpr int kForegroundOff = 100;
inline constexpr int kMatrixLightsForeground = 22;

// A profile's music layer as stored (`t_musiclayer_data`): the foreground (bar) pattern, its
// amplitude (the wave gain; the page's slider shows a tenth of it), the background pattern and
// its brightness, and the brightness of the bars.
struct MusicLayer {
  int foreMode = 4;
  int amplitude = 300;
  int backMode = 0;
  int backBrightness = 100;
  int lightBrightness = 100;
  friend bool operator==(const MusicLayer&, const MusicLayer&) = default;
};

// One value of the music layer, as the page's controls change them.
enum class LayerValue { kForeMode, kAmplitude, kBackMode, kBackBrightness, kLightBrightness };

// The amplitude slider shows the stored value divided by ten; a slider value v is stored as
// v x 10.
inline constexpr int kAmplitudeSliderMax = 100;
constexpr int AmplitudeToSlider(int stored) {
  return stored / 10;
}
constexpr int AmplitudeFromSlider(int slider) {
  return slider * 10;
}

struct EffectKeyColor {
  int code = 0;
  std::uint32_t color = 0;  // 0x00BBGGRR
  friend bool operator==(const EffectKeyColor&, const EffectKeyColor&) = default;
};

// What the effect room asks of the effect view. Every call may come from any thread.
class EffectView {
 public:
  virtual ~EffectView() = default;
  virtual void SetEffectMode(int mode) = 0;
  // The colour map sized like the layout's key grid, and the lights beside and above it.
  virtual void SetMapSize(int rows, int columns) = 0;
  virtual void SetEdgeLights(int perSide, int top) = 0;
  virtual bool HasMap() const = 0;
  // The sources' pictures: the visualizer's 256 x 64 picture, the matrix lights read back over
  // it, and a grid of the screen, a window or a file.
  virtual void ShowMusicPicture(std::span<const std::uint32_t> picture) = 0;
  virtual void ShowMatrixLights() = 0;
  virtual void ShowGrid(const platform::ColorGrid& grid) = 0;
  // The keys take their cells' colours while the view is not on screen.
  virtual void DrawHidden() = 0;
  // The colour of every key, and of the side lights (left, then right) and the top lights.
  virtual std::vector<EffectKeyColor> KeyColors() const = 0;
  virtual std::vector<std::uint32_t> SideLightColors() const = 0;
  virtual std::vector<std::uint32_t> TopLightColors() const = 0;
};

// Where the sources stand, for the page and the command line.
struct EffectStatus {
  int mode = kDefaultEffectMode;
  bool active = false;  // the effect page was entered (and the light page not since)
  bool visualizerOn = false;
  platform::CaptureAvailability screen = platform::CaptureAvailability::Available;
  platform::CaptureState capture = platform::CaptureState::Stopped;
  platform::CaptureWindowId window = 0;
  std::filesystem::path file;
  platform::MediaState media = platform::MediaState::Idle;
  std::uint64_t framesSent = 0;
};

class EffectService {
 public:
  struct Sources {
    // Where the screen is read from; empty: $DISPLAY.
    std::string display;
    // Reads still pictures for the media source; without one they are read like videos.
    platform::PictureLoader pictures;
  };

  EffectService(SharedState& state, storage::SettingsDatabase& database,
                device::KeyboardCommands& keyboard, device::LightingCommands& lighting,
                const CurrentModel& model, const CurrentLayout& layout, KeyboardAudio& audio,
                Sources sources);
  ~EffectService();
  EffectService(const EffectService&) = delete;
  EffectService& operator=(const EffectService&) = delete;

  // Before the worker starts.
  void SetView(EffectView* view) { view_ = view; }

  // ---- The effect mode (any thread) -------------------------------------------------------
  int Mode() const { return mode_.load(); }
  // Stores the mode for the current profile and switches the sources over; false (nothing
  // changes) for a mode outside 1 to 7 or when it could not be stored.
  bool SetMode(int mode);
  // The current profile's stored mode made current (a profile was shown or applied).
  int LoadMode();

  // ---- Activity (UI thread) -----------------------------------------------------------------
  // The effect page was entered (true) or the light page was (false). The sources run and the
  // colours stream only while it is active.
  void SetActive(bool active);
  bool Active() const { return active_.load(); }
  // Entering the effect page queues the page-switch task after setting this once-only flag.
  void MarkPageSwitch() { pageSwitchOnce_.store(true); }

  // ---- The music layer (any thread) -------------------------------------------------------
  // The current profile's layer handed to the visualizer and the sound analysis; empty when
  // the profile has no layer row (the visualizer keeps its values then).
  std::optional<MusicLayer> LoadMusicLayer();
  // Stores one value in the current profile's layer and hands it on; false (nothing changes)
  // when the row is missing or could not be written. The amplitude is the stored value.
  bool SetLayerValue(LayerValue which, int value);
  // The current profile's layer as stored, without handing it on.
  std::optional<MusicLayer> StoredMusicLayer();

  // ---- Sources ------------------------------------------------------------------------------
  // Plays a picture, GIF or video in mode 2; false (nothing changes) when it is no regular
  // file.
  bool ChooseFile(const std::filesystem::path& file);
  // Whether the screen can be read here (asks the display once).
  platform::CaptureAvailability ScreenAvailability();
  // The windows that can be followed, topmost first.
  std::vector<platform::CaptureWindowEntry> ListWindows();
  // Follows a window in mode 4; false (nothing changes) when it no longer exists.
  bool FollowWindow(platform::CaptureWindowId window);
  EffectStatus CurrentStatus();
  Visualizer& GetVisualizer() { return visualizer_; }

  // ---- Worker -----------------------------------------------------------------------------
  // Idle cycle: while a keyboard is connected, the effect page is active and the device
  // overview is hidden, fills the effect view from the mode's source and sends the keys'
  // colours as one screen-sync frame.
  void StreamEffectColors();
  // Task 23: the page-switch command, sent only while the once-only flag is clear.
  void SendPageSwitch();
  // Ends every source thread; nothing runs afterwards (UI thread, once).
  void Shutdown();

 private:
  bool ShouldStream() const;
  void FillMap(int mode);
  void SendFrame();
  // Starts and stops the sources as mode, activity and choices require.
  void UpdateSources();
  void UpdateCaptureLocked(int mode, bool running, int rows, int columns);
  void UpdateMediaLocked(int mode, bool running, int rows, int columns);
  platform::ScreenCapture& CaptureLocked();
  std::optional<storage::MusicLayerRecord> ReadLayerRecord(int profile);
  void ApplyLayer(const MusicLayer& layer);

  SharedState& state_;
  storage::SettingsDatabase& database_;
  device::KeyboardCommands& keyboard_;
  device::LightingCommands& lighting_;
  const CurrentModel& model_;
  const CurrentLayout& layout_;
  KeyboardAudio& audio_;
  const Sources sources_;
  EffectView* view_ = nullptr;

  std::atomic<int> mode_{kDefaultEffectMode};
  std::atomic<bool> active_{false};
  std::atomic<bool> layerLoaded_{false};
  std::atomic<bool> pageSwitchOnce_{false};
  std::atomic<std::uint64_t> framesSent_{0};
  // The screen cannot be read here (Wayland, no display): modes that follow it send nothing
  // rather than dark keys.
  std::atomic<bool> screenUnreadable_{false};

  // The sources, started and stopped one change at a time.
  std::mutex sourcesMutex_;
  Visualizer visualizer_;
  bool visualizerStarted_ = false;
  // Made when the screen is first needed: it asks the display when made.
  std::unique_ptr<platform::ScreenCapture> capture_;
  platform::CaptureWindowId window_ = 0;
  platform::MediaPlayer player_;
  std::filesystem::path file_;
  std::filesystem::path playing_;
  int playingRows_ = 0;
  int playingColumns_ = 0;
  bool shutDown_ = false;

  // The worker's own: the last picture of each source it put into the view.
  std::vector<std::uint32_t> musicPicture_;
  std::uint64_t musicFrame_ = ~std::uint64_t{0};
  std::uint64_t gridSequence_ = 0;
  int filledMode_ = 0;
};

}  // namespace lighting

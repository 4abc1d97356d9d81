#pragma once
// The effect view of the screen-sync and music page: the keyboard picture with one item per
// key, each lit by a cell of the effect's colour map (the key grid, up to 8 x 32). The
// sources fill the map: the music picture (mode 1), a picture, GIF or video (2), the screen
// (3), one window (4); the view renders the light layers (5), ambient light (6) and the game
// flash (7) itself on its timer. The device worker reads the keys' colours back and streams
// them to the keyboard.
//
// Every operation is thread-safe: the UI thread sets modes and sources, the worker fills the
// map and ticks the timer, the audio thread feeds the music values.

#include <array>
#include <span>
#include <string>
#include <vector>

#include "ui/tessel/AuroraColorMap.h"
#include "ui/tessel/KeyboardPicture.h"

namespace Tessel {

// One key of the effect view.
struct KEYITEM_INFO {
  int code = 0;
  std::string name;
  Rect rect;       // layout coordinates, as in the keyboard view
  int column = 0;  // the key's cell in the colour grid
  int row = 0;
  Color color = 0;  // the colour the effect gave the key, 0x00BBGGRR
  friend bool operator==(const KEYITEM_INFO&, const KEYITEM_INFO&) = default;
};

class AuroraEffect : public KeyboardPictureControl {
 public:
  AuroraEffect(MWindow& owner, int id) : KeyboardPictureControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "AuroraEffect";

  // Keys, in the order they were added.
  void AddKeyItem(std::string name, int code, const Rect& rect, int column, int row);
  void ClearItem();
  std::vector<KEYITEM_INFO> GetKeyItems() const;
  int GetKeyCount() const;

  // Effect modes (the page's mode tabs and the ones the controller knows besides).
  enum Mode : int {
    kModeMusic = 1,
    kModeMedia = 2,
    kModeScreen = 3,
    kModeWindow = 4,
    kModeLayers = 5,
    kModeAmbient = 6,
    kModeGame = 7,
  };
  // The music pattern whose matrix lights the view draws and the worker reads back.
  static constexpr int kMatrixLightsPattern = 22;

  void SetAuroraMode(int mode);
  int GetAuroraMode() const;

  // The colour map, sized like the layout's key grid (0 x 0 up to 8 x 32; other sizes are
  // refused, false). A new size starts black.
  bool SetColorMapSize(int rows, int columns);
  int GetColorMapRows() const;
  int GetColorMapColumns() const;
  // One cell; false (nothing changes) outside the map.
  bool SetColorMap(int column, int row, Color color);
  Color GetColorMap(int column, int row) const;
  ColorMap GetColorMapCopy() const;
  // A whole grid from a source (the screen, a window, a picture or video): sampled to the
  // map's size; in ambient mode every cell takes the grid's mean colour.
  void SetColorMapGrid(std::span<const Color> cells, int rows, int columns);
  // Music mode: the map sampled from the visualizer's 256 x 64 picture.
  bool FillColorMapFromMusicPicture(std::span<const Color> picture);

  // The matrix lights (7 x 19 in the music pattern 22), drawn from the spectrum: each
  // column a band, lit from the bottom, the brightness between `dimmest` and `brightest`
  // (0 to 255). Row by row from the top.
  std::vector<Color> GetMatrixLightsColors(int rows, int columns, int dimmest, int brightest) const;
  // Reads the matrix lights back into the map (the lit cells, clipped to the map).
  void ApplyMatrixLightsToColorMap();

  // Lights beside and above the keys (models that have them): `perSide` on each side and
  // `top` across the top. Their colours follow the map's edges.
  void SetEdgeLights(int perSide, int top);
  std::vector<Color> GetSideLightsColors() const;
  std::vector<Color> GetTopLightsColors() const;

  // What the music analysis hands over (from its thread).
  void SetExternalAudioData(float level, float peakHold, float averageLevel, int levelPercent,
                            float rms);
  void SetFFTSpectrum(std::span<const float> bands32, std::span<const float> bands64);
  void SetBeatData(int beat, float intensity, float tempo, float bass, float mid, float treble);

  void SetMusicColor(Color color);
  Color GetMusicColor() const;
  void SetMusicColorful(bool colorful);
  bool GetMusicColorful() const;

  // Light layers of mode 5, drawn in the order added: type 1 spectrum bars, type 2 a pulse
  // of the whole keyboard with the level; the other values are kept for the page. Unknown
  // types draw nothing.
  struct LightLayer {
    int type = 0;
    int value1 = 0;
    int value2 = 0;
    int value3 = 0;
    int value4 = 0;
    friend bool operator==(const LightLayer&, const LightLayer&) = default;
  };
  void AddLightLayer(int type, int value1, int value2, int value3, int value4);
  void ClearLightLayers();
  std::vector<LightLayer> GetLightLayers() const;

  // The animation step (the window's timer, or the worker while the page is not shown):
  // modes 5 to 7 draw their map; then the keys take their cells' colours.
  void OnTimer(int timerId) override;
  // Draws without being shown: the keys take their cells' colours.
  void DrawHideControl();
  std::uint64_t GetTick() const;

 private:
  void RenderOwnModesLocked();
  void RenderLayersLocked();
  void UpdateKeyColorsLocked();
  float BandLocked(int index, int count) const;

  std::vector<KEYITEM_INFO> items_;
  // Guarded by mutex_.
  int mode_ = kModeMusic;
  ColorMap map_;
  int sidePerSide_ = 0;
  int topLights_ = 0;
  std::array<float, 32> bands32_{};
  std::array<float, 64> bands64_{};
  float level_ = 0;
  float peakHold_ = 0;
  int beat_ = 0;
  float beatIntensity_ = 0;
  float flash_ = 0;
  Color musicColor_ = 0x0000FF;
  bool colorful_ = false;
  std::vector<LightLayer> layers_;
  std::uint64_t tick_ = 0;
};

}  // namespace Tessel

#pragma once
// The matrix light view: the keyboard's 7 x 7 grid of lights as the window shows it and as the
// device worker streams it. It renders its own pictures: a plain colour (preset 0), the user's
// drawing (preset 1, where a click or a drag paints cells), or one of the animated presets, of
// which 22 to 27 follow the music analysis it is fed. Brightness applies to every picture.
//
// Every operation is thread-safe behind the control's lock: the UI thread sets modes and
// colours, the audio thread feeds the music, the worker animates, reads the cells for the
// stream and writes what it read from the keyboard.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "ui/tessel/MControl.h"
#include "ui/tessel/MatrixPresets.h"

namespace Tessel {

// One cell of the grid with the colour it shows (0x00BBGGRR).
struct MATRIX_CELL {
  int index = 0;  // 0 to 48, row by row from the top left
  Color color = 0;
  friend bool operator==(const MATRIX_CELL&, const MATRIX_CELL&) = default;
};

class MatrixScreen : public MControl {
 public:
  static constexpr const char* kClassName = "MatrixScreen";
  static constexpr int kPresetPlain = 0;
  static constexpr int kPresetDrawing = 1;
  // The music's wave as the analysis hands it over: 256 points, each stored twice.
  static constexpr std::size_t kWaveFloats = 512;
  // The scale of the wave's points (the analysis multiplies a full-scale sample by 2 x 270).
  static constexpr float kWaveFullScale = 540.0f;
  // At this amplitude the music presets show the analysis as it is; a loud song fills them at
  // the default, and a quiet one at the top of the scale.
  static constexpr int kUnityAmplitude = 80;
  static constexpr int kDefaultAmplitude = 50;
  static constexpr int kMaxAmplitude = 100;
  static constexpr int kMaxSpeed = 20;
  // Frames closer together than this are one frame (the window's timer and the stream both
  // ask for frames).
  static constexpr std::chrono::milliseconds kFrameInterval{8};

  // Monotonic time, and seconds since local midnight (the clock preset).
  using MonotonicTime = std::function<std::chrono::nanoseconds()>;
  using WallTime = std::function<double()>;

  MatrixScreen(MWindow& owner, int id);

  // Back to the first state: plain display, red, full brightness, a black drawing, silence.
  void Initialize();
  // Tests and tools drive time themselves.
  void SetClocks(MonotonicTime monotonic, WallTime wall);

  // 0 plain display, 1 drawing, or a preset of MatrixPresets. False (nothing changes) for any
  // other number.
  bool SetPresetMode(int preset);
  int GetPresetMode() const;
  // 0 to 1; anything above 1 is 1, below 0 is 0; a value that is not a number is ignored.
  void SetBrightness(double fraction);
  double GetBrightness() const;
  // The animation's pace, 0 (slow) to kMaxSpeed; clamped.
  void SetAnimationSpeed(int value);
  int GetAnimationSpeed() const;
  // The single colour (the paint of the drawing, the colour of plain display and presets).
  void SetMatrixScreenColor(Color color);
  Color GetMatrixScreenColor() const;
  // Rainbow colours instead of the single colour.
  void SetMatrixScreenColorful(bool colorful);
  bool GetMatrixScreenColorful() const;
  // How strongly the music presets answer the music: 0 to kMaxAmplitude; clamped.
  void SetAudioAmplitude(int value);
  int GetAudioAmplitude() const;

  // The music analysis (any thread): the seven bands (0 to 1), the wave (kWaveFloats values,
  // newest at the end), the master volume. Values that are not numbers count as 0; shorter
  // inputs leave the rest at 0, longer ones are cut.
  void SetAudioData(std::span<const float> bands);
  void SetInputWave(std::span<const float> wave);
  void SetMasterVolume(float volume);

  // The cells as shown, brightness applied: what the stream sends.
  std::vector<MATRIX_CELL> GetKeyItems() const;
  MatrixFrame GetShownColors() const;
  // The drawing: what the keyboard keeps and the drawing mode shows and paints.
  MatrixFrame GetPicture() const;
  void SetPicture(const MatrixFrame& picture);
  // One cell of the drawing; false outside the grid.
  bool SetPictureCell(int index, Color color);

  // Renders the frame due now, unless one was rendered less than kFrameInterval ago. True
  // when it rendered.
  bool Animate();
  // Renders the next frame as if `elapsed` had passed.
  void Step(std::chrono::nanoseconds elapsed);
  std::uint64_t GetFrameCount() const;
  // The window's animation timer.
  void OnTimer(int timerId) override;

  // The user painted a cell (a click, or a drag entering it), in the drawing mode only: the
  // cell takes the single colour and the window hears kEventClick (a click) or kEventDragOver
  // (a drag) with the cell in arg1. UI thread. False when nothing was painted.
  bool UserPaintCell(int index, bool dragging);

 private:
  void RenderLocked(double realSeconds);
  void UpdateMusicLocked(double realSeconds);

  MonotonicTime monotonic_;
  WallTime wall_;
  // Guarded by mutex_.
  int preset_ = kPresetPlain;
  double brightness_ = 1.0;
  int speed_ = 3;
  Color color_ = 0x0000FF;
  bool colorful_ = false;
  int amplitude_ = kDefaultAmplitude;
  float volume_ = 1.0f;
  std::array<float, kMatrixBandCount> bands_{};
  std::array<float, kMatrixColumns> wave_{};
  bool audioFresh_ = false;  // music arrived since the last frame
  double sinceAudio_ = 0.0;  // real seconds since music last arrived
  double levelAverage_ = 0.0;
  double sinceBeat_ = 1.0;
  MatrixMusic music_;
  MatrixPresets presets_;
  double animationTime_ = 0.0;
  MatrixFrame picture_{};
  MatrixFrame frame_{};  // the rendered picture, before brightness
  MatrixFrame shown_{};  // after brightness
  std::chrono::nanoseconds lastFrame_{0};
  bool rendered_ = false;
  std::uint64_t frames_ = 0;
};

}  // namespace Tessel

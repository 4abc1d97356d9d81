#pragma once
// The matrix light page (main page 3): the matrix view, the on/off switch, the mode list, the
// preset list of the animated mode, the mode's settings (brightness, speed or the music's
// amplitude, direction, single colour or colorful) and the colour picker.
//
// It binds the controls to the matrix service: a user action is stored and sent by the
// service, and the page shows what is stored. The operations named after what the user does
// are also what the command line calls; they run on the UI thread. Loading and showing may
// run on any thread (the controls keep their state behind their own locks). The page is the
// service's MatrixView.

#include <cstdint>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "lighting/MatrixService.h"
#include "platform/audio/AudioSource.h"

class CurrentModel;
struct SharedState;
namespace core {
class TextTable;
}
namespace Tessel {
class MatrixScreen;
class PageHost;
}  // namespace Tessel

namespace lighting {

class MatrixPage : public MatrixView {
 public:
  // What the music analysis's sound source is doing (for the music presets' hint).
  using SoundState = std::function<platform::AudioSourceState()>;

  MatrixPage(Tessel::PageHost& host, SharedState& state, const CurrentModel& model,
             const core::TextTable& texts, MatrixService& service, SoundState sound);

  // UI thread: a control of the page reported a user action; false when it is none of the
  // page's.
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2);

  // Any thread: the page rebuilt for the current profile (see MatrixService::LoadSelection).
  void LoadMatrixPage();
  // Any thread: the controls and the view for the shown mode's record.
  void ShowMatrixParameters();
  // Any thread: the amplitude or the speed slider, as the chosen preset follows the music or
  // not.
  void UpdatePresetControls();
  // Any thread: the mode names again in the language chosen.
  void ApplyTexts();
  // Worker, after a profile switch: the page loaded for the new profile and its matrix mode
  // sent to the keyboard.
  void ApplyProfile();
  // Worker: the music presets' hint follows the sound source.
  void ShowSoundState();

  // What the user does (UI thread). Each returns false when nothing could be stored; the page
  // then shows what is stored again.
  bool ChooseMode(int mode);
  bool ChoosePreset(int preset);
  bool SetEnabled(bool on);
  bool SetBrightness(int value);
  bool SetSpeed(int value);
  bool SetDirection(int direction);
  bool SetColorful(bool colorful);
  bool SetAmplitude(int value);
  // A colour from the wheel, a preset button, the number fields or the command line; `from`
  // is the control it came from (0: none), which is not rewritten.
  bool ApplyMatrixColor(std::uint32_t color, int from = 0);
  // Cells of the drawing get new colours (the drawing mode is chosen first when another is
  // shown) and the drawing goes to the keyboard. False for a cell outside the grid (nothing
  // is painted then).
  bool PaintCells(const std::vector<std::pair<int, std::uint32_t>>& cells);
  bool ClearDrawing();

  // The largest brightness and speed the keyboard reported (0 while unknown).
  int MaxBrightness() const;
  int MaxSpeed() const;
  // The names the page shows for a mode and a preset (empty when there is none).
  std::string ModeName(int mode);
  std::string PresetName(int preset) const;
  // The view's cells as shown and its drawing.
  protocol::MatrixColors ShownCells() const;
  protocol::MatrixColors Drawing() const;

  // MatrixView
  void ShowMatrixPicture(const protocol::MatrixColors& cells) override;
  protocol::MatrixColors PictureToSend() override;
  protocol::MatrixColors StreamFrame() override;

 private:
  void OnMatrixDrawn(int cell);
  void OnRgbEdited(int id, bool commit);
  void OnSliderChanged(int id, int value);

  void ApplySliderRanges();
  void FillModeList();
  void ShowPresetOfMode(const MatrixSelection& selection);
  void ShowSlider(int labelId, int sliderId, bool shown, int value);
  void ShowDirections(int offers, int direction);
  void ShowColor(std::uint32_t color, int except);
  void SetSwitch(bool on);
  // A failed store: says so and shows what is stored again.
  bool ReportStored(bool stored);
  void ForgetStrokes();

  Tessel::MatrixScreen* Screen() const;
  std::string Text(int id) const;

  Tessel::PageHost& host_;
  SharedState& state_;
  const CurrentModel& model_;
  const core::TextTable& texts_;
  MatrixService& service_;
  SoundState sound_;
  // Cells painted since the keyboard's drawing was asked for: a read that arrives after the
  // user's strokes leaves them as painted.
  std::mutex strokesMutex_;
  std::set<int> strokesSinceRead_;
};

}  // namespace lighting

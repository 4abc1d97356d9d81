#pragma once
// The screen-sync and music page (main page 2): the effect mode tabs, the music layer (the
// visualizer's patterns, amplitude and brightness), the picture or video file, the window to
// follow, the light layers and the music colours.
//
// It binds the controls to the effect service: a user action is stored and handed on by the
// service; the page shows what is stored. Its showing operations may run on any thread (the
// controls keep their state behind their own locks); the user's actions arrive on the UI
// thread. The command line calls the same operations the controls do.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>

#include "lighting/EffectService.h"

class CurrentModel;
struct SharedState;
namespace core {
class TextTable;
}
namespace Tessel {
class PageHost;
}

namespace lighting {

class AuroraView;

class EffectPage {
 public:
  // The filter of the file dialog that chooses the picture or video.
  static constexpr const char* kFileFilter = "Image Files (*.gif;*.jpg;*.jpeg;*.png;*.bmp;*.mp4)";

  EffectPage(Tessel::PageHost& host, SharedState& state, const CurrentModel& model,
             const core::TextTable& texts, EffectService& service, AuroraView& view);

  // UI thread: a control of the page reported a user action; false when it is none of the
  // page's.
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2);

  // The page became the one on screen (UI thread): the music layer and the mode's panel.
  void OnEntered();
  // Any thread: the current profile's mode and music layer, and the effect view sized for the
  // model.
  void ShowProfile();
  void ApplyTexts();
  // Any thread: the notice of what keeps the mode's source from lighting the keys, when it
  // changed.
  void ShowSourceNotice();

  // ---- What the controls and the command line do (UI thread) ------------------------------
  bool ChooseMode(int mode);
  // A slider, combo box or the amplitude slider's value (a tenth of the stored amplitude).
  bool ChangeLayer(LayerValue which, int shownValue);
  // Plays a file in mode 2 (the mode is chosen too); false for a file that does not exist.
  bool ChooseFile(const std::filesystem::path& file);
  // Follows a window in mode 4 (the mode is chosen too); false when it no longer exists.
  bool ChooseWindow(platform::CaptureWindowId window);
  void ChooseMusicColor(std::uint32_t color);
  void ChooseColorful(bool colorful);
  // Empties the window list and lists the windows that can be followed again.
  void FillWindowList();

 private:
  // The user's actions.
  void OnFileButton();
  void OnRgbEdited(int id, bool commit);
  void OnLayerCheck(bool checked);
  // A colour from the wheel, a preset or the number fields; `from` is not rewritten.
  void ApplyMusicColor(std::uint32_t color, int from);

  // Showing.
  void ShowMode(int mode);
  void ShowMusicLayer(const MusicLayer& layer);
  void ShowForegroundControls(bool shown);
  void ShowColorCard();
  void ShowColor(std::uint32_t color, int except);
  void ShowFileName();
  void ShowDefaultLayer();
  void ReportStored(bool stored);
  int NoticeFor(const EffectStatus& status) const;
  bool OnPage() const;
  std::string Text(int id) const;

  Tessel::PageHost& host_;
  SharedState& state_;
  const CurrentModel& model_;
  const core::TextTable& texts_;
  EffectService& service_;
  AuroraView& view_;
  std::atomic<bool> foregroundShown_{true};
  // The notice text shown now (0: none).
  std::atomic<int> notice_{0};
};

}  // namespace lighting

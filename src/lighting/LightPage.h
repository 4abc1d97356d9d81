#pragma once
// The light page (main page 1): the zone tabs, the mode list, the light and preview switches,
// the mode's settings (brightness, speed, direction, single colour or colorful), the colour
// picker, and for the custom slots the slot chooser with the keyboard view as a paint surface.
//
// It binds the controls to the lighting service: a user action is stored and sent by the
// service; the page shows what is stored. Its showing operations may run on any thread (the
// controls keep their state behind their own locks); the user's actions arrive on the UI
// thread. It is also the service's LightingView.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "lighting/LightingService.h"

class CurrentModel;
struct SharedState;
namespace core {
class TextTable;
}
namespace Tessel {
class KeyboardCtrl;
class PageHost;
}  // namespace Tessel

namespace lighting {

class LightPage : public LightingView {
 public:
  LightPage(Tessel::PageHost& host, SharedState& state, const CurrentModel& model,
            const core::TextTable& texts, LightingService& service);

  // UI thread: a control of the page (or the keyboard view while the page is shown) reported
  // a user action; false when it is none of the page's.
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2);

  // Any thread: the page rebuilt for the current profile and the chosen zone.
  void LoadLightPage();
  // Any thread: the controls of the current mode; nothing unless the page is shown.
  void ShowLightModeParameters();
  // Any thread: the texts that depend on the model (the title of the third zone's tab).
  void ApplyTexts();

  // The page became the one on screen (UI thread).
  void OnShown();
  // Worker, after a profile switch: the page reloaded, its mode sent to the keyboard.
  void ApplyProfile();
  // Any thread: the profile shown again (a reconnection or a new profile list).
  void ShowProfile();

  // LightingView
  void ShowSlotColors(const std::vector<KeyColor>& colors) override;
  void ShowLiveColors(const std::vector<KeyColor>& colors) override;
  void ResetKeyColors(std::uint32_t color) override;
  bool WindowVisible() const override;
  void SelectionChanged() override;

 private:
  // The user's actions.
  void OnLightTypeChanged(int zone);
  void OnLightModeChanged(int mode);
  void OnLightEnableChanged(bool on);
  void OnLightPreviewChanged(bool on);
  void OnSliderChanged(int id, int value);
  void OnDirectionChanged(int id);
  void OnColorfulChanged(bool colorful);
  void OnRgbEdited(int id, bool commit);
  void OnCustomSlotChanged(int slot);
  void OnKeyboardViewKeyHit(int code);
  bool OnKeyboardViewEvent(int code, std::intptr_t key);
  // A colour from the wheel, a preset or the number fields; `from` is the control it came
  // from, which is not rewritten.
  void ApplyLightColor(std::uint32_t color, int from);

  // Showing.
  // The zone of the chosen tab, or the key lights when the keyboard lacks that zone.
  int ZoneToShow() const;
  void ShowZoneTabs();
  void ApplySliderRanges(int zone);
  void FillModeList(int zone);
  void ShowDirections(int offers, int direction);
  void ShowColor(std::uint32_t color, int except);
  void ShowSlotControls(bool perKey);
  void ShowStoredSlotColors(int slot);
  void StoreViewColors(int slot);
  void NotePainted(const std::vector<int>& codes);
  void SetViewMode(int mode);
  void ReportStored(bool stored);
  bool OnPage() const;

  Tessel::KeyboardCtrl* View() const;
  std::string Text(int id) const;

  Tessel::PageHost& host_;
  SharedState& state_;
  const CurrentModel& model_;
  const core::TextTable& texts_;
  LightingService& service_;
  // The colour the custom slot's keys are painted with.
  std::atomic<std::uint32_t> paintColor_{0x0000FF};
  // Keys painted since the shown slot was last read from the keyboard: a read that arrives
  // after the user's strokes leaves them as painted.
  std::mutex paintMutex_;
  std::set<int> paintedSinceRead_;
};

}  // namespace lighting

#pragma once
// The controller with a virtual keyboard of model 101 on the screen-sync and music page. The
// worker's cycles and the UI thread both run on the test thread; the effect sources run on
// their own threads. No X display or Wayland session is seen unless a test names one.

#include <gtest/gtest.h>

#include <optional>

#include "app/ConnectedKeyboardFixture.h"
#include "lighting/EffectPageLayout.h"
#include "protocol/Colors.h"
#include "storage/ConfigKeys.h"
#include "support/ChildProcess.h"
#include "support/ScopedEnvironment.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/Controls.h"

namespace eids = lighting::effect_ids;

class EffectPageFixture : public ConnectedKeyboardFixture {
 protected:
  static constexpr int kModel = 101;
  static constexpr std::uint8_t kStreamCommand = 0x2E;

  explicit EffectPageFixture(bool startWorker = false) : ConnectedKeyboardFixture(startWorker) {}

  template <class T>
  T& Control(int id) {
    T* control = dialog->GetControl<T>(id);
    EXPECT_NE(control, nullptr) << id;
    return *control;
  }
  bool Shown(int id) { return dialog->FindControl(id)->IsVisible(); }
  lighting::EffectService& Service() { return dialog->Effects().Service(); }
  lighting::EffectPage& Page() { return dialog->Effects().Page(); }
  Tessel::AuroraEffect& View() { return Control<Tessel::AuroraEffect>(ids::kEffectView); }

  void StartWithKeyboard() {
    Plug(kModel);
    StartUp();
    ASSERT_GT(Profile(), 0);
  }
  void EnterPage() {
    ASSERT_TRUE(dialog->SwitchToPage(kPageScreenSync));
    Settle();
  }
  void ClickTab(int mode) {
    auto& tabs = Control<Tessel::MTabCtrl>(eids::kModeTabs);
    const int position = tabs.FindData(mode);
    ASSERT_GE(position, 0) << mode;
    tabs.UserSelect(position);
  }
  void ChooseItem(int comboId, int data) {
    auto& combo = Control<Tessel::MComboBox>(comboId);
    const int position = combo.FindData(data);
    ASSERT_GE(position, 0) << data;
    combo.UserSelect(position);
  }

  // Idle cycles of the worker (nothing queued), with the UI thread's work in between.
  void IdleCycles(int count) {
    for (int i = 0; i < count; ++i) {
      backend.PumpUntilIdle();
      dialog->RunCycle();
    }
    backend.PumpUntilIdle();
  }
  // The screens the service streamed, and the reports the keyboard received for them.
  std::uint64_t StreamsSent() { return Service().CurrentStatus().framesSent; }
  int StreamedFrames() const {
    const auto counts = Keyboard().counters.framesByCommand;
    const auto found = counts.find(kStreamCommand);
    return found == counts.end() ? 0 : found->second;
  }
  // The colour the keyboard was last streamed for a light, RGB 5-6-5.
  unsigned StreamedLight(int light) const {
    const auto stream = Keyboard().screenSyncStream;
    const std::size_t at = static_cast<std::size_t>(light) * 2;
    return stream[at] | stream[at + 1] << 8;
  }
  // The lights of every key of the layout.
  std::vector<int> KeyLights() {
    std::vector<int> lights;
    for (const auto& [code, light] : dialog->Layout()->LightIndexByCode) lights.push_back(light);
    return lights;
  }
  // Idle cycles until every key's light shows what `matches` wants (at most ten seconds).
  bool StreamUntil(const std::function<bool(unsigned)>& matches) {
    const std::vector<int> lights = KeyLights();
    return WaitFor(
        [&] {
          IdleCycles(1);
          return std::all_of(lights.begin(), lights.end(),
                             [&](int light) { return matches(StreamedLight(light)); });
        },
        std::chrono::seconds(10));
  }

  std::optional<storage::MusicLayerRecord> StoredLayer() {
    storage::MusicLayerRecord record;
    if (!Database().GetMusicLayer(Profile(), record)) return std::nullopt;
    return record;
  }

 public:
  static unsigned Rgb565(std::uint32_t color) {
    const unsigned r = color & 0xFF;
    const unsigned g = (color >> 8) & 0xFF;
    const unsigned b = (color >> 16) & 0xFF;
    return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
  }

 protected:
  // Nothing of the test machine's own desktop is seen.
  ScopedEnvironment display_{"DISPLAY", std::nullopt};
  ScopedEnvironment wayland_{"WAYLAND_DISPLAY", std::nullopt};
  ScopedEnvironment session_{"XDG_SESSION_TYPE", std::nullopt};
};

// The key page against the virtual keyboard with the link's real pacing: how long from picking
// a function until the keyboard holds it (the worker's 16 ms cycle running), and how long the
// four layers of a profile take to send.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/KeyboardDlg.h"
#include "common/ControllerRig.h"
#include "core/ThreadCheck.h"
#include "keys/KeyAssignmentLayout.h"
#include "platform/input/FakeInputSource.h"
#include "sim/VirtualKeyboard.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/KeyControls.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/Manager.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kKeyA = 0x04;
constexpr int kKeyIndexOfA = 0;  // filled in by the rig

// The key page against a read virtual keyboard (model 101), with a fake input source.
ControllerRig Rig(bool worker, bool receiver) {
  KeyboardDlg::Options options;
  options.inputSource = [](auto) { return std::make_unique<platform::input::FakeInputSource>(); };
  return ControllerRig({.worker = worker, .receiver = receiver, .page = kPageKeys},
                       std::move(options));
}

int IndexOf(const sim::KeyboardState& state, int code) {
  const auto wanted = sim::FactoryEntryForCode(code);
  for (int index = 0; index < 128; ++index) {
    if (std::equal(wanted.begin(), wanted.end(), state.factoryLayers[0].begin() + index * 3))
      return index;
  }
  return kKeyIndexOfA;
}

// From the click on a media function until the keyboard's layer 0 holds it for key A, with the
// worker thread cycling as in the application.
void BM_PickToKeyboard(benchmark::State& state) {
  ControllerRig rig = Rig(/*worker=*/true, /*receiver=*/state.range(0) != 0);
  KeyboardDlg& dialog = rig.Dialog();
  const int index = IndexOf(rig.Keyboard(), kKeyA);
  dialog.GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)->UserPressKey(kKeyA, false);
  auto* tabs = dialog.GetControl<Tessel::TabCtrlEx>(key_ids::kFunctionTabs);
  tabs->UserSelect(tabs->FindData(key_ids::kTabMedia));
  auto* picker = dialog.GetControl<Tessel::KeyFuncValue>(key_ids::kPicker);
  const int volumeUp = 8;  // positions of volume up and down in the media list
  const int volumeDown = 9;
  bool up = false;
  for (auto _ : state) {
    up = !up;
    const std::uint8_t wanted = up ? 0xE9 : 0xEA;
    const auto start = Clock::now();
    picker->UserPick(up ? volumeUp : volumeDown);
    while (rig.Keyboard().layers[0][static_cast<std::size_t>(index * 3 + 1)] != wanted) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    // The task's epilogue runs on this thread; the next pick needs it.
    rig.Backend().RunUntil(
        [&] {
          return dialog.Tasks().IsEmpty() && dialog.Keys().Service().WaitingKeyWrites().empty();
        },
        std::chrono::seconds(5));
    rig.Backend().RunFor(std::chrono::milliseconds(150));
  }
}
// Argument 0: by cable (2 ms pacing, 56-byte chunks); 1: through the receiver (6 ms, 24 bytes).
BENCHMARK(BM_PickToKeyboard)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(20)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The four layers of the current profile, each built from its factory table and written in
// acknowledged chunks, with the link's pacing.
void BM_SendAllLayers(benchmark::State& state) {
  ControllerRig rig = Rig(/*worker=*/false, /*receiver=*/state.range(0) != 0);
  core::WorkerScope worker;
  KeyboardDlg& dialog = rig.Dialog();
  const int profile = dialog.State().currentProfile.load();
  for (auto _ : state) {
    if (!dialog.Keys().Service().SendAllLayers(profile)) state.SkipWithError("send failed");
  }
}
BENCHMARK(BM_SendAllLayers)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

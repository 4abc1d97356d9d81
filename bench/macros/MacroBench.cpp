// The macro memory image: how long building a full one takes (the budget: 50 us), and how long a
// full 4 KB image takes to reach the virtual keyboard with the link's real pacing (the budgets:
// 300 ms by cable, 700 ms through the receiver).

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "app/KeyboardDlg.h"
#include "common/ControllerRig.h"
#include "core/ThreadCheck.h"
#include "device/MacroCommands.h"
#include "platform/input/FakeInputSource.h"
#include "protocol/MacroImage.h"
#include "sim/VirtualKeyboard.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/Manager.h"

namespace {

namespace me = protocol::macro_event;

// Ten macros that fill 4224 bytes: nine of 104 events and one of 106.
std::vector<std::vector<protocol::MacroImageEvent>> FullMacros() {
  std::vector<std::vector<protocol::MacroImageEvent>> macros;
  for (int m = 0; m < 10; ++m) {
    auto& events = macros.emplace_back();
    const int count = m < 9 ? 104 : (4224 - 68) / 4 - 9 * 104;
    for (int e = 0; e < count; ++e) {
      const int type = e % 4 < 2 ? (e % 2 == 0 ? me::kKeyDown : me::kKeyUp)
                                 : (e % 2 == 0 ? me::kButtonDown : me::kButtonUp);
      events.push_back({type, 0x41 + e % 26, 10 + e, 0x04 + e % 26, protocol::WheelStep::kNone});
    }
  }
  return macros;
}

void BM_BuildFullImage(benchmark::State& state) {
  const auto macros = FullMacros();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto image = protocol::BuildMacroImage(macros, protocol::kMacroImageMaxLength);
    bytes = image->bytes.size();
    benchmark::DoNotOptimize(image->bytes.data());
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_BuildFullImage)->Unit(benchmark::kMicrosecond);

// A controller with a read virtual keyboard (model 101, 4 KB of macro memory); the worker's
// cycles run on this thread.
ControllerRig Rig(bool receiver) {
  KeyboardDlg::Options options;
  options.inputSource = [](auto) { return std::make_unique<platform::input::FakeInputSource>(); };
  return ControllerRig({.worker = false, .receiver = receiver, .page = std::nullopt},
                       std::move(options));
}

// A 4096-byte image (the whole memory of the keyboard) in its frames, inside a bracket.
void BM_SendFullImage(benchmark::State& state) {
  const bool receiver = state.range(0) != 0;
  ControllerRig rig = Rig(receiver);
  core::WorkerScope worker;
  const auto image = protocol::BuildMacroImage(FullMacros(), rig.Keyboard().macroMemory.size());
  if (!image || image->bytes.size() != 4096) {
    state.SkipWithError("no full image");
    return;
  }
  device::MacroCommands commands(rig.Dialog().Link());
  for (auto _ : state) {
    device::CommandBracket bracket(rig.Dialog().Commands());
    if (!commands.WriteMacroImage(image->bytes, receiver)) state.SkipWithError("send failed");
  }
  state.counters["frames"] =
      static_cast<double>(image->bytes.size() / commands.ChunkSize(receiver) + 1);
}
// Argument 0: by cable (56-byte chunks); 1: through the receiver (24 bytes).
BENCHMARK(BM_SendFullImage)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

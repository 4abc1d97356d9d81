// One frame of the matrix light view for each preset of the list (the animations and the music
// presets fed fresh bands every frame), and the stream frame built from it: the worker does both
// on every 16 ms cycle of the animated mode. The target is a frame under 0.2 ms.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>

#include "lighting/MatrixModes.h"
#include "protocol/Colors.h"
#include "ui/tessel/HeadlessBackend.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/MatrixScreen.h"

namespace {

constexpr int kScreen = 4;

class Window : public Tessel::MDialog {
 public:
  Window() : MDialog("Matrix") {}

 protected:
  void CreateControls() override { Add<Tessel::MatrixScreen>(kScreen); }
};

void BM_MatrixPresetFrame(benchmark::State& state) {
  const int preset = lighting::MatrixPresetList()[static_cast<std::size_t>(state.range(0))].preset;
  Tessel::HeadlessBackend backend;
  Tessel::Manager::SetBackend(&backend);
  {
    Window window;
    if (!window.Create(nullptr, "Bench", Tessel::Rect::FromSize(0, 0, 800, 600))) {
      state.SkipWithError("no window");
    } else {
      auto* screen = window.GetControl<Tessel::MatrixScreen>(kScreen);
      screen->SetPresetMode(preset);
      screen->SetMatrixScreenColorful(true);
      std::array<float, Tessel::kMatrixBandCount> bands{};
      int frame = 0;
      for (auto _ : state) {
        for (std::size_t band = 0; band < bands.size(); ++band)
          bands[band] = 0.5f + 0.5f * std::sin(static_cast<float>(frame + 3 * band) * 0.2f);
        screen->SetAudioData(bands);
        screen->Step(std::chrono::milliseconds(16));
        benchmark::DoNotOptimize(protocol::BuildMatrixStream(screen->GetShownColors()));
        ++frame;
      }
      state.SetLabel("preset " + std::to_string(preset));
    }
  }
  Tessel::Manager::SetBackend(nullptr);
}
BENCHMARK(BM_MatrixPresetFrame)->DenseRange(0, lighting::kMatrixPresetCount - 1);

}  // namespace

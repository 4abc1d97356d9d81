// One frame of the music visualizer (levels, FFT, both patterns, composition), for the
// default patterns, the hue wheels and the music plasma.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "lighting/Visualizer.h"

namespace {

std::vector<float> MusicLikeWave(int frame) {
  std::vector<float> wave(lighting::Visualizer::kWaveValues);
  for (int i = 0; i < 256; ++i) {
    const float t = static_cast<float>(i + frame * 7);
    const float value = 0.4f * std::sin(t * 0.05f) + 0.2f * std::sin(t * 0.31f) +
                        0.1f * std::sin(t * 1.7f + static_cast<float>(frame));
    wave[2 * i] = wave[2 * i + 1] = value;
  }
  return wave;
}

void Frame(benchmark::State& state, int barPattern, int backgroundPattern) {
  lighting::Visualizer visualizer;
  lighting::VisualizerSettings settings;
  settings.barPattern = barPattern;
  settings.backgroundPattern = backgroundPattern;
  visualizer.SetSettings(settings);
  std::vector<std::vector<float>> waves;
  for (int i = 0; i < 16; ++i) waves.push_back(MusicLikeWave(i));
  std::size_t next = 0;
  for (auto _ : state) {
    visualizer.SetInputWave(waves[next++ % waves.size()]);
    visualizer.RenderFrame();
  }
  benchmark::DoNotOptimize(visualizer.FrameCount());
}

void BM_VisualizerFrameDefault(benchmark::State& state) {
  Frame(state, 17, 0);
}
BENCHMARK(BM_VisualizerFrameDefault)->Unit(benchmark::kMicrosecond);

void BM_VisualizerFrameWheels(benchmark::State& state) {
  Frame(state, 4, 19);
}
BENCHMARK(BM_VisualizerFrameWheels)->Unit(benchmark::kMicrosecond);

void BM_VisualizerFrameBands(benchmark::State& state) {
  Frame(state, 2, 15);
}
BENCHMARK(BM_VisualizerFrameBands)->Unit(benchmark::kMicrosecond);

void BM_VisualizerFramePlasma(benchmark::State& state) {
  Frame(state, 21, 21);
}
BENCHMARK(BM_VisualizerFramePlasma)->Unit(benchmark::kMicrosecond);

}  // namespace

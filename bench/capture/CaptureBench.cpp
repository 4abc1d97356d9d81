// What following the screen costs per picture: a 1920 x 1080 screen read and reduced to the
// key grid, the reduction alone, and one window read from its own picture.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/capture/ColorGrid.h"
#include "platform/capture/ScreenGrabber.h"
#include "platform_capture/XvfbServer.h"

namespace {

constexpr int kRows = 6;
constexpr int kColumns = 23;

XvfbServer& Server() {
  static XvfbServer server(1920, 1080);
  return server;
}

// The X server's processor time in seconds: it copies the pictures, which the benchmark's own
// processor time does not show.
double ServerCpuSeconds() {
  std::ifstream stat("/proc/" + std::to_string(Server().Pid()) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const std::size_t end = text.rfind(')');
  if (end == std::string::npos) return 0;
  std::istringstream fields(text.substr(end + 2));
  std::string field;
  double ticks = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) ticks += std::stod(field);  // user and system time
  }
  return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void BM_CaptureScreenToGrid(benchmark::State& state) {
  if (!Server().Running()) return state.SkipWithError("Xvfb did not start");
  TestClient client(Server().Display());
  client.Open(0, 0, 960, 1080, 0x3070C0, "left");
  client.Open(960, 0, 960, 1080, 0xC07030, "right");
  const auto connection = platform::X11Connection::Open(Server().Display().c_str());
  platform::ScreenGrabber grabber(*connection);
  const double serverBefore = ServerCpuSeconds();
  for (auto _ : state) {
    auto grab = grabber.CaptureScreen(kRows, kColumns);
    benchmark::DoNotOptimize(grab);
  }
  state.counters["server_cpu_ms"] = benchmark::Counter((ServerCpuSeconds() - serverBefore) * 1000.0,
                                                       benchmark::Counter::kAvgIterations);
  state.counters["shared_memory"] = grabber.UsedSharedMemory() ? 1 : 0;
}
BENCHMARK(BM_CaptureScreenToGrid)->Unit(benchmark::kMillisecond);

void BM_CaptureWindowToGrid(benchmark::State& state) {
  if (!Server().Running()) return state.SkipWithError("Xvfb did not start");
  TestClient client(Server().Display());
  const Window window = client.Open(100, 100, 1280, 720, 0x20A040, "followed");
  client.Open(0, 0, 600, 600, 0x000000, "covering");
  const auto connection = platform::X11Connection::Open(Server().Display().c_str());
  platform::ScreenGrabber grabber(*connection);
  const double serverBefore = ServerCpuSeconds();
  for (auto _ : state) {
    auto grab = grabber.CaptureWindow(window, kRows, kColumns);
    benchmark::DoNotOptimize(grab);
  }
  state.counters["server_cpu_ms"] = benchmark::Counter((ServerCpuSeconds() - serverBefore) * 1000.0,
                                                       benchmark::Counter::kAvgIterations);
  state.counters["composite"] = grabber.UsedComposite() ? 1 : 0;
}
BENCHMARK(BM_CaptureWindowToGrid)->Unit(benchmark::kMillisecond);

void BM_ReduceFullHdToGrid(benchmark::State& state) {
  platform::RgbPicture picture{1920, 1080, std::vector<std::uint32_t>(1920 * 1080)};
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    picture.pixels[i] = static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFF;
  }
  for (auto _ : state) {
    auto grid = platform::ReduceToGrid(picture.View(), kRows, kColumns);
    benchmark::DoNotOptimize(grid);
  }
}
BENCHMARK(BM_ReduceFullHdToGrid)->Unit(benchmark::kMillisecond);

}  // namespace

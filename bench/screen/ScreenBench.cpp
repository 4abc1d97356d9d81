// The screen's media engine: converting an animation of 100 frames (target: under 1.5 s),
// and uploading to the virtual keyboard measured against the link's floor of 4 ms of fixed
// pauses per 56-byte exchange (target: within 1.2 times that floor).

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "device/HidDeviceManager.h"
#include "media/Gif.h"
#include "media/ScreenImage.h"
#include "platform/ChildProcess.h"
#include "protocol/Gx96.h"
#include "screen/ScreenUpload.h"
#include "sim/VirtualHidBus.h"
#include "sim/VirtualKeyboard.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// 100 frames of a moving pattern in a few colours, larger than the screen so that every frame
// is scaled.
media::Animation HundredFrames() {
  media::Animation animation;
  animation.width = 480;
  animation.height = 272;
  for (int f = 0; f < 100; ++f) {
    media::Picture picture(480, 272);
    for (int y = 0; y < 272; ++y) {
      for (int x = 0; x < 480; ++x) {
        const int band = ((x + 3 * f) / 24 + (y + f) / 17) % 6;
        picture.Set(x, y, media::MakeArgb(band * 40, 255 - band * 30, (band * 90) % 256));
      }
    }
    animation.frames.push_back({picture, 40});
  }
  return animation;
}

fs::path BenchFolder() {
  const fs::path folder = fs::temp_directory_path() / "tarvo-bench-screen";
  fs::create_directories(folder);
  return folder;
}

// What qgif does, in process: read the GIF, fit every frame, encode.
void BM_Convert100FramesInProcess(benchmark::State& state) {
  const auto gif = media::EncodeGif(HundredFrames()).value();
  std::size_t outputBytes = 0;
  for (auto _ : state) {
    const auto animation = media::DecodeGif(gif);
    const auto image = media::MakeScreenImage(*animation, 240, 136);
    outputBytes = protocol::EncodeGx96(image).size();
    benchmark::DoNotOptimize(outputBytes);
  }
  state.counters["gif_bytes"] = static_cast<double>(gif.size());
  state.counters["gx96_bytes"] = static_cast<double>(outputBytes);
}
BENCHMARK(BM_Convert100FramesInProcess)->Unit(benchmark::kMillisecond)->Iterations(5);

// The converter program end to end, as the upload runs it.
void BM_Convert100FramesWithQgif(benchmark::State& state) {
  const fs::path folder = BenchFolder();
  const fs::path input = folder / "hundred.gif";
  media::WriteGifFile(input, HundredFrames());
  const fs::path output = folder / "hundred.bin";
  const std::vector<std::string> argv = {(fs::path(TARVO_APP_BUILD_DIR) / "gif" / "qgif").string(),
                                         "convert",
                                         "-i",
                                         input.string(),
                                         "-o",
                                         output.string(),
                                         "-f",
                                         "gx96",
                                         "--scale-size",
                                         "240",
                                         "136"};
  for (auto _ : state) {
    auto child = platform::ChildProcess::Start(argv);
    std::string text;
    while (child && child->Read(text, 10s) != platform::ChildProcess::Output::kEnded) {
    }
    const auto exit = child ? child->Wait(10s) : std::nullopt;
    if (!exit || exit->code != 0) state.SkipWithError("qgif failed");
  }
}
BENCHMARK(BM_Convert100FramesWithQgif)->Unit(benchmark::kMillisecond)->Iterations(5);

// The upload of one prepared image of about 28 KB with the link's real pauses; the service's
// own long waits (channel arrival, erase) are not part of the link's floor and are skipped.
void BM_UploadAgainstLinkFloor(benchmark::State& state) {
  const fs::path folder = BenchFolder();
  const fs::path app = folder / "app";
  const fs::path data = folder / "data";
  fs::create_directories(app / "gif" / "tarvo_k9");
  fs::create_directories(data);
  protocol::Gx96Image image{240, 60, {}};
  std::mt19937 random(1);
  for (int f = 0; f < 1; ++f) {
    protocol::Gx96Frame frame{100, std::vector<std::uint16_t>(240 * 60)};
    for (auto& pixel : frame.pixels) pixel = static_cast<std::uint16_t>(random());
    image.frames.push_back(std::move(frame));
  }
  const auto bytes = protocol::EncodeGx96(image);
  {
    std::ofstream(folder / "prepared.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::ofstream(app / "gif" / "tarvo_k9" / "0.gif") << "GIF89a";
    const fs::path converter = app / "gif" / "qgif";
    std::ofstream(converter) << "#!/bin/sh\ncp \"" << (folder / "prepared.bin").string()
                             << "\" \"$5\"\n";
    fs::permissions(converter, fs::perms::owner_all);
  }
  double ratio = 0;
  double exchanges = 0;
  for (auto _ : state) {
    state.PauseTiming();
    sim::VirtualHidBus bus;
    const auto keyboard =
        sim::AddCatalogueKeyboard(bus, fs::path(TARVO_SOURCE_DIR) / "data", 101).value();
    bus.ModifyState(keyboard, [](sim::KeyboardState& keyboardState) {
      keyboardState.screen.appearDelay = 0ms;
      keyboardState.screen.disappearDelay = 0ms;
    });
    bus.PlugCable(keyboard);
    device::HidDeviceManager link(bus);
    link.AddCatalogueEntry({0x36B0, 0x3001, "", 101, 0});
    link.EnumerateDevice();
    link.SetSelectedModel(101);
    screen::ScreenUploadService service(link, {}, {},
                                        [](std::chrono::milliseconds) { return true; });
    screen::UploadRequest request;
    request.appFolder = app;
    request.dataFolder = data;
    request.model = "tarvo_k9";
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    const auto result = service.UploadScreenMedia(request);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    state.PauseTiming();
    if (!result.Succeeded()) state.SkipWithError("upload failed");
    exchanges = static_cast<double>(bus.State(keyboard)->screen.commands.size());
    const double floorSeconds = exchanges * 0.004;
    ratio = std::chrono::duration<double>(elapsed).count() / floorSeconds;
    state.ResumeTiming();
  }
  state.counters["image_bytes"] = static_cast<double>(bytes.size());
  state.counters["screen_exchanges"] = exchanges;
  state.counters["ratio_to_floor"] = ratio;
}
BENCHMARK(BM_UploadAgainstLinkFloor)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

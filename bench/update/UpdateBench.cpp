// The update check and a 50 MB package download against a simulated server on loopback.
// Targets: a check well under 1 s; the download under 2 s with at most 101 progress reports.

#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/Http.h"
#include "support/TempFolder.h"
#include "update/ScriptedHttpServer.h"
#include "update/UpdateService.h"

namespace {

// The server is on loopback: a proxy named by the environment must not be asked.
void BypassProxies() {
  setenv("no_proxy", "127.0.0.1", 1);
  setenv("NO_PROXY", "127.0.0.1", 1);
}

void BM_UpdateCheck(benchmark::State& state) {
  BypassProxies();
  ScriptedHttpServer server;
  server.Script("/update/version", ScriptedResponse::Text("1.0.3.0\r\n"));
  TempFolder folder;
  update::UpdateSettings settings;
  settings.upgradeAddress = server.Url("/update/");
  settings.applicationVersion = "1.0.2.0";
  settings.tempFolder = folder / "temp";
  update::UpdateService service(settings);
  for (auto _ : state) {
    const update::CheckResult result = service.CheckUpdates();
    if (result.outcome != update::CheckOutcome::NewerVersion) state.SkipWithError("check failed");
  }
}
BENCHMARK(BM_UpdateCheck)->Unit(benchmark::kMillisecond);

void BM_Download50MB(benchmark::State& state) {
  BypassProxies();
  constexpr std::size_t kSize = 50u << 20;
  std::string body(kSize, '\0');
  for (std::size_t i = 0; i < kSize; ++i) body[i] = static_cast<char>(i * 131 >> 7);
  ScriptedHttpServer server;
  server.Script("/package.zip", ScriptedResponse::Text(std::move(body)));
  TempFolder folder;
  const platform::HttpClient client;
  int mostReports = 0;
  for (auto _ : state) {
    int reports = 0;
    const platform::HttpStatus status = client.DownloadToFile(
        server.Url("/package.zip"), folder / "package.zip", kSize, [&](int) { ++reports; });
    if (status != platform::HttpStatus::Ok) state.SkipWithError("download failed");
    mostReports = std::max(mostReports, reports);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
  state.counters["progress_reports"] = mostReports;
  if (mostReports > 101) state.SkipWithError("more than 101 progress reports");
}
BENCHMARK(BM_Download50MB)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

#include "platform/Http.h"
#include "support/TempFolder.h"
#include "update/ScriptedHttpServer.h"

namespace {

using namespace std::chrono_literals;
using platform::HttpStatus;

std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Pattern(std::size_t size) {
  std::string data(size, '\0');
  for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return data;
}

platform::HttpOptions QuickOptions() {
  platform::HttpOptions options;
  options.connectTimeout = 2s;
  // Long enough that a loaded machine never looks stalled, short enough for the stall case.
  options.stallTimeout = 2s;
  return options;
}

class Http : public ::testing::Test {
 protected:
  std::vector<int> Download(const std::string& path, HttpStatus expected) {
    std::vector<int> progress;
    EXPECT_EQ(client_.DownloadToFile(server_.Url(path), target_, 1 << 30,
                                     [&](int percent) { progress.push_back(percent); }),
              expected);
    EXPECT_FALSE(std::filesystem::exists(target_.string() + ".part"));
    return progress;
  }

  ScriptedHttpServer server_;
  TempFolder folder_;
  std::filesystem::path target_ = folder_ / "package.zip";
  platform::HttpClient client_{QuickOptions()};
};

TEST_F(Http, GetSendsTheRequestHeadersAndKeepsOnlyA2xxBodyAsResult) {
  server_.Script("/version", ScriptedResponse::Text("1.0.3.0"));
  server_.Script("/broken", ScriptedResponse::Text("Internal", 500));
  const platform::HttpResponse ok = client_.Get(server_.Url("/version"), 4096);
  EXPECT_EQ(ok.status, HttpStatus::Ok);
  EXPECT_EQ(ok.statusCode, 200);
  EXPECT_EQ(ok.body, "1.0.3.0");
  const std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].Header("User-Agent"), platform::HttpClient::kUserAgent);
  EXPECT_EQ(requests[0].Header("Accept"), "*/*");
  EXPECT_EQ(requests[0].Header("Pragma"), "no-cache");

  const platform::HttpResponse missing = client_.Get(server_.Url("/nothing"), 4096);
  EXPECT_EQ(missing.status, HttpStatus::HttpError);
  EXPECT_EQ(missing.statusCode, 404);
  EXPECT_EQ(missing.body, "Not Found");
  EXPECT_EQ(client_.Get(server_.Url("/broken"), 4096).status, HttpStatus::HttpError);
}

TEST_F(Http, BodyOverTheCapIsRefusedAnnouncedOrNot) {
  ScriptedResponse unannounced = ScriptedResponse::Text(std::string(5000, '1'));
  unannounced.announceLength = false;
  server_.Script("/announced", ScriptedResponse::Text(std::string(5000, '1')));
  server_.Script("/unannounced", unannounced);
  server_.Script("/exact", ScriptedResponse::Text(std::string(4096, '1')));
  EXPECT_EQ(client_.Get(server_.Url("/announced"), 4096).status, HttpStatus::TooLarge);
  EXPECT_EQ(client_.Get(server_.Url("/unannounced"), 4096).status, HttpStatus::TooLarge);
  EXPECT_EQ(client_.Get(server_.Url("/exact"), 4096).body.size(), 4096u);
}

TEST_F(Http, FollowsAtMostFiveRedirectsAndOnlyToHttp) {
  for (int i = 0; i < 6; ++i) {
    server_.Script("/r" + std::to_string(i),
                   ScriptedResponse::Redirect("/r" + std::to_string(i + 1)));
  }
  server_.Script("/r6", ScriptedResponse::Text("arrived"));
  server_.Script("/to-file", ScriptedResponse::Redirect("file:///etc/hostname"));
  server_.Script("/to-ftp", ScriptedResponse::Redirect("ftp://127.0.0.1/x"));
  EXPECT_EQ(client_.Get(server_.Url("/r1"), 100).body, "arrived");  // five redirects
  EXPECT_EQ(client_.Get(server_.Url("/r0"), 100).status, HttpStatus::Failed);
  EXPECT_EQ(server_.CountRequests("/r6"), 1u);
  for (const char* path : {"/to-file", "/to-ftp"}) {
    const platform::HttpResponse response = client_.Get(server_.Url(path), 100);
    EXPECT_EQ(response.status, HttpStatus::BadAddress) << path;
    EXPECT_TRUE(response.body.empty()) << path;
  }
}

TEST_F(Http, RefusesAddressesOfOtherKinds) {
  for (const std::string url : {"", "ftp://127.0.0.1/a", "file:///etc/hostname", "http://",
                                "http://127.0.0.1/a b", "http://127.0.0.1/a\nb", "127.0.0.1/a"}) {
    EXPECT_EQ(client_.Get(url, 100).status, HttpStatus::BadAddress) << url;
    EXPECT_EQ(client_.DownloadToFile(url, target_, 100), HttpStatus::BadAddress) << url;
  }
  EXPECT_TRUE(server_.Requests().empty());
  EXPECT_FALSE(std::filesystem::exists(target_));
}

TEST_F(Http, DownloadReportsEachRisingPercentOnceAndPutsTheWholeFileInPlace) {
  const std::string body = Pattern(3'000'000);
  server_.Script("/package.zip", ScriptedResponse::Text(body));
  const std::vector<int> progress = Download("/package.zip", HttpStatus::Ok);
  EXPECT_EQ(ReadFile(target_), body);
  ASSERT_GE(progress.size(), 5u);
  EXPECT_EQ(progress.front(), 0);
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()), progress.end());
  EXPECT_NE(std::find(progress.begin(), progress.end(), 8), progress.end());
  EXPECT_NE(std::find(progress.begin(), progress.end(), 10), progress.end());
}

TEST_F(Http, DownloadWithoutAnnouncedLengthReportsOnlyTheStages) {
  ScriptedResponse response = ScriptedResponse::Text(Pattern(200'000));
  response.announceLength = false;
  server_.Script("/package.zip", response);
  EXPECT_EQ(Download("/package.zip", HttpStatus::Ok), (std::vector<int>{0, 2, 8, 10, 100}));
  EXPECT_EQ(ReadFile(target_), *response.body);
}

TEST_F(Http, FailedDownloadsLeaveTheEarlierFileAlone) {
  ScriptedResponse truncated = ScriptedResponse::Text(Pattern(100'000));
  truncated.sendOnly = 50'000;
  ScriptedResponse stalled = truncated;
  stalled.stall = true;
  ScriptedResponse silent;
  silent.silent = true;
  server_.Script("/truncated", truncated);
  server_.Script("/stalled", stalled);
  server_.Script("/silent", silent);
  std::ofstream(target_) << "earlier";
  const struct {
    const char* path;
    HttpStatus status;
  } cases[] = {{"/truncated", HttpStatus::Truncated},
               {"/stalled", HttpStatus::TimedOut},
               {"/silent", HttpStatus::TimedOut},
               {"/missing", HttpStatus::HttpError}};
  for (const auto& [path, status] : cases) {
    const std::vector<int> progress = Download(path, status);
    EXPECT_EQ(std::count(progress.begin(), progress.end(), 100), 0) << path;
    EXPECT_EQ(ReadFile(target_), "earlier") << path;
  }
}

TEST_F(Http, AFailedWriteFailsTheDownload) {
  server_.Script("/package.zip", ScriptedResponse::Text(Pattern(1'000'000)));
  EXPECT_EQ(
      client_.DownloadToFile(server_.Url("/package.zip"), folder_ / "missing" / "p.zip", 1 << 30),
      HttpStatus::WriteFailed);
  // A file size limit makes the writes fail part way, whoever runs the test.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const HttpStatus status = client_.DownloadToFile(server_.Url("/package.zip"), target_, 1 << 30);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(status, HttpStatus::WriteFailed);
  EXPECT_FALSE(std::filesystem::exists(target_));
  EXPECT_FALSE(std::filesystem::exists(target_.string() + ".part"));
}

TEST_F(Http, DownloadOverTheCapIsRefused) {
  server_.Script("/package.zip", ScriptedResponse::Text(Pattern(10'000)));
  EXPECT_EQ(client_.DownloadToFile(server_.Url("/package.zip"), target_, 9'999),
            HttpStatus::TooLarge);
  EXPECT_FALSE(std::filesystem::exists(target_));
}

TEST_F(Http, CancelFromAnotherThreadEndsAStalledDownload) {
  // The default stall time of 30 s: only the cancel request can end this download early.
  const platform::HttpClient patient;
  ScriptedResponse stalled = ScriptedResponse::Text(Pattern(100'000));
  stalled.sendOnly = 30'000;
  stalled.stall = true;
  server_.Script("/package.zip", stalled);
  std::atomic<bool> receiving{false};
  std::atomic<bool> cancel{false};
  std::thread canceller([&] {
    while (!receiving.load()) std::this_thread::sleep_for(1ms);
    cancel.store(true);
  });
  const HttpStatus status = patient.DownloadToFile(
      server_.Url("/package.zip"), target_, 1 << 30,
      [&](int percent) {
        if (percent >= 10) receiving.store(true);
      },
      [&] { return cancel.load(); });
  canceller.join();
  EXPECT_EQ(status, HttpStatus::Cancelled);
  EXPECT_FALSE(std::filesystem::exists(target_));
  EXPECT_FALSE(std::filesystem::exists(target_.string() + ".part"));
}

}  // namespace

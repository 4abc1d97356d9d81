#include "platform/Http.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <mutex>
#include <optional>

#include "base/Log.h"
#include "base/Text.h"
#include "platform/UniqueFd.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace platform {

namespace {

constexpr long kPollIntervalMs = 100;
constexpr long kReceiveBufferBytes = 256 * 1024;

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiCleanup {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListCleanup {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

void InitialiseCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsSuccess(long statusCode) {
  return statusCode >= 200 && statusCode < 300;
}

// One request in flight: what the callbacks need and what they found out.
struct Transfer {
  CURL* easy = nullptr;
  Clock::time_point lastActivity = Clock::now();
  std::uint64_t limit = 0;
  std::uint64_t received = 0;
  bool keepErrorBody = false;
  // Takes body bytes of a 2xx answer; false when they could not be kept.
  std::function<bool(const char*, std::size_t)> sink;
  // Called once when the headers of the final 2xx answer are complete.
  std::function<void()> onHeaders;
  std::string errorBody;

  bool tooLarge = false;
  bool writeFailed = false;
  bool refusedStatus = false;
  bool headersDone = false;
  long finalStatusCode = 0;  // set when the request is over

  long StatusCode() const {
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    return code;
  }
};

std::size_t OnHeaderLine(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  transfer.lastActivity = Clock::now();
  const std::string_view line(data, bytes);
  const bool endOfHeaders = line == "\r\n" || line == "\n";
  if (endOfHeaders && !transfer.headersDone && IsSuccess(transfer.StatusCode())) {
    transfer.headersDone = true;
    if (transfer.onHeaders) transfer.onHeaders();
  }
  return bytes;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& transfer = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  transfer.lastActivity = Clock::now();
  if (!IsSuccess(transfer.StatusCode())) {
    // The body of a refused request is only of interest to a caller that shows it.
    if (!transfer.keepErrorBody) {
      transfer.refusedStatus = true;
      return 0;
    }
    const std::size_t room =
        transfer.limit - std::min<std::uint64_t>(transfer.limit, transfer.errorBody.size());
    transfer.errorBody.append(data, std::min(bytes, room));
    return bytes;
  }
  if (bytes > transfer.limit - transfer.received) {
    transfer.tooLarge = true;
    return 0;
  }
  transfer.received += bytes;
  if (!transfer.sink(data, bytes)) {
    transfer.writeFailed = true;
    return 0;
  }
  return bytes;
}

HttpStatus FromCurlCode(CURLcode code, const Transfer& transfer) {
  switch (code) {
    case CURLE_OK:
      return IsSuccess(transfer.StatusCode()) ? HttpStatus::Ok : HttpStatus::HttpError;
    case CURLE_WRITE_ERROR:
      if (transfer.tooLarge) return HttpStatus::TooLarge;
      if (transfer.refusedStatus) return HttpStatus::HttpError;
      return HttpStatus::WriteFailed;
    case CURLE_FILESIZE_EXCEEDED:
      return HttpStatus::TooLarge;
    case CURLE_PARTIAL_FILE:
      return HttpStatus::Truncated;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpStatus::TimedOut;
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
      return HttpStatus::BadAddress;
    default:
      return HttpStatus::Failed;
  }
}

bool Configure(CURL* easy, const std::string& url, const HttpOptions& options, curl_slist* headers,
               Transfer& transfer) {
  bool ok = curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_MAXREDIRS, options.maxRedirects) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS,
                              static_cast<long>(options.connectTimeout.count())) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_USERAGENT, HttpClient::kUserAgent) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes) == CURLE_OK;
  ok = ok &&
       curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                        static_cast<curl_off_t>(std::min<std::uint64_t>(
                            transfer.limit, static_cast<std::uint64_t>(INT64_MAX)))) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeaderLine) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody) == CURLE_OK;
  ok = ok && curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer) == CURLE_OK;
  return ok;
}

// Drives the request, checking the cancel request and the stall clock between the steps, so
// that both take effect within one poll interval.
HttpStatus Perform(const std::string& url, const HttpOptions& options, Transfer& transfer,
                   const CancelCheck& cancel) {
  InitialiseCurlOnce();
  EasyHandle easy(curl_easy_init());
  MultiHandle multi(curl_multi_init());
  // The cache must never answer for the server: an update check has to see the server's text.
  HeaderList headers;
  for (const char* line : {"Accept: */*", "Pragma: no-cache", "Cache-Control: no-cache"}) {
    curl_slist* extended = curl_slist_append(headers.get(), line);
    if (extended == nullptr) return HttpStatus::Failed;
    (void)headers.release();  // the list keeps its head; `extended` is the same list
    headers.reset(extended);
  }
  if (!easy || !multi) return HttpStatus::Failed;
  transfer.easy = easy.get();
  if (!Configure(easy.get(), url, options, headers.get(), transfer) ||
      curl_multi_add_handle(multi.get(), easy.get()) != CURLM_OK) {
    transfer.easy = nullptr;
    return HttpStatus::Failed;
  }

  std::optional<HttpStatus> stopped;
  transfer.lastActivity = Clock::now();
  int running = 1;
  while (true) {
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
      stopped = HttpStatus::Failed;
      break;
    }
    if (running == 0) break;
    if (cancel && cancel()) {
      stopped = HttpStatus::Cancelled;
      break;
    }
    if (Clock::now() - transfer.lastActivity > options.stallTimeout) {
      stopped = HttpStatus::TimedOut;
      break;
    }
    curl_multi_poll(multi.get(), nullptr, 0, kPollIntervalMs, nullptr);
  }
  CURLcode code = CURLE_OK;
  if (!stopped) {
    int queued = 0;
    CURLMsg* message = curl_multi_info_read(multi.get(), &queued);
    if (message == nullptr || message->msg != CURLMSG_DONE) {
      stopped = HttpStatus::Failed;
    } else {
      code = message->data.result;
    }
  }
  curl_multi_remove_handle(multi.get(), easy.get());
  const HttpStatus status = stopped ? *stopped : FromCurlCode(code, transfer);
  // The handle goes with this function: keep what the caller may still ask.
  transfer.finalStatusCode = transfer.StatusCode();
  transfer.easy = nullptr;
  return status;
}

// Reports each percentage once, rising, within 0 to 100.
class ProgressReporter {
 public:
  explicit ProgressReporter(const ProgressCallback& callback) : callback_(callback) {}
  void Report(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent <= last_ || !callback_) return;
    last_ = percent;
    callback_(percent);
  }

 private:
  const ProgressCallback& callback_;
  int last_ = -1;
};

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Makes the finished part file durable and moves it over the target.
bool PutInPlace(UniqueFd& file, const fs::path& part, const fs::path& target) {
  if (::fsync(file.Get()) != 0) return false;
  if (::close(file.Release()) != 0) return false;
  return ::rename(part.c_str(), target.c_str()) == 0;
}

}  // namespace

const char* ToString(HttpStatus status) {
  switch (status) {
    case HttpStatus::Ok:
      return "ok";
    case HttpStatus::BadAddress:
      return "bad address";
    case HttpStatus::HttpError:
      return "server refused";
    case HttpStatus::TooLarge:
      return "too large";
    case HttpStatus::Truncated:
      return "truncated";
    case HttpStatus::TimedOut:
      return "timed out";
    case HttpStatus::Cancelled:
      return "cancelled";
    case HttpStatus::WriteFailed:
      return "write failed";
    case HttpStatus::Failed:
      return "failed";
  }
  return "unknown";
}

HttpClient::HttpClient(HttpOptions options) : options_(options) {}

bool HttpClient::IsFetchableUrl(const std::string& url) {
  const std::string lower = base::ToLowerAscii(url);
  const std::size_t prefix = lower.starts_with("https://")  ? 8
                             : lower.starts_with("http://") ? 7
                                                            : 0;
  if (prefix == 0 || url.size() == prefix) return false;
  return std::none_of(url.begin(), url.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte <= 0x20 || byte == 0x7F;
  });
}

HttpResponse HttpClient::Get(const std::string& url, std::size_t maxBodyBytes,
                             const CancelCheck& cancel) const {
  HttpResponse response;
  if (!IsFetchableUrl(url)) {
    response.status = HttpStatus::BadAddress;
    return response;
  }
  Transfer transfer;
  transfer.limit = maxBodyBytes;
  transfer.keepErrorBody = true;
  transfer.sink = [&response](const char* data, std::size_t size) {
    response.body.append(data, size);
    return true;
  };
  response.status = Perform(url, options_, transfer, cancel);
  response.statusCode = transfer.finalStatusCode;
  if (response.status == HttpStatus::HttpError) response.body = std::move(transfer.errorBody);
  if (response.status != HttpStatus::Ok && response.status != HttpStatus::HttpError)
    response.body.clear();
  base::DebugLog("http: GET %s: %s (%ld, %zu bytes)", url.c_str(), ToString(response.status),
                 response.statusCode, response.body.size());
  return response;
}

HttpStatus HttpClient::DownloadToFile(const std::string& url, const fs::path& target,
                                      std::uint64_t maxBytes, const ProgressCallback& progress,
                                      const CancelCheck& cancel) const {
  ProgressReporter reporter(progress);
  reporter.Report(0);
  if (!IsFetchableUrl(url) || target.empty()) return HttpStatus::BadAddress;
  const fs::path part = target.string() + ".part";
  UniqueFd file(::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644));
  if (!file.IsValid()) return HttpStatus::WriteFailed;
  reporter.Report(2);

  Transfer transfer;
  transfer.limit = maxBytes;
  std::uint64_t announced = 0;
  transfer.onHeaders = [&] {
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    announced = length > 0 ? static_cast<std::uint64_t>(length) : 0;
    reporter.Report(8);
    reporter.Report(10);
  };
  transfer.sink = [&](const char* data, std::size_t size) {
    if (!WriteAll(file.Get(), data, size)) return false;
    if (announced > 0) {
      const std::uint64_t share =
          std::min<std::uint64_t>(transfer.received, announced) * 89 / announced;
      reporter.Report(10 + static_cast<int>(share));
    }
    return true;
  };
  HttpStatus status = Perform(url, options_, transfer, cancel);
  if (status == HttpStatus::Ok && !PutInPlace(file, part, target)) status = HttpStatus::WriteFailed;
  if (status != HttpStatus::Ok) {
    file.Reset();
    ::unlink(part.c_str());
  } else {
    reporter.Report(100);
  }
  base::DebugLog("http: download %s: %s (%llu bytes)", url.c_str(), ToString(status),
                 static_cast<unsigned long long>(transfer.received));
  return status;
}

}  // namespace platform

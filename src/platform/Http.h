#pragma once
// HTTP requests of the application (the update server): a GET into memory with a size cap and
// a download into a file with progress and cancellation. Only http and https are spoken, at
// most five redirects are followed, proxies come from the environment (http_proxy,
// https_proxy, no_proxy), and only a 2xx answer counts as a result.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace platform {

// Asked while a transfer runs (at least every 100 ms); true ends the transfer.
using CancelCheck = std::function<bool()>;
// Receives the progress of a download in percent: rising, at most once per value, never
// above 100; 100 only once the file is whole and in place.
using ProgressCallback = std::function<void(int percent)>;

struct HttpOptions {
  std::chrono::milliseconds connectTimeout{15000};
  // The transfer ends when no byte arrived for this long.
  std::chrono::milliseconds stallTimeout{30000};
  long maxRedirects = 5;
};

enum class HttpStatus {
  Ok,           // a 2xx answer, whole
  BadAddress,   // not an http or https address
  HttpError,    // the server answered with a status other than 2xx
  TooLarge,     // the body is larger than allowed
  Truncated,    // the connection ended before the whole body arrived
  TimedOut,     // no connection in time, or no progress for the stall time
  Cancelled,    // the cancel check asked to stop
  WriteFailed,  // the file could not be created, written or put in place
  Failed,       // any other network failure (name resolution, refused, too many redirects...)
};

const char* ToString(HttpStatus status);

struct HttpResponse {
  HttpStatus status = HttpStatus::Failed;
  long statusCode = 0;  // the last HTTP status seen, 0 when none arrived
  std::string body;     // also kept for a non-2xx answer (within the cap)
};

class HttpClient {
 public:
  // The request headers every request carries.
  static constexpr const char* kUserAgent = "IIC2.0/PC 5.5.0000";

  explicit HttpClient(HttpOptions options = {});

  // GET into memory; a body longer than maxBodyBytes fails with TooLarge.
  HttpResponse Get(const std::string& url, std::size_t maxBodyBytes,
                   const CancelCheck& cancel = {}) const;

  // GET into `target`. The body goes to "<target>.part", which replaces `target` only when the
  // answer was a whole 2xx body; otherwise it is removed and `target` stays as it was.
  // Progress: 0 at the start, 2 when the request is ready, 8 when the answer's headers arrived,
  // 10 once the file is ready, then 10 to 99 by the received share of the announced length
  // (none without an announced length), and 100 when the file is in place.
  HttpStatus DownloadToFile(const std::string& url, const std::filesystem::path& target,
                            std::uint64_t maxBytes, const ProgressCallback& progress = {},
                            const CancelCheck& cancel = {}) const;

  const HttpOptions& GetOptions() const { return options_; }

  // Whether the address is one this client may fetch: http:// or https://, no blanks or
  // control characters.
  static bool IsFetchableUrl(const std::string& url);

 private:
  HttpOptions options_;
};

}  // namespace platform

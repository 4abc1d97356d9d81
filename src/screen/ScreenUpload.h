#pragma once
// The worker-side service of the keyboard's screen: uploading the screens' animations into the
// screen flash, and setting the screen's clock. Both switch the keyboard to its screen channel
// (a second HID interface that appears on request), run a session on it and close the session
// on every way out once it was opened.
//
// The upload converts each screen's GIF with the converter, checks that the converted set fits
// the flash before anything is erased, writes the media table, erases, writes every image in
// 56-byte chunks and finishes; progress goes to a callback as numbered lines with a
// percentage. A failure is reported as such, naming the images that were not written.
//
// Runs on the device worker thread; every pause goes through the waiter, which ends the
// operation at once when the worker is asked to stop.

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/TextIds.h"
#include "protocol/ScreenPackets.h"
#include "screen/Converter.h"
#include "screen/ScreenMedia.h"

namespace device {
class HidDeviceManager;
}

namespace screen {

// Texts of the upload's log lines (section "KB.DIALOG" of the language tables).
namespace upload_text {
inline constexpr int kNoScreenChannel = text::kUploadNoScreenChannel;
inline constexpr int kDoesNotFit = text::kUploadDoesNotFit;
inline constexpr int kNotWritten = text::kUploadNotWritten;
inline constexpr int kStopped = text::kUploadStopped;
inline constexpr int kUnusableImage = text::kUploadUnusableImage;
}  // namespace upload_text

// The language text with this number; an empty text makes the service use its own English
// words for the numbers in upload_text.
using TextLookup = std::function<std::string(int textId)>;
// One log line with the overall percentage (0 to 100) reached.
using ProgressCallback = std::function<void(int percent, const std::string& line)>;
// Pauses the worker; false when the worker is asked to stop.
using Waiter = std::function<bool(std::chrono::milliseconds)>;

enum class ScreenStatus {
  kDone,
  kPartlyWritten,     // the session ran to its end, but some images were not written
  kNoSources,         // no screen has an animation
  kNoScreenChannel,   // the keyboard's screen channel did not appear
  kConversionFailed,  // the converter failed for an image
  kImageUnusable,     // a converted file could not be read or is no screen image
  kDoesNotFit,        // the converted set does not fit the screen flash; nothing was erased
  kLinkFailed,        // an exchange on the screen channel went unanswered before the writes
  kStopped,           // the worker was asked to stop
};

struct ImageReport {
  int screen = 0;
  std::filesystem::path source;     // the GIF
  std::filesystem::path converted;  // gif_<n>.bin
  std::size_t bytes = 0;
  bool written = false;
  std::string problem;  // why it was not written (diagnostics)
};

struct UploadResult {
  ScreenStatus status = ScreenStatus::kNoSources;
  std::vector<ImageReport> images;
  bool Succeeded() const { return status == ScreenStatus::kDone; }
  // The GIF file names of the images that were not written.
  std::vector<std::string> NotWritten() const;
};

struct UploadRequest {
  std::filesystem::path appFolder;   // holds gif/qgif and gif/<model>/<screen>.gif
  std::filesystem::path dataFolder;  // holds default_gif/<model>/ and the converted files
  std::string model;                 // the model's folder name
  int width = kScreenWidth;
  int height = kScreenHeight;
  std::chrono::milliseconds converterTimeout{std::chrono::minutes(2)};
};

class ScreenUploadService {
 public:
  // At most this many images are uploaded; more are cut from the end.
  static constexpr std::size_t kMaxImages = 5;

  explicit ScreenUploadService(device::HidDeviceManager& link, TextLookup texts = {},
                               ProgressCallback progress = {}, Waiter wait = {});

  // Device task 26.
  UploadResult UploadScreenMedia(const UploadRequest& request);
  // Device task 29.
  ScreenStatus SyncScreenClock(const protocol::ClockTime& time);

  // The local time now, as the clock command carries it.
  static protocol::ClockTime LocalClockTime();

 private:
  struct Image;
  class Session;

  std::string Text(int textId) const;
  void Log(int percent, const std::string& line);
  bool Pause(std::chrono::milliseconds duration);
  bool Send(const protocol::ScreenPacket& packet);
  bool RequestScreenChannel();
  std::optional<ScreenStatus> OpenScreenChannel(int rounds, int attempts,
                                                std::chrono::milliseconds interval);

  std::vector<ScreenSource> CollectSources(const UploadRequest& request, UploadResult& result);
  ScreenStatus ConvertAll(const UploadRequest& request, std::vector<Image>& images);
  ScreenStatus ReadConverted(std::vector<Image>& images);
  ScreenStatus SendTableAndErase(const std::vector<Image>& images, const protocol::FlashPlan& plan);
  void WriteImages(std::vector<Image>& images, const protocol::FlashPlan& plan);
  bool WriteImage(Image& image, std::size_t number, std::size_t count, std::uint32_t address,
                  std::size_t done, std::size_t total);
  void Finish(std::vector<Image>& images, Session& session);
  ScreenStatus RunSession(const UploadRequest& request, std::vector<Image>& images);

  device::HidDeviceManager& link_;
  TextLookup texts_;
  ProgressCallback progress_;
  Waiter wait_;
};

}  // namespace screen

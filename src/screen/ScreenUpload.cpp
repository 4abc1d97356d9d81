#include "screen/ScreenUpload.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>
#include <system_error>
#include <thread>

#include "base/Log.h"
#include "device/HidDeviceManager.h"
#include "media/FileIo.h"
#include "protocol/Commands.h"
#include "protocol/Gx96.h"

namespace screen {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
namespace cmd = protocol::screen_command;

// Converted files beyond this cannot fit the flash anyway.
constexpr std::size_t kMaxConvertedBytes = protocol::kMaxFlashAddress + 1;
constexpr std::size_t kShortestImage = 10;
constexpr milliseconds kAfterChannelRequest{500};
constexpr milliseconds kUploadOpenInterval{1000};
constexpr milliseconds kClockOpenInterval{500};
constexpr int kUploadOpenRounds = 2;
constexpr int kUploadOpenAttempts = 10;
constexpr int kClockOpenAttempts = 6;
constexpr milliseconds kEraseWaitPerBlock{500};
constexpr std::size_t kChunksPerLogLine = 10;

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string text(static_cast<std::size_t>(std::max(length, 0)), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, arguments);
  va_end(arguments);
  return text;
}

// English words for the texts this system added to the upload.
std::string OwnText(int textId) {
  switch (textId) {
    case upload_text::kNoScreenChannel:
      return "The keyboard's screen channel did not appear; nothing was uploaded.";
    case upload_text::kDoesNotFit:
      return "The animations do not fit into the screen memory; nothing was erased.";
    case upload_text::kNotWritten:
      return "The upload ended with errors. Not written:";
    case upload_text::kStopped:
      return "The upload was stopped.";
    case upload_text::kUnusableImage:
      return "A converted animation is not a screen image; the upload is cancelled:";
    default:
      return {};
  }
}

}  // namespace

struct ScreenUploadService::Image {
  ImageReport report;
  std::vector<std::uint8_t> bytes;
};

// The session on the screen channel: begun with 0x10, ended with 0x11 on every way out.
class ScreenUploadService::Session {
 public:
  explicit Session(ScreenUploadService& service) : service_(service) {}
  ~Session() { End(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  bool Begin() {
    open_ = true;  // a begin that went unanswered may still have arrived
    return service_.Send(protocol::MakeScreenPacket(cmd::kBegin, 0, 0));
  }
  bool End() {
    if (!open_) return true;
    open_ = false;
    const bool answered = service_.Send(protocol::MakeScreenPacket(cmd::kEnd, 0, 0));
    service_.link_.CloseScreenDevice();  // the channel leaves once the session has ended
    return answered;
  }

 private:
  ScreenUploadService& service_;
  bool open_ = false;
};

std::vector<std::string> UploadResult::NotWritten() const {
  std::vector<std::string> names;
  for (const ImageReport& image : images) {
    if (!image.written) names.push_back(image.source.filename().string());
  }
  return names;
}

ScreenUploadService::ScreenUploadService(device::HidDeviceManager& link, TextLookup texts,
                                         ProgressCallback progress, Waiter wait)
    : link_(link),
      texts_(std::move(texts)),
      progress_(std::move(progress)),
      wait_(std::move(wait)) {}

std::string ScreenUploadService::Text(int textId) const {
  std::string text = texts_ ? texts_(textId) : std::string();
  return text.empty() ? OwnText(textId) : text;
}

void ScreenUploadService::Log(int percent, const std::string& line) {
  base::DebugLog("%s", line.c_str());
  if (progress_) progress_(std::clamp(percent, 0, 100), line);
}

bool ScreenUploadService::Pause(milliseconds duration) {
  if (wait_) return wait_(duration);
  std::this_thread::sleep_for(duration);
  return true;
}

bool ScreenUploadService::Send(const protocol::ScreenPacket& packet) {
  protocol::ScreenPacket report = packet;
  return link_.SendScreenFrame(report);
}

// Asks the keyboard, on its command interface, to bring up the screen channel.
bool ScreenUploadService::RequestScreenChannel() {
  link_.BracketOpen();
  std::array<std::uint8_t, protocol::kScreenDataLength> request{};
  const bool accepted = link_.TransferBlock(protocol::command::kOpenScreenChannel, request);
  const bool waited = Pause(kAfterChannelRequest);
  link_.BracketClose();
  return accepted && waited;
}

// Rounds of a request followed by attempts to open the channel; a round whose request is
// refused is not waited for. Empty when the channel is open.
std::optional<ScreenStatus> ScreenUploadService::OpenScreenChannel(int rounds, int attempts,
                                                                   milliseconds interval) {
  for (int round = 0; round < rounds; ++round) {
    if (!RequestScreenChannel()) {
      if (!Pause(milliseconds{0})) return ScreenStatus::kStopped;
      continue;
    }
    for (int attempt = 0; attempt < attempts; ++attempt) {
      if (!Pause(interval)) return ScreenStatus::kStopped;
      if (link_.OpenScreenDevice()) return std::nullopt;
    }
  }
  Log(0, Text(upload_text::kNoScreenChannel));
  return ScreenStatus::kNoScreenChannel;
}

// --- upload --------------------------------------------------------------------------------

std::vector<ScreenSource> ScreenUploadService::CollectSources(const UploadRequest& request,
                                                              UploadResult& result) {
  Log(0, "[1/8] " + Text(1100));
  std::vector<ScreenSource> sources =
      CollectScreenSources(request.dataFolder, request.appFolder, request.model);
  for (int screen = 0, next = 0; screen < kScreenCount; ++screen) {
    const bool found = next < static_cast<int>(sources.size()) &&
                       sources[static_cast<std::size_t>(next)].screen == screen;
    if (!found) {
      Log(0, Format("  [\u00D7] %s %d %s", Text(1108).c_str(), screen, Text(1107).c_str()));
      continue;
    }
    const ScreenSource& source = sources[static_cast<std::size_t>(next++)];
    Log(0, Format("  [?] %s %d: %s", Text(source.userChoice ? 1105 : 1106).c_str(), screen,
                  source.gif.c_str()));
  }
  Log(0, Format("[1/8] %s %zu %s", Text(1101).c_str(), sources.size(), Text(1102).c_str()));
  if (sources.empty()) {
    Log(0, Text(1103));
    const fs::path folder = request.dataFolder / "default_gif" / request.model;
    Log(0, Format("%s %s", Text(1104).c_str(), folder.c_str()));
    result.status = ScreenStatus::kNoSources;
    return sources;
  }
  if (sources.size() > kMaxImages) {
    Log(0, Format("%s %zu %s %zu%s %zu %s", Text(1190).c_str(), sources.size(), Text(1191).c_str(),
                  kMaxImages, Text(1192).c_str(), kMaxImages, Text(1193).c_str()));
    sources.resize(kMaxImages);
  }
  Log(0, Format("[0%%] %s %zu %s", Text(1112).c_str(), sources.size(), Text(1113).c_str()));
  return sources;
}

ScreenStatus ScreenUploadService::ConvertAll(const UploadRequest& request,
                                             std::vector<Image>& images) {
  const std::size_t count = images.size();
  for (std::size_t j = 0; j < count; ++j) {
    const int percent = static_cast<int>(5 + 30 * j / count);
    Log(percent, Format("[3/8][%d%%] %s %zu/%zu %s", percent, Text(1120).c_str(), j + 1, count,
                        Text(1121).c_str()));
    ImageReport& report = images[j].report;
    report.converted = ConvertedImagePath(request.dataFolder, static_cast<int>(j + 1));
    if (!Send(protocol::MakeScreenPacket(cmd::kConversionMark, 0, 0)))
      return ScreenStatus::kLinkFailed;
    ConverterOptions options;
    options.timeout = request.converterTimeout;
    options.onOutput = [this, percent](const std::string& text) { Log(percent, text); };
    options.shouldStop = [this] { return !Pause(milliseconds{0}); };
    const ConverterResult converted =
        ConvertForScreen(ConverterPath(request.appFolder), report.source, report.converted,
                         request.width, request.height, options);
    if (converted.status == ConverterStatus::kStopped) return ScreenStatus::kStopped;
    if (!converted.Succeeded()) {
      report.problem = converted.problem;
      base::DebugLog("%s", converted.problem.c_str());
      Log(percent, Text(1123));
      return ScreenStatus::kConversionFailed;
    }
    if (!Send(protocol::MakeScreenPacket(cmd::kConversionMark, 0, 0)))
      return ScreenStatus::kLinkFailed;
  }
  Log(35, Format("[3/8][%d%%] %s", 35, Text(1122).c_str()));
  return ScreenStatus::kDone;
}

// Reads every converted file once: the bytes measured are the bytes written, and a file that
// is no screen image stops the upload before the keyboard's flash is touched.
ScreenStatus ScreenUploadService::ReadConverted(std::vector<Image>& images) {
  Log(35, Format("[4/8][%d%%] %s", 35, Text(1130).c_str()));
  std::size_t total = 0;
  for (Image& image : images) {
    std::error_code sizeError;
    if (fs::file_size(image.report.converted, sizeError) > kMaxConvertedBytes && !sizeError) {
      image.report.problem = "larger than the screen memory";
      Log(35, Text(upload_text::kDoesNotFit));
      return ScreenStatus::kDoesNotFit;
    }
    std::string error;
    auto bytes = media::ReadFileBytes(image.report.converted, kMaxConvertedBytes, &error);
    if (!bytes) {
      image.report.problem = error;
      Log(35, Text(1133));
      return ScreenStatus::kImageUnusable;
    }
    if (bytes->size() < kShortestImage || !protocol::DecodeGx96(*bytes, &error)) {
      image.report.problem = bytes->size() < kShortestImage ? "shorter than 10 bytes" : error;
      Log(35, Format("%s %s", Text(upload_text::kUnusableImage).c_str(),
                     image.report.source.filename().c_str()));
      return ScreenStatus::kImageUnusable;
    }
    image.bytes = std::move(*bytes);
    image.report.bytes = image.bytes.size();
    total += image.bytes.size();
  }
  Log(40,
      Format("[4/8][%d%%] %s %zu %s", 40, Text(1131).c_str(), total / 1024, Text(1132).c_str()));
  return ScreenStatus::kDone;
}

ScreenStatus ScreenUploadService::SendTableAndErase(const std::vector<Image>& images,
                                                    const protocol::FlashPlan& plan) {
  if (!Send(protocol::MakeScreenPacket(cmd::kSizesReady, 0, protocol::kScreenFullLength))) {
    return ScreenStatus::kLinkFailed;
  }
  Log(42, Format("[5/8][%d%%] %s", 42, Text(1140).c_str()));
  std::vector<std::size_t> sizes;
  for (const Image& image : images) sizes.push_back(image.bytes.size());
  const auto packets = protocol::MediaTablePackets(protocol::BuildMediaTable(sizes));
  for (std::size_t part = 0; part < packets.size(); ++part) {
    if (!Send(packets[part])) return ScreenStatus::kLinkFailed;
    if (part + 1 < packets.size()) {
      const int percent = static_cast<int>(43 + part);
      Log(percent, Format("[%d%%] %s %zu/3...", percent, Text(1142).c_str(), part + 1));
    }
  }
  Log(45, Format("[5/8][%d%%] %s", 45, Text(1141).c_str()));
  if (!Send(protocol::MakeScreenPacket(cmd::kMediaTableDone, 0, protocol::kScreenFullLength))) {
    return ScreenStatus::kLinkFailed;
  }
  Log(46, Format("[6/8][%d%%] %s", 46, Text(1150).c_str()));
  const auto blocks = static_cast<std::uint8_t>(plan.eraseBlocks);
  if (!Send(protocol::MakeEraseBlocksPacket(blocks))) return ScreenStatus::kLinkFailed;
  if (!Pause(kEraseWaitPerBlock * blocks)) return ScreenStatus::kStopped;
  Log(50, Format("[6/8][%d%%] %s", 50, Text(1151).c_str()));
  return ScreenStatus::kDone;
}

bool ScreenUploadService::WriteImage(Image& image, std::size_t number, std::size_t count,
                                     std::uint32_t address, std::size_t done, std::size_t total) {
  const std::span<const std::uint8_t> bytes(image.bytes);
  const auto chunks = protocol::ImageChunks(bytes.size());
  for (std::size_t c = 0; c < chunks.size(); ++c) {
    const protocol::ImageChunk& chunk = chunks[c];
    const auto at = address + static_cast<std::uint32_t>(chunk.offset);
    if (!Send(protocol::MakeWriteDataPacket(at, bytes.subspan(chunk.offset, chunk.count)))) {
      image.report.problem = Format("no answer to the chunk at 0x%06X", at);
      return false;
    }
    if (c == 0 || (c + 1) % kChunksPerLogLine == 0 || c + 1 == chunks.size()) {
      const auto percent = static_cast<int>(50 + 45 * (done + chunk.offset + chunk.count) / total);
      const auto own = static_cast<int>(100 * (c + 1) / chunks.size());
      Log(percent, Format("[%d%%] %s %zu/%zu %s (%d%%%s 0x%06X)", percent, Text(1161).c_str(),
                          number, count, Text(1162).c_str(), own, Text(1163).c_str(), at));
    }
  }
  return true;
}

void ScreenUploadService::WriteImages(std::vector<Image>& images, const protocol::FlashPlan& plan) {
  Log(51, Format("[7/8][%d%%] %s", 51, Text(1160).c_str()));
  if (!Send(protocol::MakeWriteStartPacket())) {
    for (Image& image : images) image.report.problem = "the write start went unanswered";
    return;
  }
  std::size_t total = 0;
  for (const Image& image : images) total += image.bytes.size();
  std::size_t done = 0;
  for (std::size_t k = 0; k < images.size(); ++k) {
    const auto address =
        static_cast<std::uint32_t>(plan.startBlocks[k] * protocol::kFlashBlockSize);
    Image& image = images[k];
    image.report.written = WriteImage(image, k + 1, images.size(), address, done, total);
    done += image.bytes.size();
    const auto percent = static_cast<int>(50 + 45 * done / total);
    Log(percent,
        Format("[%d%%] %s %zu/%zu %s", percent, Text(image.report.written ? 1165 : 1166).c_str(),
               k + 1, images.size(), Text(1164).c_str()));
  }
}

void ScreenUploadService::Finish(std::vector<Image>& images, Session& session) {
  Log(95, Format("[8/8][%d%%] %s", 95, Text(1180).c_str()));
  Send(protocol::MakeScreenPacket(cmd::kWriteDone, 0, 0));
  Log(97, Format("[8/8][%d%%] %s", 97, Text(1181).c_str()));
  session.End();
  Log(99, Format("[8/8][%d%%] %s", 99, Text(1182).c_str()));
  for (const Image& image : images) {
    std::error_code error;
    if (fs::remove(image.report.converted, error)) {
      Log(99, Format("  [\u00D7] %s %s", Text(1183).c_str(), image.report.converted.c_str()));
    }
  }
}

ScreenStatus ScreenUploadService::RunSession(const UploadRequest& request,
                                             std::vector<Image>& images) {
  Session session(*this);
  if (!session.Begin() ||
      !Send(protocol::MakeScreenPacket(cmd::kUploadStart, 0, protocol::kScreenFullLength))) {
    return ScreenStatus::kLinkFailed;
  }
  Log(5, Format("[2/8][%d%%] %s", 5, Text(1111).c_str()));
  if (const ScreenStatus converted = ConvertAll(request, images);
      converted != ScreenStatus::kDone) {
    return converted;
  }
  if (const ScreenStatus read = ReadConverted(images); read != ScreenStatus::kDone) return read;
  std::vector<std::size_t> sizes;
  for (const Image& image : images) sizes.push_back(image.bytes.size());
  const auto plan = protocol::PlanFlash(sizes);
  if (!plan) {
    Log(40, Text(upload_text::kDoesNotFit));
    return ScreenStatus::kDoesNotFit;
  }
  if (const ScreenStatus erased = SendTableAndErase(images, *plan); erased != ScreenStatus::kDone) {
    return erased;
  }
  WriteImages(images, *plan);
  Finish(images, session);
  return ScreenStatus::kDone;
}

UploadResult ScreenUploadService::UploadScreenMedia(const UploadRequest& request) {
  UploadResult result;
  const std::vector<ScreenSource> sources = CollectSources(request, result);
  if (sources.empty()) return result;
  std::vector<Image> images(sources.size());
  for (std::size_t i = 0; i < sources.size(); ++i) {
    images[i].report.screen = sources[i].screen;
    images[i].report.source = sources[i].gif;
  }
  Log(1, Format("[2/8][%d%%] %s", 1, Text(1110).c_str()));
  if (const auto failed =
          OpenScreenChannel(kUploadOpenRounds, kUploadOpenAttempts, kUploadOpenInterval)) {
    result.status = *failed;
  } else {
    result.status = RunSession(request, images);
  }
  for (Image& image : images) result.images.push_back(std::move(image.report));
  if (result.status == ScreenStatus::kStopped) Log(0, Text(upload_text::kStopped));
  if (result.status != ScreenStatus::kDone) return result;
  const std::vector<std::string> missing = result.NotWritten();
  if (missing.empty()) {
    Log(100, Format("[8/8][%d%%] %s", 100, Text(1184).c_str()));
    return result;
  }
  std::string line = Format("[8/8][%d%%] %s", 99, Text(upload_text::kNotWritten).c_str());
  for (const std::string& name : missing) line += " " + name;
  Log(99, line);
  result.status = ScreenStatus::kPartlyWritten;
  return result;
}

// --- clock ---------------------------------------------------------------------------------

ScreenStatus ScreenUploadService::SyncScreenClock(const protocol::ClockTime& time) {
  if (const auto failed = OpenScreenChannel(1, kClockOpenAttempts, kClockOpenInterval)) {
    return *failed;
  }
  Session session(*this);
  if (!session.Begin() || !Send(protocol::MakeClockPacket(time))) return ScreenStatus::kLinkFailed;
  return session.End() ? ScreenStatus::kDone : ScreenStatus::kLinkFailed;
}

protocol::ClockTime ScreenUploadService::LocalClockTime() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

}  // namespace screen

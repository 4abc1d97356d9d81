#include "platform/video/VideoFile.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <mutex>

namespace platform {
namespace {

// Pictures larger than this in either direction are refused rather than scaled.
constexpr int kMaxPictureSide = 16384;
// A frame rate the file does not state is taken as this.
constexpr std::chrono::microseconds kDefaultFrameDuration{40000};

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecFreer {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFreer {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFreer {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct ScalerFreer {
  void operator()(SwsContext* context) const { sws_freeContext(context); }
};

void QuietLibraries() {
  static std::once_flag once;
  std::call_once(once, [] { av_log_set_level(AV_LOG_ERROR); });
}

std::string ErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

std::chrono::microseconds ToMicroseconds(std::int64_t value, AVRational base) {
  return std::chrono::microseconds(av_rescale_q(value, base, AVRational{1, 1000000}));
}

}  // namespace

struct VideoFile::Decoder {
  std::filesystem::path file;
  int rows = 0;
  int columns = 0;
  std::unique_ptr<AVFormatContext, FormatCloser> format;
  std::unique_ptr<AVCodecContext, CodecFreer> codec;
  std::unique_ptr<AVFrame, FrameFreer> frame{av_frame_alloc()};
  std::unique_ptr<AVPacket, PacketFreer> packet{av_packet_alloc()};
  std::unique_ptr<SwsContext, ScalerFreer> scaler;
  int stream = -1;
  AVRational timeBase{1, 1000000};
  std::chrono::microseconds frameDuration = kDefaultFrameDuration;
  std::int64_t firstPts = AV_NOPTS_VALUE;
  std::optional<std::chrono::microseconds> lastAt;
  bool draining = false;
  bool packetPending = false;
  bool finished = false;

  bool Open(std::string* error);
  std::optional<GridFrame> Next();
  bool Rewind();
  bool DecodeOne();
  std::optional<ColorGrid> Scale();
  std::chrono::microseconds TimeOfFrame();
};

bool VideoFile::Decoder::Open(std::string* error) {
  const auto fail = [&](const std::string& why) {
    if (error != nullptr) *error = why;
    return false;
  };
  if (!frame || !packet) return fail("out of memory");
  AVFormatContext* opened = nullptr;
  if (const int code = avformat_open_input(&opened, file.c_str(), nullptr, nullptr); code < 0) {
    return fail(ErrorText(code));
  }
  format.reset(opened);
  if (const int code = avformat_find_stream_info(format.get(), nullptr); code < 0) {
    return fail(ErrorText(code));
  }
  const AVCodec* decoder = nullptr;
  stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
  if (stream < 0 || decoder == nullptr) return fail("no video stream");
  const AVStream* video = format->streams[stream];
  codec.reset(avcodec_alloc_context3(decoder));
  if (!codec) return fail("out of memory");
  if (avcodec_parameters_to_context(codec.get(), video->codecpar) < 0) return fail("bad stream");
  if (const int code = avcodec_open2(codec.get(), decoder, nullptr); code < 0) {
    return fail(ErrorText(code));
  }
  if (codec->width <= 0 || codec->height <= 0 || codec->width > kMaxPictureSide ||
      codec->height > kMaxPictureSide) {
    return fail("unusable picture size");
  }
  timeBase = video->time_base;
  const AVRational rate =
      video->avg_frame_rate.num > 0 ? video->avg_frame_rate : video->r_frame_rate;
  if (rate.num > 0 && rate.den > 0) {
    frameDuration = std::max(std::chrono::microseconds(1000),
                             ToMicroseconds(1, AVRational{rate.den, rate.num}));
  }
  return true;
}

// Decodes until a frame is ready in `frame`; false at the end (or on damage).
bool VideoFile::Decoder::DecodeOne() {
  while (!finished) {
    const int received = avcodec_receive_frame(codec.get(), frame.get());
    if (received == 0) return true;
    if (received != AVERROR(EAGAIN)) {
      finished = true;  // the end, or a decoder that cannot go on
      break;
    }
    if (draining) {
      finished = true;
      break;
    }
    if (!packetPending) {
      if (av_read_frame(format.get(), packet.get()) < 0) {
        draining = true;
        avcodec_send_packet(codec.get(), nullptr);
        continue;
      }
      if (packet->stream_index != stream) {
        av_packet_unref(packet.get());
        continue;
      }
    }
    // A full decoder takes the packet after its frames were taken; a damaged packet is
    // skipped and the decoder goes on with the next.
    packetPending = avcodec_send_packet(codec.get(), packet.get()) == AVERROR(EAGAIN);
    if (!packetPending) av_packet_unref(packet.get());
  }
  return false;
}

std::optional<ColorGrid> VideoFile::Decoder::Scale() {
  if (frame->width <= 0 || frame->height <= 0 || frame->width > kMaxPictureSide ||
      frame->height > kMaxPictureSide) {
    return std::nullopt;
  }
  // The area filter averages every source pixel of a cell, as the screen reduction does.
  scaler.reset(sws_getCachedContext(scaler.release(), frame->width, frame->height,
                                    static_cast<AVPixelFormat>(frame->format), columns, rows,
                                    AV_PIX_FMT_RGB0, SWS_AREA, nullptr, nullptr, nullptr));
  if (!scaler) return std::nullopt;
  ColorGrid grid{rows, columns, std::vector<std::uint32_t>(rows * columns, 0)};
  // RGB0 in memory is red, green, blue, unused: 0x00BBGGRR read as a little-endian word.
  std::uint8_t* planes[4] = {reinterpret_cast<std::uint8_t*>(grid.cells.data()), nullptr, nullptr,
                             nullptr};
  int strides[4] = {columns * 4, 0, 0, 0};
  if (sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides) !=
      rows) {
    return std::nullopt;
  }
  for (auto& cell : grid.cells) {
    if constexpr (std::endian::native == std::endian::big) cell = __builtin_bswap32(cell);
    cell &= 0xFFFFFF;  // the unused byte comes filled
  }
  return grid;
}

std::chrono::microseconds VideoFile::Decoder::TimeOfFrame() {
  const std::int64_t pts = frame->best_effort_timestamp;
  std::optional<std::chrono::microseconds> at;
  if (pts != AV_NOPTS_VALUE) {
    if (firstPts == AV_NOPTS_VALUE) firstPts = pts;
    at = ToMicroseconds(pts - firstPts, timeBase);
  }
  // No time, or one that goes back: the frame follows the previous one.
  if (!at || (lastAt && *at <= *lastAt)) {
    at = lastAt ? *lastAt + frameDuration : std::chrono::microseconds(0);
  }
  lastAt = at;
  return *at;
}

std::optional<GridFrame> VideoFile::Decoder::Next() {
  while (DecodeOne()) {
    std::optional<ColorGrid> grid = Scale();
    const std::chrono::microseconds at = TimeOfFrame();
    av_frame_unref(frame.get());
    if (grid) return GridFrame{std::move(*grid), at};
  }
  return std::nullopt;
}

bool VideoFile::Decoder::Rewind() {
  const bool sought = av_seek_frame(format.get(), stream, 0, AVSEEK_FLAG_BACKWARD) >= 0 ||
                      avformat_seek_file(format.get(), -1, INT64_MIN, 0, INT64_MAX, 0) >= 0;
  if (sought) {
    avcodec_flush_buffers(codec.get());
  } else {
    // A format that cannot seek is opened again.
    format.reset();
    codec.reset();
    scaler.reset();
    if (!Open(nullptr)) return false;
  }
  firstPts = AV_NOPTS_VALUE;
  lastAt.reset();
  draining = false;
  packetPending = false;
  av_packet_unref(packet.get());
  finished = false;
  return true;
}

VideoFile::VideoFile(std::unique_ptr<Decoder> decoder) : decoder_(std::move(decoder)) {}

VideoFile::~VideoFile() = default;

std::unique_ptr<VideoFile> VideoFile::Open(const std::filesystem::path& file, int rows, int columns,
                                           std::string* error) {
  QuietLibraries();
  if (!IsValidGridSize(rows, columns)) {
    if (error != nullptr) *error = "unusable grid size";
    return nullptr;
  }
  auto decoder = std::make_unique<Decoder>();
  decoder->file = file;
  decoder->rows = rows;
  decoder->columns = columns;
  if (!decoder->Open(error)) return nullptr;
  return std::unique_ptr<VideoFile>(new VideoFile(std::move(decoder)));
}

std::optional<GridFrame> VideoFile::Next() {
  return decoder_->Next();
}

bool VideoFile::Rewind() {
  return decoder_->Rewind();
}

std::chrono::microseconds VideoFile::LastFrameDuration() const {
  return decoder_->frameDuration;
}

}  // namespace platform

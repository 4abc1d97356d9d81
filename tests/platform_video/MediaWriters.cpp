#include "platform_video/MediaWriters.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}
#include <gif_lib.h>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

bool Drain(AVCodecContext* codec, AVFormatContext* format, AVStream* stream, AVPacket* packet) {
  while (true) {
    const int code = avcodec_receive_packet(codec, packet);
    if (code == AVERROR(EAGAIN) || code == AVERROR_EOF) return true;
    if (code < 0) return false;
    // Without a duration the container's edit list would end before the last frame.
    if (packet->duration == 0) packet->duration = 1;
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    if (av_interleaved_write_frame(format, packet) < 0) return false;
  }
}

}  // namespace

bool WriteTestVideo(const std::filesystem::path& file, const std::vector<SplitFrame>& frames,
                    int fps) {
  AVFormatContext* format = nullptr;
  if (avformat_alloc_output_context2(&format, nullptr, nullptr, file.c_str()) < 0) return false;
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  AVStream* stream = avformat_new_stream(format, nullptr);
  AVCodecContext* codec = avcodec_alloc_context3(encoder);
  codec->width = kWidth;
  codec->height = kHeight;
  codec->pix_fmt = AV_PIX_FMT_YUV420P;
  codec->time_base = AVRational{1, fps};
  codec->framerate = AVRational{fps, 1};
  codec->gop_size = 5;
  codec->bit_rate = 2000000;
  if (format->oformat->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  bool ok = avcodec_open2(codec, encoder, nullptr) >= 0 &&
            avcodec_parameters_from_context(stream->codecpar, codec) >= 0;
  stream->time_base = codec->time_base;
  ok = ok && avio_open(&format->pb, file.c_str(), AVIO_FLAG_WRITE) >= 0 &&
       avformat_write_header(format, nullptr) >= 0;
  AVFrame* frame = av_frame_alloc();
  frame->format = codec->pix_fmt;
  frame->width = kWidth;
  frame->height = kHeight;
  ok = ok && av_frame_get_buffer(frame, 0) >= 0;
  AVPacket* packet = av_packet_alloc();
  SwsContext* converter = sws_getContext(kWidth, kHeight, AV_PIX_FMT_RGB0, kWidth, kHeight,
                                         AV_PIX_FMT_YUV420P, SWS_POINT, nullptr, nullptr, nullptr);
  std::vector<std::uint32_t> rgb(kWidth * kHeight);
  for (std::size_t i = 0; ok && i < frames.size(); ++i) {
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        rgb[y * kWidth + x] = x < kWidth / 2 ? frames[i].left : frames[i].right;
      }
    }
    const std::uint8_t* planes[1] = {reinterpret_cast<const std::uint8_t*>(rgb.data())};
    const int strides[1] = {kWidth * 4};
    ok = av_frame_make_writable(frame) >= 0;
    sws_scale(converter, planes, strides, 0, kHeight, frame->data, frame->linesize);
    frame->pts = static_cast<std::int64_t>(i);
    ok = ok && avcodec_send_frame(codec, frame) >= 0 && Drain(codec, format, stream, packet);
  }
  ok = ok && avcodec_send_frame(codec, nullptr) >= 0 && Drain(codec, format, stream, packet);
  if (ok) ok = av_write_trailer(format) >= 0;
  sws_freeContext(converter);
  av_packet_free(&packet);
  av_frame_free(&frame);
  avcodec_free_context(&codec);
  if (format->pb != nullptr) avio_closep(&format->pb);
  avformat_free_context(format);
  return ok;
}

bool WriteTestGif(const std::filesystem::path& file, int width, int height,
                  const std::vector<GifFrameSpec>& frames) {
  int error = 0;
  GifFileType* gif = EGifOpenFileName(file.c_str(), false, &error);
  if (gif == nullptr) return false;
  const GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject* palette = GifMakeMapObject(4, colors);
  bool ok = EGifPutScreenDesc(gif, width, height, 8, 0, palette) == GIF_OK;
  for (const GifFrameSpec& spec : frames) {
    const GraphicsControlBlock control{spec.disposal, false, spec.delayCentiseconds,
                                       spec.transparent};
    GifByteType extension[4] = {};
    EGifGCBToExtension(&control, extension);
    ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
    ok = ok && EGifPutImageDesc(gif, spec.left, spec.top, spec.width, spec.height, false,
                                nullptr) == GIF_OK;
    std::vector<GifPixelType> line(spec.width, static_cast<GifPixelType>(spec.colorIndex));
    for (int y = 0; ok && y < spec.height; ++y) {
      ok = EGifPutLine(gif, line.data(), spec.width) == GIF_OK;
    }
  }
  ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
  GifFreeMapObject(palette);
  return ok;
}

// JPEG through libjpeg(-turbo). Its errors end in a long jump; the jump lands in a function
// that keeps everything it changes in a job object owned by its caller, so no C++ object of
// the jumping frame is left in an indeterminate state.

// clang-format off
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <csetjmp>

#include "media/ImageFiles.h"

namespace media {
namespace {

struct ErrorManager {
  jpeg_error_mgr base{};
  std::jmp_buf jump{};
  char message[JMSG_LENGTH_MAX] = {};
  bool truncated = false;
};

[[noreturn]] void OnError(j_common_ptr info) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, errors->message);
  std::longjmp(errors->jump, 1);
}

// Warnings are not printed; a file that ends early is noted and refused afterwards.
void OnMessage(j_common_ptr info, int level) {
  auto* errors = reinterpret_cast<ErrorManager*>(info->err);
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) errors->truncated = true;
}

struct JpegJob {
  jpeg_decompress_struct info{};
  ErrorManager errors;
  bool created = false;
  Picture picture;
  std::string failure;

  JpegJob() = default;
  ~JpegJob() {
    if (created) jpeg_destroy_decompress(&info);
  }
  JpegJob(const JpegJob&) = delete;
  JpegJob& operator=(const JpegJob&) = delete;
};

bool Decompress(JpegJob& job, std::span<const std::uint8_t> bytes, const DecodeLimits& limits) {
  job.info.err = jpeg_std_error(&job.errors.base);
  job.errors.base.error_exit = OnError;
  job.errors.base.emit_message = OnMessage;
  if (setjmp(job.errors.jump) != 0) {
    job.failure = std::string("not a readable JPEG: ") + job.errors.message;
    return false;
  }
  jpeg_create_decompress(&job.info);
  job.created = true;
  jpeg_mem_src(&job.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&job.info, TRUE);
  if (!FitsLimits(job.info.image_width, job.info.image_height, limits)) {
    job.failure = "picture size out of range";
    return false;
  }
  job.info.out_color_space = JCS_EXT_BGRA;  // 0xAARRGGBB words in little-endian memory
  jpeg_start_decompress(&job.info);
  job.picture =
      Picture(static_cast<int>(job.info.output_width), static_cast<int>(job.info.output_height));
  while (job.info.output_scanline < job.info.output_height) {
    JSAMPROW row = reinterpret_cast<JSAMPROW>(
        job.picture.pixels.data() +
        job.picture.IndexOf(0, static_cast<int>(job.info.output_scanline)));
    jpeg_read_scanlines(&job.info, &row, 1);
  }
  jpeg_finish_decompress(&job.info);
  if (job.errors.truncated) {
    job.failure = "truncated JPEG";
    return false;
  }
  return true;
}

}  // namespace

std::optional<Picture> DecodeJpeg(std::span<const std::uint8_t> bytes, const DecodeLimits& limits,
                                  std::string* error) {
  JpegJob job;
  if (bytes.empty() || !Decompress(job, bytes, limits)) {
    if (error != nullptr) *error = job.failure.empty() ? "empty JPEG" : job.failure;
    return std::nullopt;
  }
  return std::move(job.picture);
}

}  // namespace media

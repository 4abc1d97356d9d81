// qgif: converts a GIF, PNG or JPEG picture into the keyboard screen's gx96 image.
// It reports its progress one line at a time on standard output and ends with exit code 0
// only when the output file was written whole; on any error it says why on standard error,
// leaves no output file behind and ends with 1 (2 for a wrong command line).

#include <cstdio>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "media/FileIo.h"
#include "media/ImageFiles.h"
#include "media/ScreenImage.h"
#include "protocol/Gx96.h"

namespace {

constexpr int kFailed = 1;
constexpr int kWrongCommandLine = 2;

int Error(const std::string& message) {
  std::fprintf(stderr, "qgif: error: %s\n", message.c_str());
  return kFailed;
}

// Progress every tenth of the frames, and for the last one.
void ReportFrame(std::size_t done, std::size_t total) {
  const std::size_t step = std::max<std::size_t>(1, total / 10);
  if (done % step == 0 || done == total) {
    std::printf("converting frame %zu/%zu\n", done, total);
  }
}

int Convert(const qgif::ConvertRequest& request) {
  std::printf("reading %s\n", request.input.c_str());
  std::string error;
  const auto animation = media::ReadImageFile(request.input, {}, &error);
  if (!animation) return Error(error);
  std::printf("%zu frame(s) of %dx%d, scaling to %dx%d\n", animation->frames.size(),
              animation->width, animation->height, request.width, request.height);
  const protocol::Gx96Image image =
      media::MakeScreenImage(*animation, request.width, request.height, ReportFrame);
  if (const std::string problem = protocol::Gx96Problem(image); !problem.empty()) {
    return Error("cannot store the picture: " + problem);
  }
  const std::vector<std::uint8_t> bytes = protocol::EncodeGx96(image);
  std::printf("writing %s (%zu bytes)\n", request.output.c_str(), bytes.size());
  if (!media::WriteFileAtomically(request.output, bytes, &error)) return Error(error);
  std::printf("done\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The caller reads a pipe: every line goes out as soon as it is written.
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
  std::string error;
  const auto request = qgif::ParseCommandLine(arguments, &error);
  if (!request) {
    std::fprintf(stderr, "qgif: %s\n%s", error.c_str(), qgif::kUsage);
    return kWrongCommandLine;
  }
  return Convert(*request);
}

// Feeds arbitrary bytes to the gx96 decoder. The checksum is made to match first, so that the
// search reaches the frame table and the pixel data. What decodes must encode and decode again
// to the same image.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "protocol/Gx96.h"

namespace {

void Require(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken invariant: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::uint8_t> bytes(data, data + size);
  if (bytes.size() >= protocol::kGx96HeaderLength) {
    const std::uint32_t crc =
        protocol::Crc32(std::span<const std::uint8_t>(bytes).subspan(protocol::kGx96HeaderLength));
    for (int i = 0; i < 4; ++i) bytes[12 + static_cast<std::size_t>(i)] = (crc >> (8 * i)) & 0xFF;
  }
  std::string error;
  const auto image = protocol::DecodeGx96(bytes, &error);
  if (!image) {
    Require(!error.empty(), "a refusal says why");
    return 0;
  }
  Require(protocol::Gx96Problem(*image).empty(), "a decoded image can be stored");
  for (const auto coding : {protocol::Gx96Coding::kRaw, protocol::Gx96Coding::kRunLength}) {
    const auto again = protocol::DecodeGx96(protocol::EncodeGx96(*image, coding));
    Require(again.has_value() && *again == *image, "encoding keeps the image");
  }
  return 0;
}

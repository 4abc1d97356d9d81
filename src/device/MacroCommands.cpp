#include "device/MacroCommands.h"

#include <algorithm>
#include <array>
#include <vector>

#include "base/Log.h"
#include "device/HidDeviceManager.h"
#include "protocol/Commands.h"
#include "protocol/Frame.h"

namespace device {

std::size_t MacroCommands::ChunkSize(bool throughReceiver) {
  const std::size_t wanted = throughReceiver ? protocol::kShortChunkSize : protocol::kLongChunkSize;
  return std::min(wanted, link_.CommandChunkSize());
}

bool MacroCommands::WriteMacroImage(std::span<const std::uint8_t> image, bool throughReceiver) {
  const std::size_t chunkSize = ChunkSize(throughReceiver);
  const std::vector<protocol::Chunk> chunks = protocol::DownloadChunks(image.size(), chunkSize);
  if (chunks.empty()) {
    base::ErrorLog("macros: the image of %zu bytes cannot be sent (no command interface)",
                   image.size());
    return false;
  }
  for (const protocol::Chunk& chunk : chunks) {
    // Only the bytes the image has: the last frame's data ends where the image does.
    const protocol::Frame frame =
        protocol::MakeFrame(protocol::command::kWriteMacroImage, chunk.offset, chunk.count,
                            image.subspan(chunk.offset, chunk.count));
    std::array<std::uint8_t, protocol::kFrameLength> raw = frame;
    if (!link_.SendRawFrame(raw)) {
      base::ErrorLog("macros: the frame at offset %u could not be written; the rest is not sent",
                     static_cast<unsigned>(chunk.offset));
      return false;
    }
    link_.Pause(kFramePause);
  }
  return true;
}

}  // namespace device

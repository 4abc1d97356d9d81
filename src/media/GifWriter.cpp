// Writing animated GIF files with giflib's record functions, in the order a browser expects:
// screen descriptor, loop block, then each frame with its control block.

#include <gif_lib.h>

#include <algorithm>
#include <memory>

#include "media/FileIo.h"
#include "media/Gif.h"
#include "media/Quantiser.h"

namespace media {
namespace {

constexpr int kPaletteSize = 256;
constexpr GifPixelType kTransparentIndex = kPaletteSize - 1;
constexpr unsigned kOpaqueAlpha = 128;

int WriteToMemory(GifFileType* gif, const GifByteType* bytes, int count) {
  auto* output = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  output->insert(output->end(), bytes, bytes + count);
  return count;
}

struct GifCloser {
  void operator()(GifFileType* gif) const { EGifCloseFile(gif, nullptr); }
};
using GifWriting = std::unique_ptr<GifFileType, GifCloser>;

struct MapFreer {
  void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

using Indices = std::vector<GifPixelType>;

bool IsOpaque(Argb pixel) {
  return AlphaOf(pixel) >= kOpaqueAlpha;
}

Indices IndicesOf(const Picture& picture, Quantiser& quantiser) {
  Indices indices(picture.pixels.size(), kTransparentIndex);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      const Argb pixel = picture.At(x, y);
      if (IsOpaque(pixel)) indices[picture.IndexOf(x, y)] = quantiser.IndexOf(pixel, x, y);
    }
  }
  return indices;
}

bool PutLoopBlock(GifFileType* gif, int loopCount) {
  const GifByteType name[] = "NETSCAPE2.0";
  const auto count = static_cast<unsigned>(std::clamp(loopCount, 0, 0xFFFF));
  const GifByteType loop[] = {1, static_cast<GifByteType>(count & 0xFF),
                              static_cast<GifByteType>(count >> 8)};
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, name) == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, loop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

struct Rect {
  int left = 0;
  int top = 0;
  int right = -1;  // inclusive
  int bottom = -1;
};

// The rectangle of pixels that differ from the previous frame; one pixel when none do.
Rect ChangedRect(const Indices& current, const Indices& previous, int width, int height) {
  Rect rect{width, height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto i = static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                     static_cast<std::size_t>(x);
      if (current[i] == previous[i]) continue;
      rect.left = std::min(rect.left, x);
      rect.right = std::max(rect.right, x);
      rect.top = std::min(rect.top, y);
      rect.bottom = std::max(rect.bottom, y);
    }
  }
  if (rect.right < 0) rect = {0, 0, 0, 0};
  return rect;
}

struct FrameToWrite {
  const Indices* current = nullptr;
  const Indices* previous = nullptr;  // frames after the first store only the changes
  int width = 0;
  int height = 0;
  int delayMs = 0;
  int disposal = DISPOSE_DO_NOT;
  bool transparency = false;
};

bool PutFrame(GifFileType* gif, const FrameToWrite& frame) {
  const Rect rect = frame.previous != nullptr
                        ? ChangedRect(*frame.current, *frame.previous, frame.width, frame.height)
                        : Rect{0, 0, frame.width - 1, frame.height - 1};
  GraphicsControlBlock control{};
  control.DisposalMode = frame.disposal;
  control.DelayTime = std::clamp((frame.delayMs + 5) / 10, 0, 0xFFFF);
  control.TransparentColor = frame.transparency ? kTransparentIndex : NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const std::size_t length = EGifGCBToExtension(&control, extension);
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) !=
      GIF_OK) {
    return false;
  }
  const int width = rect.right - rect.left + 1;
  const int height = rect.bottom - rect.top + 1;
  if (EGifPutImageDesc(gif, rect.left, rect.top, width, height, false, nullptr) != GIF_OK) {
    return false;
  }
  Indices line(static_cast<std::size_t>(width));
  for (int y = rect.top; y <= rect.bottom; ++y) {
    for (int x = rect.left; x <= rect.right; ++x) {
      const auto i = static_cast<std::size_t>(y) * static_cast<std::size_t>(frame.width) +
                     static_cast<std::size_t>(x);
      const bool same = frame.previous != nullptr && (*frame.current)[i] == (*frame.previous)[i];
      line[static_cast<std::size_t>(x - rect.left)] =
          same ? kTransparentIndex : (*frame.current)[i];
    }
    if (EGifPutLine(gif, line.data(), width) != GIF_OK) return false;
  }
  return true;
}

bool Fail(std::string* error, const std::string& what) {
  if (error != nullptr) *error = what;
  return false;
}

bool CheckFrames(const Animation& animation, std::string* error) {
  if (animation.frames.empty()) return Fail(error, "no frames");
  if (animation.width <= 0 || animation.height <= 0 || animation.width > 0xFFFF ||
      animation.height > 0xFFFF) {
    return Fail(error, "picture size out of range");
  }
  for (const Frame& frame : animation.frames) {
    if (frame.picture.width != animation.width || frame.picture.height != animation.height ||
        frame.picture.pixels.size() != static_cast<std::size_t>(animation.width) *
                                           static_cast<std::size_t>(animation.height)) {
      return Fail(error, "frames differ in size");
    }
  }
  return true;
}

std::unique_ptr<ColorMapObject, MapFreer> MakeColourMap(const Quantiser& quantiser) {
  std::unique_ptr<ColorMapObject, MapFreer> map(GifMakeMapObject(kPaletteSize, nullptr));
  if (!map) return map;
  const auto& palette = quantiser.Palette();
  for (int i = 0; i < kPaletteSize; ++i) {
    const auto index = static_cast<std::size_t>(i);
    const PaletteColour colour = index < palette.size() ? palette[index] : PaletteColour{};
    map->Colors[i] = {colour[0], colour[1], colour[2]};
  }
  return map;
}

bool HasTransparency(const Animation& animation) {
  return std::any_of(animation.frames.begin(), animation.frames.end(), [](const Frame& frame) {
    return std::any_of(frame.picture.pixels.begin(), frame.picture.pixels.end(),
                       [](Argb pixel) { return !IsOpaque(pixel); });
  });
}

bool PutFrames(GifFileType* gif, const Animation& animation, Quantiser& quantiser) {
  // Frames with transparent pixels cannot be stored as changes over the frame before (what
  // shows through would be the old frame): each is then stored whole and cleared after.
  const bool transparency = HasTransparency(animation);
  Indices previous;
  for (std::size_t f = 0; f < animation.frames.size(); ++f) {
    const Indices current = IndicesOf(animation.frames[f].picture, quantiser);
    FrameToWrite frame;
    frame.current = &current;
    frame.previous = transparency || f == 0 ? nullptr : &previous;
    frame.width = animation.width;
    frame.height = animation.height;
    frame.delayMs = animation.frames[f].delayMs;
    frame.disposal = transparency ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT;
    frame.transparency = transparency || f > 0;
    if (!PutFrame(gif, frame)) return false;
    previous = current;
  }
  return true;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> EncodeGif(const Animation& animation, std::string* error) {
  if (!CheckFrames(animation, error)) return std::nullopt;
  std::vector<Picture> pictures;
  pictures.reserve(animation.frames.size());
  for (const Frame& frame : animation.frames) pictures.push_back(frame.picture);
  Quantiser quantiser(pictures, kPaletteSize - 1);
  pictures.clear();
  const auto map = MakeColourMap(quantiser);
  std::vector<std::uint8_t> output;
  int code = 0;
  GifWriting gif(EGifOpen(&output, WriteToMemory, &code));
  if (!gif || !map) {
    Fail(error, std::string("cannot start the GIF: ") + GifErrorString(code));
    return std::nullopt;
  }
  EGifSetGifVersion(gif.get(), true);
  if (EGifPutScreenDesc(gif.get(), animation.width, animation.height, 8, 0, map.get()) != GIF_OK ||
      !PutLoopBlock(gif.get(), animation.loopCount) ||
      !PutFrames(gif.get(), animation, quantiser)) {
    Fail(error, std::string("cannot write the GIF: ") + GifErrorString(gif->Error));
    return std::nullopt;
  }
  if (EGifCloseFile(gif.release(), &code) != GIF_OK) {
    Fail(error, std::string("cannot finish the GIF: ") + GifErrorString(code));
    return std::nullopt;
  }
  return output;
}

bool WriteGifFile(const std::filesystem::path& path, const Animation& animation,
                  std::string* error) {
  const auto bytes = EncodeGif(animation, error);
  return bytes && WriteFileAtomically(path, *bytes, error);
}

}  // namespace media

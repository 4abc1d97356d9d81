#pragma once
// Test media made on the spot: a video encoded with the FFmpeg libraries and an animated GIF
// written with giflib.

#include <cstdint>
#include <filesystem>
#include <vector>

// One frame of a test video: the left half in one colour, the right half in another
// (0x00BBGGRR).
struct SplitFrame {
  std::uint32_t left = 0;
  std::uint32_t right = 0;
};

// MPEG-4 in an MP4 container, `fps` frames per second, 64 x 48 pixels.
bool WriteTestVideo(const std::filesystem::path& file, const std::vector<SplitFrame>& frames,
                    int fps);

struct GifFrameSpec {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int colorIndex = 0;  // every pixel of the frame
  int delayCentiseconds = 0;
  int disposal = 0;      // 0 unspecified, 1 keep, 2 background, 3 previous
  int transparent = -1;  // colour index shown as transparent
};

// A GIF of the given canvas with a four-colour palette: black, red, green, blue.
bool WriteTestGif(const std::filesystem::path& file, int width, int height,
                  const std::vector<GifFrameSpec>& frames);

#pragma once
// An animation as the keyboard's screen stores it: every frame fitted into the screen's size
// without changing its proportions (black bars where it does not fill it) and turned into
// RGB 5-6-5.

#include <cstddef>
#include <functional>

#include "media/Picture.h"
#include "protocol/Gx96.h"

namespace media {

// A GIF delay of 10 ms or less is shown for 100 ms, as browsers do; longer delays are kept
// (up to 65535 ms).
int ScreenDelayMs(int delayMs);

std::uint16_t ToScreenPixel(Argb pixel);

// Called after each frame with the frames done and the frame count.
using FrameProgress = std::function<void(std::size_t done, std::size_t total)>;

protocol::Gx96Image MakeScreenImage(const Animation& animation, int width, int height,
                                    const FrameProgress& progress = {});

}  // namespace media

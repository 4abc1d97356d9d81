#include "media/Picture.h"

namespace media {

Picture Flatten(const Picture& picture, Argb background) {
  Picture flat = picture;
  const unsigned backRed = RedOf(background);
  const unsigned backGreen = GreenOf(background);
  const unsigned backBlue = BlueOf(background);
  for (Argb& pixel : flat.pixels) {
    const unsigned alpha = AlphaOf(pixel);
    if (alpha == 255) continue;
    const auto blend = [alpha](unsigned over, unsigned under) {
      return (over * alpha + under * (255 - alpha) + 127) / 255;
    };
    pixel = MakeArgb(blend(RedOf(pixel), backRed), blend(GreenOf(pixel), backGreen),
                     blend(BlueOf(pixel), backBlue));
  }
  return flat;
}

}  // namespace media

#pragma once
// Changing the size of pictures. Shrinking averages the source area each target pixel covers;
// growing interpolates linearly. A picture that already has the size is returned unchanged.

#include "media/Picture.h"

namespace media {

// Stretches an opaque picture to the size (flatten transparent pictures first).
Picture Resize(const Picture& source, int width, int height);

// The whole picture as large as fits into width x height without changing its proportions,
// centred, on the background; transparent pixels show the background.
Picture FitInto(const Picture& source, int width, int height, Argb background = kOpaqueBlack);

}  // namespace media

#pragma once
// The pictures of the light modes in the light page's mode list: line drawings in the theme's
// violet-to-cyan ink, one per mode of the key lights and one per mode of the side and top
// lights.

#include <QImage>

namespace skins {

// Modes 0 to 20 of the key lights and 128 (the custom slots); any other mode gets a plain dot.
QImage KeyLightModeIcon(int mode, int side);
// Modes 0 to 4 of the side and top lights (flow, breathing, rainbow, flash, static).
QImage ZoneLightModeIcon(int mode, int side);

}  // namespace skins

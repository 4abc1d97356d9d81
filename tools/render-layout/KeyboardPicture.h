#pragma once
// The keyboard picture the application's keyboard view draws over: the case and blank key
// caps seen from above (the view adds labels and colours itself).

#include <QImage>

#include "Model.h"

namespace render {

// Which parts of the keyboard a picture shows: the overview pictures draw the case and the
// caps at different heights.
enum class Parts { kAll, kCaseOnly, kCapsOnly };

QImage DrawKeyboard(const Layout& layout, const Decorations& decorations,
                    Parts parts = Parts::kAll);

}  // namespace render

#pragma once
// The home page: the keyboards of the catalogue with their state, the text shown when none
// is connected, the application version and the web buttons.

#include <vector>

#include "ui/pages/TextBindings.h"

namespace Tessel {
class MWindow;
}

void CreateHomePageControls(Tessel::MWindow& window);
std::vector<TextBinding> HomePageTextBindings();

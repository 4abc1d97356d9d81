#pragma once
// The home page: the keyboards of the catalogue with their state, the text shown when none
// is connected, the application version and the web buttons.

#include <vector>

#include "ui/tessel/TextBindings.h"

namespace Tessel {
class PageHost;
}

void CreateHomePageControls(Tessel::PageHost& window);
std::vector<TextBinding> HomePageTextBindings();

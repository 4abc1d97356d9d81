#pragma once
// The settings page: language, keyboard system settings, application.

#include <vector>

#include "ui/tessel/TextBindings.h"

namespace Tessel {
class PageHost;
}

void CreateSettingsPageControls(Tessel::PageHost& window);
std::vector<TextBinding> SettingsPageTextBindings();

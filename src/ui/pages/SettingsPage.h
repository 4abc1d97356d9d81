#pragma once
// The settings page: language, keyboard system settings, application.

#include <vector>

#include "ui/pages/TextBindings.h"

namespace Tessel {
class MWindow;
}

void CreateSettingsPageControls(Tessel::MWindow& window);
std::vector<TextBinding> SettingsPageTextBindings();

#pragma once
// The settings page: language, keyboard system settings, application.

#include <string>
#include <vector>

#include "ui/tessel/TextBindings.h"

namespace Tessel {
class PageHost;
}

void CreateSettingsPageControls(Tessel::PageHost& window);
std::vector<TextBinding> SettingsPageTextBindings();
// The sleep time choices in the current language: `minutesPattern` holds "%d" ("%d Min").
void ShowSleepTimeTexts(Tessel::PageHost& window, const std::string& minutesPattern);

#pragma once
// The frame of the main window: backgrounds, title bar, main tabs, the content area with one
// area per page, the device overview, and the shared views.

#include "core/MainTabs.h"

namespace Tessel {
class PageHost;
}

constexpr int kMainWindowWidth = 1400;
constexpr int kMainWindowHeight = 788;

void CreateMainWindowControls(Tessel::PageHost& window);

#pragma once
// The frame of the main window: backgrounds, title bar, main tabs, the content area with one
// area per page, the device overview, and the shared views.

namespace Tessel {
class MWindow;
}

constexpr int kMainWindowWidth = 1400;
constexpr int kMainWindowHeight = 788;

// The main tabs in order: position -> page id.
constexpr int kMainTabPages[] = {0, 1, 3, 6, 4, 5, 2, 7};
constexpr int kMainTabCount = static_cast<int>(sizeof kMainTabPages / sizeof kMainTabPages[0]);

void CreateMainWindowControls(Tessel::MWindow& window);

#pragma once
// The frame around the main pages: which tabs the selected keyboard offers, and what each page
// shows besides its own area (the shared keyboard view and its mode, the effect view, the key
// test, the profile column, the home overview). And the pop-up windows a device switch closes.

#include "core/ModelCapabilities.h"
#include "ui/tessel/PageHost.h"

// Shows the frame of the page `pageId` and its own area; hides every other page's area.
void ShowPageFrame(Tessel::PageHost& host, int pageId);

// Shows the tabs of the pages the keyboard offers over its connection kind.
void ShowTabsOf(Tessel::PageHost& host, const ModelCapabilities& capabilities, int connectionKind);

// Closes the pop-up windows of the features (dialogs, message boxes, menus, tips); on the UI
// thread.
void CloseFeatureWindows();

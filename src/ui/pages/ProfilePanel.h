#pragma once
// The profile column beside the keyboard view: its title, the add, import and manage buttons
// and the list of profiles. The profile dialog has the same list.

#include <vector>

#include "ui/tessel/TextBindings.h"

namespace Tessel {
class PageHost;
}

void CreateProfilePanelControls(Tessel::PageHost& window);
std::vector<TextBinding> ProfilePanelTextBindings();

// The keyboard view and the screen-sync effect view, placed by the model's layout.
void CreateKeyboardViews(Tessel::PageHost& window);

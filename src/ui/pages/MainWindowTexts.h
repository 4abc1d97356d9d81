#pragma once
// The language texts of the main window's frame: the tab titles and the title bar tooltips.

#include <vector>

#include "ui/tessel/TextBindings.h"

std::vector<TextBinding> MainWindowTextBindings();

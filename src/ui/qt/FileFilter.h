#pragma once
// File dialog filters as the pages write them, turned into the form Qt's file dialogs read.
//   "Image Files (*.jpg;*.jpeg;*.png)"   -> "Image Files (*.jpg *.jpeg *.png)"
//   "Profiles|*.xml|All Files|*.*||"     -> "Profiles (*.xml);;All Files (*)"

#include <string>
#include <string_view>

namespace TesselQt {

std::string ToQtFileFilter(std::string_view filter);

}  // namespace TesselQt

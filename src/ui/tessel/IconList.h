#pragma once
// A list of choices drawn as tiles, each with a picture above its text (the light page's mode
// list). One item is current; the user's choice is reported as kEventSelChanged with the
// position in arg1 and the item's data in arg2.

#include <cstdint>
#include <string>

#include "ui/tessel/Controls.h"

namespace Tessel {

class IconList : public MItemList {
 public:
  IconList(MWindow& owner, int id) : MItemList(owner, id, kClassName) {}
  static constexpr const char* kClassName = "IconList";

  // An item with its picture (relative to the application folder).
  int AddIconItem(std::string text, std::intptr_t data, std::string icon);
  std::string GetItemIcon(int position) const;

  // The size of one tile; the list lays out as many per row as fit.
  void SetTileSize(int width, int height);
  int GetTileWidth() const;
  int GetTileHeight() const;

 private:
  int tileWidth_ = 80;
  int tileHeight_ = 48;
};

}  // namespace Tessel

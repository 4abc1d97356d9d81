#include "ui/tessel/IconList.h"

#include <algorithm>

namespace Tessel {

int IconList::AddIconItem(std::string text, std::intptr_t data, std::string icon) {
  int position = 0;
  {
    std::lock_guard lock(mutex_);
    items_.push_back({std::move(text), data, true, std::move(icon), {}, 0});
    position = static_cast<int>(items_.size()) - 1;
    BumpVersionLocked();
  }
  NotifyChanged();
  return position;
}

std::string IconList::GetItemIcon(int position) const {
  std::lock_guard lock(mutex_);
  if (position < 0 || position >= static_cast<int>(items_.size())) return {};
  return items_[static_cast<std::size_t>(position)].icon;
}

void IconList::SetTileSize(int width, int height) {
  {
    std::lock_guard lock(mutex_);
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (tileWidth_ == width && tileHeight_ == height) return;
    tileWidth_ = width;
    tileHeight_ = height;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int IconList::GetTileWidth() const {
  return Read(tileWidth_);
}

int IconList::GetTileHeight() const {
  return Read(tileHeight_);
}

}  // namespace Tessel

#include "ui/tessel/AuroraEffect.h"

namespace Tessel {

void AuroraEffect::AddKeyItem(std::string name, int code, const Rect& rect, int column, int row) {
  {
    std::lock_guard lock(mutex_);
    items_.push_back({code, std::move(name), rect, column, row, 0});
    BumpVersionLocked();
  }
  NotifyChanged();
}

void AuroraEffect::ClearItem() {
  {
    std::lock_guard lock(mutex_);
    items_.clear();
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::vector<KEYITEM_INFO> AuroraEffect::GetKeyItems() const {
  return Read(items_);
}

int AuroraEffect::GetKeyCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

void AuroraEffect::SetKeyboardImage(std::string picture) {
  Assign(picture_, std::move(picture));
}
std::string AuroraEffect::GetKeyboardImage() const {
  return Read(picture_);
}

void AuroraEffect::SetWidthAndHeight(int width, int height) {
  {
    std::lock_guard lock(mutex_);
    if (layoutWidth_ == width && layoutHeight_ == height) return;
    layoutWidth_ = width;
    layoutHeight_ = height;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int AuroraEffect::GetLayoutWidth() const {
  return Read(layoutWidth_);
}
int AuroraEffect::GetLayoutHeight() const {
  return Read(layoutHeight_);
}

}  // namespace Tessel

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

}  // namespace Tessel

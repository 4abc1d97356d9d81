#include "ui/tessel/ThumbnailList.h"

#include <algorithm>

namespace Tessel {

int ThumbnailList::AddPictureItem(std::string text, std::intptr_t data, std::string picture,
                                  std::string detail) {
  return InsertPictureItem(GetCount(), std::move(text), data, std::move(picture),
                           std::move(detail));
}

int ThumbnailList::InsertPictureItem(int position, std::string text, std::intptr_t data,
                                     std::string picture, std::string detail) {
  {
    std::lock_guard lock(mutex_);
    position = std::clamp(position, 0, static_cast<int>(items_.size()));
    ListItem item{std::move(text),   data,           true, std::move(picture),
                  std::move(detail), nextRevision_++};
    items_.insert(items_.begin() + position, std::move(item));
    if (current_ >= position) ++current_;
    BumpVersionLocked();
  }
  NotifyChanged();
  return position;
}

bool ThumbnailList::RemoveItem(int position) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return false;
    items_.erase(items_.begin() + position);
    if (current_ > position || (current_ == position && current_ > 0)) --current_;
    if (current_ >= static_cast<int>(items_.size())) current_ = static_cast<int>(items_.size()) - 1;
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

void ThumbnailList::SetItemPicture(int position, std::string picture) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return;
    ListItem& item = items_[static_cast<std::size_t>(position)];
    item.icon = std::move(picture);
    item.revision = nextRevision_++;
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::string ThumbnailList::GetItemPicture(int position) const {
  std::lock_guard lock(mutex_);
  return ValidLocked(position) ? items_[static_cast<std::size_t>(position)].icon : std::string();
}

std::uint64_t ThumbnailList::GetItemRevision(int position) const {
  std::lock_guard lock(mutex_);
  return ValidLocked(position) ? items_[static_cast<std::size_t>(position)].revision : 0;
}

void ThumbnailList::SetItemDetail(int position, std::string detail) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return;
    ListItem& item = items_[static_cast<std::size_t>(position)];
    if (item.detail == detail) return;
    item.detail = std::move(detail);
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::string ThumbnailList::GetItemDetail(int position) const {
  std::lock_guard lock(mutex_);
  return ValidLocked(position) ? items_[static_cast<std::size_t>(position)].detail : std::string();
}

void ThumbnailList::SetFlow(Flow flow) {
  Assign(flow_, flow);
}

ThumbnailList::Flow ThumbnailList::GetFlow() const {
  return Read(flow_);
}

void ThumbnailList::SetTileSize(int width, int height) {
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

int ThumbnailList::GetTileWidth() const {
  return Read(tileWidth_);
}

int ThumbnailList::GetTileHeight() const {
  return Read(tileHeight_);
}

void ThumbnailList::SetAnimated(bool animated) {
  Assign(animated_, animated);
}

bool ThumbnailList::IsAnimated() const {
  return Read(animated_);
}

void ThumbnailList::UserDoubleClick(int position) {
  if (!IsEnabled()) return;
  std::intptr_t data = 0;
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return;
    data = items_[static_cast<std::size_t>(position)].data;
  }
  Report(kEventDoubleClick, position, data);
}

}  // namespace Tessel

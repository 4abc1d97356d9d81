#include "ui/tessel/ProfileList.h"

#include <algorithm>

namespace Tessel {

void ProfileList::ClearList() {
  {
    std::lock_guard lock(mutex_);
    items_.clear();
    selected_ = -1;
    scroll_ = 0;
    editing_ = -1;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int ProfileList::AddItem(std::string text, std::intptr_t data, std::string icon) {
  int position = 0;
  {
    std::lock_guard lock(mutex_);
    items_.push_back({std::move(text), data, std::move(icon)});
    position = static_cast<int>(items_.size()) - 1;
    BumpVersionLocked();
  }
  NotifyChanged();
  return position;
}

bool ProfileList::DeleteItem(int position) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return false;
    items_.erase(items_.begin() + position);
    if (selected_ == position) selected_ = -1;
    if (selected_ > position) --selected_;
    if (editing_ == position) editing_ = -1;
    if (editing_ > position) --editing_;
    scroll_ = std::clamp(scroll_, 0, std::max(0, static_cast<int>(items_.size()) - 1));
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

int ProfileList::GetItemCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

std::vector<ProfileList::Item> ProfileList::GetItems() const {
  return Read(items_);
}

std::intptr_t ProfileList::GetItemData(int position) const {
  std::lock_guard lock(mutex_);
  return ValidLocked(position) ? items_[static_cast<std::size_t>(position)].data : 0;
}

std::string ProfileList::GetItemText(int position) const {
  std::lock_guard lock(mutex_);
  return ValidLocked(position) ? items_[static_cast<std::size_t>(position)].text : std::string();
}

void ProfileList::SetItemText(int position, std::string text) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return;
    items_[static_cast<std::size_t>(position)].text = std::move(text);
    BumpVersionLocked();
  }
  NotifyChanged();
}

void ProfileList::SetSelectItem(int position) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) position = -1;
    if (position == selected_) return;
    selected_ = position;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int ProfileList::GetSelectItem() const {
  return Read(selected_);
}

std::intptr_t ProfileList::GetCurData() const {
  std::lock_guard lock(mutex_);
  return ValidLocked(selected_) ? items_[static_cast<std::size_t>(selected_)].data : 0;
}

bool ProfileList::SetCurData(std::intptr_t data) {
  int position = -1;
  {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < items_.size() && position < 0; ++i) {
      if (items_[i].data == data) position = static_cast<int>(i);
    }
  }
  if (position < 0) return false;
  SetSelectItem(position);
  return true;
}

void ProfileList::SetScrollPos(int position) {
  Assign(scroll_, std::max(0, position));
}
int ProfileList::GetScrollPos() const {
  return Read(scroll_);
}

void ProfileList::ShowEdit(int position) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) position = -1;
    editing_ = position;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int ProfileList::GetEditItem() const {
  return Read(editing_);
}

void ProfileList::UserSelect(int position) {
  if (!IsEnabled() || position < 0 || position >= GetItemCount()) return;
  SetSelectItem(position);
  Report(kEventSelChanged, position, GetItemData(position));
}

void ProfileList::UserRightClick(int position) {
  if (!IsEnabled() || position < 0 || position >= GetItemCount()) return;
  SetSelectItem(position);
  Report(kEventRightClick, position, GetItemData(position));
}

void ProfileList::UserFinishEdit(int position, std::string text) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return;
    items_[static_cast<std::size_t>(position)].text = std::move(text);
    editing_ = -1;
    BumpVersionLocked();
  }
  NotifyChanged();
  Report(kEventCommit, position, GetItemData(position));
}

}  // namespace Tessel

#include "ui/tessel/RecordList.h"

#include <utility>

namespace Tessel {

void CRecordList::ClearList() {
  SetRecordItems({});
}

void CRecordList::SetRecordItems(std::vector<RecordItem> items) {
  {
    std::lock_guard lock(mutex_);
    items_ = std::move(items);
    selected_ = -1;
    visible_ = -1;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int CRecordList::AddItem(RecordItem item) {
  int position = 0;
  {
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(item));
    position = static_cast<int>(items_.size()) - 1;
    BumpVersionLocked();
  }
  NotifyChanged();
  return position;
}

bool CRecordList::InsertItem(int position, RecordItem item) {
  {
    std::lock_guard lock(mutex_);
    if (position < 0 || position > static_cast<int>(items_.size())) return false;
    items_.insert(items_.begin() + position, std::move(item));
    if (selected_ >= position) ++selected_;
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

bool CRecordList::DeleteItem(int position) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return false;
    items_.erase(items_.begin() + position);
    if (selected_ == position) {
      selected_ = -1;
    } else if (selected_ > position) {
      --selected_;
    }
    if (visible_ >= static_cast<int>(items_.size())) visible_ = -1;
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

bool CRecordList::SetItem(int position, RecordItem item) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return false;
    items_[static_cast<std::size_t>(position)] = std::move(item);
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

bool CRecordList::SetItemDelay(int position, int delay) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(position)) return false;
    items_[static_cast<std::size_t>(position)].delay = delay;
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

bool CRecordList::SwapItem(int first, int second) {
  {
    std::lock_guard lock(mutex_);
    if (!ValidLocked(first) || !ValidLocked(second)) return false;
    std::swap(items_[static_cast<std::size_t>(first)], items_[static_cast<std::size_t>(second)]);
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

int CRecordList::GetItemCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

std::vector<RecordItem> CRecordList::GetRecordItems() const {
  return Read(items_);
}

std::optional<RecordItem> CRecordList::GetRecordInfo(int position) const {
  std::lock_guard lock(mutex_);
  if (!ValidLocked(position)) return std::nullopt;
  return items_[static_cast<std::size_t>(position)];
}

void CRecordList::SetCurSel(int position) {
  {
    std::lock_guard lock(mutex_);
    const int wanted = ValidLocked(position) ? position : -1;
    if (selected_ == wanted) return;
    selected_ = wanted;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int CRecordList::GetCurSel() const {
  return Read(selected_);
}

void CRecordList::EnsureVisible(int position) {
  Assign(visible_, position);
}

int CRecordList::GetVisibleItem() const {
  return Read(visible_);
}

void CRecordList::UserSelect(int position) {
  if (!IsEnabled() || position < 0 || position >= GetItemCount()) return;
  SetCurSel(position);
  Report(kEventSelChanged, position);
}

void CRecordList::UserRightClick(int position) {
  if (!IsEnabled()) return;
  if (position >= GetItemCount()) position = -1;
  if (position >= 0) SetCurSel(position);
  Report(kEventRightClick, position);
}

}  // namespace Tessel

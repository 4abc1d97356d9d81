#include "ui/tessel/KeyControls.h"

#include <algorithm>

namespace Tessel {

// KeyFuncValue -----------------------------------------------------------------------------------

void KeyFuncValue::ClearList() {
  {
    std::lock_guard lock(mutex_);
    if (items_.empty() && current_ < 0) return;
    items_.clear();
    current_ = -1;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int KeyFuncValue::AddItem(std::string name, int value, std::string note) {
  int position = 0;
  {
    std::lock_guard lock(mutex_);
    items_.push_back({std::move(name), value, std::move(note)});
    position = static_cast<int>(items_.size()) - 1;
    BumpVersionLocked();
  }
  NotifyChanged();
  return position;
}

std::vector<KeyFuncValue::Item> KeyFuncValue::GetItems() const {
  return Read(items_);
}

int KeyFuncValue::GetCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

bool KeyFuncValue::GetCurValue(int& value, std::string& name) const {
  std::lock_guard lock(mutex_);
  if (current_ < 0 || current_ >= static_cast<int>(items_.size())) return false;
  const Item& item = items_[static_cast<std::size_t>(current_)];
  value = item.value;
  name = item.name;
  return true;
}

int KeyFuncValue::GetCurSel() const {
  return Read(current_);
}

bool KeyFuncValue::SetCurData(int value) {
  bool known = false;
  {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const Item& item) { return item.value == value; });
    known = found != items_.end();
    const int position = known ? static_cast<int>(found - items_.begin()) : -1;
    if (position == current_) return known;
    current_ = position;
    BumpVersionLocked();
  }
  NotifyChanged();
  return known;
}

void KeyFuncValue::SetColumns(int columns) {
  Assign(columns_, std::max(1, columns));
}

int KeyFuncValue::GetColumns() const {
  return Read(columns_);
}

void KeyFuncValue::SetAllHeight(int pixels) {
  Assign(allHeight_, std::max(0, pixels));
}

int KeyFuncValue::GetAllHeight() const {
  return Read(allHeight_);
}

void KeyFuncValue::UserPick(int position) {
  int value = 0;
  {
    std::lock_guard lock(mutex_);
    if (position < 0 || position >= static_cast<int>(items_.size())) return;
    value = items_[static_cast<std::size_t>(position)].value;
    if (current_ != position) {
      current_ = position;
      BumpVersionLocked();
    }
  }
  NotifyChanged();
  Report(kEventClick, position, value);
}

// CKeyTestCtrl -----------------------------------------------------------------------------------

void CKeyTestCtrl::AddKey(std::string name, int identity) {
  {
    std::lock_guard lock(mutex_);
    const bool listed = std::any_of(entries_.begin(), entries_.end(),
                                    [&](const Entry& entry) { return entry.identity == identity; });
    if (listed) return;
    entries_.push_back({std::move(name), identity});
    BumpVersionLocked();
  }
  NotifyChanged();
}

void CKeyTestCtrl::RemoveKey(int identity) {
  {
    std::lock_guard lock(mutex_);
    if (std::erase_if(entries_, [&](const Entry& entry) { return entry.identity == identity; }) ==
        0) {
      return;
    }
    BumpVersionLocked();
  }
  NotifyChanged();
}

void CKeyTestCtrl::ClearList() {
  {
    std::lock_guard lock(mutex_);
    if (entries_.empty()) return;
    entries_.clear();
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::vector<CKeyTestCtrl::Entry> CKeyTestCtrl::GetKeys() const {
  return Read(entries_);
}

}  // namespace Tessel

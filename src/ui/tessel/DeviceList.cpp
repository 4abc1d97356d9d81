#include "ui/tessel/DeviceList.h"

#include <algorithm>

namespace Tessel {

bool DeviceItem::IsConnected() const {
  return std::any_of(modeStates.begin(), modeStates.end(),
                     [](const auto& entry) { return entry.second == kModeOnline; });
}

bool DeviceItem::IsAsleep() const {
  return !IsConnected() && std::any_of(modeStates.begin(), modeStates.end(), [](const auto& entry) {
    return entry.second == kModeAsleep;
  });
}

DeviceItem* CDeviceList::FindLocked(int modelId) {
  auto found = std::find_if(items_.begin(), items_.end(),
                            [&](const DeviceItem& item) { return item.modelId == modelId; });
  return found == items_.end() ? nullptr : &*found;
}

void CDeviceList::ClearList() {
  {
    std::lock_guard lock(mutex_);
    items_.clear();
    selected_ = 0;
    BumpVersionLocked();
  }
  NotifyChanged();
}

void CDeviceList::AddDevice(std::string name, int modelId, std::string disconnectedPicture,
                            std::string connectedPicture) {
  {
    std::lock_guard lock(mutex_);
    items_.push_back({std::move(name),
                      modelId,
                      std::move(disconnectedPicture),
                      std::move(connectedPicture),
                      {},
                      {}});
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::vector<DeviceItem> CDeviceList::GetItems() const {
  return Read(items_);
}

void CDeviceList::SetSelectDevice(int modelId) {
  {
    std::lock_guard lock(mutex_);
    const int selected = FindLocked(modelId) != nullptr ? modelId : 0;
    if (selected == selected_) return;
    selected_ = selected;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int CDeviceList::GetSelectDevice() const {
  return Read(selected_);
}

int CDeviceList::GetSelectPosition() const {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].modelId == selected_) return static_cast<int>(i);
  }
  return -1;
}

void CDeviceList::SetDeviceState(int modelId, int mode, int state) {
  {
    std::lock_guard lock(mutex_);
    DeviceItem* item = FindLocked(modelId);
    if (item == nullptr) return;
    item->modeStates[mode] = state;
    BumpVersionLocked();
  }
  NotifyChanged();
}

void CDeviceList::SetAllDeviceState(int state) {
  {
    std::lock_guard lock(mutex_);
    for (DeviceItem& item : items_) {
      if (state == 0) {
        item.modeStates.clear();
        item.batteries.clear();
      } else {
        for (auto& entry : item.modeStates) entry.second = state;
      }
    }
    BumpVersionLocked();
  }
  NotifyChanged();
}

void CDeviceList::SetDeviceBattery(int modelId, int mode, int level, int charging) {
  {
    std::lock_guard lock(mutex_);
    DeviceItem* item = FindLocked(modelId);
    if (item == nullptr) return;
    item->batteries[mode] = {level, charging};
    BumpVersionLocked();
  }
  NotifyChanged();
}

void CDeviceList::UserSelectDevice(int modelId) {
  if (!IsEnabled()) return;
  {
    std::lock_guard lock(mutex_);
    if (FindLocked(modelId) == nullptr) return;
  }
  SetSelectDevice(modelId);
  Report(kEventClick, modelId);
}

void CDeviceList::SetLabels(Labels labels) {
  Assign(labels_, std::move(labels));
}

CDeviceList::Labels CDeviceList::GetLabels() const {
  return Read(labels_);
}

}  // namespace Tessel

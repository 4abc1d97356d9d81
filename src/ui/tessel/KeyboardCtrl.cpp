#include "ui/tessel/KeyboardCtrl.h"

#include <algorithm>
#include <cmath>

namespace Tessel {
namespace {

bool IsKnownMode(int mode) {
  return mode == kKeyboardModePlain || mode == kKeyboardModeSelect || mode == kKeyboardModeColor;
}

// A drag is followed in steps of at most this many pixels, so a fast pointer still enters
// every key on its way; a jump across the screen is cut into at most kMaxDragSteps steps.
constexpr double kDragStep = 2.0;
constexpr int kMaxDragSteps = 4096;

}  // namespace

LayoutTransform FitLayout(int layoutWidth, int layoutHeight, int viewWidth, int viewHeight) {
  LayoutTransform transform;
  if (layoutWidth <= 0 || layoutHeight <= 0 || viewWidth <= 0 || viewHeight <= 0) return transform;
  transform.scale = std::min(static_cast<double>(viewWidth) / layoutWidth,
                             static_cast<double>(viewHeight) / layoutHeight);
  transform.offsetX = (viewWidth - layoutWidth * transform.scale) / 2.0;
  transform.offsetY = (viewHeight - layoutHeight * transform.scale) / 2.0;
  return transform;
}

void KeyboardCtrl::AddKeyItem(std::string name, std::string desc, int code, const Rect& rect,
                              std::string text, Color color) {
  KEY_INFO key;
  key.code = code;
  key.name = std::move(name);
  key.desc = std::move(desc);
  key.rect = rect;
  key.text = std::move(text);
  key.color = color;
  key.encoder = code == kKnobKeyCode;
  {
    std::lock_guard lock(mutex_);
    items_.push_back(std::move(key));
    BumpVersionLocked();
  }
  NotifyChanged();
}

void KeyboardCtrl::ClearItem() {
  {
    std::lock_guard lock(mutex_);
    items_.clear();
    current_ = -1;
    drag_ = {};
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::vector<KEY_INFO> KeyboardCtrl::GetKeyItems() const {
  return Read(items_);
}

int KeyboardCtrl::GetKeyCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

KeyboardSnapshot KeyboardCtrl::GetSnapshot() const {
  std::lock_guard lock(mutex_);
  return {items_, picture_, layoutWidth_, layoutHeight_, background_, mode_, current_};
}

void KeyboardCtrl::SetKeyboardColor(Color color) {
  Assign(background_, color);
}
Color KeyboardCtrl::GetKeyboardColor() const {
  return Read(background_);
}

void KeyboardCtrl::SetLightModeColor(int index, Color color) {
  if (index < 0 || index >= kLightModeColorCount) return;
  Assign(lightModeColors_[static_cast<std::size_t>(index)], color);
}

Color KeyboardCtrl::GetLightModeColor(int index) const {
  if (index < 0 || index >= kLightModeColorCount) return 0;
  return Read(lightModeColors_[static_cast<std::size_t>(index)]);
}

template <class Change>
int KeyboardCtrl::ChangeKeys(Change change) {
  int changed = 0;
  {
    std::lock_guard lock(mutex_);
    changed = change();
    if (changed > 0) BumpVersionLocked();
  }
  if (changed > 0) NotifyChanged();
  return changed;
}

bool KeyboardCtrl::SetKeyItemInfo(int code, std::string text, int type, std::string tip) {
  bool found = false;
  ChangeKeys([&] {
    int changed = 0;
    for (KEY_INFO& key : items_) {
      if (key.code != code) continue;
      found = true;
      if (key.text == text && key.type == type && key.tip == tip) continue;
      key.text = text;
      key.type = type;
      key.tip = tip;
      ++changed;
    }
    return changed;
  });
  return found;
}

void KeyboardCtrl::ResetTipKey() {
  ChangeKeys([&] {
    int changed = 0;
    for (KEY_INFO& key : items_) {
      if (key.text.empty() && key.type == 0 && key.tip.empty()) continue;
      key.text.clear();
      key.type = 0;
      key.tip.clear();
      ++changed;
    }
    return changed;
  });
}

int KeyboardCtrl::SetKeyColor(int code, Color color) {
  return SetKeyColors({{code, color}});
}

int KeyboardCtrl::SetKeyColors(const std::vector<KeyColor>& colors) {
  return ChangeKeys([&] {
    int changed = 0;
    for (const KeyColor& entry : colors) {
      for (KEY_INFO& key : items_) {
        if (key.code != entry.code || key.color == entry.color) continue;
        key.color = entry.color;
        ++changed;
      }
    }
    return changed;
  });
}

int KeyboardCtrl::SetSelectedKeysColor(Color color) {
  return ChangeKeys([&] {
    int changed = 0;
    for (KEY_INFO& key : items_) {
      if (!key.selected || key.color == color) continue;
      key.color = color;
      ++changed;
    }
    return changed;
  });
}

void KeyboardCtrl::ResetAllItemsColor(Color color) {
  ChangeKeys([&] {
    int changed = 0;
    for (KEY_INFO& key : items_) {
      if (key.color == color) continue;
      key.color = color;
      ++changed;
    }
    return changed;
  });
}

void KeyboardCtrl::ResetAllItemCheck(int checked) {
  ChangeKeys([&] {
    int changed = 0;
    for (KEY_INFO& key : items_) {
      if (key.selected == (checked != 0)) continue;
      key.selected = checked != 0;
      ++changed;
    }
    if (checked == 0) current_ = -1;
    return changed;
  });
}

bool KeyboardCtrl::SetKeyCheck(int code, bool selected) {
  bool found = false;
  ChangeKeys([&] {
    int changed = 0;
    for (std::size_t i = 0; i < items_.size(); ++i) {
      KEY_INFO& key = items_[i];
      if (key.code != code) continue;
      if (!found && selected) current_ = static_cast<int>(i);
      found = true;
      if (key.selected == selected) continue;
      key.selected = selected;
      ++changed;
    }
    return changed;
  });
  return found;
}

int KeyboardCtrl::GetSelectedKeyCode() const {
  std::lock_guard lock(mutex_);
  if (current_ >= 0 && current_ < static_cast<int>(items_.size()) &&
      items_[static_cast<std::size_t>(current_)].selected) {
    return items_[static_cast<std::size_t>(current_)].code;
  }
  auto first =
      std::find_if(items_.begin(), items_.end(), [](const KEY_INFO& key) { return key.selected; });
  return first == items_.end() ? 0 : first->code;
}

std::vector<int> KeyboardCtrl::GetSelectedKeyCodes() const {
  std::lock_guard lock(mutex_);
  std::vector<int> codes;
  for (const KEY_INFO& key : items_) {
    if (key.selected) codes.push_back(key.code);
  }
  return codes;
}

bool KeyboardCtrl::SetKeyboardCtrlMode(int mode) {
  if (!IsKnownMode(mode)) return false;
  {
    std::lock_guard lock(mutex_);
    if (mode_ == mode) return true;
    mode_ = mode;
    if (mode == kKeyboardModePlain) {
      for (KEY_INFO& key : items_) key.selected = false;
      current_ = -1;
      drag_ = {};
    }
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

int KeyboardCtrl::GetKeyboardCtrlMode() const {
  return Read(mode_);
}

bool KeyboardCtrl::SetKeyEncoder(int position, int code) {
  {
    std::lock_guard lock(mutex_);
    if (position < 0 || position >= static_cast<int>(items_.size())) return false;
    KEY_INFO& key = items_[static_cast<std::size_t>(position)];
    if (key.code == code) return true;
    key.code = code;
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

LayoutTransform KeyboardCtrl::GetLayoutTransform() const {
  const Rect rect = GetRect();
  std::lock_guard lock(mutex_);
  return FitLayout(layoutWidth_, layoutHeight_, rect.Width(), rect.Height());
}

int KeyboardCtrl::PositionOfLocked(int code) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].code == code) return static_cast<int>(i);
  }
  return -1;
}

int KeyboardCtrl::PositionAtLocked(const Rect& rect, double x, double y) const {
  const LayoutTransform transform =
      FitLayout(layoutWidth_, layoutHeight_, rect.Width(), rect.Height());
  const double layoutX = (x - rect.left - transform.offsetX) / transform.scale;
  const double layoutY = (y - rect.top - transform.offsetY) / transform.scale;
  for (std::size_t i = items_.size(); i-- > 0;) {
    const Rect& key = items_[i].rect;
    if (layoutX >= key.left && layoutX < key.right && layoutY >= key.top && layoutY < key.bottom) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

int KeyboardCtrl::KeyAt(int x, int y) const {
  const Rect rect = GetRect();
  std::lock_guard lock(mutex_);
  const int position = PositionAtLocked(rect, x, y);
  return position < 0 ? 0 : items_[static_cast<std::size_t>(position)].code;
}

bool KeyboardCtrl::PressLocked(int position, bool additive) {
  drag_ = {};
  drag_.active = true;
  if (position >= 0) drag_.entered.insert(position);
  if (additive) {
    if (position < 0) return false;
    KEY_INFO& pressed = items_[static_cast<std::size_t>(position)];
    pressed.selected = !pressed.selected;
    if (pressed.selected) {
      current_ = position;
    } else if (current_ == position) {
      current_ = -1;
    }
    return true;
  }
  bool changed = current_ != position;
  current_ = position;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    const bool selected = static_cast<int>(i) == position;
    changed = changed || items_[i].selected != selected;
    items_[i].selected = selected;
  }
  return changed;
}

bool KeyboardCtrl::EnterLocked(int position) {
  if (position < 0 || !drag_.entered.insert(position).second) return false;
  items_[static_cast<std::size_t>(position)].selected = true;
  current_ = position;
  return true;
}

void KeyboardCtrl::Finish(bool changed, int event, std::intptr_t arg) {
  if (changed) NotifyChanged();
  Report(event, arg);
}

void KeyboardCtrl::UserPressAt(int x, int y, bool additive) {
  if (!IsEnabled()) return;
  const Rect rect = GetRect();
  bool changed = false;
  int code = 0;
  {
    std::lock_guard lock(mutex_);
    if (!AcceptsUserLocked()) return;
    const int position = PositionAtLocked(rect, x, y);
    changed = PressLocked(position, additive);
    drag_.hasPoint = true;
    drag_.lastX = x;
    drag_.lastY = y;
    if (position >= 0) code = items_[static_cast<std::size_t>(position)].code;
    if (changed) BumpVersionLocked();
  }
  Finish(changed, kEventClick, code);
}

void KeyboardCtrl::UserPressKey(int code, bool additive) {
  if (!IsEnabled()) return;
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    if (!AcceptsUserLocked()) return;
    const int position = PositionOfLocked(code);
    changed = PressLocked(position, additive);
    if (position < 0) code = 0;
    if (changed) BumpVersionLocked();
  }
  Finish(changed, kEventClick, code);
}

void KeyboardCtrl::UserDragOverKey(int code) {
  if (!IsEnabled()) return;
  {
    std::lock_guard lock(mutex_);
    if (!AcceptsUserLocked() || !drag_.active || !EnterLocked(PositionOfLocked(code))) return;
    BumpVersionLocked();
  }
  Finish(true, kEventDragOver, code);
}

bool KeyboardCtrl::DragMove(int x, int y) {
  if (!IsEnabled()) return false;
  const Rect rect = GetRect();
  std::vector<int> entered;
  {
    std::lock_guard lock(mutex_);
    if (!AcceptsUserLocked() || !drag_.active) return false;
    const double fromX = drag_.hasPoint ? drag_.lastX : x;
    const double fromY = drag_.hasPoint ? drag_.lastY : y;
    const double distance = std::hypot(x - fromX, y - fromY);
    const int steps =
        std::clamp(static_cast<int>(std::ceil(distance / kDragStep)), 1, kMaxDragSteps);
    for (int step = 1; step <= steps; ++step) {
      const double along = static_cast<double>(step) / steps;
      const int position =
          PositionAtLocked(rect, fromX + (x - fromX) * along, fromY + (y - fromY) * along);
      if (EnterLocked(position)) entered.push_back(items_[static_cast<std::size_t>(position)].code);
    }
    drag_.hasPoint = true;
    drag_.lastX = x;
    drag_.lastY = y;
    if (!entered.empty()) BumpVersionLocked();
  }
  if (!entered.empty()) NotifyChanged();
  for (int code : entered) Report(kEventDragOver, code);
  return true;
}

void KeyboardCtrl::UserEndDrag() {
  std::lock_guard lock(mutex_);
  drag_ = {};
}

void KeyboardCtrl::UserContextAt(int x, int y) {
  if (!IsEnabled()) return;
  const Rect rect = GetRect();
  bool changed = false;
  int code = 0;
  {
    std::lock_guard lock(mutex_);
    if (!AcceptsUserLocked()) return;
    const int position = PositionAtLocked(rect, x, y);
    if (position >= 0) {
      // A key already among the selected keeps the selection as it is.
      if (!items_[static_cast<std::size_t>(position)].selected)
        changed = PressLocked(position, false);
      drag_ = {};
      code = items_[static_cast<std::size_t>(position)].code;
    }
    if (changed) BumpVersionLocked();
  }
  Finish(changed, kEventRightClick, code);
}

void KeyboardCtrl::UserSelectEvery(bool selected) {
  if (!IsEnabled()) return;
  int count = 0;
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    if (!AcceptsUserLocked()) return;
    for (KEY_INFO& key : items_) {
      changed = changed || key.selected != selected;
      key.selected = selected;
    }
    if (!selected) current_ = -1;
    count = selected ? static_cast<int>(items_.size()) : 0;
    if (changed) BumpVersionLocked();
  }
  Finish(changed, kEventSelChanged, count);
}

void KeyboardCtrl::UserSelectAll() {
  UserSelectEvery(true);
}
void KeyboardCtrl::UserClearSelection() {
  UserSelectEvery(false);
}

}  // namespace Tessel

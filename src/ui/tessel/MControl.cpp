#include "ui/tessel/MControl.h"

#include "ui/tessel/Backend.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/Manager.h"

namespace Tessel {

MControl::MControl(MWindow& owner, int id, std::string className)
    : owner_(owner), id_(id), className_(std::move(className)) {}

void MControl::AttachTo(MControl* parent) {
  parent_ = parent;
  if (parent != nullptr) parent->children_.push_back(this);
}

void MControl::SetVisible(bool visible) {
  Assign(visible_, visible);
}
bool MControl::IsVisible() const {
  return Read(visible_);
}

bool MControl::IsShown() const {
  for (const MControl* control = this; control != nullptr; control = control->parent_) {
    if (!control->IsVisible()) return false;
  }
  return true;
}

void MControl::SetEnabled(bool enabled) {
  Assign(enabled_, enabled);
}
bool MControl::IsEnabled() const {
  return Read(enabled_);
}

void MControl::SetRect(const Rect& rect) {
  Assign(rect_, rect);
}
Rect MControl::GetRect() const {
  return Read(rect_);
}

void MControl::SetToolTip(std::string text) {
  Assign(toolTip_, std::move(text));
}
std::string MControl::GetToolTip() const {
  return Read(toolTip_);
}

void MControl::SetStyle(std::string style) {
  Assign(style_, std::move(style));
}
std::string MControl::GetStyle() const {
  return Read(style_);
}

void MControl::UpdateControl() {
  {
    std::lock_guard lock(mutex_);
    ++version_;
  }
  NotifyChanged();
}

void MControl::OnTimer(int) {}

std::uint64_t MControl::GetVersion() const {
  return Read(version_);
}

void MControl::NotifyChanged() {
  if (!owner_.IsCreated()) return;
  if (Backend* backend = Manager::GetBackend()) backend->ControlChanged(*this);
}

void MControl::Report(int code, std::intptr_t arg1, std::intptr_t arg2) {
  owner_.OnControlEvent(id_, code, arg1, arg2);
}

MArea::MArea(MWindow& owner, int id) : MControl(owner, id, kClassName) {}

void MArea::SetBackgroundColor(Color color) {
  {
    std::lock_guard lock(mutex_);
    if (hasBackground_ && background_ == color) return;
    background_ = color;
    hasBackground_ = true;
    BumpVersionLocked();
  }
  NotifyChanged();
}

Color MArea::GetBackgroundColor() const {
  return Read(background_);
}
bool MArea::HasBackgroundColor() const {
  return Read(hasBackground_);
}

void MArea::SetBackgroundImage(std::string path) {
  Assign(backgroundImage_, std::move(path));
}
std::string MArea::GetBackgroundImage() const {
  return Read(backgroundImage_);
}

void MArea::UserClick() {
  Report(kEventClick);
}

}  // namespace Tessel

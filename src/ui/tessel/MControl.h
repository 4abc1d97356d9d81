#pragma once
// Base of every control. A control keeps its state behind its own lock, so the worker and
// audio threads may change it; each change tells the backend, which repaints on the UI
// thread. User actions arrive through the User* operations (UI thread), which update the
// state and report an event to the owning window.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "ui/tessel/Types.h"

namespace Tessel {

class MWindow;

class MControl {
 public:
  MControl(MWindow& owner, int id, std::string className);
  virtual ~MControl() = default;
  MControl(const MControl&) = delete;
  MControl& operator=(const MControl&) = delete;

  int GetId() const { return id_; }
  const std::string& GetClassName() const { return className_; }
  MWindow& GetOwner() const { return owner_; }
  MControl* GetParent() const { return parent_; }
  const std::vector<MControl*>& GetChildren() const { return children_; }

  void SetVisible(bool visible);
  bool IsVisible() const;
  // Visible itself and every parent area visible too.
  bool IsShown() const;

  void SetEnabled(bool enabled);
  bool IsEnabled() const;

  // Position inside the parent area (or the window when there is none).
  void SetRect(const Rect& rect);
  Rect GetRect() const;

  void SetToolTip(std::string text);
  std::string GetToolTip() const;

  // A look the backend applies (for example "title", "primary", "tab-main").
  void SetStyle(std::string style);
  std::string GetStyle() const;

  // Asks for a repaint without a state change.
  void UpdateControl();

  // Called by the window's animation timer (UI thread).
  virtual void OnTimer(int timerId);

  // Counts state changes; the backend compares it to what it last drew.
  std::uint64_t GetVersion() const;

 protected:
  // Stores a new value under the lock and reports the change when the value differs.
  template <class T, class U>
  void Assign(T& field, U&& value) {
    {
      std::lock_guard lock(mutex_);
      if (field == value) return;
      field = std::forward<U>(value);
      ++version_;
    }
    NotifyChanged();
  }
  template <class T>
  T Read(const T& field) const {
    std::lock_guard lock(mutex_);
    return field;
  }
  // Marks the state changed; the caller changed it under mutex_.
  void BumpVersionLocked() { ++version_; }
  void NotifyChanged();
  // Reports a user action to the owning window (UI thread).
  void Report(int code, std::intptr_t arg1 = 0, std::intptr_t arg2 = 0);

  mutable std::mutex mutex_;

 private:
  friend class MWindow;
  void AttachTo(MControl* parent);

  MWindow& owner_;
  const int id_;
  const std::string className_;
  MControl* parent_ = nullptr;
  std::vector<MControl*> children_;

  bool visible_ = true;
  bool enabled_ = true;
  Rect rect_;
  std::string toolTip_;
  std::string style_;
  std::uint64_t version_ = 0;
};

// A container of controls; its visibility governs its children.
class MArea : public MControl {
 public:
  MArea(MWindow& owner, int id);
  static constexpr const char* kClassName = "Area";

  void SetBackgroundColor(Color color);
  Color GetBackgroundColor() const;
  bool HasBackgroundColor() const;
  // A picture drawn scaled over the whole area, relative to the resource folder.
  void SetBackgroundImage(std::string path);
  std::string GetBackgroundImage() const;

  // A click on the area itself (not on a child).
  void UserClick();

 private:
  Color background_ = 0;
  bool hasBackground_ = false;
  std::string backgroundImage_;
};

}  // namespace Tessel

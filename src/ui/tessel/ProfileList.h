#pragma once
// The list of profiles: one row per profile with its name and icon; the selected row is the
// active profile. A row can be renamed in place.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "ui/tessel/MControl.h"

namespace Tessel {

class ProfileList : public MControl {
 public:
  ProfileList(MWindow& owner, int id) : MControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "ProfileList";

  struct Item {
    std::string text;
    std::intptr_t data = 0;
    std::string icon;
    friend bool operator==(const Item&, const Item&) = default;
  };

  void ClearList();
  int AddItem(std::string text, std::intptr_t data, std::string icon);
  // Removes a row; false for a position that does not exist. The selection stays on the same
  // row when it was before the removed one, and is cleared when it was the removed one.
  bool DeleteItem(int position);
  int GetItemCount() const;
  std::vector<Item> GetItems() const;
  std::intptr_t GetItemData(int position) const;
  std::string GetItemText(int position) const;
  void SetItemText(int position, std::string text);

  // -1 for none; no event.
  void SetSelectItem(int position);
  int GetSelectItem() const;
  // The selected row's data; 0 when nothing is selected.
  std::intptr_t GetCurData() const;
  // Selects the first row carrying `data`; false when none does.
  bool SetCurData(std::intptr_t data);

  // The first row shown at the top of the list.
  void SetScrollPos(int position);
  int GetScrollPos() const;

  // Opens the in-place editor on a row; -1 closes it.
  void ShowEdit(int position);
  int GetEditItem() const;

  // The user clicked a row: it is selected and kEventSelChanged reports (position, data).
  void UserSelect(int position);
  // The user clicked a row with the right button: it is selected and kEventRightClick
  // reports (position, data).
  void UserRightClick(int position);
  // The in-place editor closed with this text: the row shows it and kEventCommit reports
  // (position, data).
  void UserFinishEdit(int position, std::string text);

 protected:
  // Lists of the same look under another class name.
  ProfileList(MWindow& owner, int id, std::string className)
      : MControl(owner, id, std::move(className)) {}

 private:
  bool ValidLocked(int position) const {
    return position >= 0 && position < static_cast<int>(items_.size());
  }

  std::vector<Item> items_;
  int selected_ = -1;
  int scroll_ = 0;
  int editing_ = -1;
};

}  // namespace Tessel

namespace Tessel {

// The list of macros: the profile list's rows and in-place editor, without icons.
class MacroList : public ProfileList {
 public:
  MacroList(MWindow& owner, int id) : ProfileList(owner, id, kClassName) {}
  static constexpr const char* kClassName = "MacroList";
};

}  // namespace Tessel

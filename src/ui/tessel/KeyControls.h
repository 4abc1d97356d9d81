#pragma once
// The controls of the key page: the function picker, a grid of functions of which one is
// current, and the key test's list of what is held down.

#include <string>
#include <vector>

#include "ui/tessel/Controls.h"

namespace Tessel {

// The function picker. Items carry a name, a value (a key code, a function code, a macro id)
// and a note shown beside the name. Clicking an item makes it current and reports kEventClick
// with its position in arg1 and its value in arg2.
class KeyFuncValue : public MControlFont {
 public:
  struct Item {
    std::string name;
    int value = 0;
    std::string note;
    friend bool operator==(const Item&, const Item&) = default;
  };

  KeyFuncValue(MWindow& owner, int id) : MControlFont(owner, id, kClassName) {}
  static constexpr const char* kClassName = "KeyFuncValue";
  static constexpr int kDefaultColumns = 6;

  void ClearList();
  // The new item's position.
  int AddItem(std::string name, int value, std::string note = {});
  std::vector<Item> GetItems() const;
  int GetCount() const;

  // The current item's value and name; false (both untouched) when no item is current.
  bool GetCurValue(int& value, std::string& name) const;
  int GetCurSel() const;
  // Makes the first item with the value current; false (and none current) when no item has it.
  bool SetCurData(int value);

  // Items per row, at least 1.
  void SetColumns(int columns);
  int GetColumns() const;
  // The height of all rows together, divided equally among them; 0 lets the drawing choose.
  void SetAllHeight(int pixels);
  int GetAllHeight() const;

  // The user picked the item at a position (UI thread).
  void UserPick(int position);

 private:
  std::vector<Item> items_;
  int current_ = -1;
  int columns_ = kDefaultColumns;
  int allHeight_ = 0;
};

// The key test's list: one entry per key or button held down, in the order they were pressed.
class CKeyTestCtrl : public MControlFont {
 public:
  struct Entry {
    std::string name;
    int identity = 0;
    friend bool operator==(const Entry&, const Entry&) = default;
  };

  CKeyTestCtrl(MWindow& owner, int id) : MControlFont(owner, id, kClassName) {}
  static constexpr const char* kClassName = "KeyTestCtrl";

  // An identity already listed is not listed twice.
  void AddKey(std::string name, int identity);
  void RemoveKey(int identity);
  void ClearList();
  std::vector<Entry> GetKeys() const;

 private:
  std::vector<Entry> entries_;
};

}  // namespace Tessel

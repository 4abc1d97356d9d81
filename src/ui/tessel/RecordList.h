#pragma once
// The list of a macro's events: one row per event with its text and the delay that follows it.
// Each row also carries the event's type and value, which the list does not interpret.

#include <optional>
#include <string>
#include <vector>

#include "ui/tessel/MControl.h"

namespace Tessel {

struct RecordItem {
  std::string text;
  int type = 0;
  int value = 0;
  int delay = 0;  // milliseconds after the event
  friend bool operator==(const RecordItem&, const RecordItem&) = default;
};

class CRecordList : public MControl {
 public:
  CRecordList(MWindow& owner, int id) : MControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "RecordList";

  void ClearList();
  // The rows replaced at once; the selection goes.
  void SetRecordItems(std::vector<RecordItem> items);
  int AddItem(RecordItem item);
  // Inserts before `position` (the count appends); false for a position outside 0..count.
  bool InsertItem(int position, RecordItem item);
  // False for a position that does not exist. A selection after the row moves up with it; the
  // selected row itself leaves nothing selected.
  bool DeleteItem(int position);
  bool SetItem(int position, RecordItem item);
  bool SetItemDelay(int position, int delay);
  // Exchanges two rows; the selection stays where it was.
  bool SwapItem(int first, int second);

  int GetItemCount() const;
  std::vector<RecordItem> GetRecordItems() const;
  std::optional<RecordItem> GetRecordInfo(int position) const;

  // -1 for none; no event.
  void SetCurSel(int position);
  int GetCurSel() const;
  // The row the view keeps in sight (the last recorded one, say); -1 for none.
  void EnsureVisible(int position);
  int GetVisibleItem() const;

  // The user clicked a row (kEventSelChanged with the position), or clicked it with the right
  // button (kEventRightClick with the position; -1 below the rows).
  void UserSelect(int position);
  void UserRightClick(int position);

 private:
  bool ValidLocked(int position) const {
    return position >= 0 && position < static_cast<int>(items_.size());
  }

  std::vector<RecordItem> items_;
  int selected_ = -1;
  int visible_ = -1;
};

}  // namespace Tessel

#include "ui/tessel/Controls.h"

#include <algorithm>

#include "base/Text.h"
#include "ui/tessel/MWindow.h"

namespace Tessel {

// MControlFont

MControlFont::MControlFont(MWindow& owner, int id, std::string className)
    : MControl(owner, id, std::move(className)) {}

void MControlFont::SetTitle(std::string title) {
  Assign(title_, std::move(title));
}
std::string MControlFont::GetTitle() const {
  return Read(title_);
}
void MControlFont::SetFontSize(int pixels) {
  Assign(fontSize_, std::max(0, pixels));
}
int MControlFont::GetFontSize() const {
  return Read(fontSize_);
}
void MControlFont::SetBold(bool bold) {
  Assign(bold_, bold);
}
bool MControlFont::IsBold() const {
  return Read(bold_);
}

void MControlFont::SetTextColor(Color color) {
  {
    std::lock_guard lock(mutex_);
    if (hasTextColor_ && textColor_ == color) return;
    textColor_ = color;
    hasTextColor_ = true;
    BumpVersionLocked();
  }
  NotifyChanged();
}

bool MControlFont::HasTextColor() const {
  return Read(hasTextColor_);
}
Color MControlFont::GetTextColor() const {
  return Read(textColor_);
}
void MControlFont::SetAlign(TextAlign align) {
  Assign(align_, align);
}
TextAlign MControlFont::GetAlign() const {
  return Read(align_);
}
void MControlFont::SetWordWrap(bool wrap) {
  Assign(wordWrap_, wrap);
}
bool MControlFont::GetWordWrap() const {
  return Read(wordWrap_);
}

// MButton

MButton::MButton(MWindow& owner, int id, std::string className)
    : MControlFont(owner, id, std::move(className)) {}

void MButton::SetIcon(std::string picture) {
  Assign(icon_, std::move(picture));
}
std::string MButton::GetIcon() const {
  return Read(icon_);
}

void MButton::UserClick() {
  if (IsEnabled()) Report(kEventClick);
}

// Checkable buttons

MCheckable::MCheckable(MWindow& owner, int id, std::string className)
    : MControlFont(owner, id, std::move(className)) {}

void MCheckable::SetCheck(bool checked) {
  Assign(checked_, checked);
}
bool MCheckable::GetCheck() const {
  return Read(checked_);
}

void MCheckable::UserClick() {
  if (!IsEnabled()) return;
  const bool checked = !GetCheck();
  SetCheck(checked);
  Report(kEventClick, checked ? 1 : 0);
}

void CRadioButton::SetGroup(std::string group) {
  Assign(group_, std::move(group));
}
std::string CRadioButton::GetGroup() const {
  return Read(group_);
}

void CRadioButton::SetCheck(bool checked) {
  if (checked) {
    const std::string group = GetGroup();
    for (MControl* control : GetOwner().GetControls()) {
      auto* other = dynamic_cast<CRadioButton*>(control);
      if (other != nullptr && other != this && other->GetGroup() == group)
        other->MCheckable::SetCheck(false);
    }
  }
  MCheckable::SetCheck(checked);
}

void CRadioButton::UserClick() {
  if (!IsEnabled()) return;
  SetCheck(true);
  Report(kEventClick, 1);
}

// CColorButton

void CColorButton::SetColor(Color color) {
  Assign(color_, color & 0xFFFFFF);
}
Color CColorButton::GetColor() const {
  return Read(color_);
}
void CColorButton::SetSelected(bool selected) {
  Assign(selected_, selected);
}
bool CColorButton::IsSelected() const {
  return Read(selected_);
}

void CColorButton::UserClick() {
  if (IsEnabled()) Report(kEventClick, static_cast<std::intptr_t>(GetColor()));
}

void CColorButton::UserPick(Color color) {
  if (!IsEnabled()) return;
  SetColor(color);
  Report(kEventValueChanged, static_cast<std::intptr_t>(GetColor()));
}

// MSlider

void MSlider::SetRange(int minimum, int maximum) {
  if (maximum < minimum) std::swap(minimum, maximum);
  {
    std::lock_guard lock(mutex_);
    minimum_ = minimum;
    maximum_ = maximum;
    value_ = std::clamp(value_, minimum_, maximum_);
    BumpVersionLocked();
  }
  NotifyChanged();
}

int MSlider::GetMinimum() const {
  return Read(minimum_);
}
int MSlider::GetMaximum() const {
  return Read(maximum_);
}

void MSlider::SetProgress(int value) {
  {
    std::lock_guard lock(mutex_);
    value = std::clamp(value, minimum_, maximum_);
    if (value == value_) return;
    value_ = value;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int MSlider::GetProgress() const {
  return Read(value_);
}

void MSlider::UserSetValue(int value, bool final) {
  if (!IsEnabled()) return;
  SetProgress(value);
  Report(kEventValueChanged, GetProgress(), final ? 1 : 0);
}

// MEdit

void MEdit::SetEditText(std::string text) {
  const int limit = GetMaxLength();
  if (limit > 0) text = base::CodePointPrefix(text, static_cast<std::size_t>(limit));
  Assign(text_, std::move(text));
}

std::string MEdit::GetEditText() const {
  return Read(text_);
}
void MEdit::SetMaxLength(int characters) {
  Assign(maxLength_, std::max(0, characters));
}
int MEdit::GetMaxLength() const {
  return Read(maxLength_);
}
void MEdit::SetReadOnly(bool readOnly) {
  Assign(readOnly_, readOnly);
}
bool MEdit::IsReadOnly() const {
  return Read(readOnly_);
}
void MEdit::SetPlaceholder(std::string text) {
  Assign(placeholder_, std::move(text));
}
std::string MEdit::GetPlaceholder() const {
  return Read(placeholder_);
}

void MEdit::SetFocus() {
  {
    std::lock_guard lock(mutex_);
    ++focusRequests_;
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::uint64_t MEdit::GetFocusRequests() const {
  return Read(focusRequests_);
}

void MEdit::UserSetText(std::string text) {
  if (!IsEnabled() || IsReadOnly()) return;
  SetEditText(std::move(text));
  Report(kEventTextChanged);
}

void MEdit::UserFocus(bool gained) {
  Report(kEventFocus, gained ? 1 : 0);
}

void MEdit::UserCommit(bool withEnter) {
  Report(kEventCommit, withEnter ? 1 : 0);
}

// MItemList

MItemList::MItemList(MWindow& owner, int id, std::string className)
    : MControlFont(owner, id, std::move(className)) {}

int MItemList::AddItem(std::string text, std::intptr_t data) {
  int position = 0;
  {
    std::lock_guard lock(mutex_);
    items_.push_back({std::move(text), data, true, {}, {}, 0});
    position = static_cast<int>(items_.size()) - 1;
    BumpVersionLocked();
  }
  NotifyChanged();
  return position;
}

void MItemList::ResetContent() {
  {
    std::lock_guard lock(mutex_);
    items_.clear();
    current_ = -1;
    BumpVersionLocked();
  }
  NotifyChanged();
}

int MItemList::GetCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(items_.size());
}

std::vector<ListItem> MItemList::GetItems() const {
  return Read(items_);
}

std::string MItemList::GetItemText(int position) const {
  std::lock_guard lock(mutex_);
  if (position < 0 || position >= static_cast<int>(items_.size())) return {};
  return items_[static_cast<std::size_t>(position)].text;
}

std::intptr_t MItemList::GetItemData(int position) const {
  std::lock_guard lock(mutex_);
  if (position < 0 || position >= static_cast<int>(items_.size())) return 0;
  return items_[static_cast<std::size_t>(position)].data;
}

void MItemList::SetItemText(int position, std::string text) {
  {
    std::lock_guard lock(mutex_);
    if (position < 0 || position >= static_cast<int>(items_.size())) return;
    auto& item = items_[static_cast<std::size_t>(position)];
    if (item.text == text) return;
    item.text = std::move(text);
    BumpVersionLocked();
  }
  NotifyChanged();
}

int MItemList::FindData(std::intptr_t data) const {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].data == data) return static_cast<int>(i);
  }
  return -1;
}

int MItemList::GetCurSel() const {
  return Read(current_);
}

void MItemList::SetCurSel(int position) {
  {
    std::lock_guard lock(mutex_);
    if (position < -1 || position >= static_cast<int>(items_.size())) position = -1;
    if (position == current_) return;
    current_ = position;
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::intptr_t MItemList::GetCurData() const {
  std::lock_guard lock(mutex_);
  if (current_ < 0 || current_ >= static_cast<int>(items_.size())) return 0;
  return items_[static_cast<std::size_t>(current_)].data;
}

bool MItemList::SelectData(std::intptr_t data) {
  const int position = FindData(data);
  if (position < 0) return false;
  SetCurSel(position);
  return true;
}

void MItemList::UserSelect(int position) {
  if (!IsEnabled()) return;
  std::intptr_t data = 0;
  {
    std::lock_guard lock(mutex_);
    if (position < 0 || position >= static_cast<int>(items_.size())) return;
    const auto& item = items_[static_cast<std::size_t>(position)];
    if (!item.visible) return;
    data = item.data;
  }
  SetCurSel(position);
  Report(kEventSelChanged, position, data);
}

// MTabCtrl

void MTabCtrl::SetItemVisible(int position, bool visible) {
  {
    std::lock_guard lock(mutex_);
    if (position < 0 || position >= static_cast<int>(items_.size())) return;
    auto& item = items_[static_cast<std::size_t>(position)];
    if (item.visible == visible) return;
    item.visible = visible;
    BumpVersionLocked();
  }
  NotifyChanged();
}

bool MTabCtrl::IsItemVisible(int position) const {
  std::lock_guard lock(mutex_);
  if (position < 0 || position >= static_cast<int>(items_.size())) return false;
  return items_[static_cast<std::size_t>(position)].visible;
}

// MProgress

void MProgress::SetProgress(int percent) {
  Assign(percent_, std::clamp(percent, 0, 100));
}
int MProgress::GetProgress() const {
  return Read(percent_);
}
void MProgress::SetBusy(bool busy) {
  Assign(busy_, busy);
}
bool MProgress::IsBusy() const {
  return Read(busy_);
}

// Pictures

void MPicture::SetImage(std::string path) {
  Assign(image_, std::move(path));
}
std::string MPicture::GetImage() const {
  return Read(image_);
}
void MPicture::SetFit(PictureFit fit) {
  Assign(fit_, fit);
}
PictureFit MPicture::GetFit() const {
  return Read(fit_);
}
void MPicture::UserClick() {
  Report(kEventClick);
}

void CGifPicture::SetPlaying(bool playing) {
  Assign(playing_, playing);
}
bool CGifPicture::IsPlaying() const {
  return Read(playing_);
}

}  // namespace Tessel

#pragma once
// The generic controls: labels, buttons, switches, inputs, lists of choices, tabs, pictures.

#include <cstdint>
#include <string>
#include <vector>

#include "ui/tessel/MControl.h"

namespace Tessel {

enum class TextAlign { Left, Center, Right };

// A control that shows a title in a font.
class MControlFont : public MControl {
 public:
  MControlFont(MWindow& owner, int id, std::string className = kClassName);
  static constexpr const char* kClassName = "Label";

  void SetTitle(std::string title);
  std::string GetTitle() const;
  // Pixel size of the font; 0 keeps the look's size.
  void SetFontSize(int pixels);
  int GetFontSize() const;
  void SetBold(bool bold);
  bool IsBold() const;
  void SetTextColor(Color color);
  // The look's colour unless SetTextColor was called.
  bool HasTextColor() const;
  Color GetTextColor() const;
  void SetAlign(TextAlign align);
  TextAlign GetAlign() const;
  void SetWordWrap(bool wrap);
  bool GetWordWrap() const;

 private:
  std::string title_;
  int fontSize_ = 0;
  bool bold_ = false;
  Color textColor_ = 0;
  bool hasTextColor_ = false;
  TextAlign align_ = TextAlign::Left;
  bool wordWrap_ = false;
};

// A push button with a title and an optional icon picture.
class MButton : public MControlFont {
 public:
  MButton(MWindow& owner, int id, std::string className = kClassName);
  static constexpr const char* kClassName = "Button";

  void SetIcon(std::string picture);
  std::string GetIcon() const;

  void UserClick();

 private:
  std::string icon_;
};

// Base of the two-state buttons.
class MCheckable : public MControlFont {
 public:
  MCheckable(MWindow& owner, int id, std::string className);

  virtual void SetCheck(bool checked);
  bool GetCheck() const;

  // Toggles (a radio button only turns on) and reports a click with the new state in arg1.
  virtual void UserClick();

 protected:
  bool checked_ = false;
};

class CSwitchButton : public MCheckable {
 public:
  CSwitchButton(MWindow& owner, int id) : MCheckable(owner, id, kClassName) {}
  static constexpr const char* kClassName = "SwitchButton";
};

class CCheckButton : public MCheckable {
 public:
  CCheckButton(MWindow& owner, int id) : MCheckable(owner, id, kClassName) {}
  static constexpr const char* kClassName = "CheckButton";
};

// One of a group: checking it unchecks the others of the same group in its window.
class CRadioButton : public MCheckable {
 public:
  CRadioButton(MWindow& owner, int id) : MCheckable(owner, id, kClassName) {}
  static constexpr const char* kClassName = "RadioButton";

  void SetGroup(std::string group);
  std::string GetGroup() const;
  void SetCheck(bool checked) override;
  void UserClick() override;

 private:
  std::string group_;
};

// A colour swatch; a click asks the page to pick a colour, UserPick reports the new colour.
class CColorButton : public MControlFont {
 public:
  CColorButton(MWindow& owner, int id) : MControlFont(owner, id, kClassName) {}
  static constexpr const char* kClassName = "ColorButton";

  void SetColor(Color color);
  Color GetColor() const;
  void SetSelected(bool selected);
  bool IsSelected() const;

  void UserClick();
  void UserPick(Color color);

 private:
  Color color_ = 0;
  bool selected_ = false;
};

class MSlider : public MControl {
 public:
  MSlider(MWindow& owner, int id) : MControl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "Slider";

  void SetRange(int minimum, int maximum);
  int GetMinimum() const;
  int GetMaximum() const;
  // Clamped into the range.
  void SetProgress(int value);
  int GetProgress() const;

  // The user moved the handle; `final` when the handle was released (arg2 = 1).
  void UserSetValue(int value, bool final);

 private:
  int minimum_ = 0;
  int maximum_ = 100;
  int value_ = 0;
};

class MEdit : public MControlFont {
 public:
  MEdit(MWindow& owner, int id) : MControlFont(owner, id, kClassName) {}
  static constexpr const char* kClassName = "Edit";

  void SetEditText(std::string text);
  std::string GetEditText() const;
  // At most this many characters (code points); 0 = no limit.
  void SetMaxLength(int characters);
  int GetMaxLength() const;
  void SetReadOnly(bool readOnly);
  bool IsReadOnly() const;
  void SetPlaceholder(std::string text);
  std::string GetPlaceholder() const;
  // Asks the backend to give the field the keyboard focus.
  void SetFocus();
  std::uint64_t GetFocusRequests() const;

  void UserSetText(std::string text);
  void UserFocus(bool gained);
  void UserCommit(bool withEnter);

 private:
  std::string text_;
  int maxLength_ = 0;
  bool readOnly_ = false;
  std::string placeholder_;
  std::uint64_t focusRequests_ = 0;
};

struct ListItem {
  std::string text;
  std::intptr_t data = 0;
  bool visible = true;
  std::string icon;            // a picture shown with the text, where the list draws one
  std::string detail;          // a second, smaller line, where the list draws one
  std::uint64_t revision = 0;  // changes when the picture must be read again
  friend bool operator==(const ListItem&, const ListItem&) = default;
};

// Items with a text and a number; one of them is current.
class MItemList : public MControlFont {
 public:
  MItemList(MWindow& owner, int id, std::string className);

  int AddItem(std::string text, std::intptr_t data);
  void ResetContent();
  int GetCount() const;
  std::vector<ListItem> GetItems() const;
  std::string GetItemText(int position) const;
  std::intptr_t GetItemData(int position) const;
  void SetItemText(int position, std::string text);
  // Position of the first item carrying `data`, -1 when none.
  int FindData(std::intptr_t data) const;

  int GetCurSel() const;
  // Selects a position (-1 for none); no event.
  void SetCurSel(int position);
  std::intptr_t GetCurData() const;
  // Selects the first item carrying `data`; false (selection unchanged) when none does.
  bool SelectData(std::intptr_t data);

  // The user chose an item: reports kEventSelChanged with the position and its data.
  void UserSelect(int position);

 protected:
  std::vector<ListItem> items_;
  int current_ = -1;
};

class MComboBox : public MItemList {
 public:
  MComboBox(MWindow& owner, int id) : MItemList(owner, id, kClassName) {}
  static constexpr const char* kClassName = "ComboBox";
};

// A row of tabs; the item data is the page id. Hidden tabs keep their position.
class MTabCtrl : public MItemList {
 public:
  MTabCtrl(MWindow& owner, int id, std::string className = kClassName)
      : MItemList(owner, id, className) {}
  static constexpr const char* kClassName = "TabCtrl";

  void SetItemVisible(int position, bool visible);
  bool IsItemVisible(int position) const;
};

// The second look of tabs (underlined sub-page tabs).
class TabCtrlEx : public MTabCtrl {
 public:
  TabCtrlEx(MWindow& owner, int id) : MTabCtrl(owner, id, kClassName) {}
  static constexpr const char* kClassName = "TabCtrlEx";
};

class MProgress : public MControlFont {
 public:
  MProgress(MWindow& owner, int id) : MControlFont(owner, id, kClassName) {}
  static constexpr const char* kClassName = "Progress";

  // Percent, clamped to 0..100.
  void SetProgress(int percent);
  int GetProgress() const;
  // A busy bar that moves without telling how far the work is.
  void SetBusy(bool busy);
  bool IsBusy() const;

 private:
  int percent_ = 0;
  bool busy_ = false;
};

enum class PictureFit { Stretch, Contain, Cover, Center };

// A still picture from a file (relative to the resource folder or absolute).
class MPicture : public MControl {
 public:
  MPicture(MWindow& owner, int id, std::string className = kClassName)
      : MControl(owner, id, className) {}
  static constexpr const char* kClassName = "Picture";

  void SetImage(std::string path);
  std::string GetImage() const;
  void SetFit(PictureFit fit);
  PictureFit GetFit() const;

  void UserClick();

 private:
  std::string image_;
  PictureFit fit_ = PictureFit::Cover;
};

// An animated picture (GIF); still pictures show as they are.
class CGifPicture : public MPicture {
 public:
  CGifPicture(MWindow& owner, int id) : MPicture(owner, id, kClassName) {}
  static constexpr const char* kClassName = "GifPicture";

  void SetPlaying(bool playing);
  bool IsPlaying() const;

 private:
  bool playing_ = true;
};

}  // namespace Tessel

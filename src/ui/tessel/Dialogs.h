#pragma once
// The toolkit's ready-made dialogs: the message box, pop-up menus, file and colour choosers.

#include <optional>
#include <string>
#include <vector>

#include "ui/tessel/Backend.h"
#include "ui/tessel/MWindow.h"

namespace Tessel {

// A modal message box with a caption, a message and OK (and Cancel). Its window is named
// "MessageBox"; a WM_CLOSE with wParam 2 cancels it.
class CUIMessageBox : public MDialog {
 public:
  static constexpr const char* kWindowName = "MessageBox";
  enum ControlId { kCaptionId = 1, kTextId = 2, kOkId = 3, kCancelId = 4, kCloseId = 5 };

  CUIMessageBox(std::string caption, std::string text, bool withCancel);

  // Shows the box modally over `parent`; returns 1 for OK and 2 when cancelled or closed.
  static int Show(MWindow* parent, const std::string& caption, const std::string& text,
                  bool withCancel = true);
  // The titles of the OK and Cancel buttons of boxes shown from now on.
  static void SetButtonTitles(std::string ok, std::string cancel);

  const std::string& GetCaption() const { return caption_; }
  const std::string& GetText() const { return text_; }
  bool HasCancel() const { return withCancel_; }

  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;

 protected:
  void CreateControls() override;

 private:
  std::string caption_;
  std::string text_;
  bool withCancel_;
};

// A pop-up menu; the chosen item comes back to the owner as a posted window message with the
// item id in wParam and lParam.
class MenuWnd {
 public:
  static constexpr const char* kWindowName = "Menu Window";

  MenuWnd(MWindow& owner, unsigned message);
  void AddItem(int id, std::string text, bool checked = false);
  const std::vector<MenuItem>& GetItems() const { return items_; }
  // Shows the menu at the pointer (UI thread); returns the chosen id, 0 when none was chosen.
  int Track();

 private:
  MWindow& owner_;
  unsigned message_;
  std::vector<MenuItem> items_;
};

// File choosers; empty when the user chose nothing. `filter` reads like
// "Image Files (*.jpg;*.jpeg;*.png)".
std::optional<std::string> AskOpenFile(MWindow* parent, const std::string& title,
                                       const std::string& filter);
std::optional<std::string> AskSaveFile(MWindow* parent, const std::string& title,
                                       const std::string& filter, const std::string& suggestedName);
// A colour chooser starting at `initial`; empty when cancelled.
std::optional<Color> AskColor(MWindow* parent, Color initial);

}  // namespace Tessel

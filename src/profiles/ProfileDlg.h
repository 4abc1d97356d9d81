#pragma once
// The profile dialog: the same list of profiles in a window of its own, to choose the profile
// to work with. Choices inside it are stored at once; the main window follows on OK.

#include "ui/tessel/MWindow.h"

class ProfilePage;

class ProfileDlg : public Tessel::MDialog {
 public:
  static constexpr const char* kWindowName = "UpdateTipDlg";
  enum ControlId {
    kCaptionId = 1,
    kCloseId = 2,
    kAddId = 3,
    kListId = 4,
    kOkId = 5,
    kCancelId = 6
  };

  explicit ProfileDlg(ProfilePage& profiles);

  // The profile chosen when the dialog closed with OK.
  int ChosenProfile() const { return chosen_; }

  void OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  std::intptr_t OnWindowMessage(unsigned message, std::intptr_t wParam,
                                std::intptr_t lParam) override;

 protected:
  void CreateControls() override;
  void OnInitDialog() override;

 private:
  void Choose(int profile);

  ProfilePage& profiles_;
  int chosen_ = 1;
};

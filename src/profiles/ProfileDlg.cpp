#include "profiles/ProfileDlg.h"

#include "core/TextIds.h"
#include "core/WindowMessages.h"
#include "profiles/ProfilePage.h"
#include "profiles/ProfileService.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/ProfileList.h"

using Tessel::Rect;

ProfileDlg::ProfileDlg(ProfilePage& profiles) : MDialog(kWindowName), profiles_(profiles) {}

void ProfileDlg::CreateControls() {
  auto* caption = Add<Tessel::MControlFont>(kCaptionId);
  caption->SetRect(Rect::FromSize(24, 18, 300, 28));
  caption->SetStyle("dialog-caption");
  caption->SetTitle(GetTitle());
  auto* close = Add<Tessel::MButton>(kCloseId);
  close->SetRect(Rect::FromSize(380, 14, 28, 28));
  close->SetStyle("window-close");
  auto* add = Add<Tessel::MButton>(kAddId);
  add->SetRect(Rect::FromSize(340, 14, 28, 28));
  add->SetStyle("window-button");
  add->SetIcon("skins/theme1/icon_add.png");
  add->SetToolTip(profiles_.Text(text::kProfileAddTip));
  auto* list = Add<Tessel::ProfileList>(kListId);
  list->SetRect(Rect::FromSize(16, 60, 388, 384));
  auto* ok = Add<Tessel::MButton>(kOkId);
  ok->SetRect(Rect::FromSize(192, 464, 100, 36));
  ok->SetStyle("primary");
  ok->SetTitle(profiles_.Text(text::kOk));
  auto* cancel = Add<Tessel::MButton>(kCancelId);
  cancel->SetRect(Rect::FromSize(304, 464, 100, 36));
  cancel->SetTitle(profiles_.Text(text::kCancel));
}

void ProfileDlg::OnInitDialog() {
  // A model without profiles gets its three here too, each one seeded.
  ProfileService& service = profiles_.Profiles();
  auto* list = GetControl<Tessel::ProfileList>(kListId);
  profiles_.FillList(*list, service.ListOrCreate(profiles_.Text(text::kProfileDisplayName), true));
  chosen_ = service.ActiveProfile();
  list->SetCurData(chosen_);
}

void ProfileDlg::Choose(int profile) {
  if (profile <= 0) return;
  chosen_ = profile;
  profiles_.Profiles().MarkActive(profile);
}

void ProfileDlg::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t) {
  auto* list = GetControl<Tessel::ProfileList>(kListId);
  switch (id) {
    case kAddId:
      if (code == Tessel::kEventClick) Choose(profiles_.AddTo(*list, this));
      break;
    case kListId:
      if (code == Tessel::kEventSelChanged) Choose(static_cast<int>(list->GetCurData()));
      if (code == Tessel::kEventCommit) profiles_.RenameItem(*list, static_cast<int>(arg1), this);
      if (code == Tessel::kEventRightClick) {
        Tessel::MenuWnd menu(*this, UM_PROFILE_MENU);
        menu.AddItem(ProfilePage::kMenuDelete, profiles_.Text(text::kProfileMenuDelete));
        menu.AddItem(ProfilePage::kMenuRename, profiles_.Text(text::kProfileMenuRename));
        menu.Track();
      }
      break;
    case kOkId:
      if (code == Tessel::kEventClick) {
        chosen_ = static_cast<int>(list->GetCurData());
        DoOK();
      }
      break;
    case kCloseId:
    case kCancelId:
      if (code == Tessel::kEventClick) DoCancel();
      break;
    default:
      break;
  }
}

std::intptr_t ProfileDlg::OnWindowMessage(unsigned message, std::intptr_t wParam,
                                          std::intptr_t lParam) {
  if (message != UM_PROFILE_MENU) return MDialog::OnWindowMessage(message, wParam, lParam);
  auto* list = GetControl<Tessel::ProfileList>(kListId);
  if (wParam == ProfilePage::kMenuDelete && profiles_.ConfirmDelete(*list, this)) {
    Choose(profiles_.DeleteSelected(*list));
  }
  if (wParam == ProfilePage::kMenuRename) list->ShowEdit(list->GetSelectItem());
  return 1;
}

#pragma once
// The profile column beside the keyboard view: the list of the model's profiles, the add,
// import and manage buttons, the list's menu (delete, export, rename), the limit box and the
// profile dialog. UI thread, except LoadList and FillList.

#include <string>
#include <vector>

#include "storage/Records.h"

class DeviceTaskQueue;
class ProfileService;
struct SharedState;
namespace core {
class TextTable;
}
namespace Tessel {
class MWindow;
class PageHost;
class ProfileList;
}  // namespace Tessel

class ProfilePage {
 public:
  // Items of the profile menu (window message 1825).
  enum MenuItem : int { kMenuDelete = 601, kMenuExport = 602, kMenuRename = 605 };

  ProfilePage(Tessel::PageHost& host, SharedState& state, const core::TextTable& texts,
              ProfileService& profiles, DeviceTaskQueue& tasks);

  // Worker: the list of the current model (created on its first start), the active profile
  // made current and selected.
  void LoadList();

  void OnAddProfile();
  void OnImportProfile();
  void OnExportProfile();
  void OnDeleteProfile();
  void OnRenameProfile(int position);
  void OnSelectProfile();
  void OnProfileMenu();
  void OnProfileMenuChosen(int item);
  void ShowProfileDialog();

  // The name a stored profile name shows: the stored prefixes of the default names are
  // replaced by the current language's.
  std::string DisplayName(const std::string& stored) const;
  // "<base> 1", "<base> 2", ...: the first name no item of `list` carries.
  static std::string MakeUniqueProfileName(const Tessel::ProfileList& list,
                                           const std::string& base);
  static std::vector<std::string> ItemNames(const Tessel::ProfileList& list);
  // Any thread: the list's names again in the current language.
  void ShowNames();

  // What the main list and the dialog's list share. AddTo returns the new profile (0 when
  // none was made), DeleteSelected the newly selected one (0: nothing deleted).
  // Messages go over `parent`, or over the main window when it is null.
  int AddTo(Tessel::ProfileList& list, Tessel::MWindow* limitBoxParent);
  bool ConfirmDelete(const Tessel::ProfileList& list, Tessel::MWindow* parent);
  int DeleteSelected(Tessel::ProfileList& list);
  void RenameItem(Tessel::ProfileList& list, int position, Tessel::MWindow* messageParent);
  void FillList(Tessel::ProfileList& list, const std::vector<storage::ProfileRecord>& profiles);
  std::string Text(int id) const;
  ProfileService& Profiles() { return profiles_; }

 private:
  Tessel::ProfileList& List() const;
  void ShowLimitMessage(Tessel::MWindow* parent);
  void ShowMessage(Tessel::MWindow* parent, int captionId, const std::string& message);
  void SwitchTo(int profile);

  Tessel::PageHost& host_;
  SharedState& state_;
  const core::TextTable& texts_;
  ProfileService& profiles_;
  DeviceTaskQueue& tasks_;
};

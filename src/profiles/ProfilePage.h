#pragma once
// The profile column beside the keyboard view: the list of the model's profiles, the add,
// import and manage buttons, the list's menu (delete, export, rename), the limit box and the
// profile dialog. UI thread, except LoadList and FillList.

#include <filesystem>
#include <string>
#include <vector>

#include "profiles/ProfileService.h"
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

  // What the column's buttons and menu and the command line share, on the main list. UI
  // thread. Each switch to a profile sends it to the keyboard (task 6).
  //
  // The model's profiles as stored (the first three are made when there are none).
  std::vector<storage::ProfileRecord> ListProfiles();
  // Whether the list shows the profile; whether it holds as many as a model may have.
  bool HasProfile(int profile) const;
  bool AtProfileLimit() const;
  // Makes a listed profile the current one; false when the list does not show it.
  bool SelectProfile(int profile);
  // A new profile with this name, made current; its id, 0 when none could be stored.
  int AddProfile(const std::string& name);
  // Renames as the list's editor does; the name stored afterwards (empty: no such profile).
  std::string RenameProfile(int profile, const std::string& name);
  // Deletes a profile unless it is the last one; when it was the current one, its neighbour
  // becomes current. The current profile afterwards; 0 when nothing was deleted.
  int DeleteProfile(int profile);
  // Reads an export file into a new profile and makes it current; its id, 0 when the file held
  // no profile or it could not be stored.
  ProfileService::ImportResult ImportProfile(const std::filesystem::path& path);
  // Writes a profile's export file under the name the list shows.
  bool ExportProfile(int profile, const std::filesystem::path& path, std::string* error);

 private:
  Tessel::ProfileList& List() const;
  // The list position of a profile; -1 when the list does not show it.
  int PositionOf(int profile) const;
  int AddNamed(Tessel::ProfileList& list, const std::string& name);
  void ShowLimitMessage(Tessel::MWindow* parent);
  void ShowMessage(Tessel::MWindow* parent, int captionId, const std::string& message);
  void SwitchTo(int profile);

  Tessel::PageHost& host_;
  SharedState& state_;
  const core::TextTable& texts_;
  ProfileService& profiles_;
  DeviceTaskQueue& tasks_;
};

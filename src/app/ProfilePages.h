#pragma once
// Profiles: the named sets of settings of a keyboard model (up to ten, one active). The
// profile list beside the keyboard view, creating the first three, adding, importing,
// exporting, renaming, deleting and switching, and the profile dialog.

#include <functional>
#include <string>
#include <vector>

#include "core/ControllerContext.h"

namespace Tessel {
class ProfileList;
class MWindow;
}  // namespace Tessel

class ProfilePages {
 public:
  static constexpr int kMaxProfiles = 10;
  static constexpr const char* kProfileIcon = "icon\\icon_profile.png";
  // Items of the profile menu (window message 1825).
  enum MenuItem : int { kMenuDelete = 601, kMenuExport = 602, kMenuRename = 605 };

  // What the profile view refresh runs besides the list (the keyboard's state and the pages
  // that exist); given by the controller.
  struct Hooks {
    std::function<void()> readKeyboardState;  // worker
    std::function<void()> showPages;          // any thread: every feature page of the profile
    std::function<void()> applyPages;         // worker: re-send the profile's pages (task 6)
  };

  ProfilePages(ControllerContext& context, Hooks hooks);

  // Worker (tasks 4, 5, after 22): the list of the current model, created on its first start.
  void LoadProfileList();
  void ShowProfilePages();
  // Task 6: re-sends the current profile's settings after a switch.
  void ApplyProfile();

  // Gives a new profile its initial key rows from the keyboard view's keys.
  void SeedKeyAssignments(int profile);
  // "<base> 1", "<base> 2", ...: the first name no item of `list` carries.
  static std::string MakeUniqueProfileName(const Tessel::ProfileList& list,
                                           const std::string& base);
  // The name a stored profile name shows: the stored prefixes of the default names are
  // replaced by the current language's.
  std::string DisplayName(const std::string& stored) const;

  // UI thread: the buttons, the list and its menu.
  void OnAddProfile();
  void OnImportProfile();
  void OnExportProfile();
  void OnDeleteProfile();
  void OnRenameProfile(int position);
  void OnSelectProfile();
  void OnProfileMenu();
  void OnProfileMenuChosen(int item);
  void ShowProfileDialog();

  // Builds the export document of a profile; false when it cannot be saved.
  bool ExportProfile(int profile, const std::string& name, const std::string& path);
  // Reads an export file into a new profile; its identifier, or 0 when nothing was created.
  int ImportProfile(const std::string& path, std::string& name);

 private:
  friend class ProfileDlg;

  Tessel::ProfileList& List() const;
  std::string Text(int id) const;
  // Creates the three profiles of a model's first start; the first becomes active.
  void CreateDefaultProfiles(const std::string& base, bool seedEveryProfile);
  void FillList(Tessel::ProfileList& list);
  void ShowLimitMessage(Tessel::MWindow* parent);
  // The list operations the main list and the dialog's list share. AddTo returns the new
  // profile (0 when none was made), DeleteSelected the newly selected one (0: nothing deleted).
  int AddTo(Tessel::ProfileList& list, Tessel::MWindow& parent);
  int DeleteSelected(Tessel::ProfileList& list);
  void RenameItem(Tessel::ProfileList& list, int position);
  void SwitchTo(int profile);
  void ShowWaitDialog();

  ControllerContext& context_;
  Hooks hooks_;
};

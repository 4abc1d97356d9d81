#include "profiles/ProfilePage.h"

#include <algorithm>
#include <filesystem>

#include "base/Text.h"
#include "core/DeviceTaskQueue.h"
#include "core/SharedState.h"
#include "core/TaskCodes.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "core/WindowMessages.h"
#include "profiles/ProfileDlg.h"
#include "profiles/ProfileNames.h"
#include "profiles/ProfileService.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/ProfileList.h"

ProfilePage::ProfilePage(Tessel::PageHost& host, SharedState& state, const core::TextTable& texts,
                         ProfileService& profiles, DeviceTaskQueue& tasks)
    : host_(host), state_(state), texts_(texts), profiles_(profiles), tasks_(tasks) {}

Tessel::ProfileList& ProfilePage::List() const {
  return *host_.GetControl<Tessel::ProfileList>(ids::kProfileList);
}

std::string ProfilePage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

// The list -----------------------------------------------------------------------------------

std::string ProfilePage::DisplayName(const std::string& stored) const {
  struct Prefix {
    const char* stored;
    std::size_t characters;
    int text;
  };
  static constexpr Prefix kPrefixes[] = {
      {"Profile", 7, text::kProfileDisplayName},
      {"\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\x87\xE4\xBB\xB6", 4,
       text::kProfileDisplayName},  // 配置文件
      {"\xE6\x88\x91\xE7\x9A\x84\xE5\xB0\x88\xE5\xB1\xAC\xE9\x85\x8D\xE5\xAF\x98", 6,
       text::kProfileBaseName},  // 我的專屬配寘
  };
  for (const Prefix& prefix : kPrefixes) {
    if (stored.starts_with(prefix.stored)) {
      return Text(prefix.text) + base::DropCodePoints(stored, prefix.characters);
    }
  }
  return stored;
}

void ProfilePage::FillList(Tessel::ProfileList& list,
                           const std::vector<storage::ProfileRecord>& profiles) {
  list.ClearList();
  for (const storage::ProfileRecord& profile : profiles) {
    list.AddItem(DisplayName(profile.name), profile.profile, ProfileService::kProfileIcon);
  }
}

void ProfilePage::LoadList() {
  const std::vector<storage::ProfileRecord> profiles =
      profiles_.ListOrCreate(Text(text::kProfileBaseName), false);
  Tessel::ProfileList& list = List();
  FillList(list, profiles);
  const int current = profiles_.ActiveProfile();
  state_.currentProfile.store(current);
  list.SetScrollPos(0);
  list.SetCurData(current);
}

std::vector<std::string> ProfilePage::ItemNames(const Tessel::ProfileList& list) {
  std::vector<std::string> names;
  for (const Tessel::ProfileList::Item& item : list.GetItems()) names.push_back(item.text);
  return names;
}

std::string ProfilePage::MakeUniqueProfileName(const Tessel::ProfileList& list,
                                               const std::string& base) {
  return NumberedName(base, ItemNames(list));
}

void ProfilePage::ShowNames() {
  // Default names follow the language: the list is filled again from what is stored.
  Tessel::ProfileList& list = List();
  const int selected = static_cast<int>(list.GetCurData());
  FillList(list, profiles_.List());
  list.SetCurData(selected);
}

// Operations the main list and the dialog share ---------------------------------------------

void ProfilePage::ShowLimitMessage(Tessel::MWindow* parent) {
  ShowMessage(parent, text::kProfileLimitCaption, Text(text::kProfileLimitMessage));
}

int ProfilePage::AddTo(Tessel::ProfileList& list, Tessel::MWindow* limitBoxParent) {
  if (list.GetItemCount() >= ProfileService::kMaxProfiles) {
    ShowLimitMessage(limitBoxParent);
    return 0;
  }
  return AddNamed(list, MakeUniqueProfileName(list, Text(text::kProfileBaseName)));
}

int ProfilePage::AddNamed(Tessel::ProfileList& list, const std::string& name) {
  const int id = profiles_.Add(name);
  if (id <= 0) return 0;
  list.SetSelectItem(list.AddItem(name, id, ProfileService::kProfileIcon));
  return id;
}

int ProfilePage::DeleteSelected(Tessel::ProfileList& list) {
  const int position = list.GetSelectItem();
  if (list.GetItemCount() < 2 || position < 0) return 0;
  if (!profiles_.Delete(static_cast<int>(list.GetItemData(position)))) return 0;
  list.DeleteItem(position);
  const bool first = position == 0 || list.GetItemCount() == 1;
  list.SetSelectItem(first ? 0 : position - 1);
  return static_cast<int>(list.GetCurData());
}

void ProfilePage::RenameItem(Tessel::ProfileList& list, int position,
                             Tessel::MWindow* messageParent) {
  const int profile = static_cast<int>(list.GetItemData(position));
  std::string name = CleanName(list.GetItemText(position), ProfileService::kMaxNameLength);
  // Two profiles of one name could not be told apart: the new name is refused.
  std::vector<std::string> others = ItemNames(list);
  others.erase(others.begin() + position);
  if (std::find(others.begin(), others.end(), name) != others.end()) {
    ShowMessage(messageParent, text::kProfileMenuRename, Text(text::kRenameTakenMessage));
    name.clear();
  }
  // The list shows what is stored: an empty or refused name brings the old one back.
  const std::string stored = profiles_.Rename(profile, name);
  if (!stored.empty()) list.SetItemText(position, stored);
}

void ProfilePage::ShowMessage(Tessel::MWindow* parent, int captionId, const std::string& message) {
  const std::string caption = Text(captionId);
  if (parent == nullptr) {
    host_.AskMessage(caption, message, false);
  } else {
    Tessel::CUIMessageBox::Show(parent, caption, message, false);
  }
}

bool ProfilePage::ConfirmDelete(const Tessel::ProfileList& list, Tessel::MWindow* parent) {
  const int position = list.GetSelectItem();
  if (list.GetItemCount() < 2 || position < 0) return false;
  const std::string caption = Text(text::kDeleteProfileCaption);
  const std::string message =
      base::Format(Text(text::kDeleteProfileMessage), list.GetItemText(position));
  const int answer = parent == nullptr
                         ? host_.AskMessage(caption, message, true)
                         : Tessel::CUIMessageBox::Show(parent, caption, message, true);
  return answer == Tessel::kResultOK;
}

void ProfilePage::SwitchTo(int profile) {
  profiles_.Activate(profile);
  tasks_.Append(task::kApplyProfile);
}

// The user's actions ------------------------------------------------------------------------

void ProfilePage::OnAddProfile() {
  TARVO_EXPECT_UI_THREAD();
  if (const int id = AddTo(List(), nullptr); id > 0) SwitchTo(id);
}

void ProfilePage::OnSelectProfile() {
  TARVO_EXPECT_UI_THREAD();
  const int profile = static_cast<int>(List().GetCurData());
  if (!SelectProfile(profile)) return;
  host_.ShowWaitDialog(Text(text::kPleaseWait));
}

void ProfilePage::OnDeleteProfile() {
  TARVO_EXPECT_UI_THREAD();
  if (!ConfirmDelete(List(), nullptr)) return;
  if (const int selected = DeleteSelected(List()); selected > 0) SwitchTo(selected);
}

void ProfilePage::OnRenameProfile(int position) {
  RenameItem(List(), position, nullptr);
}

void ProfilePage::OnProfileMenu() {
  host_.TrackMenu(UM_PROFILE_MENU, {{kMenuDelete, Text(text::kProfileMenuDelete)},
                                    {kMenuExport, Text(text::kProfileMenuExport)},
                                    {kMenuRename, Text(text::kProfileMenuRename)}});
}

void ProfilePage::OnProfileMenuChosen(int item) {
  switch (item) {
    case kMenuDelete:
      OnDeleteProfile();
      break;
    case kMenuExport:
      OnExportProfile();
      break;
    case kMenuRename:
      List().ShowEdit(List().GetSelectItem());
      break;
    default:
      break;
  }
}

// Export and import --------------------------------------------------------------------------

void ProfilePage::OnExportProfile() {
  Tessel::ProfileList& list = List();
  const int position = list.GetSelectItem();
  if (position < 0) return;
  const std::string name = list.GetItemText(position);
  const std::optional<std::string> path = host_.AskSaveFile("Macro (*.xml)", name + ".xml");
  if (!path) return;
  std::string reason;
  if (!ExportProfile(static_cast<int>(list.GetCurData()), *path, &reason)) {
    ShowMessage(nullptr, text::kExportFailedCaption,
                base::Format(Text(text::kExportFailed), reason));
  }
}

void ProfilePage::OnImportProfile() {
  Tessel::ProfileList& list = List();
  if (list.GetItemCount() >= ProfileService::kMaxProfiles) {
    ShowLimitMessage(nullptr);
    return;
  }
  const std::optional<std::string> path = host_.AskOpenFile("Custom Key (*.xml)");
  if (!path) return;
  const ProfileService::ImportResult imported = ImportProfile(*path);
  using Failure = ProfileService::ImportResult::Failure;
  if (imported.failure != Failure::kNone) {
    ShowMessage(nullptr, text::kImportFailedCaption,
                Text(imported.failure == Failure::kUnreadable ? text::kImportUnreadable
                                                              : text::kImportStoreFailed));
  } else if (imported.refusedRows > 0) {
    ShowMessage(nullptr, text::kImportFailedCaption,
                base::Format(Text(text::kImportRowsLeftOut), std::to_string(imported.refusedRows)));
  }
}

// The profile dialog ---------------------------------------------------------------------------

void ProfilePage::ShowProfileDialog() {
  ProfileDlg dialog(*this);
  const int result = host_.RunDialog(dialog, Text(text::kProfileDialogTitle), 420, 520);
  const int chosen = dialog.ChosenProfile();
  if (result != Tessel::kResultOK || chosen == state_.currentProfile.load()) return;
  // The dialog may have added or renamed profiles: show the list as stored, then switch.
  Tessel::ProfileList& list = List();
  FillList(list, profiles_.ListOrCreate(Text(text::kProfileBaseName), false));
  list.SetCurData(chosen);
  SwitchTo(chosen);
}

// Operations the column and the command line share --------------------------------------------

std::vector<storage::ProfileRecord> ProfilePage::ListProfiles() {
  return profiles_.ListOrCreate(Text(text::kProfileBaseName), false);
}

int ProfilePage::PositionOf(int profile) const {
  const Tessel::ProfileList& list = List();
  for (int position = 0; position < list.GetItemCount(); ++position) {
    if (list.GetItemData(position) == profile) return position;
  }
  return -1;
}

bool ProfilePage::HasProfile(int profile) const {
  return profile > 0 && PositionOf(profile) >= 0;
}

bool ProfilePage::AtProfileLimit() const {
  return List().GetItemCount() >= ProfileService::kMaxProfiles;
}

bool ProfilePage::SelectProfile(int profile) {
  TARVO_EXPECT_UI_THREAD();
  if (!HasProfile(profile)) return false;
  List().SetCurData(profile);
  SwitchTo(profile);
  return true;
}

int ProfilePage::AddProfile(const std::string& name) {
  TARVO_EXPECT_UI_THREAD();
  if (AtProfileLimit()) return 0;
  const int id = AddNamed(List(), name);
  if (id > 0) SwitchTo(id);
  return id;
}

std::string ProfilePage::RenameProfile(int profile, const std::string& name) {
  TARVO_EXPECT_UI_THREAD();
  const int position = PositionOf(profile);
  if (position < 0) return {};
  // As the list's editor leaves it: the row shows the new text, then the rename is stored.
  // A name another profile has is refused (the window says so).
  Tessel::ProfileList& list = List();
  list.SetItemText(position, name);
  RenameItem(list, position, nullptr);
  // An empty name renames nothing: this reads what is stored now.
  return profiles_.Rename(profile, std::string());
}

int ProfilePage::DeleteProfile(int profile) {
  TARVO_EXPECT_UI_THREAD();
  Tessel::ProfileList& list = List();
  const int position = PositionOf(profile);
  if (position < 0 || list.GetItemCount() < 2) return 0;
  const int current = state_.currentProfile.load();
  if (profile == current || current <= 0) {
    // The current profile goes as the menu's delete does: its neighbour takes over.
    list.SetSelectItem(position);
    const int selected = DeleteSelected(list);
    if (selected > 0) SwitchTo(selected);
    return selected;
  }
  if (!profiles_.Delete(profile)) return 0;
  list.DeleteItem(position);
  list.SetCurData(current);
  return current;
}

ProfileService::ImportResult ProfilePage::ImportProfile(const std::filesystem::path& path) {
  TARVO_EXPECT_UI_THREAD();
  Tessel::ProfileList& list = List();
  ProfileService::ImportResult imported =
      profiles_.Import(path, ItemNames(list), Text(text::kProfileBaseName));
  if (imported.failure != ProfileService::ImportResult::Failure::kNone) return imported;
  list.SetSelectItem(list.AddItem(imported.name, imported.profile, ProfileService::kProfileIcon));
  SwitchTo(imported.profile);
  return imported;
}

bool ProfilePage::ExportProfile(int profile, const std::filesystem::path& path,
                                std::string* error) {
  const int position = PositionOf(profile);
  if (position < 0) {
    if (error != nullptr) *error = "no such profile";
    return false;
  }
  return profiles_.Export(profile, List().GetItemText(position), path, error);
}

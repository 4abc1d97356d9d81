#include "app/ProfilePages.h"

#include <filesystem>

#include "app/ProfileDlg.h"
#include "base/Text.h"
#include "catalogue/XmlDocument.h"
#include "core/TaskCodes.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/WindowMessages.h"
#include "storage/SettingsDatabase.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/WaitDlg.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/Manager.h"
#include "ui/tessel/ProfileList.h"

namespace {

// The attributes of an exported key row, in the order they are written.
constexpr const char* kItemAttributes[] = {"fn_layer",     "key_code",     "layout_value",
                                           "layout_desc",  "macro_type",   "macro_value",
                                           "macro_value2", "macro_value3", "macro_desc"};

storage::ProfileRecord NewProfileRecord(std::string name) {
  storage::ProfileRecord record;
  record.name = std::move(name);
  record.icon_image = ProfilePages::kProfileIcon;
  return record;
}

}  // namespace

ProfilePages::ProfilePages(ControllerContext& context, Hooks hooks)
    : context_(context), hooks_(std::move(hooks)) {}

Tessel::ProfileList& ProfilePages::List() const {
  return *context_.window.GetControl<Tessel::ProfileList>(ids::kProfileList);
}

std::string ProfilePages::Text(int id) const {
  return context_.texts.GetText(text::kDialogSection, id);
}

// The list -----------------------------------------------------------------------------------

std::string ProfilePages::DisplayName(const std::string& stored) const {
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
    if (stored.starts_with(prefix.stored))
      return Text(prefix.text) + base::DropCodePoints(stored, prefix.characters);
  }
  return stored;
}

void ProfilePages::CreateDefaultProfiles(const std::string& base, bool seedEveryProfile) {
  storage::SettingsDatabase& database = context_.database;
  int first = 0;
  for (int n = 1; n <= 3; ++n) {
    const int id = database.AddProfile(NewProfileRecord(base + " " + std::to_string(n)));
    if (id <= 0) continue;
    if (first == 0) first = id;
    if (id == first || seedEveryProfile) SeedKeyAssignments(id);
    database.WriteDefaultConfig(id);
  }
  // The first profile that was actually created becomes active.
  if (first > 0) database.SetActiveProfile(first);
}

void ProfilePages::FillList(Tessel::ProfileList& list) {
  std::vector<storage::ProfileRecord> profiles;
  context_.database.ListProfiles(profiles);
  list.ClearList();
  for (const storage::ProfileRecord& profile : profiles)
    list.AddItem(DisplayName(profile.name), profile.profile, kProfileIcon);
}

void ProfilePages::LoadProfileList() {
  storage::SettingsDatabase& database = context_.database;
  {
    // Two threads must not both find no profile and both create three.
    auto lock = database.Lock();
    std::vector<storage::ProfileRecord> profiles;
    database.ListProfiles(profiles);
    if (profiles.empty() && database.IsOpen())
      CreateDefaultProfiles(Text(text::kProfileBaseName), false);
  }
  Tessel::ProfileList& list = List();
  FillList(list);
  const int current = database.GetActiveProfile();
  context_.state.currentProfile.store(current);
  list.SetScrollPos(0);
  list.SetCurData(current);
  if (hooks_.readKeyboardState) hooks_.readKeyboardState();
  ShowProfilePages();
}

void ProfilePages::ShowProfilePages() {
  if (hooks_.showPages) hooks_.showPages();
}

void ProfilePages::ApplyProfile() {
  context_.state.fnLayer.store(0);
  if (hooks_.applyPages) hooks_.applyPages();
}

void ProfilePages::SeedKeyAssignments(int profile) {
  storage::SettingsDatabase& database = context_.database;
  if (database.CountKeyAssignments(profile) > 0) return;
  auto* view = context_.window.GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView);
  if (view == nullptr) return;
  std::vector<storage::KeyAssignmentRecord> rows;
  for (const Tessel::KEY_INFO& key : view->GetKeyItems()) {
    for (int layer = 0; layer < 4; ++layer) {
      storage::KeyAssignmentRecord row;
      row.profile = profile;
      row.fn_layer = layer;
      row.key_code = key.code;
      row.layout_value = key.code;
      row.layout_desc = key.name;
      row.macro_type = 2;
      row.macro_value = layer == 0 ? key.code : 0;
      row.macro_desc = layer == 0 ? key.name : std::string();
      rows.push_back(std::move(row));
    }
  }
  if (!rows.empty()) database.InsertKeyAssignments(rows);
}

std::string ProfilePages::MakeUniqueProfileName(const Tessel::ProfileList& list,
                                                const std::string& base) {
  const std::vector<Tessel::ProfileList::Item> items = list.GetItems();
  for (int n = 1; n < 1000; ++n) {
    const std::string candidate = base + " " + std::to_string(n);
    bool taken = false;
    for (const auto& item : items) taken = taken || item.text == candidate;
    if (!taken) return candidate;
  }
  return base + " 1000";
}

// The user's actions ------------------------------------------------------------------------

void ProfilePages::ShowLimitMessage(Tessel::MWindow* parent) {
  Tessel::CUIMessageBox::Show(parent, Text(text::kProfileLimitCaption),
                              Text(text::kProfileLimitMessage), false);
}

int ProfilePages::AddTo(Tessel::ProfileList& list, Tessel::MWindow& parent) {
  if (list.GetItemCount() >= kMaxProfiles) {
    ShowLimitMessage(&parent);
    return 0;
  }
  const std::string name = MakeUniqueProfileName(list, Text(text::kProfileBaseName));
  const int id = context_.database.AddProfile(NewProfileRecord(name));
  if (id <= 0) return 0;
  SeedKeyAssignments(id);
  context_.database.WriteDefaultConfig(id);
  list.SetSelectItem(list.AddItem(name, id, kProfileIcon));
  return id;
}

int ProfilePages::DeleteSelected(Tessel::ProfileList& list) {
  const int position = list.GetSelectItem();
  if (list.GetItemCount() < 2 || position < 0) return 0;
  if (!context_.database.DeleteProfile(static_cast<int>(list.GetItemData(position)))) return 0;
  list.DeleteItem(position);
  const bool first = position == 0 || list.GetItemCount() == 1;
  list.SetSelectItem(first ? 0 : position - 1);
  return static_cast<int>(list.GetCurData());
}

void ProfilePages::RenameItem(Tessel::ProfileList& list, int position) {
  const int profile = static_cast<int>(list.GetItemData(position));
  const std::string text = list.GetItemText(position);
  if (!text.empty()) context_.database.RenameProfile(profile, text);
  // The list shows what is stored: an empty name brings the old one back.
  std::string stored;
  if (context_.database.GetProfileName(profile, stored)) list.SetItemText(position, stored);
}

void ProfilePages::SwitchTo(int profile) {
  context_.state.currentProfile.store(profile);
  context_.database.SetActiveProfile(profile);
  context_.tasks.Append(task::kApplyProfile);
}

void ProfilePages::OnAddProfile() {
  if (const int id = AddTo(List(), context_.window); id > 0) SwitchTo(id);
}

void ProfilePages::OnSelectProfile() {
  const int profile = static_cast<int>(List().GetCurData());
  if (profile <= 0) return;
  SwitchTo(profile);
  ShowWaitDialog();
}

void ProfilePages::ShowWaitDialog() {
  if (auto* open =
          dynamic_cast<Tessel::MDialog*>(Tessel::Manager::FindWindow(WaitDlg::kWindowName)))
    open->DoOK();
  WaitDlg wait(Text(text::kPleaseWait));
  wait.Create(&context_.window, Text(text::kPleaseWait), Tessel::Rect::FromSize(0, 0, 360, 120));
  wait.CenterWindow();
  wait.ShowModal();
  wait.DestroyWindow();
}

void ProfilePages::OnDeleteProfile() {
  if (const int selected = DeleteSelected(List()); selected > 0) SwitchTo(selected);
}

void ProfilePages::OnRenameProfile(int position) {
  RenameItem(List(), position);
}

void ProfilePages::OnProfileMenu() {
  Tessel::MenuWnd menu(context_.window, UM_PROFILE_MENU);
  menu.AddItem(kMenuDelete, Text(text::kProfileMenuDelete));
  menu.AddItem(kMenuExport, Text(text::kProfileMenuExport));
  menu.AddItem(kMenuRename, Text(text::kProfileMenuRename));
  menu.Track();
}

void ProfilePages::OnProfileMenuChosen(int item) {
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

bool ProfilePages::ExportProfile(int profile, const std::string& name, const std::string& path) {
  std::vector<storage::KeyAssignmentRecord> rows;
  context_.database.ListKeyAssignmentsOfProfile(profile, rows);
  XmlDocument document;
  document.SetText("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n");
  document.AddElement("profile");
  document.EnterElement();
  document.AddElement("profileinfo");
  document.SetAttribute("name", name);
  document.AddElement("key_macro");
  document.EnterElement();
  for (const storage::KeyAssignmentRecord& row : rows) {
    document.AddElement("item");
    const std::string values[] = {std::to_string(row.fn_layer),
                                  std::to_string(row.key_code),
                                  std::to_string(row.layout_value),
                                  row.layout_desc,
                                  std::to_string(row.macro_type),
                                  std::to_string(row.macro_value),
                                  std::to_string(row.macro_value2),
                                  std::to_string(row.macro_value3),
                                  row.macro_desc};
    for (std::size_t i = 0; i < std::size(kItemAttributes); ++i)
      document.SetAttribute(kItemAttributes[i], values[i]);
  }
  return document.SaveFile(path);
}

void ProfilePages::OnExportProfile() {
  Tessel::ProfileList& list = List();
  const int position = list.GetSelectItem();
  if (position < 0) return;
  const std::string name = list.GetItemText(position);
  const std::optional<std::string> path =
      Tessel::AskSaveFile(&context_.window, "", "Macro (*.xml)", name + ".xml");
  if (!path) return;
  ExportProfile(static_cast<int>(list.GetCurData()), name, *path);
}

int ProfilePages::ImportProfile(const std::string& path, std::string& name) {
  XmlDocument document;
  if (!document.LoadFile(path) || !document.FindElement("profile") || !document.EnterElement())
    return 0;
  name = document.FindElement("profileinfo") ? document.GetAttribute("name") : std::string();
  storage::SettingsDatabase& database = context_.database;
  const int id = database.AddProfile(NewProfileRecord(name));
  if (id <= 0) return 0;
  database.WriteDefaultConfig(id);
  if (document.FindElement("key_macro") && document.EnterElement()) {
    while (document.FindElement("item")) {
      storage::KeyAssignmentRecord row;
      row.profile = id;
      row.fn_layer = base::ToInt(document.GetAttribute("fn_layer"));
      row.key_code = base::ToInt(document.GetAttribute("key_code"));
      row.layout_value = base::ToInt(document.GetAttribute("layout_value"));
      row.layout_desc = document.GetAttribute("layout_desc");
      row.macro_type = base::ToInt(document.GetAttribute("macro_type"));
      row.macro_value = base::ToInt(document.GetAttribute("macro_value"));
      row.macro_value2 = base::ToInt(document.GetAttribute("macro_value2"));
      row.macro_value3 = base::ToInt(document.GetAttribute("macro_value3"));
      row.macro_desc = document.GetAttribute("macro_desc");
      database.SaveKeyAssignment(row);
    }
  }
  return id;
}

void ProfilePages::OnImportProfile() {
  Tessel::ProfileList& list = List();
  if (list.GetItemCount() >= kMaxProfiles) {
    ShowLimitMessage(&context_.window);
    return;
  }
  const std::optional<std::string> path =
      Tessel::AskOpenFile(&context_.window, "", "Custom Key (*.xml)");
  std::error_code error;
  if (!path || !std::filesystem::is_regular_file(*path, error)) return;
  std::string name;
  const int id = ImportProfile(*path, name);
  if (id <= 0) return;
  list.SetSelectItem(list.AddItem(name, id, kProfileIcon));
  SwitchTo(static_cast<int>(list.GetCurData()));
}

// The profile dialog ---------------------------------------------------------------------------

void ProfilePages::ShowProfileDialog() {
  ProfileDlg dialog(*this);
  dialog.Create(&context_.window, Text(text::kProfileDialogTitle),
                Tessel::Rect::FromSize(0, 0, 420, 520));
  dialog.CenterWindow();
  const int result = dialog.ShowModal();
  const int chosen = dialog.ChosenProfile();
  dialog.DestroyWindow();
  if (result != Tessel::kResultOK || chosen == context_.state.currentProfile.load()) return;
  // The dialog may have added or renamed profiles: show the list as stored, then switch.
  Tessel::ProfileList& list = List();
  FillList(list);
  list.SetCurData(chosen);
  SwitchTo(chosen);
}

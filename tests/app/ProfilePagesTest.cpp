// Profiles through the controller: the first start of a model, the list's actions, the export
// file and its import, and the profile dialog.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "ControllerFixture.h"
#include "core/TextIds.h"
#include "core/WindowMessages.h"
#include "profiles/ProfileDlg.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/ProfileList.h"

namespace {

class ProfilePagesTest : public ControllerFixture {
 protected:
  std::filesystem::path AppFolder() override { return ShippedData(); }

  void SetUp() override {
    ControllerFixture::SetUp();
    dialog->Profiles().Page().LoadList();
    backend.PumpUntilIdle();
    dialog->Tasks().Clear();
  }

  storage::SettingsDatabase& Database() { return dialog->Database(); }
  Tessel::ProfileList& List() {
    return *dialog->GetControl<Tessel::ProfileList>(ids::kProfileList);
  }
  std::string Text(int id) { return texts->GetText(text::kDialogSection, id); }
  int KeyCount() {
    return dialog->GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)->GetKeyCount();
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& item : List().GetItems()) names.push_back(item.text);
    return names;
  }

  std::vector<storage::KeyAssignmentRecord> Rows(int profile) {
    std::vector<storage::KeyAssignmentRecord> rows;
    Database().ListKeyAssignmentsOfProfile(profile, rows);
    return rows;
  }

  // Answers message boxes with OK and records their texts.
  void RecordMessageBoxes() {
    backend.SetResponder(
        [this](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
          if (auto* box = dynamic_cast<Tessel::CUIMessageBox*>(request.window)) {
            boxes.push_back(box->GetCaption() + "|" + box->GetText());
            return Tessel::DialogAnswer::Result(Tessel::kResultOK);
          }
          if (request.kind == Tessel::DialogRequest::Kind::SaveFile ||
              request.kind == Tessel::DialogRequest::Kind::OpenFile) {
            Tessel::DialogAnswer answer;
            answer.path = chosenFile;
            return answer;
          }
          return std::nullopt;
        });
  }

  std::vector<std::string> boxes;
  std::string chosenFile;
};

TEST_F(ProfilePagesTest, TheFirstStartCreatesThreeProfilesAndActivatesTheFirst) {
  const std::string base = Text(text::kProfileBaseName);
  ASSERT_FALSE(base.empty());
  EXPECT_EQ(Names(), (std::vector<std::string>{base + " 1", base + " 2", base + " 3"}));
  const int first = static_cast<int>(List().GetItemData(0));
  EXPECT_EQ(Database().GetActiveProfile(), first);
  EXPECT_EQ(dialog->State().currentProfile.load(), first);
  EXPECT_EQ(List().GetSelectItem(), 0);
  ASSERT_GT(KeyCount(), 100);
  EXPECT_EQ(Rows(first).size(), static_cast<std::size_t>(4 * KeyCount()));
  for (int position = 1; position < 3; ++position)
    EXPECT_TRUE(Rows(static_cast<int>(List().GetItemData(position))).empty());
  for (int position = 0; position < 3; ++position) {
    std::string value;
    EXPECT_TRUE(Database().GetConfigValue(static_cast<int>(List().GetItemData(position)),
                                          "game_mode", value));
  }
  // A later refresh creates nothing more.
  dialog->Profiles().Page().LoadList();
  EXPECT_EQ(List().GetItemCount(), 3);
}

TEST_F(ProfilePagesTest, SeededRowsNameEachKeyOnLayerZeroOnly) {
  const int first = static_cast<int>(List().GetItemData(0));
  const auto keys = dialog->GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)->GetKeyItems();
  const auto rows = Rows(first);
  ASSERT_EQ(rows.size(), 4 * keys.size());
  const auto& escape = keys.front();
  int seen = 0;
  for (const auto& row : rows) {
    if (row.key_code != escape.code) continue;
    ++seen;
    EXPECT_EQ(row.layout_value, escape.code);
    EXPECT_EQ(row.layout_desc, escape.name);
    EXPECT_EQ(row.macro_type, 2);
    EXPECT_EQ(row.macro_value, row.fn_layer == 0 ? escape.code : 0);
    EXPECT_EQ(row.macro_desc, row.fn_layer == 0 ? escape.name : "");
  }
  EXPECT_EQ(seen, 4);
}

TEST_F(ProfilePagesTest, AddingTakesTheFirstFreeNumberAndSwitches) {
  const std::string base = Text(text::kProfileBaseName);
  EXPECT_TRUE(dialog->Database().RenameProfile(static_cast<int>(List().GetItemData(1)), "Work"));
  dialog->Profiles().Page().LoadList();  // "<base> 1", "Work", "<base> 3"
  dialog->Tasks().Clear();
  dialog->GetControl<Tessel::MButton>(ids::kProfileAdd)->UserClick();
  EXPECT_EQ(Names().back(), base + " 2");
  const int added = static_cast<int>(List().GetCurData());
  EXPECT_EQ(Database().GetActiveProfile(), added);
  EXPECT_EQ(dialog->State().currentProfile.load(), added);
  EXPECT_EQ(Rows(added).size(), static_cast<std::size_t>(4 * KeyCount()));
  EXPECT_EQ(dialog->Tasks().Clear(), std::vector<int>{task::kApplyProfile});
}

TEST_F(ProfilePagesTest, TenProfilesAreTheLimitForAddingAndImporting) {
  RecordMessageBoxes();
  for (int i = 0; i < 7; ++i) dialog->GetControl<Tessel::MButton>(ids::kProfileAdd)->UserClick();
  ASSERT_EQ(List().GetItemCount(), 10);
  EXPECT_TRUE(boxes.empty());
  dialog->GetControl<Tessel::MButton>(ids::kProfileAdd)->UserClick();
  dialog->GetControl<Tessel::MButton>(ids::kProfileImport)->UserClick();
  EXPECT_EQ(List().GetItemCount(), 10);
  std::vector<storage::ProfileRecord> stored;
  Database().ListProfiles(stored);
  EXPECT_EQ(stored.size(), 10u);
  const std::string limit =
      Text(text::kProfileLimitCaption) + "|" + Text(text::kProfileLimitMessage);
  EXPECT_EQ(boxes, (std::vector<std::string>{limit, limit}));
}

TEST_F(ProfilePagesTest, DeletingSelectsTheNeighbourAndNeverTheLastProfile) {
  const int second = static_cast<int>(List().GetItemData(1));
  List().SetSelectItem(0);
  dialog->Profiles().Page().OnDeleteProfile();  // the question is answered with Cancel
  EXPECT_EQ(List().GetItemCount(), 3);
  RecordMessageBoxes();
  dialog->Profiles().Page().OnDeleteProfile();  // the first of three: the new first is selected
  EXPECT_EQ(List().GetItemCount(), 2);
  EXPECT_EQ(List().GetSelectItem(), 0);
  EXPECT_EQ(Database().GetActiveProfile(), second);
  EXPECT_EQ(dialog->State().currentProfile.load(), second);

  List().SetSelectItem(1);
  dialog->Profiles().Page().OnDeleteProfile();  // the last of two: the remaining one
  EXPECT_EQ(List().GetItemCount(), 1);
  EXPECT_EQ(List().GetCurData(), second);

  dialog->Profiles().Page().OnDeleteProfile();  // the only profile stays
  EXPECT_EQ(List().GetItemCount(), 1);
  EXPECT_EQ(dialog->Tasks().Clear(), (std::vector<int>{task::kApplyProfile, task::kApplyProfile}));
}

TEST_F(ProfilePagesTest, RenamingStoresTheNameAndAnEmptyNameKeepsTheOld) {
  const int profile = static_cast<int>(List().GetItemData(1));
  List().UserFinishEdit(1, "Shooter");
  std::string stored;
  Database().GetProfileName(profile, stored);
  EXPECT_EQ(stored, "Shooter");
  List().UserFinishEdit(1, "");
  EXPECT_EQ(List().GetItemText(1), "Shooter");
  Database().GetProfileName(profile, stored);
  EXPECT_EQ(stored, "Shooter");
}

TEST_F(ProfilePagesTest, StoredDefaultPrefixesShowInTheCurrentLanguage) {
  const struct {
    const char* stored;
    std::string shown;
  } cases[] = {
      {"Profile 4", Text(text::kProfileDisplayName) + " 4"},
      {"\xE9\x85\x8D\xE7\xBD\xAE\xE6\x96\x87\xE4\xBB\xB6 2",
       Text(text::kProfileDisplayName) + " 2"},
      {"\xE6\x88\x91\xE7\x9A\x84\xE5\xB0\x88\xE5\xB1\xAC\xE9\x85\x8D\xE5\xAF\x98 9",
       Text(text::kProfileBaseName) + " 9"},
      {"Profiles", Text(text::kProfileDisplayName) + "s"},
      {"My Profile 1", "My Profile 1"},
      {"profile 1", "profile 1"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(dialog->Profiles().Page().DisplayName(c.stored), c.shown) << c.stored;
}

TEST_F(ProfilePagesTest, AnExportedProfileReadsBackWithTheSameRows) {
  const int profile = static_cast<int>(List().GetItemData(0));
  // Awkward values survive the file.
  storage::KeyAssignmentRecord odd;
  odd.profile = profile;
  odd.fn_layer = 2;
  odd.key_code = 0x04;
  odd.layout_value = 0x04;
  odd.layout_desc = "A <&> \"quoted\" 'single' \xE4\xB8\xAD";
  odd.macro_type = 3;
  odd.macro_value = 7;
  odd.macro_desc = "Macro & more";
  EXPECT_GT(Database().SaveKeyAssignment(odd), 0);

  RecordMessageBoxes();
  chosenFile = (folder / "exported.xml").string();
  List().SetSelectItem(0);
  dialog->Profiles().Page().OnExportProfile();
  ASSERT_TRUE(std::filesystem::exists(chosenFile));

  std::ifstream in(chosenFile, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_TRUE(bytes.starts_with(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n<profileinfo name=\""));
  EXPECT_EQ(bytes.find("\n\n"), std::string::npos);
  for (std::size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1)) {
    ASSERT_GT(at, 0u);
    EXPECT_EQ(bytes[at - 1], '\r');
  }
  EXPECT_TRUE(bytes.ends_with("</key_macro>\r\n</profile>\r\n"));

  // Imported again: the same rows, except those that store nothing (values both 0).
  dialog->GetControl<Tessel::MButton>(ids::kProfileImport)->UserClick();
  ASSERT_EQ(List().GetItemCount(), 4);
  const int imported = static_cast<int>(List().GetCurData());
  // Its name was the first profile's: it is numbered like a new profile.
  EXPECT_EQ(List().GetItemText(3), Text(text::kProfileDisplayName) + " 4");
  auto key = [](const storage::KeyAssignmentRecord& r) {
    return std::make_tuple(r.fn_layer, r.key_code, r.layout_value, r.layout_desc, r.macro_type,
                           r.macro_value, r.macro_value2, r.macro_value3, r.macro_desc);
  };
  std::vector<decltype(key(odd))> expected, actual;
  for (const auto& row : Rows(profile)) {
    if (row.macro_value != 0 || row.macro_value2 != 0) expected.push_back(key(row));
  }
  for (const auto& row : Rows(imported)) actual.push_back(key(row));
  std::sort(expected.begin(), expected.end());
  std::sort(actual.begin(), actual.end());
  EXPECT_EQ(actual, expected);
  EXPECT_EQ(Database().GetActiveProfile(), imported);
}

TEST_F(ProfilePagesTest, AnIndependentParserReadsTheExportFile) {
  const int profile = static_cast<int>(List().GetItemData(0));
  const std::string path = (folder / "independent.xml").string();
  ASSERT_TRUE(dialog->Profiles().Service().Export(profile, "Mine & \"yours\"", path));
  const std::string script =
      "import sys, xml.etree.ElementTree as E\n"
      "r = E.parse(sys.argv[1]).getroot()\n"
      "print(r.tag, r.find('profileinfo').get('name'), len(r.find('key_macro').findall('item')),\n"
      "      r.find('key_macro').findall('item')[0].get('layout_desc'))\n";
  std::ofstream(folder / "check.py") << script;
  FILE* pipe = popen(("python3 " + (folder / "check.py").string() + " " + path).c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  char line[512] = {};
  const bool read = fgets(line, sizeof line, pipe) != nullptr;
  pclose(pipe);
  ASSERT_TRUE(read);
  const auto keys = dialog->GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)->GetKeyItems();
  std::ostringstream expected;
  expected << "profile Mine & \"yours\" " << Rows(profile).size() << " " << keys.front().name
           << "\n";
  EXPECT_EQ(std::string(line), expected.str());
}

TEST_F(ProfilePagesTest, AProfileWithoutKeyRowsExportsAnEmptyKeyMacroElement) {
  const int profile = static_cast<int>(List().GetItemData(2));
  ASSERT_TRUE(Rows(profile).empty());
  const std::string path = (folder / "empty.xml").string();
  ASSERT_TRUE(dialog->Profiles().Service().Export(profile, "Empty", path));
  std::ifstream in(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(
      bytes,
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<profile>\r\n<profileinfo name=\"Empty\"/>\r\n"
      "<key_macro/>\r\n</profile>\r\n");
  // Imported, it is a profile with the default configuration and no rows.
  const auto result = dialog->Profiles().Service().Import(path, {}, "Profile");
  const int imported = result.profile;
  ASSERT_GT(imported, 0);
  EXPECT_EQ(result.name, "Empty");
  EXPECT_TRUE(Rows(imported).empty());
  std::string value;
  EXPECT_TRUE(Database().GetConfigValue(imported, "sleep_time", value));
}

TEST_F(ProfilePagesTest, FilesThatAreNotExportsImportNothing) {
  std::ofstream(folder / "other.xml") << "<config/>";
  std::ofstream(folder / "broken.xml") << "<profile><profileinfo";
  for (const char* file : {"other.xml", "broken.xml", "missing.xml"}) {
    const auto result = dialog->Profiles().Service().Import(folder / file, {}, "Profile");
    EXPECT_EQ(result.profile, 0) << file;
    EXPECT_EQ(result.failure, ProfileService::ImportResult::Failure::kUnreadable) << file;
  }
  std::vector<storage::ProfileRecord> stored;
  Database().ListProfiles(stored);
  EXPECT_EQ(stored.size(), 3u);
}

TEST_F(ProfilePagesTest, ChoosingInTheProfileDialogSwitchesTheMainWindowOnOk) {
  const int third = static_cast<int>(List().GetItemData(2));
  for (const bool ok : {false, true}) {
    backend.SetResponder(
        [ok](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
          auto* profiles = dynamic_cast<ProfileDlg*>(request.window);
          if (profiles == nullptr) return std::nullopt;
          profiles->GetControl<Tessel::ProfileList>(ProfileDlg::kListId)->UserSelect(2);
          profiles->GetControl<Tessel::MButton>(ok ? ProfileDlg::kOkId : ProfileDlg::kCancelId)
              ->UserClick();
          return Tessel::DialogAnswer::Result(Tessel::HeadlessBackend::kLeaveOpen);
        });
    dialog->Tasks().Clear();
    dialog->GetControl<Tessel::MButton>(ids::kProfileManage)->UserClick();
    // The choice is stored at once; the main window follows only on OK.
    EXPECT_EQ(Database().GetActiveProfile(), third);
    EXPECT_EQ(dialog->State().currentProfile.load() == third, ok);
    EXPECT_EQ(List().GetCurData() == third, ok);
    EXPECT_EQ(dialog->Tasks().Size(), ok ? 1u : 0u);
  }
}

TEST_F(ProfilePagesTest, SwitchingProfilesWaitsForTheKeyboardAndNeverHangsOffline) {
  int applied = 0;
  dialog->GetTaskTable().FindMutable(task::kApplyProfile)->run = [&] { ++applied; };
  for (const bool connected : {true, false}) {
    SetConnected(connected);
    applied = 0;
    // The worker takes the switch while the wait dialog is shown, and closes it.
    std::atomic<bool> waitShown{false};
    backend.SetResponder(
        [&](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
          if (request.window != nullptr && request.window->GetName() == "WaitDlg")
            waitShown.store(true);
          return std::nullopt;
        });
    std::thread worker([&] {
      while (!waitShown.load()) std::this_thread::yield();
      RunQueuedTasks();
    });
    List().UserSelect(connected ? 1 : 2);
    worker.join();
    EXPECT_EQ(applied, connected ? 1 : 0);
    EXPECT_EQ(Tessel::Manager::FindWindow("WaitDlg"), nullptr);
  }
}

class FirstStartWithFailingInsertTest : public ControllerFixture {
 protected:
  std::filesystem::path AppFolder() override { return ShippedData(); }
};

TEST_F(FirstStartWithFailingInsertTest, TheFirstProfileActuallyCreatedBecomesActive) {
  // The second default profile cannot be stored: a trigger refuses it.
  const std::filesystem::path file = dialog->Database().Path();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(file.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(raw,
                   "CREATE TRIGGER refuse BEFORE INSERT ON t_profile_data WHEN NEW.name LIKE '% 2' "
                   "BEGIN SELECT RAISE(ABORT, 'refused'); END;",
                   nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(raw);
  dialog->Profiles().Page().LoadList();
  auto& list = *dialog->GetControl<Tessel::ProfileList>(ids::kProfileList);
  ASSERT_EQ(list.GetItemCount(), 2);
  EXPECT_EQ(dialog->Database().GetActiveProfile(), list.GetItemData(0));
  EXPECT_EQ(list.GetSelectItem(), 0);
}

}  // namespace

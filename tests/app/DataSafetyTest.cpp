// What the user's data goes through when things fail: a database that cannot be written or
// read, files that cannot be written or are not what they claim, a profile switch, a keyboard
// that is not the one expected.

#include <gtest/gtest.h>

#include <fstream>

#include "ConnectedKeyboardFixture.h"
#include "base/Text.h"
#include "core/MainTabs.h"
#include "core/TextIds.h"
#include "profiles/ProfileFile.h"
#include "storage/ConfigKeys.h"
#include "support/FailingVfs.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/WaitDlg.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/ProfileList.h"

namespace {

namespace key = storage::config_key;

class DataSafetyTest : public ConnectedKeyboardFixture {
 protected:
  void SetUp() override {
    FailingVfs::Install();
    FailingVfs::Writes(true);
    ConnectedKeyboardFixture::SetUp();
    backend.SetResponder(
        [this](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
          if (auto* box = dynamic_cast<Tessel::CUIMessageBox*>(request.window)) {
            boxes.push_back(box->GetCaption() + "|" + box->GetText());
            return Tessel::DialogAnswer::Result(Tessel::kResultOK);
          }
          // A wait dialog waits for the worker: its cycles run while it is shown.
          if (request.kind == Tessel::DialogRequest::Kind::ModalShown &&
              request.window != nullptr && request.window->GetName() == WaitDlg::kWindowName) {
            RunQueuedTasks();
            return std::nullopt;
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
  void TearDown() override { FailingVfs::Writes(true); }

  template <class T>
  T& Control(int id) {
    return *dialog->GetControl<T>(id);
  }
  Tessel::ProfileList& List() { return Control<Tessel::ProfileList>(ids::kProfileList); }
  bool TabShown(int pageId) {
    return Control<Tessel::MTabCtrl>(ids::kMainTabs).IsItemVisible(TabPositionOf(pageId));
  }
  std::string Box(int caption, int text) { return Text(caption) + "|" + Text(text); }

  std::vector<std::string> boxes;
  std::string chosenFile;
};

// A database that cannot be written ------------------------------------------------------------

TEST_F(DataSafetyTest, AFailedWriteIsShownOnceTheSwitchShowsWhatIsStoredAndNothingIsSent) {
  Plug(101);
  StartUp();
  const sim::SettingsBlock before = Keyboard().settings;
  FailingVfs::Writes(false);
  auto& gameMode = Control<Tessel::CSwitchButton>(ids::kGameModeSwitch);
  gameMode.UserClick();
  Control<Tessel::CSwitchButton>(ids::kMacModeSwitch).UserClick();
  FailingVfs::Writes(true);
  Settle();
  // Two failures before the user saw the first: one message.
  EXPECT_EQ(boxes, std::vector<std::string>{
                       Box(text::kDatabaseWriteFailedCaption, text::kDatabaseWriteFailed)});
  EXPECT_FALSE(gameMode.GetCheck());
  EXPECT_EQ(Config(key::kGameMode), "0");
  EXPECT_EQ(Keyboard().settings, before);
  // Once the message was seen, a later failure is shown again.
  FailingVfs::Writes(false);
  gameMode.UserClick();
  FailingVfs::Writes(true);
  Settle();
  EXPECT_EQ(boxes.size(), 2u);
}

class GarbageDatabaseTest : public DataSafetyTest {
 protected:
  // The model's file holds something else before the application starts.
  void Prepare() override {
    file = storage::SettingsDatabase::DatabaseFileOf(paths->GetDataFolder(), "Tarvo K9");
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << std::string(5000, 'x');
    settings->WriteDeviceType(101);
  }
  std::filesystem::path file;
};

TEST_F(GarbageDatabaseTest, ADatabaseThatIsNotOneIsSetAsideAndTheModelStartsAfresh) {
  Plug(101);
  StartUp();
  EXPECT_EQ(ProfileIds().size(), 3u);
  std::vector<std::filesystem::path> aside;
  for (const auto& entry : std::filesystem::directory_iterator(file.parent_path())) {
    if (entry.path().filename().string().find(".unreadable-") != std::string::npos) {
      aside.push_back(entry.path());
    }
  }
  ASSERT_EQ(aside.size(), 1u);
  EXPECT_EQ(std::filesystem::file_size(aside[0]), 5000u);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], Text(text::kDatabaseSetAsideCaption) + "|" +
                          base::Format(Text(text::kDatabaseSetAside), aside[0].string()));
}

// Profile files --------------------------------------------------------------------------------

TEST_F(DataSafetyTest, AnExportThatCannotBeWrittenSaysWhyAndLeavesNoFile) {
  StartUp();
  chosenFile = (folder / "no such folder" / "mine.xml").string();
  List().SetSelectItem(0);
  dialog->Profiles().Page().OnExportProfile();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_TRUE(boxes[0].starts_with(Text(text::kExportFailedCaption) + "|"));
  EXPECT_FALSE(std::filesystem::exists(chosenFile));
}

TEST_F(DataSafetyTest, AnImportCleansTheNameLeavesOutBadRowsAndStoresTheRestTogether) {
  StartUp();
  std::vector<storage::KeyAssignmentRecord> rows;
  auto row = [&](int layer, int code, int type, int value) {
    storage::KeyAssignmentRecord r;
    r.fn_layer = layer;
    r.key_code = code;
    r.layout_value = code;
    r.macro_type = type;
    r.macro_value = value;
    rows.push_back(r);
  };
  row(0, 4, 2, 5);
  row(7, 4, 2, 5);    // no such layer
  row(1, 300, 2, 5);  // no such key code
  row(2, 5, 99, 5);   // no such function type
  row(3, 6, 2, -1);   // a value no entry holds
  row(1, 7, 6, 101);
  const std::string name = std::string("Ga\tme\x01 ") + std::string(100, 'x');
  chosenFile = (folder / "import.xml").string();
  ASSERT_TRUE(WriteProfileFile(chosenFile, name, rows));

  Control<Tessel::MButton>(ids::kProfileImport).UserClick();
  ASSERT_EQ(List().GetItemCount(), 4);
  const int imported = static_cast<int>(List().GetCurData());
  const std::string shown = List().GetItemText(3);
  EXPECT_TRUE(shown.starts_with("Game xxx")) << shown;
  EXPECT_EQ(base::CodePointCount(shown), 64u);
  std::vector<storage::KeyAssignmentRecord> stored;
  Database().ListKeyAssignmentsOfProfile(imported, stored);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].key_code, 4);
  EXPECT_EQ(stored[1].macro_value, 101);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], Text(text::kImportFailedCaption) + "|" +
                          base::Format(Text(text::kImportRowsLeftOut), "4"));

  // A file that is no profile is refused with a message; nothing is created.
  std::ofstream(folder / "other.xml") << "<config/>";
  chosenFile = (folder / "other.xml").string();
  Control<Tessel::MButton>(ids::kProfileImport).UserClick();
  EXPECT_EQ(List().GetItemCount(), 4);
  EXPECT_EQ(boxes.back(), Box(text::kImportFailedCaption, text::kImportUnreadable));
}

TEST_F(DataSafetyTest, AnImportTheDatabaseRefusesLeavesNoHalfProfile) {
  StartUp();
  storage::KeyAssignmentRecord row;
  row.key_code = 4;
  row.macro_type = 2;
  row.macro_value = 5;
  chosenFile = (folder / "import.xml").string();
  ASSERT_TRUE(WriteProfileFile(chosenFile, "Half", {row, row, row}));
  const std::vector<int> before = ProfileIds();
  FailingVfs::Writes(false);
  Control<Tessel::MButton>(ids::kProfileImport).UserClick();
  FailingVfs::Writes(true);
  Settle();
  EXPECT_EQ(ProfileIds(), before);
  EXPECT_EQ(List().GetItemCount(), 3);
  EXPECT_NE(std::find(boxes.begin(), boxes.end(),
                      Box(text::kImportFailedCaption, text::kImportStoreFailed)),
            boxes.end());
}

// Profiles ---------------------------------------------------------------------------------------

TEST_F(DataSafetyTest, SwitchingProfilesSendsThatProfilesSystemSettings) {
  Plug(101);
  StartUp();
  const std::vector<int> profiles = ProfileIds();
  EXPECT_TRUE(Database().SetConfigValue(profiles[1], key::kGameMode, "1"));
  const std::size_t gameMode = sim::SystemSettingsLayoutFor(2).gameMode;
  ASSERT_EQ(Keyboard().settings[gameMode], 0);
  List().UserSelect(1);
  Settle();
  EXPECT_EQ(Keyboard().settings[gameMode], 1);
  EXPECT_TRUE(Control<Tessel::CSwitchButton>(ids::kGameModeSwitch).GetCheck());
  List().UserSelect(0);
  Settle();
  EXPECT_EQ(Keyboard().settings[gameMode], 0);
}

TEST_F(DataSafetyTest, RenamingToANameInUseIsRefusedAndLanguageChangesRenameDefaults) {
  StartUp();
  const std::string first = List().GetItemText(0);
  List().ShowEdit(1);
  List().UserFinishEdit(1, first);
  EXPECT_NE(List().GetItemText(1), first);
  EXPECT_EQ(boxes,
            std::vector<std::string>{Box(text::kProfileMenuRename, text::kRenameTakenMessage)});

  // The default names follow the language, and so do the sleep time choices.
  Control<Tessel::CRadioButton>(ids::kLanguageSimplifiedChinese).UserClick();
  EXPECT_EQ(List().GetItemText(0),
            texts->GetText(text::kDialogSection, text::kProfileDisplayName) + " 1");
  EXPECT_EQ(Control<Tessel::MComboBox>(ids::kSleepTimeCombo).GetItemText(0),
            base::Format(Text(text::kMinutes), "1"));
  EXPECT_NE(Text(text::kMinutes), "%d Min");
}

// The keyboard that is attached ------------------------------------------------------------------

TEST_F(DataSafetyTest, TheFirstStartShowsTheKeyboardThatIsAttached) {
  settings->SetRegString("DeviceType", "");
  Plug(102, /*receiver=*/true);
  settings->SetRegString("DeviceType", "");
  StartUp();
  EXPECT_EQ(dialog->State().selectedModel.load(), 102);
  EXPECT_TRUE(dialog->State().online.load());
  EXPECT_EQ(settings->ReadDeviceType(), 102);
}

TEST_F(DataSafetyTest, TheMessageNamesTheMissingKeyboardAndTheOneThatIsThere) {
  const sim::KeyboardId other = sim::AddCatalogueKeyboard(bus, ShippedData(), 102).value();
  bus.PlugCable(other);
  settings->WriteDeviceType(101);
  StartUp();
  EXPECT_FALSE(dialog->State().online.load());
  EXPECT_EQ(Control<Tessel::MControlFont>(ids::kNoKeyboardText).GetTitle(),
            base::Format(Text(text::kHomeOtherKeyboard), "Tarvo K9", "Tarvo M7"));
}

TEST_F(DataSafetyTest, AReplugKeepsTheModelsTabsAndReturnsToThePageTheUserWasOn) {
  Plug(101);
  StartUp();
  Control<Tessel::MTabCtrl>(ids::kMainTabs).UserSelect(TabPositionOf(kPageKeys));
  ASSERT_EQ(dialog->State().currentPage.load(), kPageKeys);
  for (int round = 0; round < 2; ++round) {
    bus.UnplugCable(keyboard);
    Settle();
    EXPECT_EQ(dialog->State().currentPage.load(), kPageHome);
    EXPECT_FALSE(TabShown(kPageMatrix));
    bus.PlugCable(keyboard);
    Settle();
    EXPECT_EQ(dialog->State().currentPage.load(), kPageKeys);
    EXPECT_FALSE(TabShown(kPageMatrix)) << "a K9 has no matrix light";
  }
}

}  // namespace

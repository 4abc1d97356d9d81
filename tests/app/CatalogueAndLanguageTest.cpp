#include <gtest/gtest.h>

#include <fstream>

#include "ControllerFixture.h"
#include "core/TextIds.h"
#include "core/WindowMessages.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/DeviceList.h"

namespace {

constexpr const char* kCatalogue = R"(<?xml version="1.0"?>
<config>
  <device.info>
    <keyboard name="Alpha" device_type="101" device_info="a" img_connected="a1.png" img_disconnected="a0.png"/>
    <keyboard name="Keypad" device_type="150" device_info="p" img_connected="p1.png" img_disconnected="p0.png"/>
  </device.info>
  <software name="Tarvo" version="2.3.4.5"><website url="https://tarvo.example/"/><store url="https://tarvo.example/store"/></software>
</config>)";

class CatalogueTest : public ControllerFixture {
 protected:
  void Prepare() override {
    std::filesystem::create_directories(AppFolder() / "language");
    std::ofstream(AppFolder() / "config.xml") << kCatalogue;
    std::ofstream(AppFolder() / "language/1033.lan") << "[KB.DIALOG]\n517=Version\n";
    if (!storedDeviceType.empty()) settings->SetRegString("DeviceType", storedDeviceType);
  }
  Tessel::CDeviceList& List() { return *dialog->GetControl<Tessel::CDeviceList>(ids::kDeviceList); }
  std::string storedDeviceType;
};

TEST_F(CatalogueTest, ListsTheModelsAndShowsTheVersionAndTheWebButtonsThatHaveAddresses) {
  const auto items = List().GetItems();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[1].name, "Keypad");
  EXPECT_EQ(items[1].connectedPicture, (AppFolder() / "device/p1.png").string());
  EXPECT_EQ(List().GetSelectDevice(), 101);  // nothing stored
  EXPECT_EQ(dialog->GetControl<Tessel::MControlFont>(ids::kVersionLabel)->GetTitle(),
            "Version: 2.3.4.5");
  EXPECT_TRUE(dialog->FindControl(ids::kWebsiteButton)->IsVisible());
  EXPECT_TRUE(dialog->FindControl(ids::kWebsiteLabel)->IsVisible());
  EXPECT_FALSE(dialog->FindControl(ids::kFeedbackButton)->IsVisible());
  EXPECT_FALSE(dialog->FindControl(ids::kFeedbackLabel)->IsVisible());

  dialog->GetControl<Tessel::MButton>(ids::kWebsiteLabel)->UserClick();
  dialog->GetControl<Tessel::MButton>(ids::kStoreButton)->UserClick();
  EXPECT_EQ(openedUrls,
            (std::vector<std::string>{"https://tarvo.example/", "https://tarvo.example/store"}));
}

struct StoredSelection {
  const char* stored;
  int selected;
};

class CatalogueSelectionTest : public CatalogueTest,
                               public ::testing::WithParamInterface<StoredSelection> {
 protected:
  void Prepare() override {
    storedDeviceType = GetParam().stored;
    CatalogueTest::Prepare();
  }
};

TEST_P(CatalogueSelectionTest, StoredDeviceTypeChoosesTheSelection) {
  EXPECT_EQ(dialog->State().selectedModel.load(), GetParam().selected);
}

INSTANTIATE_TEST_SUITE_P(StoredValues, CatalogueSelectionTest,
                         ::testing::Values(StoredSelection{"", 101}, StoredSelection{"99", 101},
                                           StoredSelection{"abc", 101}, StoredSelection{"150", 150},
                                           StoredSelection{"180", 180}));

class LanguageTest : public ControllerFixture {
 protected:
  std::filesystem::path AppFolder() override { return ShippedData(); }
  std::string Title(int id) { return dialog->GetControl<Tessel::MControlFont>(id)->GetTitle(); }
  std::string TabTitle(int position) {
    return dialog->GetControl<Tessel::MTabCtrl>(ids::kMainTabs)->GetItemText(position);
  }
};

TEST_F(LanguageTest, SwitchingLanguageRetitlesTheWindowAndIsStored) {
  const std::string englishTab = TabTitle(1);
  const std::string englishCaption = Title(ids::kSettingsCaption);
  ASSERT_FALSE(englishTab.empty());
  ASSERT_FALSE(englishCaption.empty());
  EXPECT_TRUE(dialog->GetControl<Tessel::CRadioButton>(ids::kLanguageEnglish)->GetCheck());

  dialog->GetControl<Tessel::CRadioButton>(ids::kLanguageTraditionalChinese)->UserClick();
  EXPECT_EQ(settings->GetRegString("LCID"), "1028");
  EXPECT_EQ(texts->Language(), 1028);
  const std::string traditionalTab = TabTitle(1);
  EXPECT_NE(traditionalTab, englishTab);
  EXPECT_EQ(traditionalTab, texts->GetText(text::kDialogSection, text::kTabLighting));
  EXPECT_EQ(Title(ids::kSettingsCaption),
            texts->GetText(text::kCaptionSection, text::kCaptionSettings));

  dialog->GetControl<Tessel::CRadioButton>(ids::kLanguageSimplifiedChinese)->UserClick();
  EXPECT_EQ(settings->GetRegString("LCID"), "2052");
  EXPECT_NE(TabTitle(1), traditionalTab);
  dialog->GetControl<Tessel::CRadioButton>(ids::kLanguageEnglish)->UserClick();
  EXPECT_EQ(TabTitle(1), englishTab);
  EXPECT_EQ(settings->GetRegString("LCID"), "1033");
}

TEST_F(LanguageTest, CloseButtonTooltipFollowsTheExitMode) {
  auto* close = dialog->FindControl(ids::kCloseButton);
  EXPECT_EQ(close->GetToolTip(), texts->GetText(text::kDialogSection, text::kCloseTipExit));
  settings->SetRegString("exit_mode", "1");
  dialog->SendMessage(UM_APPLY_TEXTS);
  EXPECT_EQ(close->GetToolTip(), texts->GetText(text::kDialogSection, text::kCloseTipHideToTray));
  settings->SetRegString("exit_mode", "2");
  dialog->SendMessage(UM_APPLY_TEXTS);
  EXPECT_EQ(close->GetToolTip(), texts->GetText(text::kDialogSection, text::kCloseTipExit));
}

class UnlistedLanguageTest : public LanguageTest {
 protected:
  void Prepare() override { texts->SetLanguage(1041); }
};

TEST_F(UnlistedLanguageTest, ALanguageWithoutButtonOrTableSelectsAndShowsEnglish) {
  EXPECT_TRUE(dialog->GetControl<Tessel::CRadioButton>(ids::kLanguageEnglish)->GetCheck());
  EXPECT_FALSE(
      dialog->GetControl<Tessel::CRadioButton>(ids::kLanguageSimplifiedChinese)->GetCheck());
  EXPECT_EQ(TabTitle(1), "Lighting");  // no table for 1041: the English one stands in
}

}  // namespace

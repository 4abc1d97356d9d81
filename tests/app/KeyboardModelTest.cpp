// Making a catalogue model current: its title, its database, its layout in the views and the
// lookup tables, and the page tabs it has.

#include <gtest/gtest.h>

#include <fstream>

#include "ControllerFixture.h"
#include "core/MainTabs.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/KeyboardCtrl.h"

namespace {

class KeyboardModelTest : public ControllerFixture {
 protected:
  void Prepare() override {
    const auto app = AppFolder();
    std::filesystem::create_directories(app / "layouts");
    std::filesystem::copy_file(ShippedData() / "layouts/tarvo_k9.xml", app / "layouts/full.xml");
    std::filesystem::copy_file(ShippedData() / "layouts/tarvo_pad.xml", app / "layouts/pad.xml");
    std::ofstream(app / "layouts/broken.xml") << "<device.info><Keyboard";
    std::ofstream(app / "config.xml") << R"(<config><device.info>
      <keyboard name="Full" device_type="101" device_info="full"/>
      <keyboard name="Pad A" device_type="149" device_info="pad"/>
      <keyboard name="Pad B" device_type="150" device_info="pad"/>
      <keyboard name="Pad C" device_type="180" device_info="pad"/>
      <keyboard name="Pad D" device_type="181" device_info="pad"/>
      <keyboard name="Broken" device_type="120" device_info="broken"/>
      <keyboard name="../escape" device_type="130" device_info="pad"/>
    </device.info></config>)";
  }
  Tessel::KeyboardCtrl& View() {
    return *dialog->GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView);
  }
  Tessel::AuroraEffect& Effect() {
    return *dialog->GetControl<Tessel::AuroraEffect>(ids::kEffectView);
  }
};

TEST_F(KeyboardModelTest, TheModelsLayoutFillsBothViewsAndTheTables) {
  // The catalogue load made model 101 current.
  EXPECT_EQ(dialog->GetControl<Tessel::MControlFont>(ids::kProductTitle)->GetTitle(), "Full");
  EXPECT_GT(View().GetKeyCount(), 100);
  EXPECT_EQ(View().GetKeyCount(), Effect().GetKeyCount());
  EXPECT_EQ(View().GetKeyboardImage(), "keyboard\\tarvo_k9.png");
  EXPECT_TRUE(dialog->Layout()->FindKeyIndex(0x29).has_value());  // Esc
  EXPECT_TRUE(dialog->Database().IsOpen());
  EXPECT_EQ(dialog->Database().Path().filename(), "Full_data_2.db");
}

TEST_F(KeyboardModelTest, ModelAThenModelBLeavesNothingOfA) {
  dialog->LoadKeyboardModel(150);
  const auto tables = dialog->Layout();
  EXPECT_FALSE(tables->FindKeyIndex(0x04).has_value());  // the pad has no A key
  for (const auto& [light, code] : tables->CodeByLightIndex) {
    EXPECT_TRUE(tables->LightIndexByCode.contains(code)) << light;
  }
  EXPECT_LT(View().GetKeyCount(), 30);
  for (const auto& key : View().GetKeyItems()) EXPECT_NE(key.code, 0x04);
  EXPECT_EQ(dialog->Database().Path().filename(), "Pad B_data_2.db");
}

TEST_F(KeyboardModelTest, ALayoutThatFailsToLoadLeavesNoKeysOfThePreviousModel) {
  dialog->LoadKeyboardModel(120);
  EXPECT_EQ(View().GetKeyCount(), 0);
  EXPECT_EQ(Effect().GetKeyCount(), 0);
  EXPECT_TRUE(dialog->Layout()->KeyIndexByCode.empty());
  EXPECT_EQ(dialog->Layout()->LayoutRowCount, 0);
  // Its profiles are created without the previous model's keys.
  dialog->Profiles().Page().LoadList();
  std::vector<storage::KeyAssignmentRecord> rows;
  dialog->Database().ListKeyAssignmentsOfProfile(dialog->Database().GetActiveProfile(), rows);
  EXPECT_TRUE(rows.empty());
}

TEST_F(KeyboardModelTest, KeypadModelsHideTheLightingMatrixAndScreenTabs) {
  auto* tabs = dialog->GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  for (const auto& [model, hidden] :
       {std::pair{149, false}, {150, true}, {180, true}, {181, false}}) {
    dialog->LoadKeyboardModel(model);
    EXPECT_EQ(tabs->IsItemVisible(TabPositionOf(kPageLighting)), !hidden) << model;
    EXPECT_EQ(tabs->IsItemVisible(TabPositionOf(kPageScreen)), !hidden) << model;
    // No keyboard has said it has a matrix light.
    EXPECT_FALSE(tabs->IsItemVisible(TabPositionOf(kPageMatrix))) << model;
  }
}

TEST_F(KeyboardModelTest, AModelNameThatCannotNameAFileGetsNoDatabase) {
  dialog->LoadKeyboardModel(130);
  EXPECT_FALSE(dialog->Database().IsOpen());
  EXPECT_FALSE(std::filesystem::exists(folder / "data" / "escape_data_2.db"));
  // The profile list of such a model stays empty instead of failing.
  dialog->Profiles().Page().LoadList();
  EXPECT_EQ(dialog->State().currentProfile.load(), 0);
}

}  // namespace

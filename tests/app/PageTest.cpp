#include <gtest/gtest.h>

#include <fstream>

#include "ControllerFixture.h"
#include "core/WindowMessages.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/MainWindowLayout.h"
#include "ui/tessel/Controls.h"

namespace {

class PageTest : public ControllerFixture {
 protected:
  bool Shown(int id) { return dialog->FindControl(id)->IsShown(); }
  void ClickTab(int position) {
    dialog->GetControl<Tessel::MTabCtrl>(ids::kMainTabs)->UserSelect(position);
  }
};

TEST_F(PageTest, TabsMapToPagesAndShowTheirArea) {
  auto* tabs = dialog->GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  for (int position = 0; position < kMainTabCount; ++position) {
    // Without a keyboard that reported a matrix light, its tab is the only one hidden.
    EXPECT_EQ(tabs->IsItemVisible(position), kMainTabPages[position] != kPageMatrix);
    if (!tabs->IsItemVisible(position)) continue;
    ClickTab(position);
    const int page = kMainTabPages[position];
    EXPECT_EQ(dialog->State().currentPage.load(), page);
    EXPECT_EQ(dialog->State().pageAfterSwitch.load(), page);
    EXPECT_EQ(Shown(ids::kDeviceOverview), page == kPageHome) << position;
    EXPECT_EQ(Shown(ids::kMainContent), page != kPageHome) << position;
    for (int other : kMainTabPages) {
      if (other == kPageHome) continue;
      EXPECT_EQ(Shown(ids::kPageArea + other), other == page) << position << " " << other;
    }
    EXPECT_EQ(Shown(ids::kHomeBackground), page == kPageHome);
    const bool keyboardShown = page == kPageLighting || page == kPageKeys;
    EXPECT_EQ(Shown(ids::kKeyboardView), keyboardShown) << position;
    EXPECT_EQ(Shown(ids::kProfilePanel), page != kPageHome && page != kPageSettings) << position;
    EXPECT_EQ(Shown(ids::kBackground), page != kPageHome);
  }
}

TEST_F(PageTest, GoingHomeHidesTheKeyboardView) {
  ClickTab(4);
  ASSERT_TRUE(Shown(ids::kKeyboardView));
  ClickTab(0);
  EXPECT_FALSE(Shown(ids::kKeyboardView));
  EXPECT_FALSE(Shown(ids::kProfilePanel));
  EXPECT_TRUE(Shown(ids::kDeviceOverview));
}

TEST_F(PageTest, ScreenSyncPageQueuesThePageSwitchAndOtherPagesDoNot) {
  dialog->Tasks().Clear();
  ClickTab(6);  // page 2
  EXPECT_EQ(dialog->Tasks().Clear(), std::vector<int>{task::kPageSwitch});
  EXPECT_TRUE(Shown(ids::kEffectView));
  EXPECT_FALSE(Shown(ids::kKeyboardView));
  ClickTab(1);
  EXPECT_TRUE(dialog->Tasks().IsEmpty());
  EXPECT_FALSE(Shown(ids::kEffectView));
  EXPECT_TRUE(Shown(ids::kKeyboardView));
}

TEST_F(PageTest, BackgroundMenuStoresTheChosenPictureForTheKindOfPage) {
  const auto picture = folder / "mine.png";
  std::ofstream(picture) << "png";
  std::string filterAsked;
  backend.SetResponder(
      [&](const Tessel::DialogRequest& request) -> std::optional<Tessel::DialogAnswer> {
        if (request.kind == Tessel::DialogRequest::Kind::Menu)
          return Tessel::DialogAnswer::Result(100);
        if (request.kind == Tessel::DialogRequest::Kind::OpenFile) {
          filterAsked = request.filter;
          Tessel::DialogAnswer answer;
          answer.path = picture.string();
          return answer;
        }
        return std::nullopt;
      });
  dialog->GetControl<Tessel::MButton>(ids::kBackgroundButton)->UserClick();
  backend.PumpUntilIdle();
  EXPECT_EQ(filterAsked, "Image Files (*.jpg;*.jpeg;*.png;*.gif)");  // home page: animated
  EXPECT_EQ(settings->GetRegString("theme_bkg_gif"), picture.string());
  EXPECT_EQ(dialog->GetControl<Tessel::CGifPicture>(ids::kHomeBackground)->GetImage(),
            picture.string());

  ClickTab(1);
  dialog->GetControl<Tessel::MButton>(ids::kBackgroundButton)->UserClick();
  backend.PumpUntilIdle();
  EXPECT_EQ(filterAsked, "Image Files (*.jpg;*.jpeg;*.png)");
  EXPECT_EQ(settings->GetRegString("theme_bkg"), picture.string());
  EXPECT_EQ(dialog->GetControl<Tessel::MPicture>(ids::kBackground)->GetImage(), picture.string());

  // The default item clears both and shows the shipped pictures.
  dialog->PostMessage(UM_BACKGROUND_MENU, 101, 101);
  backend.PumpUntilIdle();
  EXPECT_EQ(settings->GetRegString("theme_bkg"), "");
  EXPECT_EQ(settings->GetRegString("theme_bkg_gif"), "");
  EXPECT_EQ(dialog->GetControl<Tessel::MPicture>(ids::kBackground)->GetImage(),
            "skins/theme1/main_bkg.png");
  EXPECT_EQ(dialog->GetControl<Tessel::CGifPicture>(ids::kHomeBackground)->GetImage(),
            "skins/theme1/home_bg.gif");
}

TEST_F(PageTest, ChoosingNothingOrAMissingFileChangesNothing) {
  settings->SetRegString("theme_bkg_gif", "");
  for (const char* path : {"", "/no/such/file.gif"}) {
    backend.SetResponder([&](const Tessel::DialogRequest&) -> std::optional<Tessel::DialogAnswer> {
      Tessel::DialogAnswer answer;
      answer.path = path;
      return answer;
    });
    dialog->PostMessage(UM_BACKGROUND_MENU, 100, 100);
    backend.PumpUntilIdle();
    EXPECT_EQ(settings->GetRegString("theme_bkg_gif"), "");
  }
}

}  // namespace

#include "ui/pages/MainWindowLayout.h"

#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/PageHost.h"

using Tessel::Rect;

namespace {

constexpr int kTitleBarHeight = 56;
constexpr int kTabsTop = 64;
constexpr int kTabsHeight = 44;
constexpr int kContentTop = kTabsTop + kTabsHeight + 8;

void CreateBackgrounds(Tessel::PageHost& window) {
  auto* still = window.Add<Tessel::MPicture>(ids::kBackground);
  still->SetRect(Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight));
  still->SetImage("skins/theme1/main_bkg.png");
  auto* animated = window.Add<Tessel::CGifPicture>(ids::kHomeBackground);
  animated->SetRect(Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight));
  animated->SetImage("skins/theme1/home_bg.gif");
}

void CreateTitleBar(Tessel::PageHost& window) {
  auto* bar = window.CreateArea(ids::kTitleBar);
  bar->SetRect(Rect::FromSize(0, 0, kMainWindowWidth, kTitleBarHeight));
  bar->SetStyle("title-bar");
  auto* logo = window.Add<Tessel::MPicture>(ids::kLogo, ids::kTitleBar);
  logo->SetRect(Rect::FromSize(24, 14, 28, 28));
  logo->SetImage("skins/theme1/logo.png");
  logo->SetFit(Tessel::PictureFit::Contain);
  auto* title = window.Add<Tessel::MControlFont>(ids::kProductTitle, ids::kTitleBar);
  title->SetRect(Rect::FromSize(64, 10, 600, 36));
  title->SetStyle("window-title");
  auto* background = window.Add<Tessel::MButton>(ids::kBackgroundButton, ids::kTitleBar);
  background->SetRect(Rect::FromSize(kMainWindowWidth - 148, 12, 32, 32));
  background->SetStyle("window-button");
  background->SetIcon("skins/theme1/icon_background.png");
  auto* minimize = window.Add<Tessel::MButton>(ids::kMinimizeButton, ids::kTitleBar);
  minimize->SetRect(Rect::FromSize(kMainWindowWidth - 104, 12, 32, 32));
  minimize->SetStyle("window-button");
  minimize->SetIcon("skins/theme1/icon_minimize.png");
  auto* close = window.Add<Tessel::MButton>(ids::kCloseButton, ids::kTitleBar);
  close->SetRect(Rect::FromSize(kMainWindowWidth - 60, 12, 32, 32));
  close->SetStyle("window-close");
  close->SetIcon("skins/theme1/icon_close.png");
}

void CreateTabsAndPages(Tessel::PageHost& window) {
  auto* tabs = window.Add<Tessel::MTabCtrl>(ids::kMainTabs);
  tabs->SetRect(Rect::FromSize(24, kTabsTop, kMainWindowWidth - 48, kTabsHeight));
  tabs->SetStyle("tab-main");
  for (int page : kMainTabPages) tabs->AddItem("", page);
  tabs->SetCurSel(0);

  auto* content = window.CreateArea(ids::kMainContent);
  content->SetRect(
      Rect::FromSize(0, kContentTop, kMainWindowWidth, kMainWindowHeight - kContentTop));
  for (int page : kMainTabPages) {
    if (page == 0) continue;
    auto* area = window.CreateArea(ids::kPageArea + page, ids::kMainContent);
    area->SetRect(Rect::FromSize(0, 0, kMainWindowWidth, kMainWindowHeight - kContentTop));
    area->SetVisible(false);
  }
  auto* overview = window.CreateArea(ids::kDeviceOverview);
  overview->SetRect(
      Rect::FromSize(0, kContentTop, kMainWindowWidth, kMainWindowHeight - kContentTop));
}

}  // namespace

void CreateMainWindowControls(Tessel::PageHost& window) {
  CreateBackgrounds(window);
  CreateTitleBar(window);
  CreateTabsAndPages(window);
}

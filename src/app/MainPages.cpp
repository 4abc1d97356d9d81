#include "app/MainPages.h"

#include <cstdint>

#include "core/MainTabs.h"
#include "core/SharedState.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/WaitDlg.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/Dialogs.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/Manager.h"

namespace {

struct PageFrame {
  int pageId;
  int keyboardViewMode;  // -1: hidden
  bool effectView;
  bool keyTestArea;
  bool profiles;
};
constexpr int kHidden = -1;
constexpr PageFrame kPageFrames[] = {
    {kPageHome, kHidden, false, false, false},
    {kPageLighting, Tessel::kKeyboardModePlain, false, false, true},
    {kPageScreenSync, kHidden, true, false, true},
    {kPageMatrix, kHidden, false, false, true},
    {kPageKeys, Tessel::kKeyboardModeSelect, false, true, true},
    {kPageMacros, kHidden, false, false, true},
    {kPageScreen, kHidden, false, false, true},
    {kPageSettings, kHidden, false, false, false},
    {kPageKeyboardOnly, Tessel::kKeyboardModePlain, false, false, true},
};

// The pop-up windows a device switch closes, by window name.
constexpr const char* kChildWindows[] = {
    "CloseWindowTipDlg", "CustomKeyDKSDlg", "CustomKeyDKSTipsDlg", "CustomKeyStrokeDlg",
    "StrokeCheckDlg",    "StrokeTestDlg",   "CustomKeyDlg",        "SystemSettingDlg",
    "UpdateTipDlg",      "LEDWaitDlg",      "LCDDelayEditDlg",     "UpdateProcessDlg"};

}  // namespace

void ShowPageFrame(Tessel::PageHost& host, int pageId) {
  PageFrame frame{pageId, kHidden, false, false, true};
  for (const PageFrame& known : kPageFrames) {
    if (known.pageId == pageId) frame = known;
  }
  const bool home = pageId == kPageHome;
  host.SetVisible(ids::kMainContent, !home);
  host.SetVisible(ids::kDeviceOverview, home);
  for (int shown : kMainTabPages) {
    if (shown != kPageHome) host.SetVisible(ids::kPageArea + shown, shown == pageId);
  }
  host.SetVisible(ids::kEffectView, frame.effectView);
  host.SetVisible(ids::kKeyTestArea, frame.keyTestArea);
  host.SetVisible(ids::kProfilePanel, frame.profiles);
  host.SetVisible(ids::kKeyboardView, frame.keyboardViewMode != kHidden);
  if (auto* view = host.GetControl<Tessel::KeyboardCtrl>(ids::kKeyboardView)) {
    view->SetKeyboardCtrlMode(frame.keyboardViewMode == kHidden ? Tessel::kKeyboardModePlain
                                                                : frame.keyboardViewMode);
    if (pageId == kPageLighting) view->ResetAllItemCheck(0);
  }
}

void ShowTabsOf(Tessel::PageHost& host, const ModelCapabilities& capabilities, int connectionKind) {
  auto* tabs = host.GetControl<Tessel::MTabCtrl>(ids::kMainTabs);
  if (tabs == nullptr) return;
  for (int position = 0; position < kMainTabCount; ++position) {
    const int page = kMainTabPages[static_cast<std::size_t>(position)];
    tabs->SetItemVisible(position, capabilities.ShowsPage(page, connectionKind));
  }
}

void CloseFeatureWindows() {
  auto post = [](const char* name, std::intptr_t wParam) {
    if (Tessel::MWindow* window = Tessel::Manager::FindWindow(name)) {
      window->PostMessage(Tessel::WM_CLOSE, wParam, 0);
    }
  };
  for (const char* name : kChildWindows) post(name, 0);
  post(Tessel::CUIMessageBox::kWindowName, Tessel::kResultCancel);
  post(WaitDlg::kWindowName, 0);
  post(Tessel::MenuWnd::kWindowName, 0);
  for (const char* name : {"KeyboardTip Window", "ComboWnd"}) {
    if (Tessel::MWindow* window = Tessel::Manager::FindWindow(name)) {
      window->ShowWindow(Tessel::kHide);
    }
  }
}

#include "ui/pages/ProfilePanel.h"

#include "core/TextIds.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/PageHost.h"
#include "ui/tessel/ProfileList.h"

using Tessel::Rect;

namespace {

constexpr Rect kPanel = Rect::FromSize(24, 124, 240, 640);

void AddIconButton(Tessel::PageHost& window, int id, int x, const char* icon) {
  auto* button = window.Add<Tessel::MButton>(id, ids::kProfilePanel);
  button->SetRect(Rect::FromSize(x, 14, 30, 30));
  button->SetStyle("window-button");
  button->SetIcon(icon);
}

}  // namespace

void CreateProfilePanelControls(Tessel::PageHost& window) {
  auto* panel = window.CreateArea(ids::kProfilePanel);
  panel->SetRect(kPanel);
  panel->SetStyle("panel");
  panel->SetVisible(false);
  auto* title = window.Add<Tessel::MControlFont>(ids::kProfileTitle, ids::kProfilePanel);
  title->SetRect(Rect::FromSize(16, 14, 110, 30));
  title->SetStyle("card-title");
  AddIconButton(window, ids::kProfileAdd, 126, "skins/theme1/icon_add.png");
  AddIconButton(window, ids::kProfileImport, 162, "skins/theme1/icon_import.png");
  AddIconButton(window, ids::kProfileManage, 198, "skins/theme1/icon_manage.png");
  auto* list = window.Add<Tessel::ProfileList>(ids::kProfileList, ids::kProfilePanel);
  list->SetRect(Rect::FromSize(8, 56, kPanel.Width() - 16, kPanel.Height() - 64));
}

std::vector<TextBinding> ProfilePanelTextBindings() {
  return {
      {ids::kProfileTitle, text::kProfileListTitle},
      {ids::kProfileAdd, text::kProfileAddTip, TextTarget::ToolTip},
      {ids::kProfileImport, text::kProfileImportTip, TextTarget::ToolTip},
      {ids::kProfileManage, text::kProfileManageTip, TextTarget::ToolTip},
  };
}

void CreateKeyboardViews(Tessel::PageHost& window) {
  // Top-level controls: the layout gives their place in window coordinates.
  auto* keyboard = window.Add<Tessel::KeyboardCtrl>(ids::kKeyboardView);
  keyboard->SetVisible(false);
  auto* effect = window.Add<Tessel::AuroraEffect>(ids::kEffectView);
  effect->SetVisible(false);
}

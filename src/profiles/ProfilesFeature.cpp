#include "profiles/ProfilesFeature.h"

#include "core/WindowMessages.h"
#include "ui/pages/ControlIds.h"
#include "ui/pages/ProfilePanel.h"
#include "ui/tessel/Types.h"

ProfilesFeature::ProfilesFeature(Tessel::PageHost& host, SharedState& state,
                                 storage::SettingsDatabase& database, const CurrentLayout& layout,
                                 const core::TextTable& texts, DeviceTaskQueue& tasks)
    : service_(state, database, layout), page_(host, state, texts, service_, tasks) {}

void ProfilesFeature::CreateControls(Tessel::PageHost& host) {
  CreateProfilePanelControls(host);
}

std::vector<TextBinding> ProfilesFeature::TextBindings() const {
  return ProfilePanelTextBindings();
}

bool ProfilesFeature::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t) {
  const bool click = code == Tessel::kEventClick;
  switch (id) {
    case ids::kProfileAdd:
      if (click) page_.OnAddProfile();
      return true;
    case ids::kProfileImport:
      if (click) page_.OnImportProfile();
      return true;
    case ids::kProfileManage:
      if (click) page_.ShowProfileDialog();
      return true;
    case ids::kProfileList:
      if (code == Tessel::kEventSelChanged) page_.OnSelectProfile();
      if (code == Tessel::kEventRightClick) page_.OnProfileMenu();
      if (code == Tessel::kEventCommit) page_.OnRenameProfile(static_cast<int>(arg1));
      return true;
    default:
      return false;
  }
}

std::optional<std::intptr_t> ProfilesFeature::OnWindowMessage(unsigned message,
                                                              std::intptr_t wParam, std::intptr_t) {
  if (message != UM_PROFILE_MENU) return std::nullopt;
  page_.OnProfileMenuChosen(static_cast<int>(wParam));
  return 1;
}

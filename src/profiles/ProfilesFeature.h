#pragma once
// The profiles room: the profile column beside the pages and the profile dialog.

#include "core/Feature.h"
#include "profiles/ProfilePage.h"
#include "profiles/ProfileService.h"

class ProfilesFeature : public Feature {
 public:
  ProfilesFeature(Tessel::PageHost& host, SharedState& state, storage::SettingsDatabase& database,
                  const CurrentLayout& layout, const core::TextTable& texts,
                  DeviceTaskQueue& tasks);

  FeatureSlot Slot() const override { return FeatureSlot::kProfiles; }
  void CreateControls(Tessel::PageHost& host) override;
  std::vector<TextBinding> TextBindings() const override;
  void ApplyTexts() override { page_.ShowNames(); }
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override;
  std::optional<std::intptr_t> OnWindowMessage(unsigned message, std::intptr_t wParam,
                                               std::intptr_t lParam) override;

  ProfileService& Service() { return service_; }
  ProfilePage& Page() { return page_; }

 private:
  ProfileService service_;
  ProfilePage page_;
};

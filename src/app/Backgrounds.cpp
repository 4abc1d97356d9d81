#include "app/Backgrounds.h"

#include <filesystem>

#include "core/SettingsStore.h"
#include "core/SharedState.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/WindowMessages.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/PageHost.h"

namespace {

constexpr const char* kDefaultStillBackground = "skins/theme1/main_bkg.png";
constexpr const char* kDefaultAnimatedBackground = "skins/theme1/home_bg.gif";
constexpr const char* kStillBackgroundValue = "theme_bkg";
constexpr const char* kAnimatedBackgroundValue = "theme_bkg_gif";

enum MenuItem : int {
  kChooseBackground = 100,
  kDefaultBackground = 101,
};

bool IsFile(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace

Backgrounds::Backgrounds(Tessel::PageHost& host, const SharedState& state, SettingsStore& settings,
                         const core::TextTable& texts)
    : host_(host), state_(state), settings_(settings), texts_(texts) {}

bool Backgrounds::OnControlEvent(int id, int code, std::intptr_t, std::intptr_t) {
  if (id != ids::kBackgroundButton) return false;
  if (code == Tessel::kEventClick) ShowMenu();
  return true;
}

std::optional<std::intptr_t> Backgrounds::OnWindowMessage(unsigned message, std::intptr_t,
                                                          std::intptr_t lParam) {
  if (message != UM_BACKGROUND_MENU) return std::nullopt;
  OnMenuChosen(static_cast<int>(lParam));
  return 1;
}

void Backgrounds::Show() {
  const bool home = state_.currentPage.load() == kPageHome;
  const std::string still = settings_.GetRegString(kStillBackgroundValue);
  const std::string animated = settings_.GetRegString(kAnimatedBackgroundValue);
  if (auto* picture = host_.GetControl<Tessel::MPicture>(ids::kBackground)) {
    picture->SetImage(IsFile(still) ? still : kDefaultStillBackground);
    picture->SetVisible(!home);
  }
  if (auto* picture = host_.GetControl<Tessel::CGifPicture>(ids::kHomeBackground)) {
    picture->SetImage(IsFile(animated) ? animated : kDefaultAnimatedBackground);
    picture->SetVisible(home);
  }
}

void Backgrounds::RestoreDefaults() {
  settings_.SetRegString(kStillBackgroundValue, "");
  settings_.SetRegString(kAnimatedBackgroundValue, "");
  Show();
}

void Backgrounds::ShowMenu() {
  host_.TrackMenu(
      UM_BACKGROUND_MENU,
      {{kChooseBackground, texts_.GetText(text::kDialogSection, text::kBackgroundChoosePicture)},
       {kDefaultBackground,
        texts_.GetText(text::kDialogSection, text::kBackgroundRestoreDefault)}});
}

void Backgrounds::OnMenuChosen(int item) {
  if (item == kDefaultBackground) {
    RestoreDefaults();
    return;
  }
  if (item != kChooseBackground) return;
  // The home page's background may move; the others are still pictures.
  const bool home = state_.currentPage.load() == kPageHome;
  const char* filter =
      home ? "Image Files (*.jpg;*.jpeg;*.png;*.gif)" : "Image Files (*.jpg;*.jpeg;*.png)";
  const std::optional<std::string> chosen = host_.AskOpenFile(filter);
  if (!chosen || !IsFile(*chosen)) return;
  settings_.SetRegString(home ? kAnimatedBackgroundValue : kStillBackgroundValue, *chosen);
  Show();
}

#include "lighting/EffectPage.h"

#include <algorithm>
#include <system_error>

#include "base/Text.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "lighting/AuroraView.h"
#include "lighting/EffectPageLayout.h"
#include "lighting/LightModes.h"
#include "ui/pages/ColorFields.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/PageHost.h"

namespace lighting {
namespace {

namespace ids = effect_ids;

constexpr int kPanels[] = {ids::kMusicPanel, ids::kMediaPanel, ids::kWindowPanel,
                           ids::kLayersPanel};
constexpr pages::ColorFieldIds kColorFields{ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit,
                                            ids::kBlueEdit};
// The controls that only matter while the foreground draws bars (the colour card of the music
// mode goes with them).
constexpr int kForegroundControls[] = {ids::kAmplitudeLabel, ids::kAmplitudeSlider,
                                       ids::kLightBrightnessLabel, ids::kLightBrightnessSlider};
// The light layer every loaded music layer starts with: the spectrum bars.
constexpr int kDefaultLayerType = 1;

int PanelOf(int mode) {
  switch (mode) {
    case kEffectMusic:
      return ids::kMusicPanel;
    case kEffectMedia:
      return ids::kMediaPanel;
    case kEffectWindow:
      return ids::kWindowPanel;
    case kEffectLayers:
      return ids::kLayersPanel;
    default:
      return 0;
  }
}

int HintOf(int mode) {
  switch (mode) {
    case kEffectMusic:
      return text::kEffectMusicHint;
    case kEffectMedia:
      return text::kEffectPictureHint;
    case kEffectScreen:
      return text::kEffectScreenHint;
    case kEffectWindow:
      return text::kEffectWindowHint;
    case kEffectLayers:
      return text::kEffectLayersHint;
    case kEffectAmbient:
      return text::kEffectAmbientHint;
    default:
      return text::kEffectGameHint;
  }
}

int SliderOf(LayerValue which) {
  switch (which) {
    case LayerValue::kAmplitude:
      return ids::kAmplitudeSlider;
    case LayerValue::kBackBrightness:
      return ids::kBackBrightnessSlider;
    case LayerValue::kLightBrightness:
      return ids::kLightBrightnessSlider;
    default:
      return 0;
  }
}

bool IsPreset(int id) {
  return id >= ids::kFirstPreset && id <= ids::kLastPreset;
}

}  // namespace

EffectPage::EffectPage(Tessel::PageHost& host, SharedState& state, const CurrentModel& model,
                       const core::TextTable& texts, EffectService& service, AuroraView& view)
    : host_(host), state_(state), model_(model), texts_(texts), service_(service), view_(view) {}

std::string EffectPage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

bool EffectPage::OnPage() const {
  return state_.currentPage.load() == kPageScreenSync;
}

// Events
// -------------------------------------------------------------------------------------------

bool EffectPage::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) {
  TARVO_EXPECT_UI_THREAD();
  if (id < ids::kFirstId || id > ids::kLastId) return false;
  const bool click = code == Tessel::kEventClick;
  const bool chosen = code == Tessel::kEventSelChanged;
  const bool moved = code == Tessel::kEventValueChanged;
  const int value = static_cast<int>(arg1);
  if (id == ids::kModeTabs && chosen) {
    ChooseMode(static_cast<int>(arg2));
  } else if (id == ids::kForegroundCombo && chosen) {
    ChangeLayer(LayerValue::kForeMode, static_cast<int>(arg2));
  } else if (id == ids::kBackgroundCombo && chosen) {
    ChangeLayer(LayerValue::kBackMode, static_cast<int>(arg2));
  } else if (id == ids::kAmplitudeSlider && moved) {
    ChangeLayer(LayerValue::kAmplitude, value);
  } else if (id == ids::kBackBrightnessSlider && moved) {
    ChangeLayer(LayerValue::kBackBrightness, value);
  } else if (id == ids::kLightBrightnessSlider && moved) {
    ChangeLayer(LayerValue::kLightBrightness, value);
  } else if (id == ids::kFileButton && click) {
    OnFileButton();
  } else if (id == ids::kWindowCombo && chosen) {
    ChooseWindow(static_cast<platform::CaptureWindowId>(arg2));
  } else if (id == ids::kRefreshButton && click) {
    FillWindowList();
  } else if (id == ids::kLayerCheck && click) {
    OnLayerCheck(arg1 != 0);
  } else if (id == ids::kColorfulCheck && click) {
    ChooseColorful(arg1 != 0);
  } else if ((id == ids::kColorWheel && moved) || (IsPreset(id) && click)) {
    ApplyMusicColor(static_cast<std::uint32_t>(arg1), id);
  } else if (kColorFields.IsNumberField(id) &&
             (code == Tessel::kEventTextChanged || code == Tessel::kEventCommit)) {
    OnRgbEdited(id, code == Tessel::kEventCommit);
  }
  return true;
}

// Showing
// -------------------------------------------------------------------------------------------

void EffectPage::ShowProfile() {
  const ModelCapabilities capabilities = model_.Get();
  view_.SetMapSize(capabilities.gridRows, capabilities.gridColumns);
  const EdgeLights edges = capabilities.edgeLights.value_or(EdgeLights{});
  view_.SetEdgeLights(edges.perSide, edges.top);
  const int mode = service_.LoadMode();
  if (const std::optional<MusicLayer> layer = service_.LoadMusicLayer()) ShowMusicLayer(*layer);
  ShowDefaultLayer();
  ShowMode(mode);
}

void EffectPage::OnEntered() {
  TARVO_EXPECT_UI_THREAD();
  if (const std::optional<MusicLayer> layer = service_.LoadMusicLayer()) ShowMusicLayer(*layer);
  ShowDefaultLayer();
  ShowMode(service_.Mode());
  if (service_.Mode() == kEffectWindow) FillWindowList();
}

void EffectPage::ShowMode(int mode) {
  if (auto* tabs = host_.GetControl<Tessel::MTabCtrl>(ids::kModeTabs)) {
    // A mode without a tab of its own (4, 6, 7: chosen from the command line) selects none.
    if (!tabs->SelectData(mode)) tabs->SetCurSel(-1);
  }
  const int shown = PanelOf(mode);
  for (int panel : kPanels) host_.SetVisible(panel, panel == shown);
  if (auto* hint = host_.GetControl<Tessel::MControlFont>(ids::kModeHint))
    hint->SetTitle(Text(HintOf(mode)));
  ShowColorCard();
  ShowSourceNotice();
}

void EffectPage::ShowColorCard() {
  const int mode = service_.Mode();
  const bool shown = mode >= kEffectLayers || (mode == kEffectMusic && foregroundShown_.load());
  host_.SetVisible(ids::kColorCard, shown);
  if (auto* card = host_.FindControl(ids::kEffectCard)) card->SetRect(EffectCardRect(shown));
  if (shown) {
    if (const auto* effect = host_.GetControl<Tessel::AuroraEffect>(::ids::kEffectView)) {
      ShowColor(effect->GetMusicColor(), 0);
      if (auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck))
        check->SetCheck(effect->GetMusicColorful());
    }
  }
}

void EffectPage::ShowMusicLayer(const MusicLayer& layer) {
  if (auto* combo = host_.GetControl<Tessel::MComboBox>(ids::kForegroundCombo)) {
    if (!combo->SelectData(layer.foreMode)) combo->SetCurSel(-1);
  }
  if (auto* combo = host_.GetControl<Tessel::MComboBox>(ids::kBackgroundCombo)) {
    if (!combo->SelectData(layer.backMode)) combo->SetCurSel(-1);
  }
  const std::pair<int, int> sliders[] = {
      {ids::kAmplitudeSlider, AmplitudeToSlider(layer.amplitude)},
      {ids::kBackBrightnessSlider, layer.backBrightness},
      {ids::kLightBrightnessSlider, layer.lightBrightness},
  };
  for (const auto& [id, value] : sliders) {
    if (auto* slider = host_.GetControl<Tessel::MSlider>(id)) slider->SetProgress(value);
  }
  ShowForegroundControls(layer.foreMode != kForegroundOff);
}

void EffectPage::ShowForegroundControls(bool shown) {
  foregroundShown_.store(shown);
  for (int id : kForegroundControls) host_.SetVisible(id, shown);
  ShowColorCard();
}

// Each loaded music layer starts the light layers over with the spectrum bars.
void EffectPage::ShowDefaultLayer() {
  if (auto* effect = host_.GetControl<Tessel::AuroraEffect>(::ids::kEffectView)) {
    effect->ClearLightLayers();
    effect->AddLightLayer(kDefaultLayerType, 0, 0, 0, 0);
  }
  if (auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kLayerCheck)) check->SetCheck(true);
}

void EffectPage::ShowColor(std::uint32_t color, int except) {
  pages::ShowColorFields(host_, kColorFields, color, except);
}

void EffectPage::ShowFileName() {
  auto* label = host_.GetControl<Tessel::MControlFont>(ids::kFileName);
  if (label == nullptr) return;
  const std::filesystem::path file = service_.CurrentStatus().file;
  label->SetTitle(file.empty() ? Text(text::kEffectNoFile) : file.filename().string());
}

void EffectPage::ApplyTexts() {
  ShowFileName();
  ShowMode(service_.Mode());
  // The notice is shown again in the new language.
  const int notice = notice_.exchange(0);
  if (notice != 0) ShowSourceNotice();
}

int EffectPage::NoticeFor(const EffectStatus& status) const {
  if (status.mode == kEffectMedia) {
    return status.media == platform::MediaState::Failed ? text::kEffectFileFailed : 0;
  }
  if (!FollowsScreen(status.mode)) return 0;
  switch (status.screen) {
    case platform::CaptureAvailability::Wayland:
      return text::kEffectWaylandNotice;
    case platform::CaptureAvailability::NoDisplay:
      return text::kEffectNoDisplayNotice;
    case platform::CaptureAvailability::Available:
      break;
  }
  if (status.capture == platform::CaptureState::Failed) return text::kEffectCaptureFailed;
  if (status.mode != kEffectWindow) return 0;
  if (status.window == 0) return text::kEffectNoWindow;
  if (status.capture == platform::CaptureState::WindowGone) return text::kEffectWindowClosed;
  if (status.capture == platform::CaptureState::NotViewable) return text::kEffectWindowHidden;
  return 0;
}

void EffectPage::ShowSourceNotice() {
  const EffectStatus status = service_.CurrentStatus();
  // Until the page was entered the sources have not looked at the screen.
  const int notice = status.active ? NoticeFor(status) : 0;
  if (notice_.exchange(notice) == notice) return;
  if (auto* label = host_.GetControl<Tessel::MControlFont>(ids::kNotice)) {
    if (notice != 0) label->SetTitle(Text(notice));
    label->SetVisible(notice != 0);
  }
}

void EffectPage::ReportStored(bool stored) {
  host_.SetVisible(ids::kNotSavedLabel, !stored);
}

// What the controls and the command line do ----------------------------------------------------

bool EffectPage::ChooseMode(int mode) {
  const bool stored = service_.SetMode(mode);
  ReportStored(stored);
  // A mode that could not be stored leaves the page on the stored one.
  ShowMode(service_.Mode());
  if (stored && mode == kEffectWindow) FillWindowList();
  return stored;
}

bool EffectPage::ChangeLayer(LayerValue which, int shownValue) {
  const int stored = which == LayerValue::kAmplitude ? AmplitudeFromSlider(shownValue) : shownValue;
  const bool changed = service_.SetLayerValue(which, stored);
  ReportStored(changed);
  if (!changed) {
    // The page shows what is stored again.
    if (const std::optional<MusicLayer> layer = service_.LoadMusicLayer()) ShowMusicLayer(*layer);
    return false;
  }
  if (which == LayerValue::kForeMode) ShowForegroundControls(shownValue != kForegroundOff);
  // A value from elsewhere (the command line) moves the page's control too.
  if (const int slider = SliderOf(which); slider != 0) {
    if (auto* control = host_.GetControl<Tessel::MSlider>(slider)) control->SetProgress(shownValue);
  } else {
    const int combo =
        which == LayerValue::kForeMode ? ids::kForegroundCombo : ids::kBackgroundCombo;
    if (auto* control = host_.GetControl<Tessel::MComboBox>(combo)) control->SelectData(shownValue);
  }
  return true;
}

bool EffectPage::ChooseFile(const std::filesystem::path& file) {
  if (!service_.ChooseFile(file)) return false;
  ShowFileName();
  if (service_.Mode() != kEffectMedia) return ChooseMode(kEffectMedia);
  ShowSourceNotice();
  return true;
}

bool EffectPage::ChooseWindow(platform::CaptureWindowId window) {
  if (!service_.FollowWindow(window)) {
    // The window closed after the list was made: the list is made again.
    FillWindowList();
    return false;
  }
  if (service_.Mode() != kEffectWindow) {
    if (!service_.SetMode(kEffectWindow)) {
      ReportStored(false);
      return false;
    }
    ShowMode(kEffectWindow);
    FillWindowList();
  } else if (auto* combo = host_.GetControl<Tessel::MComboBox>(ids::kWindowCombo)) {
    combo->SelectData(static_cast<std::intptr_t>(window));
  }
  ShowSourceNotice();
  return true;
}

void EffectPage::FillWindowList() {
  auto* combo = host_.GetControl<Tessel::MComboBox>(ids::kWindowCombo);
  if (combo == nullptr) return;
  combo->ResetContent();
  for (const platform::CaptureWindowEntry& entry : service_.ListWindows()) {
    combo->AddItem(entry.title, static_cast<std::intptr_t>(entry.id));
  }
  // The window followed so far stays chosen while it is listed; otherwise the first one is.
  const platform::CaptureWindowId followed = service_.CurrentStatus().window;
  if (followed != 0 && combo->SelectData(static_cast<std::intptr_t>(followed))) {
    ShowSourceNotice();
    return;
  }
  if (combo->GetCount() > 0) {
    combo->SetCurSel(0);
    service_.FollowWindow(static_cast<platform::CaptureWindowId>(combo->GetItemData(0)));
  }
  ShowSourceNotice();
}

void EffectPage::ChooseMusicColor(std::uint32_t color) {
  ApplyMusicColor(color, 0);
}

void EffectPage::ChooseColorful(bool colorful) {
  if (auto* effect = host_.GetControl<Tessel::AuroraEffect>(::ids::kEffectView))
    effect->SetMusicColorful(colorful);
  if (auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck))
    check->SetCheck(colorful);
}

// The user's actions
// ----------------------------------------------------------------------------------

void EffectPage::OnFileButton() {
  const std::optional<std::string> chosen = host_.AskOpenFile(kFileFilter);
  if (!chosen || chosen->empty()) return;
  // A file that does not exist is ignored.
  ChooseFile(*chosen);
}

void EffectPage::OnLayerCheck(bool checked) {
  auto* effect = host_.GetControl<Tessel::AuroraEffect>(::ids::kEffectView);
  if (effect == nullptr) return;
  effect->ClearLightLayers();
  if (checked) effect->AddLightLayer(kDefaultLayerType, 0, 0, 0, 0);
}

void EffectPage::OnRgbEdited(int id, bool commit) {
  if (const std::optional<Tessel::Color> color =
          pages::ReadColorFields(host_, kColorFields, id, commit))
    ApplyMusicColor(*color, id);
}

void EffectPage::ApplyMusicColor(std::uint32_t color, int from) {
  color &= 0xFFFFFF;
  ShowColor(color, IsPreset(from) ? 0 : from);
  if (auto* effect = host_.GetControl<Tessel::AuroraEffect>(::ids::kEffectView))
    effect->SetMusicColor(color);
  // Choosing a colour ends "colorful".
  ChooseColorful(false);
}

}  // namespace lighting

#include "lighting/LightPage.h"

#include <algorithm>
#include <string>

#include "base/Text.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "lighting/LightPageLayout.h"
#include "lighting/ModeSettingsPage.h"
#include "ui/pages/ColorFields.h"
#include "ui/pages/ControlIds.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/KeyboardCtrl.h"
#include "ui/tessel/MWindow.h"
#include "ui/tessel/PageHost.h"

namespace lighting {
namespace {

constexpr int kZoneTabPositions[] = {kZoneKeys, kZoneSide, kZoneTop};
constexpr int kTopZoneTab = 2;
constexpr DirectionIds kDirections{ids::kDirectionLabel, ids::kDirectionLeft, ids::kDirectionRight,
                                   ids::kDirectionUp, ids::kDirectionDown};
constexpr pages::ColorFieldIds kColorFields{ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit,
                                            ids::kBlueEdit};

bool IsPreset(int id) {
  return id >= ids::kFirstPreset && id <= ids::kLastPreset;
}

}  // namespace

LightPage::LightPage(Tessel::PageHost& host, SharedState& state, const CurrentModel& model,
                     const core::TextTable& texts, LightingService& service)
    : host_(host), state_(state), model_(model), texts_(texts), service_(service) {}

Tessel::KeyboardCtrl* LightPage::View() const {
  return host_.GetControl<Tessel::KeyboardCtrl>(::ids::kKeyboardView);
}

std::string LightPage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

bool LightPage::OnPage() const {
  return state_.currentPage.load() == kPageLighting;
}

// Events ---------------------------------------------------------------------------------------

bool LightPage::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) {
  TARVO_EXPECT_UI_THREAD();
  if (id == ::ids::kKeyboardView) return OnKeyboardViewEvent(code, arg1);
  if (id < ids::kModesCard || id > ids::kNotSavedLabel) return false;
  const bool click = code == Tessel::kEventClick;
  const bool chosen = code == Tessel::kEventSelChanged;
  if (id == ids::kZoneTabs && chosen) {
    OnLightTypeChanged(static_cast<int>(arg2));
  } else if (id == ids::kModeList && chosen) {
    OnLightModeChanged(static_cast<int>(arg2));
  } else if (id == ids::kLightSwitch && click) {
    OnLightEnableChanged(arg1 != 0);
  } else if (id == ids::kPreviewSwitch && click) {
    OnLightPreviewChanged(arg1 != 0);
  } else if ((id == ids::kBrightnessSlider || id == ids::kSpeedSlider) &&
             code == Tessel::kEventValueChanged) {
    OnSliderChanged(id, static_cast<int>(arg1));
  } else if (id >= ids::kDirectionLeft && id <= ids::kDirectionDown && click) {
    OnDirectionChanged(id);
  } else if (id == ids::kColorfulCheck && click) {
    OnColorfulChanged(arg1 != 0);
  } else if (id == ids::kSingleColorButton && click) {
    // The swatch stands for the single colour: choosing it ends "colorful".
    if (auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck);
        check != nullptr && check->GetCheck()) {
      check->SetCheck(false);
      OnColorfulChanged(false);
    }
  } else if (id == ids::kColorWheel && code == Tessel::kEventValueChanged) {
    ApplyLightColor(static_cast<std::uint32_t>(arg1), id);
  } else if (IsPreset(id) && click) {
    ApplyLightColor(static_cast<std::uint32_t>(arg1), id);
  } else if (kColorFields.IsNumberField(id) &&
             (code == Tessel::kEventTextChanged || code == Tessel::kEventCommit)) {
    OnRgbEdited(id, code == Tessel::kEventCommit);
  } else if (id == ids::kApplyButton && click) {
    service_.Apply();
  } else if (id == ids::kSlotCombo && chosen) {
    OnCustomSlotChanged(static_cast<int>(arg2));
  } else if (id == ids::kSelectAllButton && click) {
    if (Tessel::KeyboardCtrl* view = View()) view->ResetAllItemCheck(1);
  }
  return true;
}

bool LightPage::OnKeyboardViewEvent(int code, std::intptr_t key) {
  // The keyboard view belongs to every page that shows it; on this page it is a paint surface
  // only while a custom slot is shown.
  if (!OnPage() || !IsCustomMode(service_.Selection().mode)) return false;
  if (code == Tessel::kEventClick || code == Tessel::kEventDragOver) {
    OnKeyboardViewKeyHit(static_cast<int>(key));
  }
  return true;
}

// Loading and showing -----------------------------------------------------------------------------

void LightPage::LoadLightPage() {
  const LightSelection selection = service_.SelectZone(ZoneToShow());
  ApplySliderRanges(selection.zone);
  ShowZoneTabs();
  ApplyTexts();
  FillModeList(selection.zone);
  if (auto* light = host_.GetControl<Tessel::CSwitchButton>(ids::kLightSwitch)) {
    light->SetCheck(selection.enabled);
  }
  host_.SetVisible(ids::kPreviewSwitch, selection.zone == kZoneKeys);
  ShowLightModeParameters();
}

int LightPage::ZoneToShow() const {
  const int zone = service_.Selection().zone;
  const ModelCapabilities capabilities = model_.Get();
  if (zone == kZoneKeys || !capabilities.device) return zone;
  // A keyboard without the zone of the tab chosen before (another model) shows its key lights.
  const bool present =
      zone == kZoneSide ? capabilities.device->zone1.present : capabilities.device->zone2.present;
  return present ? zone : kZoneKeys;
}

void LightPage::ShowZoneTabs() {
  auto* tabs = host_.GetControl<Tessel::MTabCtrl>(ids::kZoneTabs);
  if (tabs == nullptr) return;
  const ModelCapabilities capabilities = model_.Get();
  const bool read = capabilities.device.has_value();
  tabs->SetItemVisible(1, read && capabilities.device->zone1.present);
  tabs->SetItemVisible(2, read && capabilities.device->zone2.present);
  const int zone = service_.Selection().zone;
  for (int position = 0; position < 3; ++position) {
    if (kZoneTabPositions[position] == zone) tabs->SetCurSel(position);
  }
}

void LightPage::ApplySliderRanges(int zone) {
  const ModelCapabilities capabilities = model_.Get();
  if (!capabilities.device) return;
  const protocol::LightLimits& limits = zone == kZoneKeys   ? capabilities.device->zone0
                                        : zone == kZoneSide ? capabilities.device->zone1
                                                            : capabilities.device->zone2;
  // A keyboard that reports no maximum leaves the sliders as they were.
  if (limits.maxBrightness <= 0) return;
  if (auto* slider = host_.GetControl<Tessel::MSlider>(ids::kBrightnessSlider))
    slider->SetRange(0, limits.maxBrightness);
  if (auto* slider = host_.GetControl<Tessel::MSlider>(ids::kSpeedSlider))
    slider->SetRange(0, limits.maxSpeed);
}

void LightPage::FillModeList(int zone) {
  auto* list = host_.GetControl<Tessel::IconList>(ids::kModeList);
  if (list == nullptr) return;
  const ZoneContent content = service_.LoadZone(zone);
  list->ResetContent();
  for (const storage::LightSettingRecord& record : content.listed) {
    list->AddIconItem(Text(ModeTextId(record)), record.mode, ModeIconPath(zone, record.mode));
  }
  if (!list->SelectData(content.activeMode)) list->SetCurSel(-1);
}

void LightPage::ApplyTexts() {
  auto* tabs = host_.GetControl<Tessel::MTabCtrl>(ids::kZoneTabs);
  if (tabs == nullptr) return;
  const bool logo = model_.Get().logoLightZone;
  tabs->SetItemText(kTopZoneTab, Text(logo ? text::kLightTabLogo : text::kLightTabTop));
}

void LightPage::ShowLightModeParameters() {
  if (!OnPage()) return;
  const LightSelection selection = service_.Selection();
  const std::optional<storage::LightSettingRecord> record =
      service_.Record(selection.zone, selection.mode);
  if (!record) return;
  const int offers = record->config_func;
  const auto showSlider = [&](int labelId, int sliderId, bool shown, int value) {
    host_.SetVisible(labelId, shown);
    host_.SetVisible(sliderId, shown);
    if (auto* slider = host_.GetControl<Tessel::MSlider>(sliderId))
      slider->SetProgress(shown ? value : 0);
  };
  showSlider(ids::kBrightnessLabel, ids::kBrightnessSlider, offers & offers::kBrightness,
             record->brightness);
  showSlider(ids::kSpeedLabel, ids::kSpeedSlider, offers & offers::kSpeed, record->speed);
  ShowDirections(offers, record->direction);

  const bool perKey = (offers & offers::kPerKey) != 0;
  const bool picker = perKey || (offers & offers::kColorPicker) != 0;
  for (int id : {ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit, ids::kBlueEdit}) {
    if (Tessel::MControl* control = host_.FindControl(id)) control->SetEnabled(picker);
  }
  for (int id = ids::kFirstPreset; id <= ids::kLastPreset; ++id) {
    if (Tessel::MControl* control = host_.FindControl(id)) control->SetEnabled(picker);
  }
  const bool single = (offers & offers::kSingleColor) != 0;
  host_.SetVisible(ids::kSingleColorButton, single);
  host_.SetVisible(ids::kColorfulCheck, single);
  host_.SetVisible(ids::kApplyButton, single || perKey);
  if (auto* swatch = host_.GetControl<Tessel::CColorButton>(ids::kSingleColorButton)) {
    swatch->SetColor(static_cast<std::uint32_t>(record->color_value));
    swatch->SetSelected(record->colorful == 0);
  }
  if (auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck))
    check->SetCheck(record->colorful == 1);
  if (perKey) {
    ShowColor(paintColor_.load(), 0);
  } else if (picker) {
    // A colorful mode shows red in the fields: the colour a first pick starts from.
    ShowColor(record->colorful == 1 ? 0x0000FF : static_cast<std::uint32_t>(record->color_value),
              0);
  }
  ShowSlotControls(perKey);
}

void LightPage::ShowDirections(int offers, int direction) {
  ShowDirectionChoice(host_, kDirections, offers, direction);
}

void LightPage::ShowColor(std::uint32_t color, int except) {
  pages::ShowColorFields(host_, kColorFields, color, except);
}

void LightPage::ShowSlotControls(bool perKey) {
  const LightSelection selection = service_.Selection();
  for (int id : {ids::kSlotLabel, ids::kSlotCombo, ids::kPaintHint, ids::kSelectAllButton}) {
    host_.SetVisible(id, perKey);
  }
  host_.SetVisible(ids::kPreviewSwitch, selection.zone == kZoneKeys && !perKey);
  Tessel::KeyboardCtrl* view = View();
  if (!perKey) {
    SetViewMode(selection.preview ? Tessel::kKeyboardModeColor : Tessel::kKeyboardModePlain);
    return;
  }
  if (auto* slots = host_.GetControl<Tessel::MComboBox>(ids::kSlotCombo))
    slots->SelectData(selection.slot);
  if (view != nullptr) view->ResetAllItemCheck(0);
  // Until the keyboard answers (or when it cannot) the view shows the stored colours, so that
  // the next stroke does not store a dark keyboard over them.
  ShowStoredSlotColors(selection.mode);
  SetViewMode(Tessel::kKeyboardModeColor);
}

void LightPage::ShowStoredSlotColors(int slot) {
  Tessel::KeyboardCtrl* view = View();
  if (view == nullptr) return;
  {
    std::lock_guard lock(paintMutex_);
    paintedSinceRead_.clear();
  }
  std::vector<Tessel::KeyColor> colors;
  for (const KeyColor& key : service_.StoredSlotColors(slot))
    colors.push_back({key.code, key.color});
  view->ResetAllItemsColor(0);
  view->SetKeyColors(colors);
}

void LightPage::SetViewMode(int mode) {
  if (!OnPage()) return;
  if (Tessel::KeyboardCtrl* view = View()) view->SetKeyboardCtrlMode(mode);
}

void LightPage::ReportStored(bool stored) {
  host_.SetVisible(ids::kNotSavedLabel, !stored);
  // What the page shows must be what is stored.
  if (!stored) LoadLightPage();
}

// The page's life
// ------------------------------------------------------------------------------------

void LightPage::OnShown() {
  TARVO_EXPECT_UI_THREAD();
  service_.SetPreview(false);
  if (auto* preview = host_.GetControl<Tessel::CSwitchButton>(ids::kPreviewSwitch))
    preview->SetCheck(false);
  if (Tessel::KeyboardCtrl* view = View()) view->ResetAllItemCheck(0);
  LoadLightPage();
  const LightSelection selection = service_.Selection();
  SetViewMode(IsCustomMode(selection.mode) ? Tessel::kKeyboardModeColor
                                           : Tessel::kKeyboardModePlain);
  // The view shows what the keyboard keeps in the slot.
  service_.RefreshSlotView();
}

void LightPage::ShowProfile() {
  LoadLightPage();
  const LightSelection selection = service_.Selection();
  if (OnPage() && IsSlot(selection.mode)) service_.ChooseSlot(selection.slot);
}

void LightPage::ApplyProfile() {
  TARVO_EXPECT_WORKER();
  service_.ForgetSlot();
  service_.SetPreview(false);
  if (auto* preview = host_.GetControl<Tessel::CSwitchButton>(ids::kPreviewSwitch))
    preview->SetCheck(false);
  LoadLightPage();
  if (Tessel::KeyboardCtrl* view = View()) view->ResetAllItemCheck(0);
  const bool custom = IsCustomMode(service_.Selection().mode);
  SetViewMode(custom ? Tessel::kKeyboardModeColor : Tessel::kKeyboardModePlain);
  service_.ApplyProfileLight();
}

// The user's actions
// ----------------------------------------------------------------------------------

void LightPage::OnLightTypeChanged(int zone) {
  if (Tessel::KeyboardCtrl* view = View()) view->UpdateControl();
  service_.SelectZone(zone);
  if (zone != kZoneKeys) {
    // The preview belongs to the key lights.
    service_.SetPreview(false);
    if (auto* preview = host_.GetControl<Tessel::CSwitchButton>(ids::kPreviewSwitch))
      preview->SetCheck(false);
  }
  LoadLightPage();
  const LightSelection selection = service_.Selection();
  if (zone == kZoneKeys && IsSlot(selection.mode)) {
    service_.SetPreview(false);
    if (auto* preview = host_.GetControl<Tessel::CSwitchButton>(ids::kPreviewSwitch))
      preview->SetCheck(false);
    service_.ChooseSlot(selection.slot);
  }
}

void LightPage::OnLightModeChanged(int mode) {
  const LightSelection before = service_.Selection();
  const bool same =
      before.enabled && (before.mode == mode || (IsCustomMode(mode) && IsCustomMode(before.mode)));
  if (same) return;
  const bool stored = service_.ChooseMode(mode);
  ReportStored(stored);
  if (!stored) return;
  if (auto* light = host_.GetControl<Tessel::CSwitchButton>(ids::kLightSwitch))
    light->SetCheck(true);
  if (IsCustomMode(mode)) {
    if (auto* preview = host_.GetControl<Tessel::CSwitchButton>(ids::kPreviewSwitch))
      preview->SetCheck(false);
  }
  ShowLightModeParameters();
}

void LightPage::OnLightEnableChanged(bool on) {
  const bool stored = service_.SetLightEnabled(on);
  ReportStored(stored);
  if (stored) ShowLightModeParameters();
}

void LightPage::OnLightPreviewChanged(bool on) {
  service_.SetPreview(on);
  const bool custom = IsCustomMode(service_.Selection().mode);
  SetViewMode(on || custom ? Tessel::kKeyboardModeColor : Tessel::kKeyboardModePlain);
}

void LightPage::OnSliderChanged(int id, int value) {
  const bool stored =
      id == ids::kBrightnessSlider ? service_.SetBrightness(value) : service_.SetSpeed(value);
  ReportStored(stored);
}

void LightPage::OnDirectionChanged(int id) {
  ReportStored(service_.SetDirection(DirectionOf(kDirections, id)));
}

void LightPage::OnColorfulChanged(bool colorful) {
  const LightSelection selection = service_.Selection();
  if (IsCustomMode(selection.mode)) return;
  const bool stored = service_.SetColorful(colorful);
  ReportStored(stored);
  if (!stored) return;
  const std::optional<storage::LightSettingRecord> record =
      service_.Record(selection.zone, selection.mode);
  if (!record) return;
  if (auto* swatch = host_.GetControl<Tessel::CColorButton>(ids::kSingleColorButton))
    swatch->SetSelected(!colorful);
  // Back to the single colour: the fields show it.
  if (!colorful) ShowColor(static_cast<std::uint32_t>(record->color_value), 0);
}

void LightPage::OnRgbEdited(int id, bool commit) {
  if (const std::optional<Tessel::Color> color =
          pages::ReadColorFields(host_, kColorFields, id, commit))
    ApplyLightColor(*color, id);
}

void LightPage::ApplyLightColor(std::uint32_t color, int from) {
  color &= 0xFFFFFF;
  ShowColor(color, IsPreset(from) ? 0 : from);
  if (auto* swatch = host_.GetControl<Tessel::CColorButton>(ids::kSingleColorButton))
    swatch->SetColor(color);
  const LightSelection selection = service_.Selection();
  if (selection.offers & offers::kPerKey) {
    paintColor_.store(color);
    if (Tessel::KeyboardCtrl* view = View()) {
      view->SetSelectedKeysColor(color);
      NotePainted(view->GetSelectedKeyCodes());
    }
    StoreViewColors(selection.mode);
    return;
  }
  const bool stored = service_.SetColor(color);
  ReportStored(stored);
  if (!stored) return;
  auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck);
  if (check != nullptr && check->GetCheck()) {
    check->SetCheck(false);
    OnColorfulChanged(false);
  }
}

void LightPage::OnCustomSlotChanged(int slot) {
  if (Tessel::KeyboardCtrl* view = View()) view->ResetAllItemCheck(0);
  if (!service_.ChooseSlot(slot)) return;
  ShowStoredSlotColors(slot);
}

void LightPage::OnKeyboardViewKeyHit(int code) {
  Tessel::KeyboardCtrl* view = View();
  if (code == 0 || view == nullptr) return;
  // The brush: a key the stroke selects takes the picked colour.
  const std::vector<int> selected = view->GetSelectedKeyCodes();
  if (std::find(selected.begin(), selected.end(), code) != selected.end()) {
    view->SetKeyColor(code, paintColor_.load());
    NotePainted({code});
  }
  StoreViewColors(service_.Selection().mode);
}

void LightPage::StoreViewColors(int slot) {
  Tessel::KeyboardCtrl* view = View();
  if (view == nullptr || !IsSlot(slot)) return;
  std::vector<KeyColor> colors;
  for (const Tessel::KEY_INFO& key : view->GetKeyItems()) colors.push_back({key.code, key.color});
  const bool stored = service_.StoreSlotColors(slot, colors);
  host_.SetVisible(ids::kNotSavedLabel, !stored);
  // A failed store leaves the stored colours in charge: the view shows them again.
  if (!stored) ShowStoredSlotColors(slot);
}

// LightingView
// ---------------------------------------------------------------------------------------

void LightPage::NotePainted(const std::vector<int>& codes) {
  std::lock_guard lock(paintMutex_);
  paintedSinceRead_.insert(codes.begin(), codes.end());
}

void LightPage::ShowSlotColors(const std::vector<KeyColor>& colors) {
  Tessel::KeyboardCtrl* view = View();
  const int slot = service_.Selection().mode;
  if (view == nullptr || !IsSlot(slot)) return;
  std::set<int> painted;
  {
    std::lock_guard lock(paintMutex_);
    painted.swap(paintedSinceRead_);
  }
  // What the keyboard keeps, except where the user painted while it was being read.
  std::vector<Tessel::KeyColor> keys;
  for (const Tessel::KEY_INFO& key : view->GetKeyItems()) {
    if (painted.contains(key.code)) keys.push_back({key.code, key.color});
  }
  view->ResetAllItemsColor(0);
  for (const KeyColor& key : colors) {
    if (!painted.contains(key.code)) keys.push_back({key.code, key.color});
  }
  view->SetKeyColors(keys);
  // The strokes made meanwhile were stored over a view without the keyboard's colours.
  if (!painted.empty()) StoreViewColors(slot);
}

void LightPage::ShowLiveColors(const std::vector<KeyColor>& colors) {
  Tessel::KeyboardCtrl* view = View();
  if (view == nullptr) return;
  std::vector<Tessel::KeyColor> keys;
  keys.reserve(colors.size());
  for (const KeyColor& key : colors) keys.push_back({key.code, key.color});
  view->SetKeyColors(keys);
}

void LightPage::ResetKeyColors(std::uint32_t color) {
  if (Tessel::KeyboardCtrl* view = View()) view->ResetAllItemsColor(color);
}

bool LightPage::WindowVisible() const {
  Tessel::KeyboardCtrl* view = View();
  if (view == nullptr) return false;
  const Tessel::MWindow& window = view->GetOwner();
  return window.IsWindowVisible() && !window.IsMinimized();
}

void LightPage::SelectionChanged() {
  host_.RunOnUiThread([this] { LoadLightPage(); });
}

}  // namespace lighting

#include "lighting/MatrixPage.h"

#include <algorithm>
#include <type_traits>

#include "base/Text.h"
#include "core/ModelCapabilities.h"
#include "core/SharedState.h"
#include "core/TextIds.h"
#include "core/TextTable.h"
#include "core/ThreadCheck.h"
#include "lighting/LightModes.h"
#include "lighting/MatrixModes.h"
#include "lighting/MatrixPageLayout.h"
#include "lighting/ModeSettingsPage.h"
#include "ui/pages/ColorFields.h"
#include "ui/tessel/ColorWheel.h"
#include "ui/tessel/Controls.h"
#include "ui/tessel/IconList.h"
#include "ui/tessel/MatrixScreen.h"
#include "ui/tessel/PageHost.h"

namespace lighting {
namespace {

namespace ids = matrix_ids;

static_assert(std::is_same_v<protocol::MatrixColors, Tessel::MatrixFrame>,
              "the view's cells travel to the keyboard as they are");

constexpr DirectionIds kDirections{ids::kDirectionLabel, ids::kDirectionLeft, ids::kDirectionRight,
                                   ids::kDirectionUp, ids::kDirectionDown};
constexpr pages::ColorFieldIds kColorFields{ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit,
                                            ids::kBlueEdit};
constexpr std::uint32_t kColorfulFieldColor = 0x0000FF;  // the fields of a colorful mode

bool IsPresetColor(int id) {
  return id >= ids::kFirstPresetColor && id <= ids::kLastPresetColor;
}

int SoundTextOf(platform::AudioSourceState state) {
  switch (state) {
    case platform::AudioSourceState::Capturing:
    case platform::AudioSourceState::Finished:
      return text::kMatrixSoundFollowing;
    case platform::AudioSourceState::WaitingForDevice:
      return text::kMatrixSoundNoOutput;
    default:
      return text::kMatrixSoundNoServer;
  }
}

}  // namespace

MatrixPage::MatrixPage(Tessel::PageHost& host, SharedState& state, const CurrentModel& model,
                       const core::TextTable& texts, MatrixService& service, SoundState sound)
    : host_(host),
      state_(state),
      model_(model),
      texts_(texts),
      service_(service),
      sound_(std::move(sound)) {}

Tessel::MatrixScreen* MatrixPage::Screen() const {
  return host_.GetControl<Tessel::MatrixScreen>(ids::kMatrixView);
}

std::string MatrixPage::Text(int id) const {
  return texts_.GetText(text::kDialogSection, id);
}

int MatrixPage::MaxBrightness() const {
  const ModelCapabilities capabilities = model_.Get();
  return capabilities.device ? capabilities.device->matrix.maxBrightness : 0;
}

int MatrixPage::MaxSpeed() const {
  const ModelCapabilities capabilities = model_.Get();
  return capabilities.device ? capabilities.device->matrix.maxSpeed : 0;
}

// Events -----------------------------------------------------------------------------------------

bool MatrixPage::OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) {
  TARVO_EXPECT_UI_THREAD();
  if (id < ids::kViewCard || id > ids::kLastId) return false;
  const bool click = code == Tessel::kEventClick;
  if (id == ids::kMatrixView && (click || code == Tessel::kEventDragOver)) {
    OnMatrixDrawn(static_cast<int>(arg1));
  } else if (id == ids::kModeList && code == Tessel::kEventSelChanged) {
    ChooseMode(static_cast<int>(arg2));
  } else if (id == ids::kPresetCombo && code == Tessel::kEventSelChanged) {
    auto* presets = host_.GetControl<Tessel::MComboBox>(ids::kPresetCombo);
    if (presets != nullptr) ChoosePreset(static_cast<int>(presets->GetCurData()));
  } else if (id == ids::kMatrixSwitch && click) {
    SetEnabled(arg1 != 0);
  } else if (code == Tessel::kEventValueChanged &&
             (id == ids::kBrightnessSlider || id == ids::kSpeedSlider ||
              id == ids::kAmplitudeSlider)) {
    OnSliderChanged(id, static_cast<int>(arg1));
  } else if (id >= ids::kDirectionLeft && id <= ids::kDirectionDown && click) {
    SetDirection(DirectionOf(kDirections, id));
  } else if (id == ids::kColorfulCheck && click) {
    SetColorful(arg1 != 0);
  } else if (id == ids::kSingleColorButton && click) {
    // The swatch stands for the single colour: choosing it ends "colorful".
    if (auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck);
        check != nullptr && check->GetCheck()) {
      SetColorful(false);
    }
  } else if (id == ids::kColorWheel && code == Tessel::kEventValueChanged) {
    ApplyMatrixColor(static_cast<std::uint32_t>(arg1), id);
  } else if (IsPresetColor(id) && click) {
    ApplyMatrixColor(static_cast<std::uint32_t>(arg1), id);
  } else if (kColorFields.IsNumberField(id) &&
             (code == Tessel::kEventTextChanged || code == Tessel::kEventCommit)) {
    OnRgbEdited(id, code == Tessel::kEventCommit);
  }
  return true;
}

void MatrixPage::OnSliderChanged(int id, int value) {
  if (id == ids::kBrightnessSlider) {
    SetBrightness(value);
  } else if (id == ids::kSpeedSlider) {
    SetSpeed(value);
  } else {
    SetAmplitude(value);
  }
}

// Loading and showing ---------------------------------------------------------------------------

void MatrixPage::LoadMatrixPage() {
  ApplySliderRanges();
  FillModeList();
  const MatrixSelection selection = service_.LoadSelection();
  // The drawing mode asked for the keyboard's drawing: strokes count from here.
  if (selection.mode == kMatrixDrawingMode) ForgetStrokes();
  SetSwitch(selection.enabled);
  if (auto* list = host_.GetControl<Tessel::IconList>(ids::kModeList)) {
    if (!list->SelectData(selection.active)) list->SetCurSel(-1);
  }
  ShowMatrixParameters();
  ShowPresetOfMode(selection);
  UpdatePresetControls();
}

void MatrixPage::ApplySliderRanges() {
  // A keyboard that reports no maximum leaves the sliders as they were.
  if (const int brightness = MaxBrightness(); brightness > 0) {
    if (auto* slider = host_.GetControl<Tessel::MSlider>(ids::kBrightnessSlider))
      slider->SetRange(0, brightness);
  }
  if (const int speed = MaxSpeed(); speed > 0) {
    if (auto* slider = host_.GetControl<Tessel::MSlider>(ids::kSpeedSlider))
      slider->SetRange(0, speed);
  }
}

void MatrixPage::FillModeList() {
  auto* list = host_.GetControl<Tessel::IconList>(ids::kModeList);
  if (list == nullptr) return;
  list->ResetContent();
  for (const storage::LightSettingRecord& record : service_.ListModes()) {
    list->AddIconItem(Text(ModeTextId(record)), record.mode, ModeIconPath(kZoneKeys, record.mode));
  }
}

void MatrixPage::ApplyTexts() {
  FillModeList();
  if (auto* list = host_.GetControl<Tessel::IconList>(ids::kModeList)) {
    if (!list->SelectData(service_.Selection().active)) list->SetCurSel(-1);
  }
}

// What the view shows for a mode: the preset of the animated mode, the drawing, or the plain
// colour of the keyboard's own modes.
void MatrixPage::ShowPresetOfMode(const MatrixSelection& selection) {
  Tessel::MatrixScreen* screen = Screen();
  if (screen == nullptr) return;
  if (selection.mode == kMatrixPresetMode) {
    if (auto* presets = host_.GetControl<Tessel::MComboBox>(ids::kPresetCombo))
      presets->SelectData(selection.preset);
    screen->SetPresetMode(selection.preset);
  } else if (selection.mode == kMatrixDrawingMode) {
    screen->SetPresetMode(Tessel::MatrixScreen::kPresetDrawing);
  } else {
    screen->SetPresetMode(Tessel::MatrixScreen::kPresetPlain);
  }
}

void MatrixPage::ShowSlider(int labelId, int sliderId, bool shown, int value) {
  host_.SetVisible(labelId, shown);
  host_.SetVisible(sliderId, shown);
  if (auto* slider = host_.GetControl<Tessel::MSlider>(sliderId))
    slider->SetProgress(shown ? value : 0);
}

void MatrixPage::ShowMatrixParameters() {
  const MatrixSelection selection = service_.Selection();
  const std::optional<storage::LightSettingRecord> record = service_.Record(selection.mode);
  if (!record) return;
  const int offers = record->config_func;
  Tessel::MatrixScreen* screen = Screen();
  const bool brightness = (offers & offers::kBrightness) != 0;
  const bool speed = (offers & offers::kSpeed) != 0;
  ShowSlider(ids::kBrightnessLabel, ids::kBrightnessSlider, brightness, record->brightness);
  ShowSlider(ids::kSpeedLabel, ids::kSpeedSlider, speed, record->speed);
  ShowDirections(offers, record->direction);
  const auto color = static_cast<std::uint32_t>(record->color_value) & 0xFFFFFF;
  const bool colorful = record->colorful == 1;
  if (screen != nullptr) {
    if (brightness) screen->SetBrightness(BrightnessRatio(record->brightness, MaxBrightness()));
    if (speed) screen->SetAnimationSpeed(record->speed);
    // The view previews every mode in the mode's colours.
    screen->SetMatrixScreenColorful(colorful);
    screen->SetMatrixScreenColor(color);
  }
  const bool single = (offers & offers::kSingleColor) != 0;
  host_.SetVisible(ids::kSingleColorButton, single);
  host_.SetVisible(ids::kColorfulCheck, single);
  if (auto* swatch = host_.GetControl<Tessel::CColorButton>(ids::kSingleColorButton)) {
    swatch->SetColor(color);
    swatch->SetSelected(!colorful);
  }
  if (auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck))
    check->SetCheck(colorful);
  const bool picker = (offers & (offers::kColorPicker | offers::kPerKey)) != 0;
  for (int id : {ids::kColorWheel, ids::kRedEdit, ids::kGreenEdit, ids::kBlueEdit}) {
    if (Tessel::MControl* control = host_.FindControl(id)) control->SetEnabled(picker);
  }
  for (int id = ids::kFirstPresetColor; id <= ids::kLastPresetColor; ++id) {
    if (Tessel::MControl* control = host_.FindControl(id)) control->SetEnabled(picker);
  }
  if (offers & offers::kColorPicker) ShowColor(colorful ? kColorfulFieldColor : color, 0);
  const bool presets = (offers & offers::kPresetList) != 0;
  host_.SetVisible(ids::kPresetLabel, presets);
  host_.SetVisible(ids::kPresetCombo, presets);
  if (presets) {
    if (auto* list = host_.GetControl<Tessel::MComboBox>(ids::kPresetCombo))
      list->SelectData(selection.preset);
  }
  host_.SetVisible(ids::kDrawHint, selection.mode == kMatrixDrawingMode);
  ArrangeMatrixSettings(host_);
}

void MatrixPage::UpdatePresetControls() {
  const MatrixSelection selection = service_.Selection();
  const bool music = selection.mode >= kMatrixPresetMode && PresetFollowsMusic(selection.preset);
  host_.SetVisible(ids::kAmplitudeLabel, music);
  host_.SetVisible(ids::kAmplitudeSlider, music);
  if (selection.mode >= kMatrixPresetMode) {
    host_.SetVisible(ids::kSpeedLabel, !music);
    host_.SetVisible(ids::kSpeedSlider, !music);
  }
  if (music) {
    if (auto* slider = host_.GetControl<Tessel::MSlider>(ids::kAmplitudeSlider))
      slider->SetProgress(selection.amplitude);
    if (Tessel::MatrixScreen* screen = Screen()) screen->SetAudioAmplitude(selection.amplitude);
  }
  ArrangeMatrixSettings(host_);
  ShowSoundState();
}

void MatrixPage::ShowSoundState() {
  const MatrixSelection selection = service_.Selection();
  const bool music = selection.mode >= kMatrixPresetMode && PresetFollowsMusic(selection.preset);
  host_.SetVisible(ids::kSoundStatus, music);
  if (!music || !sound_) return;
  if (auto* label = host_.GetControl<Tessel::MControlFont>(ids::kSoundStatus))
    label->SetTitle(Text(SoundTextOf(sound_())));
}

void MatrixPage::ShowDirections(int offers, int direction) {
  ShowDirectionChoice(host_, kDirections, offers, direction);
}

void MatrixPage::ShowColor(std::uint32_t color, int except) {
  pages::ShowColorFields(host_, kColorFields, color, except);
}

void MatrixPage::SetSwitch(bool on) {
  if (auto* power = host_.GetControl<Tessel::CSwitchButton>(ids::kMatrixSwitch))
    power->SetCheck(on);
}

bool MatrixPage::ReportStored(bool stored) {
  host_.SetVisible(ids::kNotSavedLabel, !stored);
  ArrangeMatrixSettings(host_);
  // What the page shows must be what is stored.
  if (!stored) LoadMatrixPage();
  return stored;
}

// The profile ------------------------------------------------------------------------------------

void MatrixPage::ApplyProfile() {
  TARVO_EXPECT_WORKER();
  LoadMatrixPage();
  // The drawing mode was sent while loading, and the animated mode streams; any other mode of
  // the new profile must reach the keyboard here.
  const int mode = service_.Selection().mode;
  if (mode != kMatrixDrawingMode && mode != kMatrixPresetMode) service_.SendMatrixLightMode();
}

// The user's actions -----------------------------------------------------------------------------

bool MatrixPage::ChooseMode(int mode) {
  if (!ReportStored(service_.ChooseMode(mode))) return false;
  const MatrixSelection selection = service_.Selection();
  if (mode == kMatrixDrawingMode) ForgetStrokes();
  SetSwitch(true);
  if (auto* list = host_.GetControl<Tessel::IconList>(ids::kModeList)) list->SelectData(mode);
  ShowMatrixParameters();
  ShowPresetOfMode(selection);
  UpdatePresetControls();
  return true;
}

bool MatrixPage::ChoosePreset(int preset) {
  if (!IsListedMatrixPreset(preset)) return false;
  if (auto* presets = host_.GetControl<Tessel::MComboBox>(ids::kPresetCombo))
    presets->SelectData(preset);
  if (Tessel::MatrixScreen* screen = Screen()) screen->SetPresetMode(preset);
  const bool stored = service_.SetPreset(preset);
  UpdatePresetControls();
  return ReportStored(stored);
}

bool MatrixPage::SetEnabled(bool on) {
  service_.SetEnabled(on);
  SetSwitch(on);
  ShowMatrixParameters();
  return true;
}

bool MatrixPage::SetBrightness(int value) {
  if (!ReportStored(service_.SetBrightness(value))) return false;
  if (auto* slider = host_.GetControl<Tessel::MSlider>(ids::kBrightnessSlider))
    slider->SetProgress(value);
  if (Tessel::MatrixScreen* screen = Screen())
    screen->SetBrightness(BrightnessRatio(value, MaxBrightness()));
  return true;
}

bool MatrixPage::SetSpeed(int value) {
  if (!ReportStored(service_.SetSpeed(value))) return false;
  if (auto* slider = host_.GetControl<Tessel::MSlider>(ids::kSpeedSlider))
    slider->SetProgress(value);
  if (Tessel::MatrixScreen* screen = Screen()) screen->SetAnimationSpeed(value);
  return true;
}

bool MatrixPage::SetDirection(int direction) {
  return ReportStored(service_.SetDirection(direction));
}

bool MatrixPage::SetColorful(bool colorful) {
  if (!ReportStored(service_.SetColorful(colorful))) return false;
  const std::optional<storage::LightSettingRecord> record =
      service_.Record(service_.Selection().mode);
  if (auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck))
    check->SetCheck(colorful);
  if (auto* swatch = host_.GetControl<Tessel::CColorButton>(ids::kSingleColorButton))
    swatch->SetSelected(!colorful);
  Tessel::MatrixScreen* screen = Screen();
  if (screen != nullptr) screen->SetMatrixScreenColorful(colorful);
  // Back to the single colour: the fields and the view show it.
  if (!colorful && record) {
    const auto color = static_cast<std::uint32_t>(record->color_value) & 0xFFFFFF;
    ShowColor(color, 0);
    if (screen != nullptr) screen->SetMatrixScreenColor(color);
  }
  return true;
}

bool MatrixPage::SetAmplitude(int value) {
  value = std::clamp(value, 0, kMaxAmplitude);
  if (auto* slider = host_.GetControl<Tessel::MSlider>(ids::kAmplitudeSlider))
    slider->SetProgress(value);
  if (Tessel::MatrixScreen* screen = Screen()) screen->SetAudioAmplitude(value);
  return ReportStored(service_.SetAmplitude(value));
}

bool MatrixPage::ApplyMatrixColor(std::uint32_t color, int from) {
  color &= 0xFFFFFF;
  ShowColor(color, IsPresetColor(from) ? 0 : from);
  if (auto* swatch = host_.GetControl<Tessel::CColorButton>(ids::kSingleColorButton))
    swatch->SetColor(color);
  // The paint of the drawing, the colour of the presets, and the preview of the other modes.
  if (Tessel::MatrixScreen* screen = Screen()) screen->SetMatrixScreenColor(color);
  if (!ReportStored(service_.SetColor(color))) return false;
  auto* check = host_.GetControl<Tessel::CCheckButton>(ids::kColorfulCheck);
  if (check != nullptr && check->GetCheck()) return SetColorful(false);
  return true;
}

void MatrixPage::OnRgbEdited(int id, bool commit) {
  if (const std::optional<Tessel::Color> color =
          pages::ReadColorFields(host_, kColorFields, id, commit))
    ApplyMatrixColor(*color, id);
}

// The drawing -----------------------------------------------------------------------------------

void MatrixPage::ForgetStrokes() {
  std::lock_guard lock(strokesMutex_);
  strokesSinceRead_.clear();
}

void MatrixPage::OnMatrixDrawn(int cell) {
  {
    std::lock_guard lock(strokesMutex_);
    strokesSinceRead_.insert(cell);
  }
  service_.Drawn();
}

bool MatrixPage::PaintCells(const std::vector<std::pair<int, std::uint32_t>>& cells) {
  for (const auto& [cell, color] : cells) {
    if (cell < 0 || cell >= Tessel::kMatrixCellCount) return false;
  }
  Tessel::MatrixScreen* screen = Screen();
  if (screen == nullptr) return false;
  if (service_.Selection().mode != kMatrixDrawingMode && !ChooseMode(kMatrixDrawingMode)) {
    return false;
  }
  {
    std::lock_guard lock(strokesMutex_);
    for (const auto& [cell, color] : cells) {
      screen->SetPictureCell(cell, color);
      strokesSinceRead_.insert(cell);
    }
  }
  service_.Drawn();
  return true;
}

bool MatrixPage::ClearDrawing() {
  std::vector<std::pair<int, std::uint32_t>> black;
  for (int cell = 0; cell < Tessel::kMatrixCellCount; ++cell) black.emplace_back(cell, 0);
  return PaintCells(black);
}

std::string MatrixPage::ModeName(int mode) {
  const std::optional<storage::LightSettingRecord> record = service_.Record(mode);
  return record ? Text(ModeTextId(*record)) : std::string();
}

std::string MatrixPage::PresetName(int preset) const {
  for (const MatrixPresetEntry& entry : MatrixPresetList()) {
    if (entry.preset == preset) return Text(entry.textId);
  }
  return {};
}

protocol::MatrixColors MatrixPage::ShownCells() const {
  Tessel::MatrixScreen* screen = Screen();
  return screen != nullptr ? screen->GetShownColors() : protocol::MatrixColors{};
}

protocol::MatrixColors MatrixPage::Drawing() const {
  Tessel::MatrixScreen* screen = Screen();
  return screen != nullptr ? screen->GetPicture() : protocol::MatrixColors{};
}

// MatrixView ------------------------------------------------------------------------------------

void MatrixPage::ShowMatrixPicture(const protocol::MatrixColors& cells) {
  Tessel::MatrixScreen* screen = Screen();
  if (screen == nullptr) return;
  std::set<int> strokes;
  {
    std::lock_guard lock(strokesMutex_);
    strokes.swap(strokesSinceRead_);
    // What the keyboard keeps, except where the user painted while it was being read.
    protocol::MatrixColors picture = screen->GetPicture();
    for (std::size_t cell = 0; cell < picture.size(); ++cell) {
      if (!strokes.contains(static_cast<int>(cell))) picture[cell] = cells[cell];
    }
    screen->SetPicture(picture);
  }
  // The strokes went out over a drawing without the keyboard's cells around them.
  if (!strokes.empty()) service_.Drawn();
}

protocol::MatrixColors MatrixPage::PictureToSend() {
  return Drawing();
}

protocol::MatrixColors MatrixPage::StreamFrame() {
  Tessel::MatrixScreen* screen = Screen();
  if (screen == nullptr) return {};
  screen->Animate();
  return screen->GetShownColors();
}

}  // namespace lighting

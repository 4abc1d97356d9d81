#include "lighting/AuroraView.h"

#include "ui/tessel/AuroraEffect.h"
#include "ui/tessel/PageHost.h"

namespace lighting {

Tessel::AuroraEffect* AuroraView::View() const {
  return host_.GetControl<Tessel::AuroraEffect>(controlId_);
}

void AuroraView::SetEffectMode(int mode) {
  if (Tessel::AuroraEffect* view = View()) view->SetAuroraMode(mode);
}

void AuroraView::SetMapSize(int rows, int columns) {
  Tessel::AuroraEffect* view = View();
  // A layout grid the map cannot take leaves the view without a map (nothing is filled).
  if (view != nullptr && !view->SetColorMapSize(rows, columns)) view->SetColorMapSize(0, 0);
}

void AuroraView::SetEdgeLights(int perSide, int top) {
  if (Tessel::AuroraEffect* view = View()) view->SetEdgeLights(perSide, top);
}

bool AuroraView::HasMap() const {
  const Tessel::AuroraEffect* view = View();
  return view != nullptr && view->GetColorMapRows() > 0 && view->GetColorMapColumns() > 0;
}

void AuroraView::ShowMusicPicture(std::span<const std::uint32_t> picture) {
  if (Tessel::AuroraEffect* view = View()) view->FillColorMapFromMusicPicture(picture);
}

void AuroraView::ShowMatrixLights() {
  if (Tessel::AuroraEffect* view = View()) view->ApplyMatrixLightsToColorMap();
}

void AuroraView::ShowGrid(const platform::ColorGrid& grid) {
  if (Tessel::AuroraEffect* view = View())
    view->SetColorMapGrid(grid.cells, grid.rows, grid.columns);
}

void AuroraView::DrawHidden() {
  if (Tessel::AuroraEffect* view = View()) view->DrawHideControl();
}

std::vector<EffectKeyColor> AuroraView::KeyColors() const {
  std::vector<EffectKeyColor> colors;
  if (const Tessel::AuroraEffect* view = View()) {
    const std::vector<Tessel::KEYITEM_INFO> keys = view->GetKeyItems();
    colors.reserve(keys.size());
    for (const Tessel::KEYITEM_INFO& key : keys) colors.push_back({key.code, key.color});
  }
  return colors;
}

std::vector<std::uint32_t> AuroraView::SideLightColors() const {
  const Tessel::AuroraEffect* view = View();
  return view != nullptr ? view->GetSideLightsColors() : std::vector<std::uint32_t>{};
}

std::vector<std::uint32_t> AuroraView::TopLightColors() const {
  const Tessel::AuroraEffect* view = View();
  return view != nullptr ? view->GetTopLightsColors() : std::vector<std::uint32_t>{};
}

void AuroraView::SetExternalAudioData(float level, float peakHold, float averageLevel,
                                      int levelPercent, float rms) {
  if (Tessel::AuroraEffect* view = View())
    view->SetExternalAudioData(level, peakHold, averageLevel, levelPercent, rms);
}

void AuroraView::SetFFTSpectrum(std::span<const float> bands32, std::span<const float> bands64) {
  if (Tessel::AuroraEffect* view = View()) view->SetFFTSpectrum(bands32, bands64);
}

void AuroraView::SetBeatData(int beat, float intensity, float tempo, float bass, float mid,
                             float treble) {
  if (Tessel::AuroraEffect* view = View())
    view->SetBeatData(beat, intensity, tempo, bass, mid, treble);
}

}  // namespace lighting

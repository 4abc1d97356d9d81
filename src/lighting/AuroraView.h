#pragma once
// The effect view of the main window (Tessel::AuroraEffect) as the effect room's worker and
// the music analysis see it: the worker fills its colour map and reads its keys back, the
// analysis hands it the level, the spectrum and the beats. Every call may come from any
// thread; a window without the view (before its controls exist) is passed over.

#include "lighting/AudioFeed.h"
#include "lighting/EffectService.h"

namespace Tessel {
class AuroraEffect;
class PageHost;
}  // namespace Tessel

namespace lighting {

class AuroraView : public EffectView, public AudioFeed {
 public:
  AuroraView(Tessel::PageHost& host, int controlId) : host_(host), controlId_(controlId) {}

  // EffectView
  void SetEffectMode(int mode) override;
  void SetMapSize(int rows, int columns) override;
  void SetEdgeLights(int perSide, int top) override;
  bool HasMap() const override;
  void ShowMusicPicture(std::span<const std::uint32_t> picture) override;
  void ShowMatrixLights() override;
  void ShowGrid(const platform::ColorGrid& grid) override;
  void DrawHidden() override;
  std::vector<EffectKeyColor> KeyColors() const override;
  std::vector<std::uint32_t> SideLightColors() const override;
  std::vector<std::uint32_t> TopLightColors() const override;

  // AudioFeed
  void SetExternalAudioData(float level, float peakHold, float averageLevel, int levelPercent,
                            float rms) override;
  void SetFFTSpectrum(std::span<const float> bands32, std::span<const float> bands64) override;
  void SetBeatData(int beat, float intensity, float tempo, float bass, float mid,
                   float treble) override;

 private:
  Tessel::AuroraEffect* View() const;

  Tessel::PageHost& host_;
  const int controlId_;
};

}  // namespace lighting

#pragma once
// What the music analysis hands to the views that follow the music: the matrix light view,
// the effect view and the visualizer. Each overrides the calls it takes.
//
// Thread-safety contract: every call comes from the analysis thread (or whoever runs its
// steps), never from the UI thread, after each step that received sound. An implementation
// copies what it needs under its own lock and returns quickly; the spans are valid only
// during the call. It must not add or remove feeds from inside a call.

#include <span>

namespace lighting {

class AudioFeed {
 public:
  virtual ~AudioFeed() = default;

  // Matrix light view: the seven pseudo-band values (count 7), the master volume, and the
  // wave (512 floats: 256 points, each stored twice, newest at the end). The visualizer
  // takes the wave too.
  virtual void SetAudioData(std::span<const float> /*bands*/) {}
  virtual void SetMasterVolume(float /*volume*/) {}
  virtual void SetInputWave(std::span<const float> /*wave*/) {}

  // Effect view: level and peak hold (0 to 1), the 64-step average level, the level in
  // percent (0 to 100) and the RMS of the step's wave points.
  virtual void SetExternalAudioData(float /*level*/, float /*peakHold*/, float /*averageLevel*/,
                                    int /*levelPercent*/, float /*rms*/) {}
  // The latest spectrum as 32 and 64 bands, each 0 to 1.
  virtual void SetFFTSpectrum(std::span<const float> /*bands32*/,
                              std::span<const float> /*bands64*/) {}
  // Beat flag (0 or 1), its intensity (0 to 1), the tempo in beats per minute (0 until two
  // beats were heard), and the bass, mid and treble energies (0 to 1).
  virtual void SetBeatData(int /*beat*/, float /*intensity*/, float /*tempo*/, float /*bass*/,
                           float /*mid*/, float /*treble*/) {}
};

}  // namespace lighting

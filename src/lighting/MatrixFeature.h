#pragma once
// The matrix light room (main page 3, keyboards with a matrix light): the matrix light modes,
// the keyboard's drawing, the animated presets streamed to the keyboard, and the music that
// the music presets follow.

#include <cstdint>

#include "core/Feature.h"
#include "lighting/AudioFeed.h"
#include "lighting/KeyboardAudio.h"
#include "lighting/MatrixPage.h"
#include "lighting/MatrixService.h"

class CurrentModel;
class DeviceTaskQueue;
class LightingFeature;
struct SharedState;
namespace core {
class TextTable;
}
namespace storage {
class SettingsDatabase;
}

namespace lighting {

// Hands the music analysis to the matrix view, from the analysis thread.
class MatrixAudioFeed : public AudioFeed {
 public:
  explicit MatrixAudioFeed(Tessel::PageHost& host) : host_(host) {}
  void SetAudioData(std::span<const float> bands) override;
  void SetMasterVolume(float volume) override;
  void SetInputWave(std::span<const float> wave) override;

 private:
  Tessel::PageHost& host_;
};

class MatrixFeature : public Feature {
 public:
  MatrixFeature(Tessel::PageHost& host, SharedState& state, storage::SettingsDatabase& database,
                LightingFeature& lighting, const CurrentModel& model, const core::TextTable& texts,
                DeviceTaskQueue& tasks, KeyboardAudio& audio);
  // The music analysis calls nothing of the room once it is gone.
  ~MatrixFeature() override;
  MatrixFeature(const MatrixFeature&) = delete;
  MatrixFeature& operator=(const MatrixFeature&) = delete;

  FeatureSlot Slot() const override { return FeatureSlot::kMatrix; }
  void CreateControls(Tessel::PageHost& host) override;
  std::vector<TextBinding> TextBindings() const override;
  void ApplyTexts() override { page_.ApplyTexts(); }
  void RegisterTasks(TaskTable& table) override;
  bool OnControlEvent(int id, int code, std::intptr_t arg1, std::intptr_t arg2) override {
    return page_.OnControlEvent(id, code, arg1, arg2);
  }
  // The profile steps load the page only for a keyboard with a matrix light.
  void LoadBeforeKeyboardRead() override;
  void ShowProfile() override;
  void ApplyProfile() override;
  // The animated preset's frame, and now and then the music presets' hint.
  void Idle() override;

  MatrixService& Service() { return service_; }
  MatrixPage& Page() { return page_; }

 private:
  bool HasMatrix() const;

  const CurrentModel& model_;
  KeyboardAudio& audio_;
  MatrixService service_;
  MatrixPage page_;
  MatrixAudioFeed audioFeed_;
  std::uint64_t idleCycles_ = 0;
};

}  // namespace lighting

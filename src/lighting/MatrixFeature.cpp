#include "lighting/MatrixFeature.h"

#include <utility>

#include "core/ModelCapabilities.h"
#include "core/TaskCodes.h"
#include "core/TaskTable.h"
#include "lighting/LightingFeature.h"
#include "lighting/MatrixPageLayout.h"
#include "ui/tessel/MatrixScreen.h"
#include "ui/tessel/PageHost.h"

namespace lighting {
namespace {

// The music presets' hint is looked at every half second of idle cycles.
constexpr std::uint64_t kSoundStateCycles = 30;

Tessel::MatrixScreen* ScreenOf(Tessel::PageHost& host) {
  return host.GetControl<Tessel::MatrixScreen>(matrix_ids::kMatrixView);
}

}  // namespace

void MatrixAudioFeed::SetAudioData(std::span<const float> bands) {
  if (Tessel::MatrixScreen* screen = ScreenOf(host_)) screen->SetAudioData(bands);
}

void MatrixAudioFeed::SetMasterVolume(float volume) {
  if (Tessel::MatrixScreen* screen = ScreenOf(host_)) screen->SetMasterVolume(volume);
}

void MatrixAudioFeed::SetInputWave(std::span<const float> wave) {
  if (Tessel::MatrixScreen* screen = ScreenOf(host_)) screen->SetInputWave(wave);
}

MatrixFeature::MatrixFeature(Tessel::PageHost& host, SharedState& state,
                             storage::SettingsDatabase& database, LightingFeature& lighting,
                             const CurrentModel& model, const core::TextTable& texts,
                             DeviceTaskQueue& tasks, KeyboardAudio& audio)
    : model_(model),
      audio_(audio),
      service_(state, database, lighting.Service(), lighting.Commands(), model, tasks),
      page_(host, state, model, texts, service_,
            [&audio] { return audio.Snapshot().source.state; }),
      audioFeed_(host) {
  service_.SetView(&page_);
  audio_.AddFeed(audioFeed_);
}

MatrixFeature::~MatrixFeature() {
  audio_.RemoveFeed(audioFeed_);
}

void MatrixFeature::CreateControls(Tessel::PageHost& host) {
  CreateMatrixPageControls(host);
}

std::vector<TextBinding> MatrixFeature::TextBindings() const {
  return MatrixPageTextBindings();
}

void MatrixFeature::RegisterTasks(TaskTable& table) {
  const std::pair<int, void (MatrixService::*)()> tasks[] = {
      {task::kSendMatrixLightMode, &MatrixService::SendMatrixLightMode},
      {task::kReadMatrixPicture, &MatrixService::ReadMatrixPicture},
      {task::kSendMatrixPicture, &MatrixService::SendMatrixPicture},
  };
  for (const auto& [code, work] : tasks) {
    table.SetRun(
        code,
        [this, code, work] {
          service_.TaskStarted(code);
          (service_.*work)();
        },
        [this, code] { service_.TaskFinished(code); });
  }
}

bool MatrixFeature::HasMatrix() const {
  return model_.Get().HasMatrix();
}

void MatrixFeature::LoadBeforeKeyboardRead() {
  if (HasMatrix()) page_.LoadMatrixPage();
}

void MatrixFeature::ShowProfile() {
  if (HasMatrix()) page_.LoadMatrixPage();
}

void MatrixFeature::ApplyProfile() {
  if (HasMatrix()) page_.ApplyProfile();
}

void MatrixFeature::Idle() {
  service_.StreamMatrix();
  if (++idleCycles_ % kSoundStateCycles == 0) page_.ShowSoundState();
}

}  // namespace lighting

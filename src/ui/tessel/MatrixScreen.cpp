#include "ui/tessel/MatrixScreen.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace Tessel {
namespace {

// A long pause between two frames (a sleeping machine, a busy worker) counts as this much.
constexpr double kLongestFrame = 0.1;
// The music presets fade out when the analysis has sent nothing for this long.
constexpr double kMusicGoneAfter = 0.25;
constexpr float kMaxVolume = 4.0f;

std::chrono::nanoseconds SteadyNow() {
  return std::chrono::steady_clock::now().time_since_epoch();
}

double LocalSecondsOfDay() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  const auto fraction =
      std::chrono::duration<double>(now - std::chrono::system_clock::from_time_t(seconds));
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction.count();
}

float Finite(float value) {
  return std::isfinite(value) ? value : 0.0f;
}

Color Dimmed(Color color, double factor) {
  return Rgb(static_cast<unsigned>(std::lround(RedOf(color) * factor)),
             static_cast<unsigned>(std::lround(GreenOf(color) * factor)),
             static_cast<unsigned>(std::lround(BlueOf(color) * factor)));
}

}  // namespace

MatrixScreen::MatrixScreen(MWindow& owner, int id)
    : MControl(owner, id, kClassName), monotonic_(SteadyNow), wall_(LocalSecondsOfDay) {
  std::lock_guard lock(mutex_);
  RenderLocked(0.0);
}

void MatrixScreen::Initialize() {
  {
    std::lock_guard lock(mutex_);
    preset_ = kPresetPlain;
    brightness_ = 1.0;
    speed_ = 3;
    color_ = 0x0000FF;
    colorful_ = false;
    amplitude_ = kDefaultAmplitude;
    volume_ = 1.0f;
    bands_.fill(0.0f);
    wave_.fill(0.0f);
    audioFresh_ = false;
    sinceAudio_ = 0.0;
    levelAverage_ = 0.0;
    sinceBeat_ = 1.0;
    music_ = MatrixMusic{};
    presets_.Reset();
    animationTime_ = 0.0;
    picture_.fill(0);
    RenderLocked(0.0);
    BumpVersionLocked();
  }
  NotifyChanged();
}

void MatrixScreen::SetClocks(MonotonicTime monotonic, WallTime wall) {
  std::lock_guard lock(mutex_);
  if (monotonic) monotonic_ = std::move(monotonic);
  if (wall) wall_ = std::move(wall);
  rendered_ = false;
}

// Settings ------------------------------------------------------------------------------------

bool MatrixScreen::SetPresetMode(int preset) {
  if (preset != kPresetPlain && preset != kPresetDrawing && !MatrixPresets::IsPreset(preset)) {
    return false;
  }
  {
    std::lock_guard lock(mutex_);
    if (preset_ == preset) return true;
    preset_ = preset;
    presets_.Reset();
    RenderLocked(0.0);
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

int MatrixScreen::GetPresetMode() const {
  return Read(preset_);
}

void MatrixScreen::SetBrightness(double fraction) {
  if (!std::isfinite(fraction)) return;
  {
    std::lock_guard lock(mutex_);
    const double brightness = std::clamp(fraction, 0.0, 1.0);
    if (brightness_ == brightness) return;
    brightness_ = brightness;
    RenderLocked(0.0);
    BumpVersionLocked();
  }
  NotifyChanged();
}

double MatrixScreen::GetBrightness() const {
  return Read(brightness_);
}

void MatrixScreen::SetAnimationSpeed(int value) {
  Assign(speed_, std::clamp(value, 0, kMaxSpeed));
}

int MatrixScreen::GetAnimationSpeed() const {
  return Read(speed_);
}

void MatrixScreen::SetMatrixScreenColor(Color color) {
  {
    std::lock_guard lock(mutex_);
    if (color_ == (color & 0xFFFFFF)) return;
    color_ = color & 0xFFFFFF;
    RenderLocked(0.0);
    BumpVersionLocked();
  }
  NotifyChanged();
}

Color MatrixScreen::GetMatrixScreenColor() const {
  return Read(color_);
}

void MatrixScreen::SetMatrixScreenColorful(bool colorful) {
  {
    std::lock_guard lock(mutex_);
    if (colorful_ == colorful) return;
    colorful_ = colorful;
    RenderLocked(0.0);
    BumpVersionLocked();
  }
  NotifyChanged();
}

bool MatrixScreen::GetMatrixScreenColorful() const {
  return Read(colorful_);
}

void MatrixScreen::SetAudioAmplitude(int value) {
  Assign(amplitude_, std::clamp(value, 0, kMaxAmplitude));
}

int MatrixScreen::GetAudioAmplitude() const {
  return Read(amplitude_);
}

// Music -------------------------------------------------------------------------------------

void MatrixScreen::SetAudioData(std::span<const float> bands) {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < bands_.size(); ++i) {
    bands_[i] = i < bands.size() ? std::clamp(Finite(bands[i]), 0.0f, 1.0f) : 0.0f;
  }
  audioFresh_ = true;
}

void MatrixScreen::SetInputWave(std::span<const float> wave) {
  // One point per column, spread over the whole wave, oldest on the left.
  const std::size_t points = std::min(wave.size(), kWaveFloats) / 2;
  std::lock_guard lock(mutex_);
  for (std::size_t column = 0; column < wave_.size(); ++column) {
    if (points == 0) {
      wave_[column] = 0.0f;
      continue;
    }
    const std::size_t point = column * (points - 1) / (wave_.size() - 1);
    wave_[column] = std::clamp(Finite(wave[2 * point]) / kWaveFullScale, -1.0f, 1.0f);
  }
  audioFresh_ = true;
}

void MatrixScreen::SetMasterVolume(float volume) {
  std::lock_guard lock(mutex_);
  volume_ = std::clamp(Finite(volume), 0.0f, kMaxVolume);
}

void MatrixScreen::UpdateMusicLocked(double seconds) {
  // A frame drawn again for a changed setting is no step of the music.
  music_.newBeat = false;
  if (seconds <= 0.0) return;
  sinceAudio_ = audioFresh_ ? 0.0 : sinceAudio_ + seconds;
  audioFresh_ = false;
  if (sinceAudio_ > kMusicGoneAfter) {
    const auto fade = static_cast<float>(std::exp(-seconds * 8.0));
    for (float& band : bands_) band *= fade;
    for (float& point : wave_) point *= fade;
  }
  const float gain = static_cast<float>(amplitude_) / kUnityAmplitude * volume_;
  float sum = 0.0f;
  for (std::size_t i = 0; i < bands_.size(); ++i) {
    music_.bands[i] = std::clamp(bands_[i] * gain, 0.0f, 1.0f);
    sum += music_.bands[i];
  }
  for (std::size_t i = 0; i < wave_.size(); ++i) {
    music_.wave[i] = std::clamp(wave_[i] * gain, -1.0f, 1.0f);
  }
  music_.level = sum / static_cast<float>(music_.bands.size());
  music_.bass = (music_.bands[0] + music_.bands[1] + music_.bands[2]) / 3.0f;
  // A beat: the level jumps above its recent average.
  sinceBeat_ += seconds;
  music_.newBeat =
      music_.level > levelAverage_ * 1.25 + 0.06 && music_.level > 0.08 && sinceBeat_ > 0.15;
  if (music_.newBeat) sinceBeat_ = 0.0;
  music_.beat = music_.newBeat ? 1.0f : static_cast<float>(music_.beat * std::exp(-seconds * 6.0));
  const double weight = 1.0 - std::exp(-seconds / 0.5);
  levelAverage_ += (music_.level - levelAverage_) * weight;
}

// Cells -----------------------------------------------------------------------------------------

std::vector<MATRIX_CELL> MatrixScreen::GetKeyItems() const {
  std::lock_guard lock(mutex_);
  std::vector<MATRIX_CELL> cells;
  cells.reserve(shown_.size());
  for (std::size_t i = 0; i < shown_.size(); ++i) {
    cells.push_back({static_cast<int>(i), shown_[i]});
  }
  return cells;
}

MatrixFrame MatrixScreen::GetShownColors() const {
  return Read(shown_);
}

MatrixFrame MatrixScreen::GetPicture() const {
  return Read(picture_);
}

void MatrixScreen::SetPicture(const MatrixFrame& picture) {
  {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < picture.size(); ++i) picture_[i] = picture[i] & 0xFFFFFF;
    RenderLocked(0.0);
    BumpVersionLocked();
  }
  NotifyChanged();
}

bool MatrixScreen::SetPictureCell(int index, Color color) {
  if (index < 0 || index >= kMatrixCellCount) return false;
  {
    std::lock_guard lock(mutex_);
    picture_[static_cast<std::size_t>(index)] = color & 0xFFFFFF;
    RenderLocked(0.0);
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

// Frames ----------------------------------------------------------------------------------------

bool MatrixScreen::Animate() {
  {
    std::lock_guard lock(mutex_);
    const std::chrono::nanoseconds now = monotonic_();
    if (rendered_ && now - lastFrame_ < kFrameInterval) return false;
    const double seconds =
        rendered_ ? std::chrono::duration<double>(now - lastFrame_).count() : 0.0;
    lastFrame_ = now;
    rendered_ = true;
    // The plain colour and the drawing stand still: they are drawn again when they change.
    if (preset_ == kPresetPlain || preset_ == kPresetDrawing) return false;
    RenderLocked(std::clamp(seconds, 0.0, kLongestFrame));
    BumpVersionLocked();
  }
  NotifyChanged();
  return true;
}

void MatrixScreen::Step(std::chrono::nanoseconds elapsed) {
  {
    std::lock_guard lock(mutex_);
    RenderLocked(std::clamp(std::chrono::duration<double>(elapsed).count(), 0.0, kLongestFrame));
    BumpVersionLocked();
  }
  NotifyChanged();
}

std::uint64_t MatrixScreen::GetFrameCount() const {
  return Read(frames_);
}

void MatrixScreen::OnTimer(int) {
  Animate();
}

void MatrixScreen::RenderLocked(double realSeconds) {
  // A faster speed runs the animation's own time faster.
  const double step = realSeconds * (0.4 + 0.3 * speed_);
  animationTime_ += step;
  UpdateMusicLocked(realSeconds);
  if (preset_ == kPresetDrawing) {
    frame_ = picture_;
  } else {
    MatrixFrameInput input;
    input.time = animationTime_;
    input.step = step;
    input.seconds = realSeconds;
    input.clockSeconds = wall_();
    input.color = color_;
    input.colorful = colorful_;
    input.music = music_;
    presets_.Render(preset_, input, frame_);
  }
  for (std::size_t i = 0; i < frame_.size(); ++i) shown_[i] = Dimmed(frame_[i], brightness_);
  if (realSeconds > 0.0) ++frames_;
}

// The user --------------------------------------------------------------------------------------

bool MatrixScreen::UserPaintCell(int index, bool dragging) {
  if (!IsEnabled() || index < 0 || index >= kMatrixCellCount) return false;
  Color color = 0;
  {
    std::lock_guard lock(mutex_);
    if (preset_ != kPresetDrawing) return false;
    color = color_;
    picture_[static_cast<std::size_t>(index)] = color;
    RenderLocked(0.0);
    BumpVersionLocked();
  }
  NotifyChanged();
  Report(dragging ? kEventDragOver : kEventClick, index, static_cast<std::intptr_t>(color));
  return true;
}

}  // namespace Tessel

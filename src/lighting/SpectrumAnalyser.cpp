#include "lighting/SpectrumAnalyser.h"

#include <kiss_fftr.h>

#include <cmath>
#include <new>
#include <numbers>
#include <vector>

namespace lighting {
namespace {

struct ConfigFree {
  void operator()(kiss_fftr_state* config) const { kiss_fftr_free(config); }
};

}  // namespace

struct SpectrumAnalyser::Fft {
  std::unique_ptr<kiss_fftr_state, ConfigFree> config{
      kiss_fftr_alloc(static_cast<int>(kPoints), 0, nullptr, nullptr)};
  std::vector<kiss_fft_cpx> bins = std::vector<kiss_fft_cpx>(kPoints / 2 + 1);
};

SpectrumAnalyser::SpectrumAnalyser() : fft_(std::make_unique<Fft>()) {
  if (!fft_->config) throw std::bad_alloc();
  for (std::size_t i = 0; i < kPoints; ++i)
    window_[i] = static_cast<float>(
        0.5 * (1.0 - std::cos(2.0 * std::numbers::pi * static_cast<double>(i) / (kPoints - 1))));
}

SpectrumAnalyser::~SpectrumAnalyser() = default;

void SpectrumAnalyser::Magnitudes(std::span<const float, kPoints> values,
                                  std::span<float, kBins> out) {
  for (std::size_t i = 0; i < kPoints; ++i) windowed_[i] = values[i] * window_[i];
  kiss_fftr(fft_->config.get(), windowed_.data(), fft_->bins.data());
  constexpr float kScale = 1.0f / kPoints;
  for (std::size_t k = 0; k < kBins; ++k)
    out[k] =
        std::sqrt(fft_->bins[k].r * fft_->bins[k].r + fft_->bins[k].i * fft_->bins[k].i) * kScale;
}

}  // namespace lighting

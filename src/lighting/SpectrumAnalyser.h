#pragma once
// Magnitude spectrum of 2048 values: a Hann window, a real FFT, |X(k)| / 2048 for the lower
// half of the bins.

#include <array>
#include <cstddef>
#include <memory>
#include <span>

namespace lighting {

class SpectrumAnalyser {
 public:
  static constexpr std::size_t kPoints = 2048;
  static constexpr std::size_t kBins = kPoints / 2;

  SpectrumAnalyser();
  ~SpectrumAnalyser();
  SpectrumAnalyser(const SpectrumAnalyser&) = delete;
  SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

  void Magnitudes(std::span<const float, kPoints> values, std::span<float, kBins> out);

 private:
  struct Fft;
  std::unique_ptr<Fft> fft_;
  std::array<float, kPoints> window_;
  std::array<float, kPoints> windowed_;
};

}  // namespace lighting

#include "spectrum_analyzer.h"

#include <cmath>
#include <numbers>

namespace kalvor::audiolib {

SpectrumAnalyzer::SpectrumAnalyzer(std::unique_ptr<RealFft> fft)
    : fft_(std::move(fft)), input_(kSize), output_(kBins + 1) {
  double sum = 0.0;
  for (int i = 0; i < kSize; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kSize);
    window_[i] = static_cast<float>(w);
    sum += w;
  }
  scale_ = static_cast<float>(2.0 / sum);
}

void SpectrumAnalyzer::analyze(const float* samples, float* magnitudes) {
  for (int i = 0; i < kSize; ++i) input_[i] = samples[i] * window_[i];
  fft_->transform(input_.data(), output_.data());
  for (int k = 0; k < kBins; ++k) {
    magnitudes[k] = std::hypot(output_[k].real(), output_[k].imag()) * scale_;
  }
  magnitudes[0] *= 0.5f;
}

}  // namespace kalvor::audiolib

#include "spectrum_analyzer.h"

#include <cmath>
#include <numbers>

namespace kalvor::audiolib {

SpectrumAnalyzer::SpectrumAnalyzer()
    : config_(kiss_fftr_alloc(kSize, 0, nullptr, nullptr)), input_(kSize), output_(kBins + 1) {
  double sum = 0.0;
  for (int i = 0; i < kSize; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / kSize);
    window_[i] = static_cast<float>(w);
    sum += w;
  }
  scale_ = static_cast<float>(2.0 / sum);
}

SpectrumAnalyzer::~SpectrumAnalyzer() {
  kiss_fftr_free(config_);
}

void SpectrumAnalyzer::analyze(const float* samples, float* magnitudes) {
  for (int i = 0; i < kSize; ++i) input_[i] = samples[i] * window_[i];
  kiss_fftr(config_, input_.data(), output_.data());
  const kiss_fft_cpx* bins = output_.data();
  for (int k = 0; k < kBins; ++k) {
    magnitudes[k] = std::hypot(bins[k].r, bins[k].i) * scale_;
  }
  magnitudes[0] *= 0.5f;
}

}  // namespace kalvor::audiolib

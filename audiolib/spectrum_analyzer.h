// Magnitude spectrum of 1024 samples: Hann window, real FFT, 512 bins from DC upwards.
// Magnitudes are scaled by 2 / sum(window), DC by 1 / sum(window), so a full-scale sine centred on
// a bin reads 1.0 in that bin and a constant level d reads d in bin 0.
#pragma once

#include <array>
#include <complex>
#include <memory>
#include <vector>

#include "real_fft.h"

namespace kalvor::audiolib {

class SpectrumAnalyzer {
 public:
  static constexpr int kSize = 1024;
  static constexpr int kBins = kSize / 2;

  // The platform's FFT unless another is given.
  explicit SpectrumAnalyzer(std::unique_ptr<RealFft> fft = RealFft::create(kSize));

  // samples: kSize values, oldest first. magnitudes: kBins values.
  void analyze(const float* samples, float* magnitudes);

 private:
  std::unique_ptr<RealFft> fft_;
  std::array<float, kSize> window_;
  float scale_;
  std::vector<float> input_;
  std::vector<std::complex<float>> output_;
};

}  // namespace kalvor::audiolib

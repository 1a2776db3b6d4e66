// Magnitude spectrum of 1024 samples: Hann window, real FFT (kissfft), 512 bins from DC upwards.
// Magnitudes are scaled by 2 / sum(window), DC by 1 / sum(window), so a full-scale sine centred on
// a bin reads 1.0 in that bin and a constant level d reads d in bin 0.
#pragma once

#include <kiss_fftr.h>

#include <array>
#include <vector>

namespace kalvor::audiolib {

class SpectrumAnalyzer {
 public:
  static constexpr int kSize = 1024;
  static constexpr int kBins = kSize / 2;

  SpectrumAnalyzer();
  ~SpectrumAnalyzer();
  SpectrumAnalyzer(const SpectrumAnalyzer&) = delete;
  SpectrumAnalyzer& operator=(const SpectrumAnalyzer&) = delete;

  // samples: kSize values, oldest first. magnitudes: kBins values.
  void analyze(const float* samples, float* magnitudes);

 private:
  kiss_fftr_cfg config_;
  std::array<float, kSize> window_;
  float scale_;
  std::vector<float> input_;
  std::vector<kiss_fft_cpx> output_;
};

}  // namespace kalvor::audiolib

// A plain iterative radix-2 FFT: the real block goes in as complex values with no imaginary part.
// Spectra are 1024 points a few dozen times a second, so nothing cleverer is needed.
#pragma once

#include <vector>

#include "real_fft.h"

namespace kalvor::audiolib {

class Radix2Fft : public RealFft {
 public:
  explicit Radix2Fft(int size);

  void transform(const float* in, std::complex<float>* out) override;

 private:
  int size_;
  std::vector<int> reversed_;                 // bit-reversed index of every position
  std::vector<std::complex<float>> twiddle_;  // e^(-2 pi i k / size), k < size / 2
  std::vector<std::complex<float>> work_;
};

}  // namespace kalvor::audiolib

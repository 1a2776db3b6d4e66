// The forward FFT of a block of real samples, one implementation per platform (RealFft::create).
#pragma once

#include <complex>
#include <memory>

namespace kalvor::audiolib {

class RealFft {
 public:
  // size is a power of two.
  static std::unique_ptr<RealFft> create(int size);

  virtual ~RealFft() = default;

  // size real samples in, size / 2 + 1 bins out from DC upwards, unscaled.
  virtual void transform(const float* in, std::complex<float>* out) = 0;
};

}  // namespace kalvor::audiolib

// The real FFT of kissfft.
#pragma once

#include <kiss_fftr.h>

#include <vector>

#include "real_fft.h"

namespace kalvor::audiolib {

class KissFft : public RealFft {
 public:
  explicit KissFft(int size);
  ~KissFft() override;
  KissFft(const KissFft&) = delete;
  KissFft& operator=(const KissFft&) = delete;

  void transform(const float* in, std::complex<float>* out) override;

 private:
  int size_;
  kiss_fftr_cfg config_;
  std::vector<kiss_fft_cpx> bins_;
};

}  // namespace kalvor::audiolib

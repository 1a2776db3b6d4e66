#include "kiss_fft_backend.h"

namespace kalvor::audiolib {

KissFft::KissFft(int size)
    : size_(size), config_(kiss_fftr_alloc(size, 0, nullptr, nullptr)), bins_(size / 2 + 1) {}

KissFft::~KissFft() {
  kiss_fftr_free(config_);
}

void KissFft::transform(const float* in, std::complex<float>* out) {
  kiss_fftr(config_, in, bins_.data());
  for (int k = 0; k <= size_ / 2; ++k) out[k] = {bins_[k].r, bins_[k].i};
}

}  // namespace kalvor::audiolib

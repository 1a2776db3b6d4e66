#include "radix2_fft.h"

#include <cmath>
#include <numbers>

namespace kalvor::audiolib {

Radix2Fft::Radix2Fft(int size) : size_(size), reversed_(size), twiddle_(size / 2), work_(size) {
  int bits = 0;
  while ((1 << bits) < size) ++bits;
  for (int i = 0; i < size; ++i) {
    int r = 0;
    for (int b = 0; b < bits; ++b) r |= ((i >> b) & 1) << (bits - 1 - b);
    reversed_[i] = r;
  }
  for (int k = 0; k < size / 2; ++k) {
    const double angle = -2.0 * std::numbers::pi * k / size;
    twiddle_[k] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
  }
}

void Radix2Fft::transform(const float* in, std::complex<float>* out) {
  for (int i = 0; i < size_; ++i) work_[reversed_[i]] = {in[i], 0.0f};
  for (int half = 1; half < size_; half *= 2) {
    const int stride = size_ / (2 * half);
    for (int start = 0; start < size_; start += 2 * half) {
      for (int j = 0; j < half; ++j) {
        const std::complex<float> odd = twiddle_[j * stride] * work_[start + j + half];
        work_[start + j + half] = work_[start + j] - odd;
        work_[start + j] += odd;
      }
    }
  }
  for (int k = 0; k <= size_ / 2; ++k) out[k] = work_[k];
}

}  // namespace kalvor::audiolib

#include "tools/soundgen/noise.h"

namespace kalvor::soundgen {

float Noise::Pink() {
  // Paul Kellet's refined pink filter.
  const double w = rng_.Bipolar();
  b_[0] = 0.99886 * b_[0] + w * 0.0555179;
  b_[1] = 0.99332 * b_[1] + w * 0.0750759;
  b_[2] = 0.96900 * b_[2] + w * 0.1538520;
  b_[3] = 0.86650 * b_[3] + w * 0.3104856;
  b_[4] = 0.55000 * b_[4] + w * 0.5329522;
  b_[5] = -0.7616 * b_[5] - w * 0.0168980;
  const double pink = b_[0] + b_[1] + b_[2] + b_[3] + b_[4] + b_[5] + b_[6] + w * 0.5362;
  b_[6] = w * 0.115926;
  return static_cast<float>(pink * 0.11);
}

float Noise::Brown() {
  brown_ = (brown_ + 0.02 * rng_.Bipolar()) / 1.02;
  return static_cast<float>(brown_ * 3.5);
}

}  // namespace kalvor::soundgen

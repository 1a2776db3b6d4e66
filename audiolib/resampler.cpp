#include "resampler.h"

#include <algorithm>

namespace kalvor::audiolib {

void Resampler::configure(int channels, int source_rate, int device_rate) {
  channels_ = std::clamp(channels, 1, kMaxChannels);
  step_ = static_cast<double>(source_rate) / static_cast<double>(device_rate);
  reset();
}

void Resampler::reset() {
  frac_ = kLookahead;
  pulled_ = 0;
  for (auto& frame : hist_) {
    for (float& s : frame) s = 0.0f;
  }
}

float Resampler::interpolate(int c, float t) const {
  const float x0 = hist_[0][c];
  const float x1 = hist_[1][c];
  const float x2 = hist_[2][c];
  const float x3 = hist_[3][c];
  if (t == 0.0f) return x1;
  return x1 + 0.5f * t *
                  (x2 - x0 +
                   t * (2.0f * x0 - 5.0f * x1 + 4.0f * x2 - x3 + t * (3.0f * (x1 - x2) + x3 - x0)));
}

}  // namespace kalvor::audiolib

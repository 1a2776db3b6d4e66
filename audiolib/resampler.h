// Converts a stream of frames from the file's sample rate to the device's, one output frame at a
// time, by cubic (Catmull-Rom) interpolation between the four nearest source frames. Sound effects
// are short and mostly at 44.1 or 48 kHz, so there is no separate anti-alias filter.
#pragma once

#include <cstdint>

namespace kalvor::audiolib {

class Resampler {
 public:
  static constexpr int kMaxChannels = 2;

  // source_rate / device_rate source frames pass per output frame.
  void configure(int channels, int source_rate, int device_rate);

  // Starts over before the first source frame: the next output is exactly that frame.
  void reset();

  // Index of the source frame the next output starts from, counted since reset(). While the
  // pipeline fills after a reset it is 0.
  std::int64_t source_index() const { return pulled_ < kLookahead ? 0 : pulled_ - kLookahead; }

  // Writes one output frame. pull(float* frame) must fill one source frame and return true, or
  // return false when no source frame is there yet; then nothing is written, the state stays as
  // it was and the call returns false.
  template <typename Pull>
  bool next(float* out, Pull&& pull);

 private:
  static constexpr int kLookahead = 3;

  float interpolate(int channel, float t) const;

  int channels_ = 1;
  double step_ = 1.0;
  double frac_ = kLookahead;
  std::int64_t pulled_ = 0;
  // hist_[0..3] are source frames n-1, n, n+1, n+2; output lies between n and n+1.
  float hist_[4][kMaxChannels] = {};
};

template <typename Pull>
bool Resampler::next(float* out, Pull&& pull) {
  while (frac_ >= 1.0) {
    float frame[kMaxChannels] = {};
    if (!pull(frame)) return false;
    for (int i = 0; i < 3; ++i) {
      for (int c = 0; c < channels_; ++c) hist_[i][c] = hist_[i + 1][c];
    }
    for (int c = 0; c < channels_; ++c) hist_[3][c] = frame[c];
    ++pulled_;
    frac_ -= 1.0;
  }
  const float t = static_cast<float>(frac_);
  for (int c = 0; c < channels_; ++c) out[c] = interpolate(c, t);
  frac_ += step_;
  return true;
}

}  // namespace kalvor::audiolib

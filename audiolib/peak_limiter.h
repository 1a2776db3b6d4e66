// Keeps a stereo signal below full scale without clipping it: a look-ahead peak limiter. Every
// frame is delayed by a short look-ahead; the gain needed for the loudest frame ahead is reached
// gradually over that look-ahead, so the gain glides down before a peak instead of jumping, and
// glides back up afterwards. No output sample exceeds kCeiling.
#pragma once

#include <vector>

namespace kalvor::audiolib {

class PeakLimiter {
 public:
  // Just under full scale, so the server's own conversions cannot reach it either.
  static constexpr float kCeiling = 0.944f;  // -0.5 dBFS
  static constexpr double kLookaheadSeconds = 0.0015;
  static constexpr double kReleaseSeconds = 0.08;

  explicit PeakLimiter(int rate);

  // Frames every sample is delayed by.
  int delay_frames() const { return window_; }

  // Limits count interleaved stereo frames in place.
  void process(float* frames, int count);

 private:
  float next_gain(float wanted);

  const int window_;  // look-ahead in frames
  const float release_;
  std::vector<float> delayed_;  // the last window_ input frames, stereo
  const int queue_capacity_;
  // Gains wanted by the frames in the look-ahead, as a queue of increasing values: its front is
  // the smallest gain wanted by any frame still ahead.
  std::vector<float> queue_gain_;
  std::vector<long long> queue_frame_;
  int queue_head_ = 0;
  int queue_size_ = 0;
  std::vector<float> envelope_;  // the last window_ envelope values, averaged into the gain
  double envelope_sum_;
  float envelope_now_ = 1.0f;
  long long frame_ = 0;
};

}  // namespace kalvor::audiolib

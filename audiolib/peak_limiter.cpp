#include "peak_limiter.h"

#include <algorithm>
#include <cmath>

namespace kalvor::audiolib {

PeakLimiter::PeakLimiter(int rate)
    : window_(std::max(2, static_cast<int>(std::lround(rate * kLookaheadSeconds)))),
      release_(static_cast<float>(1.0 - std::exp(-1.0 / (rate * kReleaseSeconds)))),
      delayed_(2 * window_, 0.0f),
      queue_capacity_(window_ + 1),
      queue_gain_(queue_capacity_),
      queue_frame_(queue_capacity_),
      envelope_(window_, 1.0f),
      envelope_sum_(window_) {}

// The gain for the frame leaving the delay line now. For every frame in the look-ahead the gain
// it needs is known; the smallest of those is followed at once when it is lower and approached
// slowly when it is higher, and the result is averaged over the last window_ values. A frame
// holds every envelope value down to its gain from the one after it enters up to the one
// computed as it leaves, so the average it leaves with is no higher than the gain it needs.
float PeakLimiter::next_gain(float wanted) {
  // Drop the frame that has left the look-ahead, then every gain the new one undercuts.
  if (queue_size_ > 0 && queue_frame_[queue_head_] < frame_ - window_) {
    queue_head_ = (queue_head_ + 1) % queue_capacity_;
    --queue_size_;
  }
  while (queue_size_ > 0 &&
         queue_gain_[(queue_head_ + queue_size_ - 1) % queue_capacity_] >= wanted) {
    --queue_size_;
  }
  const int tail = (queue_head_ + queue_size_) % queue_capacity_;
  queue_gain_[tail] = wanted;
  queue_frame_[tail] = frame_;
  ++queue_size_;
  const float lowest = queue_gain_[queue_head_];

  envelope_now_ =
      lowest < envelope_now_ ? lowest : envelope_now_ + (lowest - envelope_now_) * release_;
  float& slot = envelope_[frame_ % window_];
  envelope_sum_ += envelope_now_ - slot;
  slot = envelope_now_;
  ++frame_;
  // Summing in double and starting over now and then keeps the running sum from drifting.
  if (frame_ % (1 << 16) == 0) {
    envelope_sum_ = 0.0;
    for (const float value : envelope_) envelope_sum_ += value;
  }
  return static_cast<float>(envelope_sum_ / window_);
}

void PeakLimiter::process(float* frames, int count) {
  for (int i = 0; i < count; ++i) {
    float* frame = frames + 2 * i;
    const float peak = std::max(std::fabs(frame[0]), std::fabs(frame[1]));
    const float wanted = peak > kCeiling ? kCeiling / peak : 1.0f;
    // The slot of the new frame holds the oldest one, which leaves now.
    float* slot = &delayed_[2 * (frame_ % window_)];
    const float left = slot[0];
    const float right = slot[1];
    slot[0] = frame[0];
    slot[1] = frame[1];
    const float gain = next_gain(wanted);
    frame[0] = std::clamp(left * gain, -kCeiling, kCeiling);
    frame[1] = std::clamp(right * gain, -kCeiling, kCeiling);
  }
}

}  // namespace kalvor::audiolib

#include "cross_clock_queue.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace kalvor::audiolib {

namespace {

int frames_of(int rate, double seconds) {
  return static_cast<int>(std::lround(rate * seconds));
}

}  // namespace

CrossClockQueue::CrossClockQueue(int rate, double start_seconds, double reserve_seconds)
    : capacity_(std::max(rate, 2)),
      base_start_(std::max(1, frames_of(rate, start_seconds))),
      reserve_(frames_of(rate, reserve_seconds)),
      step_frames_(std::max(1, frames_of(rate, kStartStepSeconds))),
      max_start_(std::max(base_start_, frames_of(rate, kMaxStartSeconds))),
      jump_(frames_of(rate, kJumpSeconds)),
      window_(std::max(rate / 2, 1)),
      calm_(std::max(1, frames_of(rate, kCalmSeconds))),
      ring_(2 * static_cast<std::size_t>(capacity_), 0.0f),
      start_(base_start_),
      lowest_(INT_MAX) {}

void CrossClockQueue::clear() {
  head_ = 0;
  size_ = 0;
  started_ = false;
}

void CrossClockQueue::push(const float* frames, int count) {
  if (count > capacity_) {
    if (frames != nullptr) frames += 2 * (count - capacity_);
    count = capacity_;
  }
  const int overflow = size_ + count - capacity_;
  if (overflow > 0) {
    head_ = (head_ + overflow) % capacity_;
    size_ -= overflow;
  }
  int tail = (head_ + size_) % capacity_;
  for (int i = 0; i < count; ++i) {
    ring_[2 * tail] = frames != nullptr ? frames[2 * i] : 0.0f;
    ring_[2 * tail + 1] = frames != nullptr ? frames[2 * i + 1] : 0.0f;
    tail = tail + 1 == capacity_ ? 0 : tail + 1;
  }
  size_ += count;
}

void CrossClockQueue::pop() {
  head_ = head_ + 1 == capacity_ ? 0 : head_ + 1;
  --size_;
}

void CrossClockQueue::take(float* out, int count, bool add) {
  if (!started_ && size_ >= start_) {
    started_ = true;
    position_ = 0.0;
    lowest_ = INT_MAX;
    pulled_ = 0;
    step_ = 1.0;
    to_trim_ = 0.0;
  }
  int i = 0;
  // Each frame written lies between the first queued frame and the next, at position_.
  for (; started_ && i < count && size_ > 0; ++i) {
    const float* a = &ring_[2 * head_];
    // The last frame queued stands in for the one that has not come yet.
    const float* b = size_ > 1 ? &ring_[2 * (head_ + 1 == capacity_ ? 0 : head_ + 1)] : a;
    const auto at = static_cast<float>(position_);
    const float left = a[0] + (b[0] - a[0]) * at;
    const float right = a[1] + (b[1] - a[1]) * at;
    out[2 * i] = add ? out[2 * i] + left : left;
    out[2 * i + 1] = add ? out[2 * i + 1] + right : right;
    position_ += step_;
    if (step_ != 1.0 && (to_trim_ -= step_ - 1.0) <= 0.0) step_ = 1.0;
    for (; position_ >= 1.0 && size_ > 0; position_ -= 1.0) pop();
  }
  if (i < count) {
    if (!add) std::fill(out + 2 * i, out + 2 * count, 0.0f);
    if (started_) {
      // Ran dry: the source is more jittery than the starting level allows for.
      start_ = std::min(start_ + step_frames_, max_start_);
      since_dry_ = 0;
    }
    started_ = false;
    return;
  }
  since_dry_ += count;
  if (since_dry_ >= calm_) {
    start_ = std::max(start_ - step_frames_, base_start_);
    since_dry_ = 0;
  }
  lowest_ = std::min(lowest_, size_);
  pulled_ += count;
  if (pulled_ < window_) return;
  if (lowest_ > reserve_ + jump_) {
    // Far too much in hand, as after the receiving side stalled: the excess goes at once.
    for (int excess = lowest_ - reserve_; excess > 0; --excess) pop();
  } else if (lowest_ > 2 * reserve_) {
    step_ = 1.0 + kTrim;
    to_trim_ = lowest_ - reserve_;
  }
  lowest_ = INT_MAX;
  pulled_ = 0;
}

}  // namespace kalvor::audiolib

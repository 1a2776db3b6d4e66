#include "frame_ring.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace kalvor::audiolib {

FrameRing::FrameRing(int channels, std::size_t capacity_frames)
    : channels_(channels),
      mask_(std::bit_ceil(std::max<std::size_t>(capacity_frames, 2)) - 1),
      data_((mask_ + 1) * static_cast<std::size_t>(channels)) {}

std::size_t FrameRing::space() const {
  const std::uint64_t used =
      written_.load(std::memory_order_relaxed) - read_.load(std::memory_order_acquire);
  return capacity() - static_cast<std::size_t>(used);
}

std::size_t FrameRing::available() const {
  return static_cast<std::size_t>(written_.load(std::memory_order_acquire) -
                                  read_.load(std::memory_order_relaxed));
}

std::size_t FrameRing::write(const float* frames, std::size_t count) {
  const std::uint64_t w = written_.load(std::memory_order_relaxed);
  count = std::min(count, space());
  std::size_t done = 0;
  while (done < count) {
    const std::size_t at = static_cast<std::size_t>(w + done) & mask_;
    const std::size_t run = std::min(count - done, capacity() - at);
    std::memcpy(&data_[at * channels_], frames + done * channels_, run * channels_ * sizeof(float));
    done += run;
  }
  written_.store(w + count, std::memory_order_release);
  return count;
}

std::size_t FrameRing::read(float* frames, std::size_t count) {
  const std::uint64_t r = read_.load(std::memory_order_relaxed);
  count = std::min(count, available());
  std::size_t done = 0;
  while (done < count) {
    const std::size_t at = static_cast<std::size_t>(r + done) & mask_;
    const std::size_t run = std::min(count - done, capacity() - at);
    std::memcpy(frames + done * channels_, &data_[at * channels_], run * channels_ * sizeof(float));
    done += run;
  }
  read_.store(r + count, std::memory_order_release);
  return count;
}

void FrameRing::reset() {
  written_.store(0, std::memory_order_relaxed);
  read_.store(0, std::memory_order_relaxed);
}

}  // namespace kalvor::audiolib

#include "tests/audiolib/disk_capture.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "tests/support/wait_until.h"

namespace kalvor::test {

bool DiskCapture::wait_until(const std::function<bool(const DiskCapture&)>& condition,
                             std::chrono::milliseconds timeout) {
  return WaitUntil(
      [&] {
        read_recorded();
        return condition(*this);
      },
      timeout, [] { std::this_thread::sleep_for(std::chrono::milliseconds(20)); });
}

std::function<bool(const DiskCapture&)> DiskCapture::audible_for(std::size_t frames,
                                                                 float threshold) {
  return [=](const DiskCapture& capture) {
    const auto first = capture.first_audible(threshold);
    return first && capture.frames() > *first + frames;
  };
}

std::optional<std::size_t> DiskCapture::first_audible(float threshold, std::size_t from) const {
  for (std::size_t f = from; f < frames(); ++f) {
    if (std::fabs(left(f)) > threshold || std::fabs(right(f)) > threshold) return f;
  }
  return std::nullopt;
}

std::optional<std::size_t> DiskCapture::last_audible(float threshold) const {
  for (std::size_t f = frames(); f-- > 0;) {
    if (std::fabs(left(f)) > threshold || std::fabs(right(f)) > threshold) return f;
  }
  return std::nullopt;
}

float DiskCapture::peak(std::size_t begin, std::size_t end) const {
  float peak = 0.0f;
  for (std::size_t f = begin; f < std::min(end, frames()); ++f) {
    peak = std::max({peak, std::fabs(left(f)), std::fabs(right(f))});
  }
  return peak;
}

float DiskCapture::largest_step(std::size_t begin, std::size_t end) const {
  float step = 0.0f;
  for (std::size_t f = begin + 1; f < std::min(end, frames()); ++f) {
    step = std::max(step, std::fabs(left(f) - left(f - 1)));
  }
  return step;
}

}  // namespace kalvor::test

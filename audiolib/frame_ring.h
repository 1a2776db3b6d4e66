// A fixed-size ring of interleaved float frames with one writer and one reader that never block:
// the decoder thread writes, the audio callback reads.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kalvor::audiolib {

class FrameRing {
 public:
  // capacity_frames is rounded up to a power of two.
  FrameRing(int channels, std::size_t capacity_frames);

  int channels() const { return channels_; }
  std::size_t capacity() const { return mask_ + 1; }

  // Writer side: copies up to count frames in, returns how many fitted.
  std::size_t write(const float* frames, std::size_t count);
  std::size_t space() const;

  // Reader side: copies up to count frames out, returns how many there were.
  std::size_t read(float* frames, std::size_t count);
  std::size_t available() const;

  // Empties the ring. Only while neither side is using it.
  void reset();

 private:
  int channels_;
  std::size_t mask_;
  std::vector<float> data_;
  std::atomic<std::uint64_t> written_{0};
  std::atomic<std::uint64_t> read_{0};
};

}  // namespace kalvor::audiolib

#include "audiolib/frame_ring.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace kalvor::audiolib {
namespace {

TEST(FrameRing, WrapsAroundKeepingFramesInOrder) {
  FrameRing ring(2, 7);  // rounded up to 8 frames
  ASSERT_EQ(ring.capacity(), 8u);
  std::vector<float> in(2 * 20);
  for (std::size_t i = 0; i < in.size(); ++i) in[i] = static_cast<float>(i);
  std::vector<float> out(2 * 20, -1.0f);

  EXPECT_EQ(ring.write(in.data(), 5), 5u);
  EXPECT_EQ(ring.read(out.data(), 3), 3u);
  EXPECT_EQ(ring.space(), 6u);
  EXPECT_EQ(ring.write(in.data() + 2 * 5, 10), 6u);  // only what fits
  EXPECT_EQ(ring.available(), 8u);
  EXPECT_EQ(ring.read(out.data() + 2 * 3, 20), 8u);
  for (std::size_t i = 0; i < 2 * 11; ++i) EXPECT_EQ(out[i], in[i]) << i;
  EXPECT_EQ(ring.read(out.data(), 1), 0u);

  ring.write(in.data(), 3);
  ring.reset();
  EXPECT_EQ(ring.available(), 0u);
  EXPECT_EQ(ring.space(), 8u);
}

TEST(FrameRing, WriterAndReaderThreadsPassEveryFrameOnce) {
  constexpr int kFrames = 200000;
  FrameRing ring(1, 256);
  std::thread writer([&] {
    float next = 0.0f;
    std::vector<float> chunk(100);
    while (next < kFrames) {
      for (float& f : chunk) f = next++;
      std::size_t done = 0;
      while (done < chunk.size()) done += ring.write(chunk.data() + done, chunk.size() - done);
    }
  });
  float expected = 0.0f;
  int wrong = 0;
  float got[64];
  while (expected < kFrames) {
    const std::size_t n = ring.read(got, 64);
    for (std::size_t i = 0; i < n; ++i) wrong += got[i] != expected++;
  }
  writer.join();
  EXPECT_EQ(wrong, 0);
}

}  // namespace
}  // namespace kalvor::audiolib

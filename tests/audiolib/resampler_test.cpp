#include "audiolib/resampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace kalvor::audiolib {
namespace {

// Feeds a mono signal; runs dry after `limit` frames.
struct Source {
  std::vector<float> frames;
  std::size_t next = 0;
  std::size_t limit = SIZE_MAX;
  bool operator()(float* frame) {
    if (next >= frames.size() || next >= limit) return false;
    frame[0] = frames[next++];
    return true;
  }
};

TEST(Resampler, SameRatePassesFramesThroughUnchanged) {
  Resampler resampler;
  resampler.configure(1, 44100, 44100);
  Source source{{0.5f, -0.25f, 0.125f, 1.0f, -1.0f, 0.0f, 0.75f}};
  float out = 0.0f;
  for (std::size_t i = 0; i < 4; ++i) {
    ASSERT_TRUE(resampler.next(&out, std::ref(source)));
    EXPECT_EQ(out, source.frames[i]);
    EXPECT_EQ(resampler.source_index(), static_cast<std::int64_t>(i));
  }
}

TEST(Resampler, WaitsWhenTheSourceRunsDryAndGoesOnUnchanged) {
  Resampler resampler;
  resampler.configure(1, 44100, 44100);
  Source source{{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f}};
  source.limit = 4;
  float out = 0.0f;
  ASSERT_TRUE(resampler.next(&out, std::ref(source)));
  ASSERT_TRUE(resampler.next(&out, std::ref(source)));
  EXPECT_FALSE(resampler.next(&out, std::ref(source)));
  EXPECT_FALSE(resampler.next(&out, std::ref(source)));
  source.limit = SIZE_MAX;
  ASSERT_TRUE(resampler.next(&out, std::ref(source)));
  EXPECT_FLOAT_EQ(out, 0.3f);
  EXPECT_EQ(resampler.source_index(), 2);
}

TEST(Resampler, ConvertsASineToTheDeviceRateFaithfully) {
  constexpr double kHz = 1000.0;
  Resampler resampler;
  resampler.configure(1, 48000, 44100);
  Source source;
  for (int i = 0; i < 48000; ++i) {
    source.frames.push_back(static_cast<float>(std::sin(2 * std::numbers::pi * kHz * i / 48000)));
  }
  float out = 0.0f;
  int produced = 0;
  double worst = 0.0;
  while (resampler.next(&out, std::ref(source))) {
    const double ideal = std::sin(2 * std::numbers::pi * kHz * produced / 44100.0);
    worst = std::max(worst, std::fabs(out - ideal));
    ++produced;
  }
  EXPECT_NEAR(produced, 44100, 4);
  EXPECT_LT(worst, 2e-3);
}

}  // namespace
}  // namespace kalvor::audiolib

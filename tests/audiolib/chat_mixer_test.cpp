// The parts of the virtual microphone that do not need a sound server: the limiter that keeps
// the room's mix from clipping, the queues between clocks, and the mix itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "audiolib/chat_mixer.h"
#include "audiolib/cross_clock_queue.h"
#include "audiolib/peak_limiter.h"

namespace kalvor::audiolib {
namespace {

constexpr int kRate = 48000;

float sine(double frequency, double amplitude, long frame) {
  return static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * frequency * frame / kRate));
}

// Amplitude of a frequency in a mono signal (a projection on the sine and cosine).
double level(const std::vector<float>& samples, double frequency) {
  double re = 0.0;
  double im = 0.0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    re += samples[i] * std::cos(2 * std::numbers::pi * frequency * i / kRate);
    im += samples[i] * std::sin(2 * std::numbers::pi * frequency * i / kRate);
  }
  return 2.0 * std::hypot(re, im) / static_cast<double>(samples.size());
}

// Stereo frames of a function of the frame number.
template <typename Signal>
std::vector<float> frames(long first, int count, Signal signal) {
  std::vector<float> out(2 * static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) out[2 * i] = out[2 * i + 1] = signal(first + i);
  return out;
}

TEST(PeakLimiter, FullScaleVoicePlusFullScaleEffectNeverReachesFullScale) {
  PeakLimiter limiter(kRate);
  float peak = 0.0f;
  float largest_step = 0.0f;
  float previous = 0.0f;
  int flat = 0;  // frames in a row held at the ceiling: the final clamp at work, a clipped top
  int longest_flat = 0;
  // Both at full scale for a second, then a quiet voice alone.
  for (long at = 0; at < 2 * kRate; at += 256) {
    std::vector<float> block = frames(at, 256, [](long f) {
      return f < kRate ? sine(300, 1.0, f) + sine(1000, 1.0, f) : sine(300, 0.5, f);
    });
    limiter.process(block.data(), 256);
    for (int i = 0; i < 256; ++i) {
      const float sample = block[2 * i];
      ASSERT_FALSE(std::isnan(sample));
      if (at + i < kRate + limiter.delay_frames()) peak = std::max(peak, std::fabs(sample));
      largest_step = std::max(largest_step, std::fabs(sample - previous));
      flat = std::fabs(sample) >= PeakLimiter::kCeiling - 1e-4f ? flat + 1 : 0;
      longest_flat = std::max(longest_flat, flat);
      previous = sample;
      // Released again: the quiet voice passes as it came, one look-ahead later.
      if (at + i > kRate + kRate / 2) {
        ASSERT_NEAR(sample, sine(300, 0.5, at + i - limiter.delay_frames()), 1e-3) << at + i;
      }
    }
  }
  EXPECT_LE(peak, PeakLimiter::kCeiling);
  EXPECT_GT(peak, 0.9f);
  EXPECT_LE(longest_flat, 2);
  // A 1 kHz sine moves at most 0.13 per frame at full scale: the gain glides, never jumps.
  EXPECT_LT(largest_step, 0.2f);
}

TEST(PeakLimiter, GlidesDownBeforeASpikeInsteadOfJumping) {
  PeakLimiter limiter(kRate);
  const int delay = limiter.delay_frames();
  std::vector<float> block = frames(0, 4096, [](long f) { return f == 2000 ? 4.0f : 0.5f; });
  limiter.process(block.data(), 4096);
  float largest_step = 0.0f;
  // The first frames out are the silence the look-ahead started with.
  for (int i = delay + 1; i < 4096; ++i) {
    ASSERT_LE(std::fabs(block[2 * i]), PeakLimiter::kCeiling);
    if (i != 2000 + delay && i != 2001 + delay) {
      largest_step = std::max(largest_step, std::fabs(block[2 * i] - block[2 * i - 2]));
    }
  }
  // The level ahead of the spike comes down over the look-ahead, not in one frame.
  EXPECT_LT(largest_step, 0.02f);
  EXPECT_NEAR(block[2 * (2000 + delay)], PeakLimiter::kCeiling, 1e-3);
  // By then the gain is down all the way, not only at the last moment (where the final clamp
  // would hide a look-ahead too short).
  EXPECT_NEAR(block[2 * (1999 + delay)], 0.5f * PeakLimiter::kCeiling / 4.0f, 1e-3);
  EXPECT_NEAR(block[2 * 1000], 0.5f, 1e-6);
}

TEST(CrossClockQueue, StartsAtItsLevelRunsDryIntoSilenceAndKeepsOrder) {
  CrossClockQueue queue(kRate, 0.002, 0.001);  // starts at 96 frames
  std::vector<float> out(2 * 64);
  queue.push(frames(0, 64, [](long f) { return 0.001f * (f + 1); }).data(), 64);
  EXPECT_EQ(queue.ready(), 0);
  queue.pull(out.data(), 64);
  EXPECT_EQ(out[0], 0.0f);  // not started: silence, nothing taken
  EXPECT_EQ(queue.queued(), 64);
  queue.push(frames(64, 64, [](long f) { return 0.001f * (f + 1); }).data(), 64);
  queue.pull(out.data(), 64);
  for (int i = 0; i < 64; ++i) ASSERT_FLOAT_EQ(out[2 * i], 0.001f * (i + 1));
  queue.pull(out.data(), 64);
  for (int i = 0; i < 64; ++i) ASSERT_FLOAT_EQ(out[2 * i], 0.001f * (i + 65));
  // Dry: silence, and it waits for more than before.
  queue.pull(out.data(), 64);
  EXPECT_EQ(out[0], 0.0f);
  queue.push(frames(0, 96, [](long) { return 0.5f; }).data(), 96);
  EXPECT_EQ(queue.ready(), 0);
  queue.push(frames(0, 48, [](long) { return 0.5f; }).data(), 48);
  EXPECT_EQ(queue.ready(), 144);
}

TEST(CrossClockQueue, AFastSourceDoesNotPileUpAndAStallIsShedAtOnce) {
  CrossClockQueue queue(kRate, 0.002, 0.001);
  std::vector<float> out(2 * 480);
  long source = 0;
  int dry = 0;
  // The source runs 0.5 % fast for 20 s, delivering 482 frames per 480 asked for.
  for (int period = 0; period < 2000; ++period) {
    queue.push(frames(source, 482, [](long f) { return sine(300, 0.5, f); }).data(), 482);
    source += 482;
    queue.pull(out.data(), 480);
    if (period > 10 && out[2 * 479] == 0.0f && out[2 * 478] == 0.0f) ++dry;
  }
  EXPECT_LT(queue.queued(), 480 + kRate / 100);
  EXPECT_EQ(dry, 0);
  // The receiving side stalls for 100 ms: within a second the queue is back to a few ms.
  queue.push(frames(0, kRate / 10, [](long) { return 0.1f; }).data(), kRate / 10);
  for (int period = 0; period < 100; ++period) {
    queue.push(frames(0, 480, [](long) { return 0.1f; }).data(), 480);
    queue.pull(out.data(), 480);
  }
  EXPECT_LT(queue.queued(), 480 + kRate / 100);
}

TEST(ChatMixer, RoomGetsVoiceAndEffectsLimitedSpeakersOnlyTheEffects) {
  ChatMixer mixer(kRate);
  std::vector<float> room(2 * 256);
  std::vector<float> speakers(2 * 240);
  float room_peak = 0.0f;
  std::vector<float> heard;  // the speakers' left channel, whole periods of both tones
  for (long at = 0; at < kRate / 2; at += 240) {
    mixer.push_voice(frames(at, 240, [](long f) { return sine(300, 1.0, f); }).data(), 240);
    // The effect holds 1 kHz at 1.5 (two loud streams summed): the speakers get it clamped.
    const std::vector<float> effects = frames(at, 240, [](long f) { return sine(1000, 1.5, f); });
    mixer.render(effects.data(), room.data(), 240);
    mixer.pull_monitor(speakers.data(), 240);
    for (int i = 0; i < 240; ++i) {
      room_peak = std::max(room_peak, std::fabs(room[2 * i]));
      if (at >= kRate / 10) heard.push_back(speakers[2 * i]);
    }
  }
  EXPECT_LE(room_peak, PeakLimiter::kCeiling);
  EXPECT_GT(room_peak, 0.9f);
  EXPECT_FLOAT_EQ(*std::max_element(heard.begin(), heard.end()), 1.0f);
  EXPECT_GT(level(heard, 1000), 1.0);
  EXPECT_LT(level(heard, 300), 1e-3);
  // Without effects playing the room hears the voice alone, at unity once the limiter let go.
  for (long at = kRate / 2; at < kRate; at += 256) {
    mixer.push_voice(frames(at, 256, [](long f) { return sine(300, 0.5, f); }).data(), 256);
    mixer.render(nullptr, room.data(), 256);
  }
  float quiet_peak = 0.0f;
  for (int i = 0; i < 256; ++i) quiet_peak = std::max(quiet_peak, std::fabs(room[2 * i]));
  EXPECT_NEAR(quiet_peak, 0.5f, 0.01f);
}

}  // namespace
}  // namespace kalvor::audiolib

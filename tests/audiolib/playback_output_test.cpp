// Plays files through the library and examines what reached the device (SDL's disk driver; under
// Wine the recorded null sink of the test sound server).
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

#include "audiolib/bass_library.h"
#include "tests/audiolib/disk_capture.h"
#include "tests/audiolib/test_platform.h"
#include "tests/audiolib/test_sound_files.h"
#include "tests/support/wait_until.h"

namespace kalvor::test {
namespace {

constexpr int kRate = DiskCapture::kRate;

using namespace std::chrono_literals;

class PlaybackOutputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!capture_.available()) GTEST_SKIP() << "nothing records the output";
    ASSERT_NE(BASS_Init(-1, kRate, 0, nullptr, nullptr), 0);
  }
  void TearDown() override { BASS_Free(); }

  uint32_t open(const std::string& path) {
    const uint32_t handle = BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0);
    EXPECT_NE(handle, 0u) << path;
    return handle;
  }

  // Waits until the stream has handed its last frame to the device; false when it did not.
  static bool played_to_end(uint32_t stream) {
    return WaitUntil(
        [stream] {
          return BASS_ChannelGetPosition(stream, BASS_POS_BYTE) ==
                 BASS_ChannelGetLength(stream, BASS_POS_BYTE);
        },
        10s);
  }
  // Waits until what the device has written so far satisfies the condition. The device writes
  // while a stream plays; once none does it rests, and what it holds reaches the file at BASS_Free.
  bool device_wrote(const std::function<bool(const DiskCapture&)>& condition) {
    return capture_.wait_until(condition);
  }
  // Keeps the device running, silent, for the given time, and waits until it has: a sound that
  // should have ended would go on being written meanwhile.
  void run_silent_for(double seconds) {
    const uint32_t silence = open(
        files_.wav("silence.wav", Tone{.frequency = 0.0, .amplitude = 0.0, .seconds = seconds}));
    ASSERT_NE(BASS_ChannelPlay(silence, 1), 0);
    ASSERT_TRUE(played_to_end(silence));
  }

  // Closes the device and reads everything it was given.
  DiskCapture& finish() {
    capture_.drain();
    BASS_Free();
    capture_.load();
    return capture_;
  }

  // Largest difference between the capture from frame `at` on and the tone times gain.
  static double deviation(const DiskCapture& capture, std::size_t at, const Tone& tone,
                          double gain) {
    double worst = 0.0;
    for (long f = 0; f < tone.frames(); ++f) {
      worst = std::max(worst, std::fabs(capture.left(at + f) - gain * tone.sample(f)));
      worst = std::max(worst, std::fabs(capture.right(at + f) - gain * tone.sample(f)));
    }
    return worst;
  }

  TestSoundFiles files_;
  DiskCapture capture_{(files_.dir() / "device.raw").string()};
};

const Tone kCosine{
    .frequency = 440.0, .amplitude = 0.5, .phase = std::numbers::pi / 2, .seconds = 0.4};

TEST_F(PlaybackOutputTest, FileArrivesSampleForSampleAndThenStops) {
  const uint32_t stream = open(files_.wav("tone.wav", kCosine));
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_TRUE(played_to_end(stream));
  run_silent_for(0.05);  // what comes after the tone
  const DiskCapture& capture = finish();
  const auto first = capture.first_audible();
  ASSERT_TRUE(first.has_value());
  ASSERT_GT(capture.frames(), *first + kCosine.frames() + 100);
  // 16-bit quantisation is 3e-5; any gap, repeat or resampling error is far larger.
  EXPECT_LT(deviation(capture, *first, kCosine, 1.0), 1e-3);
  EXPECT_LT(capture.peak(*first + kCosine.frames(), capture.frames()), 1e-4);
}

TEST_F(PlaybackOutputTest, HalfVolumeHalvesTheAmplitude) {
  const uint32_t stream = open(files_.wav("tone.wav", kCosine));
  ASSERT_NE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.5f), 0);
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_TRUE(played_to_end(stream));
  const DiskCapture& capture = finish();
  const auto first = capture.first_audible();
  ASSERT_TRUE(first.has_value());
  EXPECT_LT(deviation(capture, *first, kCosine, 0.5), 1e-3);
}

TEST_F(PlaybackOutputTest, VolumeSetRightAfterPlayAppliesFromTheFirstFrame) {
  const uint32_t stream = open(files_.wav("tone.wav", kCosine));
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_NE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.0f), 0);
  ASSERT_TRUE(played_to_end(stream));
  EXPECT_FALSE(finish().first_audible(0.0f).has_value());
}

TEST_F(PlaybackOutputTest, VolumeChangeWhilePlayingGlidesWithoutAClick) {
  const Tone level{.frequency = 0.0, .amplitude = 0.0, .dc = 0.5, .seconds = 1.0, .channels = 1};
  const uint32_t stream = open(files_.wav("level.wav", level));
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_TRUE(device_wrote(DiskCapture::audible_for(kRate / 4)));
  ASSERT_NE(BASS_ChannelSetAttribute(stream, BASS_ATTRIB_VOL, 0.1f), 0);
  // The new level has arrived, more than half a second after the first frame.
  ASSERT_TRUE(device_wrote([](const DiskCapture& c) {
    const auto first = c.first_audible();
    return first && c.frames() > *first + kRate * 55 / 100 &&
           std::fabs(c.left(c.frames() - 1) - 0.05) < 1e-3;
  }));
  ASSERT_NE(BASS_StreamFree(stream), 0);
  const DiskCapture& capture = finish();
  const auto first = capture.first_audible();
  const auto last = capture.last_audible();
  ASSERT_TRUE(first && last);
  ASSERT_GT(*last, *first + kRate / 2);
  EXPECT_NEAR(capture.left(*first + 100), 0.5, 1e-3);
  EXPECT_NEAR(capture.left(*last - 100), 0.05, 1e-3);
  // An abrupt change would be one step of 0.45; the glide spreads it over a few milliseconds.
  EXPECT_LT(capture.largest_step(*first + 1, *last - 1), 0.01);
}

TEST_F(PlaybackOutputTest, StreamsPlayingTogetherAreAdded) {
  const Tone low{.frequency = 0.0, .amplitude = 0.0, .dc = 0.3, .seconds = 0.5, .channels = 1};
  Tone high = low;
  high.dc = 0.2;
  const uint32_t a = open(files_.wav("a.wav", low));
  const uint32_t b = open(files_.wav("b.wav", high));
  ASSERT_NE(BASS_ChannelPlay(a, 1), 0);
  ASSERT_NE(BASS_ChannelPlay(b, 1), 0);
  ASSERT_TRUE(played_to_end(a) && played_to_end(b));
  const DiskCapture& capture = finish();
  EXPECT_NEAR(capture.peak(0, capture.frames()), 0.5, 1e-3);
}

// Stopping and freeing both cut the sound at once.
class SilencingTest : public PlaybackOutputTest, public ::testing::WithParamInterface<bool> {};

TEST_P(SilencingTest, SoundEndsWhenTheStreamIsStoppedOrFreed) {
  const bool free_it = GetParam();
  Tone long_tone = kCosine;
  long_tone.seconds = 3.0;
  const uint32_t stream = open(files_.wav("long.wav", long_tone));
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_TRUE(device_wrote(DiskCapture::audible_for(kRate / 5)));
  ASSERT_NE(free_it ? BASS_StreamFree(stream) : BASS_ChannelStop(stream), 0);
  run_silent_for(0.5);
  const DiskCapture& capture = finish();
  const auto first = capture.first_audible();
  const auto last = capture.last_audible();
  ASSERT_TRUE(first && last);
  // 0.3 s of the 3 s tone; had it gone on until the device closed, 0.8 s or more.
  EXPECT_GT(*last - *first, kRate / 10);
  EXPECT_LT(*last - *first, kRate * 6 / 10);
}

INSTANTIATE_TEST_SUITE_P(StopOrFree, SilencingTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Free" : "Stop"; });

TEST_F(PlaybackOutputTest, EndedStreamStaysValidAndRestarts) {
  Tone short_tone = kCosine;
  short_tone.seconds = 0.2;
  const uint32_t stream = open(files_.wav("short.wav", short_tone));
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  // An ended stream's position is its length.
  EXPECT_TRUE(played_to_end(stream));
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  // Once the restart is under way, to the end again.
  ASSERT_TRUE(WaitUntil([&] { return BASS_ChannelGetPosition(stream, BASS_POS_BYTE) != 0; }, 10s));
  ASSERT_TRUE(played_to_end(stream));
  const DiskCapture& capture = finish();
  const auto first = capture.first_audible();
  ASSERT_TRUE(first.has_value());
  const auto second = capture.first_audible(1e-4f, *first + short_tone.frames() + 1);
  ASSERT_TRUE(second.has_value());
  EXPECT_LT(deviation(capture, *first, short_tone, 1.0), 1e-3);
  EXPECT_LT(deviation(capture, *second, short_tone, 1.0), 1e-3);
}

// Files of every format play whole; those at other rates are converted to the device rate: same
// pitch, same duration.
struct RateCase {
  const char* name;
  const char* extension;
  int rate;
  int channels;
  std::string (TestSoundFiles::*write)(const std::string&, const Tone&);
  bool tagged = false;  // with an ID3v2 tag in front
};

void PrintTo(const RateCase& c, std::ostream* os) {
  *os << c.name;
}

class ResamplingTest : public PlaybackOutputTest, public ::testing::WithParamInterface<RateCase> {};

TEST_P(ResamplingTest, KeepsPitchAndDuration) {
  const RateCase& c = GetParam();
  const Tone tone{.frequency = 1000.0,
                  .amplitude = 0.5,
                  .phase = std::numbers::pi / 2,
                  .seconds = 0.5,
                  .rate = c.rate,
                  .channels = c.channels};
  const std::string path = (files_.*c.write)(std::string(c.name) + c.extension, tone);
  if (c.tagged) TestSoundFiles::add_id3v2_tag(path, "欢呼掌声");
  const uint32_t stream = open(path);
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_TRUE(played_to_end(stream));
  const DiskCapture& capture = finish();
  const auto first = capture.first_audible(0.05f);
  const auto last = capture.last_audible(0.05f);
  ASSERT_TRUE(first && last);
  EXPECT_NEAR(static_cast<double>(*last - *first) / kRate, tone.seconds, 0.01);
  int crossings = 0;
  for (std::size_t f = *first + 1; f < *last; ++f) {
    crossings += (capture.left(f - 1) < 0) != (capture.left(f) < 0);
  }
  const double hz = crossings / 2.0 / (static_cast<double>(*last - *first) / kRate);
  EXPECT_NEAR(hz, tone.frequency, tone.frequency * 0.01);
}

std::vector<RateCase> PlayableRateCases() {
  const RateCase all[] = {
      {"Wav48kStereo", ".wav", 48000, 2, &TestSoundFiles::wav},
      {"Ogg48kStereo", ".ogg", 48000, 2, &TestSoundFiles::ogg},
      {"Mp3Mono22k", ".mp3", 22050, 1, &TestSoundFiles::mp3},
      {"Mp3Cbr44kTagged", ".mp3", 44100, 2, &TestSoundFiles::mp3_cbr, true},
      {"Flac32kMono", ".flac", 32000, 1, &TestSoundFiles::flac},
  };
  std::vector<RateCase> cases;
  for (const RateCase& c : all) {
    if (LibraryDecodes(c.extension)) cases.push_back(c);
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Formats, ResamplingTest, ::testing::ValuesIn(PlayableRateCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kalvor::test

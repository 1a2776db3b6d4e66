// The library's functions as the program calls them, on an output nobody listens to (SDL's dummy
// driver; under Wine the test sound server): devices, handles, files that must be refused, lengths
// and positions, the spectrum.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <thread>
#include <vector>

#include "audiolib/bass_library.h"
#include "tests/audiolib/test_platform.h"
#include "tests/audiolib/test_sound_files.h"
#include "tests/support/wait_until.h"

namespace kalvor::test {
namespace {

constexpr uint64_t kBad64 = ~uint64_t{0};

using namespace std::chrono_literals;

class LibraryApiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!UseSilentOutput()) GTEST_SKIP() << "no output to test with";
    ASSERT_NE(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
  }
  void TearDown() override { BASS_Free(); }

  uint32_t open(const std::string& path) { return BASS_StreamCreateFile(0, path.c_str(), 0, 0, 0); }
  static double seconds(uint32_t stream) {
    return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream, BASS_POS_BYTE));
  }
  static bool ended(uint32_t stream) {
    return BASS_ChannelGetPosition(stream, BASS_POS_BYTE) ==
           BASS_ChannelGetLength(stream, BASS_POS_BYTE);
  }

  TestSoundFiles files_;
};

TEST_F(LibraryApiTest, DevicesAreNumberedFromOne) {
  BASS_DEVICEINFO info{};
  ASSERT_EQ(BASS_GetDeviceInfo(1, &info), 1);
  ASSERT_NE(info.name, nullptr);
  EXPECT_STREQ(info.name, "系统默认输出设备");  // in the board's language; listed ones keep theirs
  EXPECT_STREQ(info.driver, SilentOutputDriver());
  EXPECT_EQ(info.flags, BASS_DEVICE_ENABLED | BASS_DEVICE_DEFAULT | BASS_DEVICE_INIT);
  const char* const first_name = info.name;
  // The driver lists outputs of its own after the default one.
  uint32_t last = 1;
  while (last < 100 && BASS_GetDeviceInfo(last + 1, &info) == 1) {
    ++last;
    ASSERT_NE(info.name, nullptr);
    EXPECT_EQ(info.flags, BASS_DEVICE_ENABLED) << info.name;
  }
  EXPECT_GE(last, 2u);
  BASS_DEVICEINFO untouched{"x", "y", 7};
  EXPECT_EQ(BASS_GetDeviceInfo(0, &untouched), 0);
  EXPECT_EQ(BASS_GetDeviceInfo(last + 1, &untouched), 0);
  EXPECT_EQ(BASS_GetDeviceInfo(200, &untouched), 0);
  EXPECT_EQ(BASS_GetDeviceInfo(static_cast<uint32_t>(-1), &untouched), 0);
  EXPECT_STREQ(untouched.name, "x");
  // Names stay where they are, also across a shutdown of the library.
  BASS_Free();
  ASSERT_EQ(BASS_GetDeviceInfo(1, &info), 1);
  EXPECT_EQ(info.name, first_name);
  EXPECT_EQ(info.flags & BASS_DEVICE_INIT, 0u);
}

TEST_F(LibraryApiTest, InitOpensExistingDevicesOnly) {
  EXPECT_EQ(BASS_Init(0, 44100, 0, nullptr, nullptr), 0);
  EXPECT_EQ(BASS_Init(200, 44100, 0, nullptr, nullptr), 0);
  EXPECT_NE(BASS_Init(2, 44100, 0, nullptr, nullptr), 0);
  // Initialising again replaces the open device; its streams go with it.
  const uint32_t stream = open(files_.wav("t.wav", Tone{}));
  ASSERT_NE(stream, 0u);
  EXPECT_NE(BASS_Init(1, 44100, 0, nullptr, nullptr), 0);
  EXPECT_EQ(BASS_ChannelPlay(stream, 1), 0);
  EXPECT_NE(BASS_Free(), 0);
  EXPECT_EQ(BASS_Free(), 0);
}

TEST_F(LibraryApiTest, VersionIsFixedAndNoPluginLoads) {
  EXPECT_EQ(BASS_GetVersion(), 0x01000000u);
  EXPECT_EQ(BASS_PluginLoad(KALVOR_BASS_LIBRARY, 1), 0u);
  EXPECT_EQ(BASS_PluginLoad(files_.random_bytes("bassx.so", 4096).c_str(), 1), 0u);
  EXPECT_EQ(BASS_PluginLoad(nullptr, 1), 0u);
}

TEST_F(LibraryApiTest, EverySupportedFormatOpensWithItsExactLength) {
  const Tone stereo{.seconds = 1.0};
  const Tone mono22k{.seconds = 1.0, .rate = 22050, .channels = 1};
  const std::string tagged = files_.mp3_cbr("tagged.mp3", stereo);
  TestSoundFiles::add_id3v2_tag(tagged, "欢呼掌声 Applause");
  struct Case {
    std::string path;
    const Tone& tone;
  };
  const std::vector<Case> cases = {
      {files_.wav("a.wav", stereo), stereo},
      {files_.flac("a.flac", stereo), stereo},
      {files_.ogg("a.ogg", stereo), stereo},
      {files_.mp3("a.mp3", stereo), stereo},
      {files_.mp3("mono22k.mp3", mono22k), mono22k},
      {tagged, stereo},
      {files_.mp3("欢呼 掌声 一号.mp3", stereo), stereo},
  };
  for (const Case& c : cases) {
    const uint32_t stream = open(c.path);
    if (!LibraryDecodes(c.path.substr(c.path.rfind('.')))) {
      EXPECT_EQ(stream, 0u) << c.path;  // refused cleanly where the platform has no decoder
      continue;
    }
    ASSERT_NE(stream, 0u) << c.path;
    EXPECT_EQ(BASS_ChannelGetLength(stream, BASS_POS_BYTE),
              static_cast<uint64_t>(c.tone.frames() * c.tone.channels * 2))
        << c.path;
    EXPECT_NE(BASS_StreamFree(stream), 0);
  }
}

TEST_F(LibraryApiTest, UnusableFilesGiveNoStream) {
  const std::string wav = files_.wav("good.wav", Tone{});
  const std::string mp3 = files_.mp3("good.mp3", Tone{});
  const std::string ogg = files_.ogg("good.ogg", Tone{});
  const std::vector<std::string> paths = {
      (files_.dir() / "missing.mp3").string(),
      files_.bytes("empty.mp3", ""),
      files_.truncated_copy(wav, "header-cut.wav", 30),
      files_.truncated_copy(mp3, "header-cut.mp3", 200),
      files_.truncated_copy(ogg, "header-cut.ogg", 100),
      files_.truncated_copy(ogg, "setup-cut.ogg", 2000),  // inside the Vorbis setup header
      files_.folder("folder.mp3"),
      files_.random_bytes("noise.mp3", 50000),
      files_.random_bytes("noise.bin", 50000),
      files_.bytes("notes.mp3", "这不是声音文件, just text.\n"),
      files_.bytes("notes.txt", "这不是声音文件, just text.\n"),
      "",
  };
  for (const std::string& path : paths) EXPECT_EQ(open(path), 0u) << path;
  EXPECT_EQ(BASS_StreamCreateFile(0, nullptr, 0, 0, 0), 0u);
  // Streams from memory are not supported.
  EXPECT_EQ(BASS_StreamCreateFile(1, wav.c_str(), 0, 0, 0), 0u);
}

TEST_F(LibraryApiTest, NoStreamsWithoutAnOpenDevice) {
  const std::string wav = files_.wav("good.wav", Tone{});
  BASS_Free();
  EXPECT_EQ(open(wav), 0u);
}

// Every stream call on this handle must fail without effect.
void expect_dead(uint32_t handle) {
  float fft[512];
  EXPECT_EQ(BASS_ChannelPlay(handle, 1), 0);
  EXPECT_EQ(BASS_ChannelPause(handle), 0);
  EXPECT_EQ(BASS_ChannelStop(handle), 0);
  EXPECT_EQ(BASS_ChannelSetAttribute(handle, BASS_ATTRIB_VOL, 0.5f), 0);
  EXPECT_EQ(BASS_ChannelGetLength(handle, BASS_POS_BYTE), kBad64);
  EXPECT_EQ(BASS_ChannelGetPosition(handle, BASS_POS_BYTE), kBad64);
  EXPECT_EQ(BASS_ChannelSetPosition(handle, 0, BASS_POS_BYTE), 0);
  EXPECT_EQ(BASS_ChannelBytes2Seconds(handle, 100), -1.0);
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(handle, 1.0), kBad64);
  EXPECT_EQ(BASS_ChannelGetData(handle, fft, BASS_DATA_FFT1024), BASS_DATA_ERROR);
  EXPECT_EQ(BASS_StreamFree(handle), 0);
}

TEST_F(LibraryApiTest, ZeroFreedAndStaleHandlesAreHarmless) {
  const std::string wav = files_.wav("t.wav", Tone{});
  expect_dead(0);
  const uint32_t freed = open(wav);
  ASSERT_NE(freed, 0u);
  ASSERT_NE(BASS_ChannelPlay(freed, 1), 0);
  ASSERT_NE(BASS_StreamFree(freed), 0);
  expect_dead(freed);
  expect_dead(freed + 1000);
  // Handles are not handed out again, not even after the library was shut down.
  const uint32_t later = open(wav);
  EXPECT_GT(later, freed);
  ASSERT_NE(BASS_ChannelPlay(later, 1), 0);
  BASS_Free();
  expect_dead(later);
  ASSERT_NE(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
  expect_dead(later);
  EXPECT_GT(open(wav), later);
}

TEST_F(LibraryApiTest, LengthPositionAndSecondsAgree) {
  // 1.5 s of mono at 22050 Hz: 33075 frames of 2 bytes.
  const uint32_t stream =
      open(files_.wav("t.wav", Tone{.seconds = 1.5, .rate = 22050, .channels = 1}));
  ASSERT_NE(stream, 0u);
  const uint64_t length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
  EXPECT_EQ(length, 66150u);
  EXPECT_DOUBLE_EQ(BASS_ChannelBytes2Seconds(stream, length), 1.5);
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, 1.5), length);
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, BASS_ChannelBytes2Seconds(stream, 12346)), 12346u);
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 0u);

  const uint64_t one_second = BASS_ChannelSeconds2Bytes(stream, 1.0);
  EXPECT_EQ(one_second, 44100u);
  ASSERT_NE(BASS_ChannelSetPosition(stream, one_second, BASS_POS_BYTE), 0);
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), one_second);
  // Inside a frame goes to its start; beyond the end is refused and changes nothing.
  ASSERT_NE(BASS_ChannelSetPosition(stream, 1001, BASS_POS_BYTE), 0);
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 1000u);
  EXPECT_EQ(BASS_ChannelSetPosition(stream, length + 2, BASS_POS_BYTE), 0);
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 1000u);
  EXPECT_EQ(BASS_ChannelGetLength(stream, 1), kBad64);  // only byte positions exist
}

TEST_F(LibraryApiTest, PositionFollowsPlayPauseAndRestart) {
  const uint32_t stream = open(files_.wav("t.wav", Tone{.seconds = 0.8}));
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_ChannelPause(stream), 0);  // not playing yet
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_TRUE(WaitUntil([&] { return seconds(stream) > 0.15; }, 10s));
  ASSERT_NE(BASS_ChannelPause(stream), 0);
  const double paused = seconds(stream);
  EXPECT_GT(paused, 0.1);
  EXPECT_LT(paused, 0.6);
  // A paused stream does not move: a while later it is where it stopped.
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(seconds(stream), paused);
  // Resuming goes on from there and runs to the end; the ended stream stays usable.
  ASSERT_NE(BASS_ChannelPlay(stream, 0), 0);
  EXPECT_TRUE(WaitUntil([&] { return ended(stream); }, 10s));
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_TRUE(WaitUntil([&] { return !ended(stream) && seconds(stream) > 0; }, 10s));
  EXPECT_LT(seconds(stream), 0.4);
}

TEST_F(LibraryApiTest, CutOffFilePlaysWhatItHasAndEnds) {
  const std::string whole = files_.mp3("whole.mp3", Tone{.seconds = 1.5});
  const uint32_t stream = open(files_.truncated_copy(whole, "cut.mp3", 3000));
  ASSERT_NE(stream, 0u);
  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  EXPECT_TRUE(WaitUntil([&] { return ended(stream); }, 10s));
  const uint64_t length = BASS_ChannelGetLength(stream, BASS_POS_BYTE);
  EXPECT_LT(length, 1.5 * 44100 * 4);
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), length);
}

TEST_F(LibraryApiTest, SpectrumOfASinePeaksInItsBin) {
  const uint32_t stream =
      open(files_.wav("1k.wav", Tone{.frequency = 1000.0, .amplitude = 0.9, .seconds = 2.0}));
  ASSERT_NE(stream, 0u);
  std::vector<float> fft(1024, -1.0f);
  // A stream that does not play reads as silence.
  EXPECT_NE(BASS_ChannelGetData(stream, fft.data(), BASS_DATA_FFT1024), BASS_DATA_ERROR);
  EXPECT_EQ(*std::max_element(fft.begin(), fft.begin() + 512), 0.0f);
  EXPECT_EQ(fft[512], -1.0f);  // only 512 values are written

  ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
  ASSERT_TRUE(WaitUntil([&] { return seconds(stream) > 0.1; }, 10s));
  // 1024 frames of 16-bit stereo were looked at.
  EXPECT_EQ(BASS_ChannelGetData(stream, fft.data(), BASS_DATA_FFT1024), 4096u);
  const auto peak = std::max_element(fft.begin(), fft.begin() + 512);
  EXPECT_EQ(peak - fft.begin(), 23);  // 1000 Hz * 1024 / 44100 = 23.2
  EXPECT_GT(*peak, 0.75f);
  EXPECT_LT(*peak, 0.95f);
  EXPECT_LT(fft[0], 0.01f);
  EXPECT_LT(fft[100], 0.01f);
  EXPECT_EQ(BASS_ChannelGetData(stream, fft.data(), 0x80000003u), BASS_DATA_ERROR);
}

}  // namespace
}  // namespace kalvor::test

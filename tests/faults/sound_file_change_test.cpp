// A sound file changed on disk while a stream plays it: cut short, cut to nothing, overwritten in
// place with other bytes, replaced by a rename. The stream plays what it can and ends, moving and
// restarting it read whatever is there now, and nothing crashes; the library plays a new stream
// of the replaced file afterwards. The device (SDL's dummy driver) mixes in real time all along.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "audiolib/bass_library.h"
#include "tests/audiolib/test_sound_files.h"
#include "tests/support/files.h"

namespace kalvor::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

void Mix(std::chrono::milliseconds time) {
  std::this_thread::sleep_for(time);
}

// The library's functions, from the library file as the program opens it (the test does not link
// it, so that the library-release test in this program sees the library go away when let go of).
struct Library {
  void* handle = dlopen(KALVOR_BASS_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  template <typename Signature>
  Signature* Get(const char* name) const {
    return reinterpret_cast<Signature*>(handle == nullptr ? nullptr : dlsym(handle, name));
  }
  decltype(&BASS_Init) Init = Get<decltype(BASS_Init)>("BASS_Init");
  decltype(&BASS_Free) Free = Get<decltype(BASS_Free)>("BASS_Free");
  decltype(&BASS_StreamCreateFile) StreamCreateFile =
      Get<decltype(BASS_StreamCreateFile)>("BASS_StreamCreateFile");
  decltype(&BASS_StreamFree) StreamFree = Get<decltype(BASS_StreamFree)>("BASS_StreamFree");
  decltype(&BASS_ChannelPlay) ChannelPlay = Get<decltype(BASS_ChannelPlay)>("BASS_ChannelPlay");
  decltype(&BASS_ChannelGetLength) ChannelGetLength =
      Get<decltype(BASS_ChannelGetLength)>("BASS_ChannelGetLength");
  decltype(&BASS_ChannelGetPosition) ChannelGetPosition =
      Get<decltype(BASS_ChannelGetPosition)>("BASS_ChannelGetPosition");
  decltype(&BASS_ChannelSetPosition) ChannelSetPosition =
      Get<decltype(BASS_ChannelSetPosition)>("BASS_ChannelSetPosition");
  decltype(&BASS_ChannelBytes2Seconds) ChannelBytes2Seconds =
      Get<decltype(BASS_ChannelBytes2Seconds)>("BASS_ChannelBytes2Seconds");
  decltype(&BASS_ChannelSeconds2Bytes) ChannelSeconds2Bytes =
      Get<decltype(BASS_ChannelSeconds2Bytes)>("BASS_ChannelSeconds2Bytes");
  ~Library() {
    if (handle != nullptr) dlclose(handle);
  }
};

class SoundFileChangeTest : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    ASSERT_NE(bass_.handle, nullptr) << dlerror();
    ASSERT_NE(bass_.Init(-1, 44100, 0, nullptr, nullptr), 0);
  }
  void TearDown() override {
    if (bass_.handle != nullptr) bass_.Free();
  }

  std::string Make(const std::string& name, double seconds) {
    Tone tone;
    tone.seconds = seconds;
    const std::string& format = GetParam();
    if (format == "mp3") return files_.mp3(name + ".mp3", tone);
    if (format == "flac") return files_.flac(name + ".flac", tone);
    if (format == "ogg") return files_.ogg(name + ".ogg", tone);
    return files_.wav(name + ".wav", tone);
  }

  Library bass_;
  TestSoundFiles files_;
};

TEST_P(SoundFileChangeTest, TruncatedOverwrittenOrReplacedUnderAPlayingStream) {
  const std::string path = Make("playing", 4.0);
  const std::string other = ReadFile(Make("other", 0.5));
  const auto size = fs::file_size(path);
  const std::uint32_t stream = bass_.StreamCreateFile(0, path.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  const std::uint64_t length = bass_.ChannelGetLength(stream, BASS_POS_BYTE);
  ASSERT_EQ(bass_.ChannelPlay(stream, 1), 1);
  Mix(200ms);
  EXPECT_GT(bass_.ChannelGetPosition(stream, BASS_POS_BYTE), 0u);

  // Cut to a third while the decoder is still ahead of the device, well before the cut.
  ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size / 3)), 0);
  Mix(1500ms);
  const std::uint64_t position = bass_.ChannelGetPosition(stream, BASS_POS_BYTE);
  EXPECT_LE(position, length);
  EXPECT_LE(bass_.ChannelGetLength(stream, BASS_POS_BYTE), length);
  // Into the part that is gone, then from the start again.
  bass_.ChannelSetPosition(stream, bass_.ChannelSeconds2Bytes(stream, 3.0), BASS_POS_BYTE);
  bass_.ChannelPlay(stream, 0);
  Mix(200ms);
  EXPECT_EQ(bass_.ChannelPlay(stream, 1), 1);
  Mix(300ms);

  // Cut to nothing, then other bytes in the same file: another recording, then noise.
  ASSERT_EQ(truncate(path.c_str(), 0), 0);
  EXPECT_EQ(bass_.ChannelPlay(stream, 1), 1);
  Mix(300ms);
  WriteFile(path, other);
  EXPECT_EQ(bass_.ChannelPlay(stream, 1), 1);
  bass_.ChannelSetPosition(stream, bass_.ChannelSeconds2Bytes(stream, 0.25), BASS_POS_BYTE);
  Mix(300ms);
  WriteFile(path, ReadFile(files_.random_bytes("noise", size)));
  EXPECT_EQ(bass_.ChannelPlay(stream, 1), 1);
  bass_.ChannelSetPosition(stream, bass_.ChannelSeconds2Bytes(stream, 1.0), BASS_POS_BYTE);
  Mix(300ms);

  // Replaced by a rename: the stream keeps the file it opened; a new stream gets the new one.
  const std::string fresh = Make("fresh", 1.0);
  ASSERT_EQ(rename(fresh.c_str(), path.c_str()), 0);
  EXPECT_EQ(bass_.ChannelPlay(stream, 1), 1);
  Mix(300ms);
  EXPECT_EQ(bass_.StreamFree(stream), 1);

  const std::uint32_t again = bass_.StreamCreateFile(0, path.c_str(), 0, 0, 0);
  ASSERT_NE(again, 0u);
  EXPECT_NEAR(bass_.ChannelBytes2Seconds(again, bass_.ChannelGetLength(again, BASS_POS_BYTE)), 1.0,
              0.1);
  ASSERT_EQ(bass_.ChannelPlay(again, 1), 1);
  Mix(200ms);
  EXPECT_GT(bass_.ChannelGetPosition(again, BASS_POS_BYTE), 0u);
  EXPECT_EQ(bass_.StreamFree(again), 1);
}

INSTANTIATE_TEST_SUITE_P(Formats, SoundFileChangeTest, testing::Values("mp3", "wav", "flac", "ogg"),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace kalvor::test

// A board creates, plays and frees a stream on every click for as long as it runs: a thousand
// such cycles must leave the process's memory where it was. (Not in sanitizer builds, whose
// allocator keeps freed memory back and which find leaks by themselves.)
#include <gtest/gtest.h>

#include <cstdio>

#include "audiolib/bass_library.h"
#include "tests/audiolib/test_platform.h"
#include "tests/audiolib/test_sound_files.h"

namespace kalvor::test {
namespace {

TEST(StreamCycles, ThousandCreatePlayFreeCyclesKeepMemoryFlat) {
  if (!UseSilentOutput()) GTEST_SKIP() << "no output to test with";
  ASSERT_NE(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
  TestSoundFiles files;
  const std::string paths[] = {files.wav("click.wav", Tone{.seconds = 0.3}),
                               files.mp3("click.mp3", Tone{})};
  auto cycles = [&](int count) {
    for (int i = 0; i < count; ++i) {
      const uint32_t stream = BASS_StreamCreateFile(0, paths[i % 2].c_str(), 0, 0, 0);
      ASSERT_NE(stream, 0u) << paths[i % 2];
      ASSERT_NE(BASS_ChannelPlay(stream, 1), 0);
      ASSERT_NE(BASS_StreamFree(stream), 0);
    }
  };
  cycles(100);  // the caches and pools of the system's libraries settle first
  const std::size_t before = ProcessMemoryBytes();
  cycles(1000);
  const std::size_t after = ProcessMemoryBytes();
  BASS_Free();
  std::printf("memory before %zu bytes, after 1000 cycles %zu bytes\n", before, after);
  // One stream's ring alone is 128 KiB: a stream left behind per cycle would be 100 MiB.
  EXPECT_LT(after, before + 512 * 1024);
}

}  // namespace
}  // namespace kalvor::test

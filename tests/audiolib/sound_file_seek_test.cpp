// Streams restart and move by seeking their decoder: after a seek it must read exactly what it
// read at that frame when decoding from the start, in every format, forwards and backwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "audiolib/sound_file.h"
#include "tests/audiolib/test_platform.h"
#include "tests/audiolib/test_sound_files.h"

namespace kalvor::test {
namespace {

using audiolib::SoundFile;

TEST(SoundFileSeek, ReadsAfterASeekWhatItReadThereFromTheStart) {
  TestSoundFiles files;
  const Tone stereo{.seconds = 1.0};
  const Tone mono22k{.seconds = 1.0, .rate = 22050, .channels = 1};
  const std::string paths[] = {
      files.wav("a.wav", stereo),       files.mp3("vbr.mp3", stereo),
      files.mp3_cbr("cbr.mp3", stereo), files.mp3("mono22k.mp3", mono22k),
      files.flac("a.flac", stereo),     files.ogg("a.ogg", stereo),
  };
  for (const std::string& path : paths) {
    if (!LibrarySeeksExactly(path.substr(path.rfind('.')))) continue;
    SCOPED_TRACE(path);
    std::unique_ptr<SoundFile> file = SoundFile::open(path.c_str());
    ASSERT_NE(file, nullptr);
    const int channels = file->channels();
    std::vector<float> whole(static_cast<std::size_t>(file->frames() * channels));
    const std::int64_t frames = file->read(whole.data(), file->frames());
    ASSERT_EQ(frames, file->frames());

    for (const std::int64_t at : {frames / 2, std::int64_t{1}, frames - 100, std::int64_t{4096},
                                  std::int64_t{0}, frames / 3}) {
      ASSERT_TRUE(file->seek(at)) << at;
      const std::int64_t count = std::min<std::int64_t>(2000, frames - at);
      std::vector<float> got(static_cast<std::size_t>(count * channels));
      ASSERT_EQ(file->read(got.data(), count), count) << at;
      const auto [differs, expected] =
          std::mismatch(got.begin(), got.end(), whole.begin() + at * channels);
      if (differs != got.end()) {
        ADD_FAILURE() << "after a seek to " << at << ", sample " << (differs - got.begin())
                      << " is " << *differs << " instead of " << *expected;
      }
    }
  }
}

}  // namespace
}  // namespace kalvor::test

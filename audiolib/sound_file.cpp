#include "sound_file.h"

#include <sndfile.h>
#include <sys/stat.h>

namespace kalvor::audiolib {

namespace {

constexpr int kMaxChannels = 32;
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 768000;

}  // namespace

std::unique_ptr<SoundFile> SoundFile::open(const char* path) {
  if (path == nullptr || path[0] == '\0') return nullptr;
  // A folder, a pipe or a device would make libsndfile fail late or block: only regular files.
  struct stat st {};
  if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return nullptr;

  SF_INFO info{};
  SNDFILE* file = sf_open(path, SFM_READ, &info);
  if (file == nullptr) return nullptr;
  if (info.channels < 1 || info.channels > kMaxChannels || info.samplerate < kMinRate ||
      info.samplerate > kMaxRate || info.frames <= 0) {
    sf_close(file);
    return nullptr;
  }
  return std::unique_ptr<SoundFile>(
      new SoundFile(file, info.channels, info.samplerate, static_cast<std::int64_t>(info.frames)));
}

SoundFile::SoundFile(SNDFILE* file, int channels, int sample_rate, std::int64_t frames)
    : file_(file), channels_(channels), sample_rate_(sample_rate), frames_(frames) {}

SoundFile::~SoundFile() {
  sf_close(file_);
}

std::int64_t SoundFile::read(float* interleaved, std::int64_t count) {
  const sf_count_t got = sf_readf_float(file_, interleaved, count);
  return got < 0 ? 0 : static_cast<std::int64_t>(got);
}

bool SoundFile::seek(std::int64_t frame) {
  return sf_seek(file_, frame, SEEK_SET) == frame;
}

}  // namespace kalvor::audiolib

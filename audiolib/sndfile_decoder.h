// Decoding through libsndfile: MP3, WAV, FLAC, Ogg/Vorbis and the other formats it reads.
#pragma once

#include <memory>

#include "sound_file.h"

typedef struct sf_private_tag SNDFILE;

namespace kalvor::audiolib {

class SndfileDecoder : public SoundFile {
 public:
  // As SoundFile::open.
  static std::unique_ptr<SoundFile> open(const char* path);

  ~SndfileDecoder() override;

  std::int64_t read(float* interleaved, std::int64_t count) override;
  bool seek(std::int64_t frame) override;

 private:
  SndfileDecoder(SNDFILE* file, int channels, int sample_rate, std::int64_t frames);

  SNDFILE* file_;
};

}  // namespace kalvor::audiolib

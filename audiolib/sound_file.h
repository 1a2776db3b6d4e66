// A sound file opened for decoding through libsndfile (MP3, WAV, FLAC, Ogg/Vorbis and the other
// formats it reads). Only regular files that libsndfile recognises and that describe playable audio
// are opened; everything else is refused without touching more than the file's header.
#pragma once

#include <cstdint>
#include <memory>

typedef struct sf_private_tag SNDFILE;

namespace kalvor::audiolib {

class SoundFile {
 public:
  // UTF-8 path. Returns null for a missing, empty or non-regular file, an unknown format, a
  // header that describes no audio, or a file whose length cannot be told from its headers.
  static std::unique_ptr<SoundFile> open(const char* path);

  ~SoundFile();
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  int channels() const { return channels_; }
  int sample_rate() const { return sample_rate_; }
  // Frame count from the header; the decoder may find fewer at the end of a cut-off file.
  std::int64_t frames() const { return frames_; }

  // Decodes up to count frames of channels() interleaved floats; returns the frames read, fewer
  // than asked only at the end of the data.
  std::int64_t read(float* interleaved, std::int64_t count);
  bool seek(std::int64_t frame);

 private:
  SoundFile(SNDFILE* file, int channels, int sample_rate, std::int64_t frames);

  SNDFILE* file_;
  int channels_;
  int sample_rate_;
  std::int64_t frames_;
};

}  // namespace kalvor::audiolib

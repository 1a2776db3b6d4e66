// A sound file opened for decoding. Each platform decodes with what it has (SoundFile::open picks
// the decoder). Only regular files that describe playable audio are opened; everything else is
// refused without reading more than the file's headers.
#pragma once

#include <cstdint>
#include <memory>

namespace kalvor::audiolib {

class SoundFile {
 public:
  // UTF-8 path. Returns null for a missing, empty or non-regular file, an unknown format, a
  // header that describes no audio, or a file whose length cannot be told from its headers.
  static std::unique_ptr<SoundFile> open(const char* path);

  virtual ~SoundFile() = default;
  SoundFile(const SoundFile&) = delete;
  SoundFile& operator=(const SoundFile&) = delete;

  int channels() const { return channels_; }
  int sample_rate() const { return sample_rate_; }
  // Frame count from the header; the decoder may find fewer at the end of a cut-off file.
  std::int64_t frames() const { return frames_; }

  // Decodes up to count frames of channels() interleaved floats; returns the frames read, fewer
  // than asked only at the end of the data.
  virtual std::int64_t read(float* interleaved, std::int64_t count) = 0;
  virtual bool seek(std::int64_t frame) = 0;

 protected:
  SoundFile(int channels, int sample_rate, std::int64_t frames)
      : channels_(channels), sample_rate_(sample_rate), frames_(frames) {}

  // Whether a header's description is one this library plays: channel count, rate and a length
  // that keeps byte counts in range.
  static bool playable(std::int64_t channels, std::int64_t sample_rate, std::int64_t frames);

 private:
  int channels_;
  int sample_rate_;
  std::int64_t frames_;
};

}  // namespace kalvor::audiolib

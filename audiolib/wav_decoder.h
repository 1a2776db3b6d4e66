// Our own reader of RIFF WAVE files: integer PCM of 8, 16, 24 and 32 bits and 32- and 64-bit
// floats, plain or in the extensible format. A data chunk that runs past the end of the file
// plays what is there. Uses the Windows C runtime's 64-bit file offsets.
#pragma once

#include <cstdio>
#include <memory>
#include <vector>

#include "sound_file.h"

namespace kalvor::audiolib {

class WavDecoder : public SoundFile {
 public:
  enum class Encoding { kUnsigned8, kSigned16, kSigned24, kSigned32, kFloat32, kFloat64 };

  // Takes the open file over; null (and the file closed) when it is not a playable WAVE file.
  static std::unique_ptr<SoundFile> open(std::FILE* file);

  ~WavDecoder() override;

  std::int64_t read(float* interleaved, std::int64_t count) override;
  bool seek(std::int64_t frame) override;

 private:
  WavDecoder(std::FILE* file, int channels, int sample_rate, std::int64_t frames, Encoding encoding,
             int frame_bytes, std::int64_t data_offset);

  std::FILE* file_;
  Encoding encoding_;
  int frame_bytes_;
  std::int64_t data_offset_;
  std::int64_t position_ = 0;
  std::vector<unsigned char> raw_;
};

}  // namespace kalvor::audiolib

// MP3 through the Audio Compression Manager (msacm32), which hands Layer III frames to the MP3
// codec Windows ships. The frames are found by our own scan (mp3_frames.h) over the whole file,
// held in memory; the scan also gives the exact length, and a LAME tag makes playback gapless.
// Seeking decodes again from the first frame, which is exact and, for sound effects, quick.
#pragma once

#include <windows.h>
// after windows.h, which they build on
#include <mmreg.h>
#include <msacm.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "mp3_frames.h"
#include "sound_file.h"

namespace kalvor::audiolib {

class AcmMp3Decoder : public SoundFile {
 public:
  // The file's bytes. Null when they hold no Layer III frames or Windows cannot decode them.
  static std::unique_ptr<SoundFile> open(std::vector<std::uint8_t> data);

  ~AcmMp3Decoder() override;

  std::int64_t read(float* interleaved, std::int64_t count) override;
  bool seek(std::int64_t frame) override;

 private:
  AcmMp3Decoder(std::vector<std::uint8_t> data, Mp3Layout layout);

  // A fresh conversion from the first frame.
  bool restart();
  // Converts the next few frames; false at the end of the frames.
  bool decode_more();

  std::vector<std::uint8_t> data_;
  Mp3Layout layout_;
  MPEGLAYER3WAVEFORMAT input_format_{};
  WAVEFORMATEX output_format_{};
  HACMSTREAM stream_ = nullptr;
  bool started_ = false;
  bool flushed_ = false;
  std::size_t next_frame_ = 0;
  std::vector<std::uint8_t> input_;  // frames not yet taken by the codec
  std::vector<std::uint8_t> output_;
  std::vector<std::int16_t> pcm_;  // decoded samples not yet read, interleaved
  std::int64_t pcm_start_ = 0;     // decoder output frame of pcm_[0]
  std::int64_t position_ = 0;      // the next frame of the sound that read() returns
};

}  // namespace kalvor::audiolib

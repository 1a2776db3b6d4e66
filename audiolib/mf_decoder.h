// FLAC through Media Foundation's source reader, where Windows has a FLAC source (Windows 10 and
// later; Wine through GStreamer's plug-ins). The STREAMINFO block at the start of the file gives
// the format and the exact length; Media Foundation decodes to 32-bit floats. A seek decodes
// forward to the frame, from the first frame when it goes back.
#pragma once

#include <mfidl.h>
#include <mfreadwrite.h>
#include <wrl/client.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sound_file.h"

namespace kalvor::audiolib {

class MfDecoder : public SoundFile {
 public:
  // The file's first bytes (at least 42) tell whether it is FLAC at all.
  static bool is_flac(const std::uint8_t* head, std::size_t size);
  // Null when the header is not a playable FLAC stream or Windows cannot decode it.
  static std::unique_ptr<SoundFile> open(const std::wstring& path, const std::uint8_t* head,
                                         std::size_t size);

  std::int64_t read(float* interleaved, std::int64_t count) override;
  bool seek(std::int64_t frame) override;

 private:
  MfDecoder(Microsoft::WRL::ComPtr<IMFSourceReader> reader, int channels, int sample_rate,
            std::int64_t frames);

  // Decodes the next sample into pending_ (after dropping what skip_ asks); false at the end.
  bool decode_more();

  Microsoft::WRL::ComPtr<IMFSourceReader> reader_;
  std::vector<float> pending_;  // decoded, not yet read
  std::size_t pending_pos_ = 0;
  std::int64_t skip_ = 0;      // frames still to drop before the next one read
  std::int64_t position_ = 0;  // the frame the next read starts at
};

}  // namespace kalvor::audiolib

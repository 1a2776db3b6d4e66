#pragma once

#include <cstdint>
#include <vector>

#include "tools/soundgen/signal.h"

namespace kalvor::soundgen {

// Encodes a mono signal at the archive rate to an MP3 with libmp3lame (VBR, with the
// LAME info frame at the start so decoders know the exact length).
class Mp3Encoder {
 public:
  explicit Mp3Encoder(int vbr_quality = 5);

  std::vector<std::uint8_t> Encode(const Signal& samples) const;

  // The largest sample magnitude (full scale = 1) of the decoded MP3.
  static double DecodedPeak(const std::vector<std::uint8_t>& mp3);

 private:
  int vbr_quality_;
};

}  // namespace kalvor::soundgen
